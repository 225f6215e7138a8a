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

// Tables below are by variable kind: real, integer, genvar.
int by_kind(ZelkNameKind kind) { return kind - ZK_REAL; }

void trace_declaration(const char *fmt, const zelksymrec *list) {
    ztrace(fmt, ZelkCurLineNumber, list->nbarg, list->id, list->name, ztext(list->val), list->type);
}

// Declarations are statements only inside analog functions; reals may also
// stand in named blocks of the analog block.
void check_placement(ZelkNameKind kind) {
    bool allowed = ZelkAnalogFuncOn == 1 || (kind == ZK_REAL && ZelkBeginBlockOn >= 1);
    if (allowed) return;
    static const char *const words[] = {"real", "integer", "genvar"};
    zelk_error("!! Error found in line number:%d : '%s' declare  should be outside of Analog "
               "block ?? .\n",
               ZelkCurLineNumber, words[by_kind(kind)]);
}

// Inside a named block of the analog block, reals and integers become
// declarations local to the block.
void declare_in_analog_block(ZelkNameKind kind, const zelksymrec *list) {
    if (ZelkBeginBlockOn < 1 || kind == ZK_GENV) return;
    const char *text = ztext(list->val);
    ztrace(kind == ZK_REAL ? "Debug:***  START   REAL   declare : LineNumber:%d   $2:'%s','%s'   "
                             "pbuf:'%s'  NbAnalogFunc:%d  \n"
                           : "Debug:***  START INTEG:2     declare : LineNumber:%d   $2:'%s','%s'   "
                             "pbuf:'%s'  NbAnalogFunc:%d  \n",
           ZelkCurLineNumber, list->name, text, "", ZelkNbAnalogFunc);
    zout_line_break();
    zout(kind == ZK_REAL ? "%*cDoubleRec %s ;" : "%*cint       %s ;", ZelkPrintLevel, ' ', text);
}

// Inside an analog function: names already declared as arguments get their
// type, the others become locals of the function.  Returns the list text of
// the new real or integer locals.
std::string declare_in_function(ZelkNameKind kind, const zelksymrec *list) {
    int func = ZelkNbAnalogFunc - 1;
    ZelkAnalFuncRec &f = ZelkFunclist[func];
    std::string locals;
    std::vector<std::string> names = zelk_split_names(list->val);
    for (size_t i = 0; i < names.size(); ++i) {
        const char *name = names[i].c_str();
        if (kind == ZK_GENV) {
            zelk_add_function_local(true, name);
            continue;
        }
        int arg = zelk_find_function_arg(func, name);
        if (arg >= 0) {
            f.FuncArg[arg].type = kind == ZK_INT ? 1 : 0;
        } else {
            zelk_add_function_local(kind == ZK_INT, name);
            if (!locals.empty()) locals += ",";
            locals += name;
        }
        if (kind == ZK_REAL)
            ztrace("Debug:***  START   REAL   declare : loop %d:   LineNumber:%d   $2:'%s','%s'   "
                   "pbuf:'%s'  NbAnalogFunc:%d  \n",
                   i + 1 < names.size() ? 1 : 2, ZelkCurLineNumber, list->name, ztext(list->val),
                   name, ZelkNbAnalogFunc);
    }
    return locals;
}

}  // namespace

void tr_module_variables(ZelkNameKind kind, zelksymrec *list) {
    static const char *const traces[] = {
        "Debug:***  START   REAL   declare (1)  LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' "
        "type:%d \n",
        "Debug:***  START   INTEGER   declare   LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' "
        "type:%d \n",
        "Debug:***  START   GENERIC INTEGER   declare   LineNumber:%d   NbArg:%d    "
        "$2:%ld:'%s','%s't:%d \n",
    };
    trace_declaration(traces[by_kind(kind)], list);
    ZelkPrintLevel = 1;
    for (const std::string &name : zelk_split_names(list->val)) zelk_add_name(kind, name.c_str());

    zout_line_marker();
    zout_line_break();
    // One C declaration declares all the names of the list.
    zout(kind == ZK_REAL ? "%*cDoubleRec  %s ;" : "%*cint  %s ;", ZelkPrintLevel, ' ',
         ztext(list->val));

    if (ZelkDefineOn == 1) return;
    zelk_check_declared_names(kind, ztext(list->val));
}

void tr_statement_variables(ZelkNameKind kind, zelksymrec *list) {
    static const char *const traces[] = {
        "Debug:***  START   REAL   declare (2)  LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' "
        "type:%d \n",
        "Debug:***  START   INTEGER   declare   LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' "
        "type:%d \n",
        "Debug:***  START   GENERIC INTEGER   declare   LineNumber:%d   NbArg:%d    $2:%ld "
        "'%s','%s' type:%d \n",
    };
    static const char *const comments[] = {"\n/* real %s */", "/* integer %s */\n",
                                           "/* genvar %s */\n"};
    trace_declaration(traces[by_kind(kind)], list);
    // A real statement resets the indentation only inside a function.
    if (kind != ZK_REAL) ZelkPrintLevel = 1;
    zout(comments[by_kind(kind)], ztext(list->val));
    check_placement(kind);

    if (ZelkAnalogFuncOn != 1) {
        declare_in_analog_block(kind, list);
        return;
    }
    if (kind == ZK_REAL) ZelkPrintLevel = 1;
    std::string locals = declare_in_function(kind, list);
    // The header was written before this block was read (the body began
    // with a named block or a control statement): declare the block's
    // locals in the block, as the analog block does.
    if (ZelkAnalogFuncStart == 0 && zelk_function_header_was_early() && ZelkBeginBlockOn >= 1 &&
        !locals.empty()) {
        zout_line_break();
        zout(kind == ZK_REAL ? "%*cDoubleRec %s ;" : "%*cint       %s ;", ZelkPrintLevel, ' ',
             locals.c_str());
    }
}
