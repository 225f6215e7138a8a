// Variable declarations: real, integer and genvar, at module level (file
// scope C variables) and as statements (analog function arguments and
// locals, or declarations local to a named block).
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/trace.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/declarations/collisions.h"
#include "translate/emit.h"
#include "translate/module/functions.h"
#include "translate/names.h"

namespace {

void trace_declaration(const char *fmt, const zelksymrec *list) {
    ztrace(fmt, ZelkCurLineNumber, list->nbarg, list->id, list->name, ztext(list->val), list->type);
}

}  // namespace

void tr_module_variables(ZelkVarKind kind, zelksymrec *list) {
    static const char *const traces[] = {
        "Debug:***  START   REAL   declare (1)  LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' "
        "type:%d \n",
        "Debug:***  START   INTEGER   declare   LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' "
        "type:%d \n",
        "Debug:***  START   GENERIC INTEGER   declare   LineNumber:%d   NbArg:%d    "
        "$2:%ld:'%s','%s't:%d \n",
    };
    trace_declaration(traces[kind], list);
    ZelkPrintLevel = 1;

    ZelkNameKind name_kind = kind == ZELK_REAL ? ZK_REAL : kind == ZELK_INTEGER ? ZK_INT : ZK_GENV;
    for (const std::string &name : zelk_split_names(list->val)) zelk_add_name(name_kind, name.c_str());

    zout_line_marker();
    zout_line_break();
    // One C declaration declares all the names of the list.
    zout(kind == ZELK_REAL ? "%*cDoubleRec  %s ;" : "%*cint  %s ;", ZelkPrintLevel, ' ',
         ztext(list->val));

    if (ZelkDefineOn == 1) return;
    zelk_check_declared_names(name_kind, ztext(list->val));
}

void tr_statement_variables(ZelkVarKind kind, zelksymrec *list) {
    static const char *const traces[] = {
        "Debug:***  START   REAL   declare (2)  LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' "
        "type:%d \n",
        "Debug:***  START   INTEGER   declare   LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' "
        "type:%d \n",
        "Debug:***  START   GENERIC INTEGER   declare   LineNumber:%d   NbArg:%d    $2:%ld "
        "'%s','%s' type:%d \n",
    };
    trace_declaration(traces[kind], list);
    // A real statement resets the indentation only inside a function.
    if (kind != ZELK_REAL) ZelkPrintLevel = 1;

    const char *text = ztext(list->val);
    switch (kind) {
        case ZELK_REAL: zout("\n/* real %s */", text); break;
        case ZELK_INTEGER: zout("/* integer %s */\n", text); break;
        case ZELK_GENVAR: zout("/* genvar %s */\n", text); break;
    }

    bool in_function = ZelkAnalogFuncOn == 1;
    bool misplaced = kind == ZELK_REAL ? !in_function && ZelkBeginBlockOn < 1 : !in_function;
    if (misplaced) {
        static const char *const words[] = {"real", "integer", "genvar"};
        zelk_error("!! Error found in line number:%d : '%s' declare  should be outside of Analog "
                   "block ?? .\n",
                   ZelkCurLineNumber, words[kind]);
    }

    if (!in_function) {
        // Inside a named block of the analog block, reals and integers become
        // declarations local to the block.
        if (ZelkBeginBlockOn >= 1 && kind == ZELK_REAL) {
            ztrace("Debug:***  START   REAL   declare : LineNumber:%d   $2:'%s','%s'   pbuf:'%s'  "
                   "NbAnalogFunc:%d  \n",
                   ZelkCurLineNumber, list->name, text, "", ZelkNbAnalogFunc);
            zout_line_break();
            zout("%*cDoubleRec %s ;", ZelkPrintLevel, ' ', text);
        } else if (ZelkBeginBlockOn >= 1 && kind == ZELK_INTEGER) {
            ztrace("Debug:***  START INTEG:2     declare : LineNumber:%d   $2:'%s','%s'   pbuf:'%s'  "
                   "NbAnalogFunc:%d  \n",
                   ZelkCurLineNumber, list->name, text, "", ZelkNbAnalogFunc);
            zout_line_break();
            zout("%*cint       %s ;", ZelkPrintLevel, ' ', text);
        }
        return;
    }

    // Inside an analog function: type the arguments, collect the locals.
    int func = ZelkNbAnalogFunc - 1;
    ZelkAnalFuncRec &f = ZelkFunclist[func];
    if (kind == ZELK_REAL) ZelkPrintLevel = 1;
    bool declare_in_block = ZelkAnalogFuncStart == 0 && zelk_function_header_was_early() &&
                            ZelkBeginBlockOn >= 1 && kind != ZELK_GENVAR;
    std::string block_locals;
    std::vector<std::string> names = zelk_split_names(list->val);
    for (size_t i = 0; i < names.size(); ++i) {
        const char *name = names[i].c_str();
        if (kind == ZELK_GENVAR) {
            zelk_add_function_local(true, name);
            continue;
        }
        int arg = zelk_find_function_arg(func, name);
        if (arg >= 0) {
            f.FuncArg[arg].type = kind == ZELK_INTEGER ? 1 : 0;
        } else {
            zelk_add_function_local(kind == ZELK_INTEGER, name);
            if (!block_locals.empty()) block_locals += ",";
            block_locals += name;
        }
        if (kind == ZELK_REAL)
            ztrace("Debug:***  START   REAL   declare : loop %d:   LineNumber:%d   $2:'%s','%s'   "
                   "pbuf:'%s'  NbAnalogFunc:%d  \n",
                   i + 1 < names.size() ? 1 : 2, ZelkCurLineNumber, list->name, text, name,
                   ZelkNbAnalogFunc);
    }
    // The header was written before this block was read (the body began
    // with a named block or a control statement): declare the block's
    // locals in the block, as the analog block does.
    if (declare_in_block && !block_locals.empty()) {
        zout_line_break();
        zout(kind == ZELK_REAL ? "%*cDoubleRec %s ;" : "%*cint       %s ;", ZelkPrintLevel, ' ',
             block_locals.c_str());
    }
}
