// Argument lists, and calls used as statements: built-in functions and
// system tasks, analog functions, and text macro instances.

#include "base/diagnostics.h"
#include "base/trace.h"
#include "symbols/kinds.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/calls_common.h"
#include "translate/emit.h"

void tr_params_first(zelksymrec *arg) {
    arg->nbarg = 1;
    ztrace_parts("DEbug :***  params  $$:", zid_part(arg), "  $1:", zid_part(arg), "  NbArg:", arg->nbarg,
                 "  ARG[", arg->nbarg, "]:'", zval_cut_part(arg), "' ARG_typ:", ztype(arg),
                 "(Var:", zdigits<TK_VAR>.text, ")\n");
}

void tr_params_next(zelksymrec *list, zelksymrec *arg) {
    list->nbarg += 1;
    ztrace_parts("DEbug :***  params  $$:", zid_part(list), "  $3:", zid_part(arg), "  NbArg:", list->nbarg,
                 "  ARG[", list->nbarg, "]:'", zval_cut_part(arg), "' ARG_typ:", ztype(arg),
                 "(Var:", zdigits<TK_VAR>.text, ")\n");
    zelk_append_argument(list, arg);
}

void tr_builtin_call_statement(zelksymrec *call, zelksymrec *args) {
    ztrace("Debug :*** NO return   TK_FNCT  START   LineNumber:%d   $$:%ld  $1:%ld  $2:%ld   "
           "$1='%s','%s't:%d(Fnct:%d)    $2='%s','%s't:%d(V:%d)  nbarg:%d \n",
           ZelkCurLineNumber, zid(call), zid(call), zid(args), zname(call), zval(call), ztype(call),
           TK_FNCT, zname(args), zval(args), ztype(args), TK_VAR, args->nbarg);
    // The argument count is not checked for a call used as a statement.
    zelk_setval(call, zfmt("%s(%s)", zval(call), zval(args)).c_str());
    call->type = TK_FNCT;
}

void tr_function_call_statement(zelksymrec *call, zelksymrec *args) {
    ztrace("Debug :*** NO return   TK_ANALFUNC  START   LineNumber:%d   $$:%ld  $1:%ld  $2:%ld   "
           "$1='%s','%s't:%d(Fnct:%d)    $2='%s','%s't:%d(V:%d)  nbarg:%d \n",
           ZelkCurLineNumber, zid(call), zid(call), zid(args), zname(call), zval(call), ztype(call),
           TK_FNCT, zname(args), zval(args), ztype(args), TK_VAR, args->nbarg);
    // A call statement checks the argument count wherever it stands (see
    // tr_exp_function_call for calls inside expressions).
    zelk_function_call_text(call, args, "( ", true);
    call->type = TK_ANALFUNC;
}

zelksymrec *tr_macro_statement(zelksymrec *name) {
    ztrace("Debug :*** NO return MACRO  TK_VAR  START   LineNumber:%d     $2='%s','%s't:%d(V:%d)   \n",
           ZelkCurLineNumber, zname(name), zval(name), ztype(name), TK_VAR);
    // A macro with parameters used without them is reported too.
    zelk_check_call(true, name->name, 0, nullptr, true);
    // Written as the name alone: the C preprocessor expands it.
    zelksymrec *rec = zelkputsym(name->name, TK_ANALFUNC);
    zelk_setval(rec, name->name);
    return rec;
}

zelksymrec *tr_macro_call_statement(zelksymrec *name, zelksymrec *args) {
    ztrace("Debug :*** NO return MACRO  TK_ANALFUNC  START   LineNumber:%d     "
           "$2='%s','%s't:%d(Fnct:%d)    $3='%s','%s't:%d(Fnct:%d)  nbarg:%d \n",
           ZelkCurLineNumber, zname(name), zval(name), ztype(name), TK_FNCT, zname(args), zval(args),
           ztype(args), TK_FNCT, args->nbarg);
    const char *args_text = ztext(args->val);
    zelk_check_call(true, name->name, args->nbarg, args_text, true);
    zelksymrec *rec = zelkputsym(name->name, TK_ANALFUNC);
    zelk_setval(rec, zfmt("%s(%s)", name->name, args_text).c_str());
    rec->type = TK_ANALFUNC;
    return rec;
}
