// Port declarations (input, output, inout) and the electrical declaration.
// At module level only "electrical" records anything; inside an analog
// function the port statements declare the function's arguments.
#include <string>

#include "base/diagnostics.h"
#include "base/trace.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/declarations/collisions.h"
#include "translate/emit.h"
#include "translate/names.h"

namespace {

const char *port_word(ZelkPortKind kind) {
    switch (kind) {
        case ZELK_INPUT: return "input";
        case ZELK_OUTPUT: return "output";
        default: return "inout";
    }
}

}  // namespace

void tr_module_port(ZelkPortKind kind, zelksymrec *list) {
    static const char *const traces[] = {
        "Debug:***  START   INPUT  declare   LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' type:%d \n",
        "Debug:***  START   OUTPUT  declare   LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' type:%d \n",
        "Debug:***  START   INOUT  declare   LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' type:%d \n",
    };
    ztrace(traces[kind], ZelkCurLineNumber, list->nbarg, list->id, list->name, ztext(list->val),
           list->type);
    ZelkPrintLevel = 1;
    // Every module port is an inout signal; the ports come from the header.
    switch (kind) {
        case ZELK_INPUT:
            zelk_warning("!! Warning : Module Input signal are considered as equivalent to Module "
                         "Inout signal .\n");
            break;
        case ZELK_OUTPUT:
            zelk_warning("!! Warning : Module Output signal are considered as equivalent to Module "
                         "Inout signal .\n");
            break;
        case ZELK_INOUT:
            zelk_warning("!! Warning : all module external signal are all by default considered as "
                         "Inout signal .\n");
            break;
    }
}

void tr_module_electrical(zelksymrec *list) {
    ztrace("Debug:***  START   ELECTRICAL   declare   LineNumber:%d   NbArg:%d    $2:%ld '%s','%s' "
           "type:%d \n",
           ZelkCurLineNumber, list->nbarg, list->id, list->name, ztext(list->val), list->type);
    ZelkPrintLevel = 1;
    for (const std::string &name : zelk_split_names(list->val)) zelk_add_name(ZK_ELECTR, name.c_str());
    zelk_check_declared_names(ZK_ELECTR, ztext(list->val));
}

void tr_port_statement_open(ZelkPortKind kind) {
    static const char *const traces[] = {
        "Debug:***  START   INPUT   declare   LineNumber:%d  \n",
        "Debug:***  START   OUTPUT  declare   LineNumber:%d  \n",
        "Debug:***  START   INOUT  declare   LineNumber:%d  \n",
    };
    ztrace(traces[kind], ZelkCurLineNumber);
    ZelkPrintLevel = 1;
}

void tr_port_statement(ZelkPortKind kind, zelksymrec *list) {
    static const char *const traces[] = {
        "Debug:***  END   INPUT  declare   LineNumber:%d   NbArg:%d    $3:%ld '%s','%s' type:%d \n",
        "Debug:***  END   OUTPUT  declare   LineNumber:%d   NbArg:%d    $3:%ld '%s','%s' type:%d \n",
        "Debug:***  END   INOUT  declare   LineNumber:%d   NbArg:%d    $3:%ld '%s','%s' type:%d \n",
    };
    ztrace(traces[kind], ZelkCurLineNumber, list->nbarg, list->id, list->name, ztext(list->val),
           list->type);
    if (kind == ZELK_INPUT) ZelkPrintLevel = 1;
    zout("/* %s %s */\n", port_word(kind), ztext(list->val));
    if (ZelkAnalogFuncOn != 1) {
        zelk_error("!! Error found in line number:%d : '%s' declare  should be outside of Analog "
                   "block ?? .\n",
                   ZelkCurLineNumber, port_word(kind));
        return;
    }
    for (const std::string &name : zelk_split_names(list->val))
        zelk_add_function_arg(name.c_str(), kind != ZELK_INPUT);
}
