#include "translate/calls_common.h"

#include "base/diagnostics.h"
#include "symbols/lists.h"
#include "symbols/state.h"

namespace {

void report_missing(const char *name, const char *args_text) {
    if (args_text)
        zelk_error("!! Error: '%s' not existing ?? :  near '%s(%s)' in line number:%d .\n", name, name,
                   args_text, ZelkCurLineNumber);
    else
        zelk_error("!! Error: '%s' not existing ?? :  near '`%s' in line number:%d .\n", name, name,
                   ZelkCurLineNumber);
}

void report_count(const char *name, int given, int wanted, const char *args_text) {
    if (args_text)
        zelk_error("!! Error: '%s' Invalid Arg number:%d (not %d):  near '%s(%s)' in line "
                   "number:%d .\n",
                   name, given, wanted, name, args_text, ZelkCurLineNumber);
    else
        zelk_error("!! Error: '%s' Invalid Arg number:%d (not %d):  near '`%s' in line "
                   "number:%d .\n",
                   name, given, wanted, name, ZelkCurLineNumber);
}

// Writes argument number `position` (from 1), the last one with the
// closing parenthesis.
void end_argument(std::string &out, int func, const char *name, const char *args_text,
                  int position, const std::string &arg, bool last) {
    const ZelkAnalFuncRec &f = ZelkFunclist[func];
    if (position > f.FuncNbArg) {
        zelk_error("!! Internal Error: '%s' Invalid Arg number:%d (not %d):  near '%s(%s)' in line "
                   "number:%d .\n",
                   name, position, f.FuncNbArg, name, args_text, ZelkCurLineNumber);
    }
    bool pointer = position <= f.FuncNbArg && f.FuncArg[position - 1].isptr;
    out += pointer ? " &(" : " ";
    out += arg;
    if (pointer) out += ")";
    out += last ? ")" : ",";
}

}  // namespace

int zelk_check_call(bool macro, const char *name, int nbarg, const char *args_text,
                    bool count_checked) {
    if (ZelkDefineOn) return -1;
    int index = macro ? zelk_find_macro(name) : zelk_find_function(name);
    if (index < 0) {
        report_missing(name, args_text);
        return -1;
    }
    int wanted = macro ? ZelkMaclist[index].MacNbArg : ZelkFunclist[index].FuncNbArg;
    if (count_checked && nbarg != wanted) report_count(name, nbarg, wanted, args_text);
    return index;
}

void zelk_convert_call_arguments(std::string &out, int func, const char *name,
                                 const char *args_text) {
    int depth = 0;
    int position = 0;
    std::string arg;
    for (const char *p = args_text; *p; ++p) {
        char c = *p;
        if (c == '(') {
            ++depth;
            arg += c;
        } else if (c == ',' && depth == 0) {
            end_argument(out, func, name, args_text, ++position, arg, false);
            arg.clear();
        } else if (p[1] == '\0') {
            arg += c;
            end_argument(out, func, name, args_text, ++position, arg, true);
            break;
        } else if (c == ')') {
            --depth;
            arg += c;
        } else {
            arg += c;
        }
    }
}
