// Name lists, the module header, the analog block with its evaluate function
// header, and endmodule.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/trace.h"
#include "symbols/kinds.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/declarations/collisions.h"
#include "translate/emit.h"
#include "translate/names.h"

namespace {

char *converted_name(const char *name, bool upper) {
    char *copy = zelk_strdup(name);
    for (char *p = copy; *p; ++p) {
        if (upper && *p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
        if (!upper && *p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
    }
    return copy;
}

std::vector<const char *> names_of(char **names, int count) {
    return std::vector<const char *>(names, names + count);
}

}  // namespace

void tr_varlists_first(zelksymrec *list) {
    zelk_setval(list, list->name);
    list->nbarg = 1;
    ztrace("DEbug :***  varlists  $$:%ld  $1:%ld  NbArg:%d  $1:'%s','%s' t:%d(Var:%d)\n", list->id,
           list->id, list->nbarg, list->name, ztext(list->val), list->type, TK_VAR);
}

void tr_varlists_next(zelksymrec *list, zelksymrec *name) {
    zelk_appendval(list, ",");
    zelk_appendval(list, name->name);
    list->nbarg += 1;
    ztrace("DEbug :***  varlists  $$:%ld  $1:%ld  $3:%ld  NbArg:%d  $3:'%s' t:%d(Var:%d)\n",
           list->id, list->id, name->id, list->nbarg, name->name, name->type, TK_VAR);
}

void tr_module_header(zelksymrec *name, zelksymrec *ports) {
    ztrace("Debug:*** MODULE  START   LineNumber:%d   $2:%ld:'%s'  $3:%ld:'%s','%s' NbArg:%d \n",
           ZelkCurLineNumber, name->id, name->name, ports->id, ports->name, ztext(ports->val),
           ports->nbarg);
    zout_line_marker();

    zelk_clear_names(ZK_PORT);
    std::free(ZelkModuleName);
    std::free(ZelkModuleNameLc);
    ZelkModuleName = converted_name(name->name, true);
    ZelkModuleNameLc = converted_name(name->name, false);

    zelk_clear_names(ZK_ELECTR);

    for (const std::string &port : zelk_split_names(ports->val)) zelk_add_name(ZK_PORT, port.c_str());
    if (ZelkModuleNbArg != ports->nbarg) {
        zelk_error("!! Internal Error: '%s' Module arg number:%d (not %d):  near '%s(%s)' in line "
                   "number:%d .\n",
                   name->name, ports->nbarg, ZelkModuleNbArg, name->name, ztext(ports->val),
                   ZelkCurLineNumber);
    }
    for (int i = 0; i < ZelkModuleNbArg; ++i)
        ztrace("Debug:*** MODULE  START arg[%d]:'%s' \n", i, ZelkModuleArg[i]);

    if (ZelkDefineAuxOn == 0) {
        ZelkDefineAuxOn = 1;
        zout_text("\n\n");
        zout_text("#define      V(x)       x    \n");
        zout_text("#define      V2(x,y)   (x-y) \n");
    }
    zout_text("\n\n");
    zout("/*  Start of Module %s ( %s ) */", name->name, ztext(ports->val));
    zout_text("\n");
    ZelkAnalogOn = 0;
    ZelkPrintLevel = 1;
}

void tr_module_items_end(zelksymrec *name) {
    ztrace("Debug:*** MODULE  DECLARATIONS END   LineNumber:%d   $2:'%s' \n", ZelkCurLineNumber,
           name->name);
}

bool tr_analog_block() {
    ztrace("Debug:*** MODULE  ANALOG  START   LineNumber:%d   Module:'%s' NbElectr:%d \n",
           ZelkCurLineNumber, ztext(ZelkModuleName), ZelkElectrNbArg);
    ZelkPrintLevel = 4;
    zout_line_marker();

    zout("\n/* Module : '%s'     Electrical :", ztext(ZelkModuleName));
    for (int i = 0; i < ZelkElectrNbArg; ++i) zout(" %s", ZelkElectrArg[i]);
    zout_text(" */\n");

    for (int i = 0; i < ZelkModuleNbArg; ++i) {
        if (zelk_name_count(ZK_ELECTR, ZelkModuleArg[i]) == 0)
            zelk_error("!! Error : '%s' not found in Electrical signals of module '%s'  in line "
                       "number:%d ??  .\n",
                       ZelkModuleArg[i], ztext(ZelkModuleName), ZelkCurLineNumber);
    }

    const std::vector<ZelkStopCheck> checks = {
        {names_of(ZelkModRealArg, ZelkModRealNbArg),
         "!! Error : Using a Model Parameter name:'%s' also as  Module Real variable in "
         "Module:'%s'?? .\n"},
        {names_of(ZelkModIntArg, ZelkModIntNbArg),
         "!! Error : Using a Model Parameter name:'%s' also as  Module Integer variable in "
         "Module:'%s'?? .\n"},
        {names_of(ZelkModGenvArg, ZelkModGenvNbArg),
         "!! Error : Using a Model Parameter name:'%s' also as  Module Generic variable in "
         "Module:'%s'?? .\n"},
    };
    if (!zelk_run_stop_checks(checks, ztext(ZelkModuleName))) return false;

    zout("\nint\n%sevaluate (", ztext(ZelkModuleName));
    for (int i = 0; i < ZelkElectrNbArg; ++i)
        zout(i + 1 < ZelkElectrNbArg ? " %s," : " %s", ZelkElectrArg[i]);
    zout_text(") ");
    if (ZelkElectrNbArg > 0) {
        zout_text("\n double   ");
        for (int i = 0; i < ZelkElectrNbArg; ++i)
            zout(i + 1 < ZelkElectrNbArg ? " %s," : " %s;", ZelkElectrArg[i]);
    }
    zout_text("\n{ ");
    ZelkAnalogOn = 1;
    return true;
}

void tr_analog_statement_end(zelksymrec *statement) {
    ztrace("Debug:*** MODULE  ANALOG  END   LineNumber:%d   $11:%ld \n", ZelkCurLineNumber,
           statement ? statement->id : 0L);
}

void tr_module_end() {
    ztrace("Debug:*** MODULE  END   LineNumber:%d   Module:'%s' \n", ZelkCurLineNumber,
           ztext(ZelkModuleName));
    zout_text("\n");
    zout("\n} /* End of Module '%s' */\n\n", ztext(ZelkModuleName));
    zout_text("\n");
    zout_text("\n");
    ZelkPrintLevel = 1;
}
