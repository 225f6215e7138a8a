#include "translate/calls_common.h"

#include "base/diagnostics.h"
#include "base/text.h"
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

// Whether argument number `position` (from 1) is passed by address; an
// argument beyond the function's count is reported.
bool pointer_argument(int func, const char *name, const char *args_text, int position) {
    const ZelkAnalFuncRec &f = ZelkFunclist[func];
    if (position > f.FuncNbArg) {
        zelk_error("!! Internal Error: '%s' Invalid Arg number:%d (not %d):  near '%s(%s)' in line "
                   "number:%d .\n",
                   name, position, f.FuncNbArg, name, args_text, ZelkCurLineNumber);
    }
    return position <= f.FuncNbArg && f.FuncArg[position - 1].isptr;
}

// Writes argument number `position`, the last one with the closing
// parenthesis.
void end_argument(std::string &out, int func, const char *name, const char *args_text,
                  int position, const std::string &arg, bool last) {
    bool pointer = pointer_argument(func, name, args_text, position);
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

void zelk_call_argument_pieces(std::vector<ZelkPiece> &pieces, std::string &storage, int func,
                               const char *name, zelksymrec *args) {
    const char *args_text = ztext(args->val);
    // When the list knows its arguments, they are passed as they stand:
    // reading the text again at every level of nested calls would cost the
    // square of the nesting.
    std::vector<ZelkPiece> each;
    if (zelk_argument_pieces(args, each)) {
        for (size_t i = 0; i < each.size(); ++i) {
            bool last = i + 1 == each.size();
            bool pointer = pointer_argument(func, name, args_text, static_cast<int>(i) + 1);
            pieces.push_back(zelk_piece(pointer ? " &(" : " "));
            pieces.push_back(each[i]);
            pieces.push_back(zelk_piece(pointer ? (last ? "))" : "),") : (last ? ")" : ",")));
        }
        return;
    }
    int depth = 0;
    int position = 0;
    std::string arg;
    for (const char *p = args_text; *p; ++p) {
        char c = *p;
        if (c == '(') {
            ++depth;
            arg += c;
        } else if (c == ',' && depth == 0) {
            end_argument(storage, func, name, args_text, ++position, arg, false);
            arg.clear();
        } else if (p[1] == '\0') {
            arg += c;
            end_argument(storage, func, name, args_text, ++position, arg, true);
            break;
        } else if (c == ')') {
            --depth;
            arg += c;
        } else {
            arg += c;
        }
    }
    pieces.push_back(zelk_piece(storage.data(), storage.size()));
}

void zelk_function_call_text(zelksymrec *call, zelksymrec *args, const char *opening,
                             bool count_checked) {
    const char *name = call->name;
    int func = zelk_check_call(false, name, args->nbarg, ztext(args->val), count_checked);
    std::vector<ZelkPiece> pieces = {zelk_piece(name), zelk_piece(opening)};
    std::string storage;
    if (func >= 0) {
        zelk_call_argument_pieces(pieces, storage, func, name, args);
    } else {
        pieces.push_back(zelk_piece_taken(args));
        pieces.push_back(zelk_piece(")"));
    }
    zelk_joinval(call, pieces);
}
