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
#include "translate/actions.h"
#include "translate/emit.h"

namespace {

// The left operand of a comparison, a logical operator or a conditional, as
// its trace record shows it.  A long left-grouped chain (a && b && c ...)
// would repeat its whole text at every operator and make the trace grow with
// the square of the chain, so a text beyond the design's 512-byte working
// size is cut there and marked "...".
std::string left_text(const zelksymrec *rec) {
    std::string text = zval(rec);
    if (text.size() > 512) text = text.substr(0, 512) + "...";
    return text;
}

}  // namespace

void tr_exp_literal(zelksymrec *lit, const char *token_name) {
    ztrace("\n=>  %s   $1(name,value,type)=('%s','%s',%d)  \n", token_name, zname(lit), zval(lit),
           ztype(lit));
    zelk_setval(lit, lit->name);
}

void tr_exp_variable(zelksymrec *var) {
    ztrace("\n=>  TK_VAR   $1(name,value,type)=('%s','%s',%d)  \n", zname(var), zval(var), ztype(var));
    // Output arguments of the analog function being defined are pointers.
    bool pointer = false;
    if (ZelkAnalogFuncOn) {
        int arg = zelk_find_function_arg(ZelkNbAnalogFunc - 1, var->name);
        pointer = arg >= 0 && zelk_current_function()->FuncArg[arg].isptr;
    }
    if (pointer)
        zelk_setval(var, zfmt("*%s", var->name).c_str());
    else
        zelk_setval(var, var->name);
    var->type = TK_VAR;
}

void tr_exp_conditional(zelksymrec *cond, zelksymrec *then_value, zelksymrec *else_value) {
    ztrace("DEbug :***  exp   'IF'   LineNumber:%d     $1:%ld:'%s''%s' type:%d(Var:%d)  "
           "$3:%ld:'%s' '%s' type:%d(Var:%d)  $5:%ld:'%s' '%s' type:%d(Var:%d)  \n",
           ZelkCurLineNumber, zid(cond), zname(cond), left_text(cond).c_str(), ztype(cond), TK_VAR,
           zid(then_value), zname(then_value), zval(then_value), ztype(then_value), TK_VAR,
           zid(else_value), zname(else_value), zval(else_value), ztype(else_value), TK_VAR);
    zelk_appendval(cond, "?");
    zelk_appendval(cond, ztext(then_value->val));
    zelk_appendval(cond, ":");
    zelk_appendval(cond, ztext(else_value->val));
    cond->type = TK_NEW_EXEC;
}

void tr_exp_relation(zelksymrec *left, const char *op, zelksymrec *right) {
    ztrace("DEbug :***  exp   '%s'   LineNumber:%d     $1:%ld:'%s''%s' type:%d(Var:%d)  "
           "$3:%ld:'%s' '%s' type:%d(Var:%d)  \n",
           op, ZelkCurLineNumber, zid(left), zname(left), left_text(left).c_str(), ztype(left),
           TK_VAR, zid(right), zname(right), zval(right), ztype(right), TK_VAR);
    zelk_appendval(left, op);
    zelk_appendval(left, ztext(right->val));
    // "&&" keeps the kind of its left operand; the others are compounds.
    if (op[0] != '&') left->type = TK_NEW_EXEC;
}

void tr_exp_arithmetic(zelksymrec *left, const char *op, zelksymrec *right) {
    // The left operand's text is not repeated here: in a long chain
    // (a+b+c+...) it would make the trace grow with the square of its length.
    ztrace("\n=>  '%s'  $1:%ld='%s' $3='%s',%s' \n", op, zid(left), zname(left), zname(right),
           zval(right));
    zelk_appendval(left, op);
    zelk_appendval(left, ztext(right->val));
    left->type = TK_NEW_EXEC;
}

zelksymrec *tr_exp_negation(zelksymrec *before, zelksymrec *operand) {
    ztrace("\n=> OP:'NEG'   $2:%ld='%s',%s',t:%d   $$:%ld='%s',%s',t:%d \n", zid(operand),
           zname(operand), zval(operand), ztype(operand), zid(before), zname(before), zval(before),
           ztype(before));
    zelk_setval(operand, zfmt("-%s", ztext(operand->val)).c_str());
    operand->type = TK_NEW_EXEC;
    ztrace("=> OP:'NEG'    $$:%ld:'%s','%s' $2:%ld::'%s','%s')\n", zid(operand), zname(operand),
           zval(operand), zid(operand), zname(operand), zval(operand));
    return operand;
}

void tr_exp_power(zelksymrec *base, zelksymrec *exponent) {
    ztrace("\n=>  '^'  $1='%s',%s' $3='%s',%s' \n", zname(base), zval(base), zname(exponent),
           zval(exponent));
    zelk_setval(base, zfmt("pow(%s,%s)", ztext(base->val), ztext(exponent->val)).c_str());
    base->type = TK_POW;
}

zelksymrec *tr_exp_parenthesis(zelksymrec *inner) {
    ztrace("\n=>  '(...)'  $2:%ld='%s',%s',t:%d \n", zid(inner), zname(inner), zval(inner),
           ztype(inner));
    // A variable-kind text that reads as a number stays bare.
    bool bare = inner->type == TK_VAR && (zelkIsInteg(inner->val) || zelkIsFloat(inner->val));
    if (!bare) zelk_setval(inner, zfmt("(%s)", ztext(inner->val)).c_str());
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
           zval(right));
    zelk_appendval(left, op);
    zelk_appendval(left, ztext(right->val));
}

zelksymrec *tr_iexp_negation(zelksymrec *operand) {
    ztrace("\n=> iexp OP:'NEG'   $2:%ld='%s',%s',t:%d \n", zid(operand), zname(operand),
           zval(operand), ztype(operand));
    zelk_setval(operand, zfmt("-%s", ztext(operand->val)).c_str());
    return operand;
}

zelksymrec *tr_iexp_parenthesis(zelksymrec *inner) {
    ztrace("\n=>  iexp '(...)'  $2:%ld='%s',%s',t:%d \n", zid(inner), zname(inner), zval(inner),
           ztype(inner));
    zelk_setval(inner, zfmt("(%s)", ztext(inner->val)).c_str());
    return inner;
}
