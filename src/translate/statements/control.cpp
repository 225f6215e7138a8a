// Control flow: if / else, for, while, repeat and case.  Each compound
// statement writes its opening text before its body is read and raises the
// indentation by 3; its end lowers it again.
//
// A case statement becomes an if / else-if chain that compares the selector
// with every label.  The selector texts of open case statements are kept on
// a stack of 32 entries.  Three forms have no direct C counterpart; this is
// what they become:
//  - Labels without a statement of their own directly before `default`
//    share the default's statement.  Since default takes every value that no
//    earlier item took, their condition is written as usual and completed
//    with "||1)": the chain stays valid C and the statement runs for them.
//  - `default` as the first (or only) item is written "if (1)", so that its
//    statement runs unconditionally.
//  - An item after `default`, or a second default, is reported as an error:
//    the chain cannot express it.
//  - A 33rd nested case is reported as an error; its items then use the
//    innermost case that has room.
#include <cstring>

#include "base/diagnostics.h"
#include "base/trace.h"
#include "symbols/kinds.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/emit.h"
#include "translate/module/functions.h"
#include "translate/reset.h"

namespace {

// States of an open case statement (ZelkCaseOn).
enum { CASE_NO_ITEM = 0, CASE_ITEM = 1, CASE_LABELS_ONLY = 2, CASE_DEFAULT = 3 };

// Case statements opened beyond the stack's room, still open.
int g_case_overflow = 0;

int top() { return ZelkNbCaseExp > 0 ? ZelkNbCaseExp - 1 : 0; }

const char *selector() { return ZelkCaseExp[top()] ? ZelkCaseExp[top()] : ""; }

void open_statement() {
    zout_line_marker();
    zelk_write_pending_function_header(true);
    zout_line_break();
}

void report_item_after_default() {
    zelk_error("!! Error: case item after 'default' (default must be the last item) in line "
               "number:%d .\n",
               ZelkCurLineNumber);
}

// The opening of a labelled item's condition, by the chain's state.
void open_item_condition(zelksymrec *labels) {
    int &state = ZelkCaseOn[top()];
    if (state == CASE_DEFAULT) report_item_after_default();
    zout_line_break();
    if (state == CASE_NO_ITEM)
        zout("%*cif (", ZelkPrintLevel, ' ');
    else
        zout("%*c  else if (", ZelkPrintLevel, ' ');
    zout("%s", zval(labels));
}

// Labels whose value text is still empty stand for their names.
void label_text(zelksymrec *label) {
    if (!label->val) zelk_setval(label, label->name);
}

}  // namespace

void tr_if_open(zelksymrec *cond) {
    ztrace_parts("Debug:***  START   IF (EXP) exp ;    LineNumber:", ZelkCurLineNumber, "  $2:'",
                 zname_part(cond), "':'", zval_part(cond), ",type:", ztype(cond), "  \n");
    open_statement();
    zout_parts(zout_indent(), "if (", zval_part(cond), ") ");
    ZelkPrintLevel += 3;
}

void tr_else_open(zelksymrec *then_part) {
    ztrace_parts("Debug:***  START   ELSE    LineNumber:", ZelkCurLineNumber, "  $1:",
                 zid_part(then_part), "  \n");
    zout_line_break();
    ZelkPrintLevel -= 1;
    zout_parts(zout_indent(), "else ");
    ZelkPrintLevel += 1;
}

void tr_if_else_end(zelksymrec *then_part, zelksymrec *else_part) {
    ztrace_parts("Debug:***  END   IF ELSE    LineNumber:", ZelkCurLineNumber, "  $1:",
                 zid_part(then_part), "  $4:", zid_part(else_part), "  \n");
}

void tr_if_then_end(zelksymrec *then_part) {
    ztrace_parts("Debug:***  END   IF THEN    LineNumber:", ZelkCurLineNumber, "  $1:",
                 zid_part(then_part), "  \n");
}

void tr_if_close(zelksymrec *cond) {
    ztrace_parts("Debug:***  END   IF (EXP)    LineNumber:", ZelkCurLineNumber, "  $2:'",
                 zval_part(cond), "'  \n");
    ZelkPrintLevel -= 3;
}

