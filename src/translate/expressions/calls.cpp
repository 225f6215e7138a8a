// Probes and calls inside expressions: V(...) and I(...), built-in
// functions (checked against the built-in table's argument counts), analog
// functions and text macro instances.
#include <cstring>

#include "base/diagnostics.h"
#include "base/trace.h"
#include "symbols/kinds.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/calls_common.h"
#include "translate/emit.h"

namespace {

// The argument count check of a built-in; `near_name` and `near_args` fill
// the message's near field.
void check_builtin_count(const struct szelkinit &row, const char *name, int given,
                         const char *near_name, const char *near_args) {
    if (row.nbarg2 != 0 && given != row.nbarg1 && given != row.nbarg2)
        zelk_error("!! Error: '%s' Invalid Function arg number:%d (not %d,%d):  near '%s(%s)' in "
                   "line number:%d .\n",
                   name, given, row.nbarg1, row.nbarg2, near_name, near_args, ZelkCurLineNumber);
    else if (row.nbarg2 == 0 && given != row.nbarg1)
        zelk_error("!! Error: '%s' Invalid Function arg number:%d (not %d):  near '%s(%s)' in line "
                   "number:%d .\n",
                   name, given, row.nbarg1, near_name, near_args, ZelkCurLineNumber);
}

}  // namespace

void tr_exp_probe(zelksymrec *probe, zelksymrec *nodes) {
    bool flow = probe->type == TK_I;
    ztrace_parts("Debug :*** NO return   ", ZText{flow ? "TK_I" : "TK_V"}, "   START   LineNumber:",
                 ZelkCurLineNumber, "   $$=", zid_part(probe), ":'", zname_part(probe), "','",
                 zval_part(probe), "'t:", ztype(probe), "(TK_V:", zdigits<TK_V>.text, ")    $2=", zid_part(nodes), ":'",
                 zname_part(nodes), "','", zval_part(nodes), "'t:", ztype(nodes), "(TK_V:", zdigits<TK_V>.text,
                 ")   nbarg:", nodes->nbarg, " \n");
    const char *form = nodes->nbarg == 1 ? (flow ? "I(%s)" : "V(%s)") : (flow ? "I2(%s)" : "V2(%s)");
    zelk_setval(probe, zfmt(form, ztext(nodes->val)).c_str());
    probe->type = flow ? TK_I : TK_V;
}

void tr_exp_builtin_call(zelksymrec *call, zelksymrec *args) {
    ztrace_parts("Debug :***  TK_FNCT (exp) START   LineNumber:", ZelkCurLineNumber, "   $1:'",
                 zname_part(call), "','", zval_cut_part(call), "' t:", ztype(call), "(F:",
                 zdigits<TK_FNCT>.text, ",AF:", zdigits<TK_ANALFUNC>.text, ") na:", args->nbarg, "  $2:'", zname_part(args),
                 "','", zval_cut_part(args), "' t:", ztype(args), " \n");
    const struct szelkinit *row = zelk_find_builtin(call->name);
    const char *rname = row ? row->rname : zval(call);
    if (row) check_builtin_count(*row, call->name, args->nbarg, call->name, zname(args));
    // The call's record already holds the C name (from the scanner) and
    // then grows in place.
    bool holds_name = call->val && std::strcmp(call->val, rname) == 0;
    zelk_joinval(call, {holds_name ? zelk_piece_extended(call) : zelk_piece(rname), zelk_piece("("),
                        zelk_piece_taken(args), zelk_piece(")")});
    call->type = TK_FNCT;
}

void tr_exp_function_call(zelksymrec *call, zelksymrec *args) {
    ztrace("Debug :*** with return  (exp)  TK_ANALFUNC  START   LineNumber:%d     "
           "$1='%s','%s't:%d(Fnct:%d)    $2='%s','%s't:%d(Fnct:%d)  nbarg:%d \n",
           ZelkCurLineNumber, zname(call), zval_cut(call).c_str(), ztype(call), TK_FNCT,
           zname(args), zval_cut(args).c_str(), ztype(args), TK_FNCT, args->nbarg);
    // Inside expressions the argument count is compared only once the
    // analog block has begun: in the bodies of analog functions only the
    // callee's existence is checked, and the conversion still reports
    // surplus arguments.  Call statements compare it everywhere.  Both are
    // the translator's defined behaviour, pinned by the golden cases.
    zelk_function_call_text(call, args, "(", ZelkAnalogOn != 0);
    call->type = TK_ANALFUNC;
}

zelksymrec *tr_exp_macro(zelksymrec *name) {
    ztrace("Debug :*** with return MACRO (exp)  TK_VAR  START   LineNumber:%d     "
           "$2='%s','%s't:%d(V:%d)   \n",
           ZelkCurLineNumber, zname(name), zval(name), ztype(name), TK_VAR);
    // Used inside an expression, the form without arguments is checked for
    // existence only, with a message of its own.
    if (!ZelkDefineOn && zelk_find_macro(name->name) < 0)
        zelk_error("!! Error: '%s' not existing ?? :  in line number:%d .\n", name->name,
                   ZelkCurLineNumber);
    // The back-quote is dropped; the C preprocessor expands the macro.
    zelk_setval(name, zfmt(" %s", name->name).c_str());
    name->type = TK_NEW_EXEC;
    return name;
}

zelksymrec *tr_exp_macro_call(zelksymrec *name, zelksymrec *args, int form) {
    ZTraceText name_text = zval_cut(name), args_shown = zval_cut(args);
    if (form == TK_FNCT) {
        const char *fmt = "Debug :*** with return MACRO (exp)  TK_FNCT   START   LineNumber:%d     "
                          "$2='%s','%s't:%d(Fnct:%d)    $3='%s','%s't:%d(Fnct:%d)  nbarg:%d\n";
        ztrace(fmt, ZelkCurLineNumber, zname(name), name_text.c_str(), ztype(name), TK_FNCT,
               zname(args), args_shown.c_str(), ztype(args), TK_FNCT, args->nbarg);
        // This record also goes to standard output.
        std::printf(fmt, ZelkCurLineNumber, zname(name), name_text.c_str(), ztype(name), TK_FNCT,
                    zname(args), args_shown.c_str(), ztype(args), TK_FNCT, args->nbarg);
    } else {
        ztrace("Debug :*** with return MACRO  TK_ANALFUNC  START   LineNumber:%d     "
               "$2='%s','%s't:%d(Fnct:%d)    $3='%s','%s't:%d(Fnct:%d)  nbarg:%d \n",
               ZelkCurLineNumber, zname(name), name_text.c_str(), ztype(name), TK_FNCT,
               zname(args), args_shown.c_str(), ztype(args), TK_FNCT, args->nbarg);
    }
    const char *args_text = ztext(args->val);
    // A name that is no macro but a built-in is checked as the built-in.
    const struct szelkinit *row = zelk_find_builtin(name->name);
    if (!ZelkDefineOn && row && zelk_find_macro(name->name) < 0)
        check_builtin_count(*row, name->name, args->nbarg, name->name, args_text);
    else
        zelk_check_call(true, name->name, args->nbarg, args_text, true);
    // The source name, never a built-in's C name.
    zelk_joinval(name, {zelk_piece(name->name), zelk_piece("("), zelk_piece_taken(args),
                        zelk_piece(")")});
    name->type = form;
    return name;
}
