// Expression translation: literals, variables and operators.  Each production
// combines the C text of its operands by a fixed template and stores the
// result in the record of its first operand (or, for productions that begin
// with a token without value, of the second symbol), with a kind code.
// Operators are written between the operand texts exactly as in the source:
// no blanks, no added parentheses; "^" becomes pow().
#include <string>

#include "base/trace.h"
#include "symbols/kinds.h"
#include "symbols/literals.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "symbols/values.h"
#include "translate/actions.h"
#include "translate/emit.h"

void tr_exp_literal(zelksymrec *lit, const char *token_name) {
    ztrace_parts("\n=>  ", ZText{token_name}, "   $1(name,value,type)=('", zname_part(lit), "','",
                 zval_part(lit), "',", ztype(lit), ")  \n");
    zelk_setval_n(lit, lit->name, lit->namelen);
}

void tr_exp_variable(zelksymrec *var) {
    ztrace_parts("\n=>  TK_VAR   $1(name,value,type)=('", zname_part(var), "','", zval_part(var),
                 "',", ztype(var), ")  \n");
    // Output arguments of the analog function being defined are pointers.
    bool pointer = false;
    if (ZelkAnalogFuncOn) {
        int arg = zelk_find_function_arg(ZelkNbAnalogFunc - 1, var->name);
        pointer = arg >= 0 && zelk_current_function()->FuncArg[arg].isptr;
    }
    if (pointer)
        zelk_setval(var, zfmt("*%s", var->name).c_str());
    else
        zelk_setval_n(var, var->name, var->namelen);
    var->type = TK_VAR;
}

void tr_exp_conditional(zelksymrec *cond, zelksymrec *then_value, zelksymrec *else_value) {
    ztrace("DEbug :***  exp   'IF'   LineNumber:%d     $1:%ld:'%s''%s' type:%d(Var:%d)  "
           "$3:%ld:'%s' '%s' type:%d(Var:%d)  $5:%ld:'%s' '%s' type:%d(Var:%d)  \n",
           ZelkCurLineNumber, zid(cond), zname(cond), zval_cut(cond).c_str(), ztype(cond), TK_VAR,
           zid(then_value), zname(then_value), zval_cut(then_value).c_str(), ztype(then_value),
           TK_VAR, zid(else_value), zname(else_value), zval_cut(else_value).c_str(),
           ztype(else_value), TK_VAR);
    zelk_joinval(cond, {zelk_piece_extended(cond), zelk_piece("?"), zelk_piece_taken(then_value),
                        zelk_piece(":"), zelk_piece_taken(else_value)});
    cond->type = TK_NEW_EXEC;
}

void tr_exp_relation(zelksymrec *left, const char *op, zelksymrec *right) {
    ztrace_parts("DEbug :***  exp   '", ZText{op}, "'   LineNumber:", ZelkCurLineNumber, "     $1:",
                 zid_part(left), ":'", zname_part(left), "''", zval_cut_part(left), "' type:",
                 ztype(left), "(Var:", zdigits<TK_VAR>.text, ")  $3:", zid_part(right), ":'", zname_part(right), "' '",
                 zval_cut_part(right), "' type:", ztype(right), "(Var:", zdigits<TK_VAR>.text, ")  \n");
    zelk_joinval(left, {zelk_piece_extended(left), zelk_piece(op), zelk_piece_taken(right)});
    // "&&" keeps the kind of its left operand; the others are compounds.
    if (op[0] != '&') left->type = TK_NEW_EXEC;
}

void tr_exp_arithmetic(zelksymrec *left, const char *op, zelksymrec *right) {
    // The left operand's text is not repeated here: in a long chain
    // (a+b+c+...) it would make the trace grow with the square of its length.
    ztrace_parts("\n=>  '", ZText{op}, "'  $1:", zid_part(left), "='", zname_part(left), "' $3='",
                 zname_part(right), "',", zval_cut_part(right), "' \n");
    zelk_joinval(left, {zelk_piece_extended(left), zelk_piece(op), zelk_piece_taken(right)});
    left->type = TK_NEW_EXEC;
}

zelksymrec *tr_exp_negation(zelksymrec *before, zelksymrec *operand) {
    ztrace_parts("\n=> OP:'NEG'   $2:", zid_part(operand), "='", zname_part(operand), "',",
                 zval_cut_part(operand), "',t:", ztype(operand), "   $$:", zid_part(before), "='",
                 zname_part(before), "',", zval_cut_part(before), "',t:", ztype(before), " \n");
    zelk_joinval(operand, {zelk_piece("-"), zelk_piece_of(operand)});
    operand->type = TK_NEW_EXEC;
    ztrace_parts("=> OP:'NEG'    $$:", zid_part(operand), ":'", zname_part(operand), "','",
                 zval_cut_part(operand), "' $2:", zid_part(operand), "::'", zname_part(operand), "','",
                 zval_cut_part(operand), "')\n");
    return operand;
}

void tr_exp_power(zelksymrec *base, zelksymrec *exponent) {
    ztrace("\n=>  '^'  $1='%s',%s' $3='%s',%s' \n", zname(base), zval_cut(base).c_str(),
           zname(exponent), zval_cut(exponent).c_str());
    zelk_joinval(base, {zelk_piece("pow("), zelk_piece_of(base), zelk_piece(","),
                        zelk_piece_taken(exponent), zelk_piece(")")});
    base->type = TK_POW;
}

zelksymrec *tr_exp_parenthesis(zelksymrec *inner) {
    ztrace_parts("\n=>  '(...)'  $2:", zid_part(inner), "='", zname_part(inner), "',",
                 zval_cut_part(inner), "',t:", ztype(inner), " \n");
    // A variable-kind text that reads as a number stays bare.
    bool bare = inner->type == TK_VAR && (zelkIsInteg(inner->val) || zelkIsFloat(inner->val));
    if (!bare) zelk_joinval(inner, {zelk_piece("("), zelk_piece_of(inner), zelk_piece(")")});
    inner->type = TK_NEW_EXEC;
    return inner;
}

// Repeat counts: integer literals and names only, same templates, and the
// kind of the leading leaf is kept.
void tr_iexp_leaf(zelksymrec *leaf, const char *token_name) {
    ztrace("\n=>  iexp %s   $1(name,value,type)=('%s','%s',%d)  \n", token_name, zname(leaf),
           zval(leaf), ztype(leaf));
    zelk_setval(leaf, leaf->name);
}

void tr_iexp_arithmetic(zelksymrec *left, const char *op, zelksymrec *right) {
    ztrace("\n=>  iexp '%s'  $1:%ld='%s' $3='%s',%s' \n", op, zid(left), zname(left), zname(right),
           zval_cut(right).c_str());
    zelk_joinval(left, {zelk_piece_extended(left), zelk_piece(op), zelk_piece_taken(right)});
}

zelksymrec *tr_iexp_negation(zelksymrec *operand) {
    ztrace("\n=> iexp OP:'NEG'   $2:%ld='%s',%s',t:%d \n", zid(operand), zname(operand),
           zval_cut(operand).c_str(), ztype(operand));
    zelk_joinval(operand, {zelk_piece("-"), zelk_piece_of(operand)});
    return operand;
}

zelksymrec *tr_iexp_parenthesis(zelksymrec *inner) {
    ztrace("\n=>  iexp '(...)'  $2:%ld='%s',%s',t:%d \n", zid(inner), zname(inner),
           zval_cut(inner).c_str(), ztype(inner));
    zelk_joinval(inner, {zelk_piece("("), zelk_piece_of(inner), zelk_piece(")")});
    return inner;
}