void tr_for_open() {
    ztrace_parts("Debug:***  START   FOR    LineNumber:", ZelkCurLineNumber, "  \n");
    open_statement();
    zout_parts(zout_indent(), "for( ");
    ZelkPrintLevel += 3;
}

void tr_for_init(zelksymrec *assignment) {
    ztrace_parts("Debug:***  FOR  INIT    LineNumber:", ZelkCurLineNumber, "  $3:'",
                 zname_part(assignment), "','", zval_part(assignment), "'  \n");
    zout_parts(zname_part(assignment), "=", zval_part(assignment), " ; ");
}

void tr_for_condition(zelksymrec *cond) {
    ztrace_parts("Debug:***  FOR  CONDITION    LineNumber:", ZelkCurLineNumber, "  $6:'",
                 zname_part(cond), "','", zval_part(cond), "'  \n");
    zout_parts(zval_part(cond), "; ");
}

void tr_for_step(zelksymrec *assignment) {
    ztrace_parts("Debug:***  FOR  STEP    LineNumber:", ZelkCurLineNumber, "  $9:'",
                 zname_part(assignment), "','", zval_part(assignment), "'  \n");
    zout_parts(zname_part(assignment), "=", zval_part(assignment), " )");
}

void tr_for_close() {
    ztrace_parts("Debug:***  END   FOR    LineNumber:", ZelkCurLineNumber, "  \n");
    ZelkPrintLevel -= 3;
}

void tr_while_open(zelksymrec *cond) {
    ztrace("Debug:***  START   WHILE (EXP)    LineNumber:%d  $2:'%s':'%s',type:%d  \n",
           ZelkCurLineNumber, zname(cond), zval(cond), ztype(cond));
    open_statement();
    zout("%*cwhile(%s) ", ZelkPrintLevel, ' ', zval(cond));
    ZelkPrintLevel += 3;
}

void tr_while_close(zelksymrec *cond) {
    ztrace("Debug:***  END   WHILE    LineNumber:%d  $2:'%s'  \n", ZelkCurLineNumber, zval(cond));
    ZelkPrintLevel -= 3;
}

void tr_repeat_open(zelksymrec *count) {
    ztrace("Debug:***  START   REPEAT (IEXP)    LineNumber:%d  $2:'%s':'%s',type:%d  \n",
           ZelkCurLineNumber, zname(count), zval(count), ztype(count));
    open_statement();
    // Each repeat opens its own C block, so nested repeats have their own
    // counter.
    zout("%*c{", ZelkPrintLevel, ' ');
    zout_line_break();
    zout("%*cint _zelkirepeat;", ZelkPrintLevel, ' ');
    zout_line_break();
    zout("%*c_zelkirepeat = %s ;", ZelkPrintLevel, ' ', zval(count));
    zout_line_break();
    zout("%*cwhile(_zelkirepeat--) ", ZelkPrintLevel, ' ');
    ZelkPrintLevel += 3;
}

void tr_repeat_close(zelksymrec *count) {
    ztrace("Debug:***  END   REPEAT    LineNumber:%d  $2:'%s'  \n", ZelkCurLineNumber, zval(count));
    zout_line_break();
    ZelkPrintLevel -= 3;
    zout("%*c}", ZelkPrintLevel, ' ');
}

void tr_case_open(zelksymrec *sel) {
    ztrace("Debug:***  START   CASE (EXP)    LineNumber:%d  $2:'%s':'%s',type:%d  \n",
           ZelkCurLineNumber, zname(sel), zval(sel), ztype(sel));
    zout_line_marker();
    zelk_write_pending_function_header(true);
    if (ZelkNbCaseExp >= ZELK_CASE_DEPTH) {
        zelk_error("!! Error: Too many nested case statements (more than %d) in line number:%d .\n",
                   ZELK_CASE_DEPTH, ZelkCurLineNumber);
        ++g_case_overflow;
        return;
    }
    ++ZelkNbCaseExp;
    std::free(ZelkCaseExp[top()]);
    ZelkCaseExp[top()] = zelk_strdup(zval(sel));
    ZelkCaseOn[top()] = CASE_NO_ITEM;
}

