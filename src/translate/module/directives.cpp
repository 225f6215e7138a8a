// Line comments, the include / ifdef / else / endif directives and text
// macro definitions.  Conditional compilation and macro expansion are left
// to the C preprocessor: the translator passes the directives through.
#include <cstdio>

#include "base/trace.h"
#include "symbols/kinds.h"
#include "scanner/scanner.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/emit.h"

namespace {

// The comment token's text is "//" and the rest of its line; the action runs
// before any look-ahead, so yytext still holds it.
void write_comment() {
    ztrace("Debug:*** COMMENT   LineNumber:%d  '%s'  \n", ZelkCurLineNumber, yytext);
    zout("\n/* %s */", yyleng >= 2 ? yytext + 2 : "");
}

void directive_end() {
    ZelkPrintLevel = 1;
    zout_line_marker();
}

}  // namespace

void tr_comment_top() {
    ZelkPrintLevel = 1;
    write_comment();
}

void tr_comment_module() {
    ZelkPrintLevel = 1;
    write_comment();
}

void tr_comment_statement() { write_comment(); }

void tr_include() {
    ztrace("Debug:*** INCLUDE   LineNumber:%d  '%s'  \n", ZelkCurLineNumber, yytext);
    zout("\n#include %s \n", yytext);
    directive_end();
}

void tr_ifdef(zelksymrec *name) {
    ztrace("Debug:*** IFDEF   LineNumber:%d  $2:%ld:'%s'  \n", ZelkCurLineNumber, zid(name), yytext);
    zout("\n#ifdef %s \n", yytext);
    directive_end();
}

void tr_elsedef() {
    ztrace("Debug:*** ELSE DEF   LineNumber:%d  \n", ZelkCurLineNumber);
    zout_text("\n#else \n");
    directive_end();
}

void tr_endif() {
    ztrace("Debug:*** ENDIF   LineNumber:%d  \n", ZelkCurLineNumber);
    zout_text("\n#endif \n");
    directive_end();
}

void tr_define_plain(zelksymrec *name) {
    ztrace("Debug:*** define STR START   LineNumber:%d  $2:%ld:'%s' type:%d(Var:%d) \n",
           ZelkCurLineNumber, zid(name), zname(name), ztype(name), TK_VAR);
    zelk_add_macro(name->name, 0);
    zout("\n#define %s ", name->name);
    ZelkDefineOn = 1;
    ZelkPrintLevel = 1;
}

void tr_define_with_params(zelksymrec *name, zelksymrec *params) {
    ztrace("Debug:*** define FNCT START   LineNumber:%d  $2:%ld:'%s' type:%d(Var:%d)  $3:'%s' "
           "NbArg:%d \n",
           ZelkCurLineNumber, zid(name), zname(name), ztype(name), TK_VAR, zval(params),
           params->nbarg);
    zelk_add_macro(name->name, params->nbarg);
    zout("\n#define %s(%s) ", name->name, zval(params));
    ZelkDefineOn = 1;
    ZelkPrintLevel = 1;
}

void tr_define_body_exp(zelksymrec *body) {
    ztrace("Debug:*** define BODY EXP   LineNumber:%d  $1:%ld:'%s','%s' type:%d \n",
           ZelkCurLineNumber, zid(body), zname(body), zval(body), ztype(body));
    // An identifier record without value text stands for its name.
    zout("%s \n", body->val ? body->val : ztext(body->name));
    ZelkDefineOn = 0;
    ZelkPrintLevel = 1;
}

void tr_define_body_statements(zelksymrec *body) {
    ztrace("Debug:*** define BODY STATEMENTS   LineNumber:%d  $1:%ld \n", ZelkCurLineNumber,
           zid(body));
    ZelkDefineOn = 0;
    ZelkPrintLevel = 1;
}

void tr_define_end(zelksymrec *name) {
    ztrace("Debug:*** define END   LineNumber:%d  $2:'%s' \n", ZelkCurLineNumber, zname(name));
    ZelkPrintLevel = 1;
}