void tr_case_items_end(zelksymrec *sel) {
    ztrace("Debug:***  CASE ITEMS END    LineNumber:%d  $2:'%s'  \n", ZelkCurLineNumber, zval(sel));
}

void tr_case_close(zelksymrec *sel) {
    ztrace("Debug:***  END   CASE    LineNumber:%d  $2:'%s'  \n", ZelkCurLineNumber, zval(sel));
    if (g_case_overflow > 0) {
        --g_case_overflow;
        return;
    }
    std::free(ZelkCaseExp[top()]);
    ZelkCaseExp[top()] = nullptr;
    if (ZelkNbCaseExp > 0) --ZelkNbCaseExp;
}

void tr_case_item_open(zelksymrec *labels) {
    ztrace("Debug:***  START   CASE ITEM    LineNumber:%d  $1:'%s'  state:%d  \n", ZelkCurLineNumber,
           zval(labels), ZelkCaseOn[top()]);
    open_item_condition(labels);
    ZelkPrintLevel += 3;
    zout_text(")");
    ZelkCaseOn[top()] = CASE_ITEM;
}

void tr_case_item_close(zelksymrec *labels) {
    ztrace("Debug:***  END   CASE ITEM    LineNumber:%d  $1:'%s'  \n", ZelkCurLineNumber, zval(labels));
    ZelkPrintLevel -= 3;
}

void tr_case_labels_only(zelksymrec *labels) {
    ztrace("Debug:***  CASE LABELS WITHOUT STATEMENT    LineNumber:%d  $1:'%s'  state:%d  \n",
           ZelkCurLineNumber, zval(labels), ZelkCaseOn[top()]);
    open_item_condition(labels);
    ZelkCaseOn[top()] = CASE_LABELS_ONLY;
}

void tr_case_default_open() {
    int &state = ZelkCaseOn[top()];
    switch (state) {
        case CASE_LABELS_ONLY:
            zout_text("||1)");
            break;
        case CASE_NO_ITEM:
            zout_line_break();
            zout("%*cif (1)", ZelkPrintLevel, ' ');
            break;
        case CASE_DEFAULT:
            report_item_after_default();
            zout_line_break();
            zout("%*c  else", ZelkPrintLevel, ' ');
            break;
        default:
            zout_line_break();
            zout("%*c  else", ZelkPrintLevel, ' ');
            break;
    }
    ZelkPrintLevel += 3;
    state = CASE_DEFAULT;
}

void tr_case_default_close() {
    ztrace("Debug:***  END   CASE DEFAULT    LineNumber:%d  \n", ZelkCurLineNumber);
    ZelkPrintLevel -= 3;
}

bool tr_is_default_word(const zelksymrec *label) {
    // Decided by the name: the text of an output argument of the analog
    // function being defined reads "*default".  A label that is more than
    // the bare variable ("default && x" keeps the variable's kind) has a
    // longer text and does not count.
    if (!label || label->type != TK_VAR || !label->name || !label->val) return false;
    if (std::strcmp(label->name, "default") != 0) return false;
    return std::strcmp(label->val, "default") == 0 || std::strcmp(label->val, "*default") == 0;
}

void tr_case_label_first(zelksymrec *label) {
    ztrace("DEbug :***  parcases     $1:'%s','%s', typ:%d(Var:%d)\n", zname(label), zval(label),
           ztype(label), TK_VAR);
    label_text(label);
    zelk_setval(label, zfmt("(%s==%s)", selector(), label->val).c_str());
}

void tr_case_label_next(zelksymrec *labels, zelksymrec *label) {
    // The condition built so far is not repeated: over a long label list it
    // would make the trace grow with the square of its length.
    ztrace("DEbug :***  parcases  ,   $1:%ld:'%s'  $3:'%s','%s', typ:%d(Var:%d)\n", zid(labels),
           zname(labels), zname(label), zval(label), ztype(label), TK_VAR);
    label_text(label);
    zelk_appendval(labels, "||");
    zelk_appendval(labels, zfmt("(%s==%s)", selector(), label->val).c_str());
}

void zelk_control_reset() { g_case_overflow = 0; }
