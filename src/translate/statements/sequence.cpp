// Statement lines and blocks: the simple-statement action that writes every
// assignment, contribution and call, begin ... end blocks, and the statement
// bodies of text macros.
#include <cstring>

#include "base/trace.h"
#include "symbols/kinds.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/emit.h"
#include "translate/module/functions.h"

void tr_simple_statement(zelksymrec *statement) {
    ztrace_parts("Debug:*** NEW_EXEC (linexp):  START   LineNumber:", ZelkCurLineNumber, "   n:",
                 zname_part(statement), "  v:", zval_part(statement), " type:", ztype(statement),
                 "(V:", zdigits<TK_VAR>.text, ",F:", zdigits<TK_FNCT>.text, ", AF:", zdigits<TK_ANALFUNC>.text, ")  \n");
    zout_line_marker();
    zelk_write_pending_function_header();
    zout_line_break();
    switch (statement->type) {
        case TK_VAR: {
            const ZelkAnalFuncRec *f = zelk_current_function();
            // Assigning to the function's own name returns from it.
            if (ZelkAnalogFuncOn == 1 && f && std::strcmp(statement->name, f->name) == 0)
                zout_parts(zout_indent(), "return ( ", zval_part(statement), " ) ; ");
            else
                zout_parts(zout_indent(), zname_part(statement), "=", zval_part(statement), " ; ");
            break;
        }
        case TK_FNCT:
            zout_parts(zout_indent(), zval_part(statement), "; ");
            if (std::strcmp(zname(statement), "strobe") == 0) {
                zout_line_break();
                zout_parts(zout_indent(), "printf(\"\\n\");");
            }
            break;
        case TK_ANALFUNC:
            // A macro instance carries its own semicolons.
            if (zelk_find_macro(statement->name) >= 0)
                zout_parts(zout_indent(), zval_part(statement), " ");
            else
                zout_parts(zout_indent(), zval_part(statement), "; ");
            break;
        default:
            zout_parts(zout_indent(), zval_part(statement), "; ");
            break;
    }
}

void tr_named_block_open(zelksymrec *name) {
    ztrace("Debug:***  START  BEGIN  END  LineNumber:%d  \n", ZelkCurLineNumber);
    ++ZelkBeginBlockOn;
    zelk_write_pending_function_header(true);
    zout_line_break();
    zout("%*c{ /* Begin */ ", ZelkPrintLevel, ' ');
    (void)name;
}

void tr_named_block_close(zelksymrec *name, zelksymrec *body) {
    ztrace("Debug:***  STOP BEGIN  END :LEV 0: nlinexps  LineNumber:%d   $3:%ld  '%s'='%s'  \n",
           ZelkCurLineNumber, zid(name), zname(name), zval(name));
    zout_line_break();
    --ZelkBeginBlockOn;
    zout("%*c} /* End of Begin */", ZelkPrintLevel, ' ');
    (void)body;
}

void tr_block_open() {
    ztrace_parts("Debug:***  START  BEGIN  END  LineNumber:", ZelkCurLineNumber, "  \n");
    zelk_write_pending_function_header();
    zout_line_break();
    zout_parts(zout_indent(), "{ /* Begin */");
}

void tr_block_close(zelksymrec *body) {
    ztrace_parts("Debug:***  STOP BEGIN  END :LEV 0: nlinexps  LineNumber:", ZelkCurLineNumber,
                 "   $3:", zid_part(body), "  '", zname_part(body), "'='", zval_part(body), "'  \n");
    zout_line_break();
    zout_parts(zout_indent(), "} /* End of Begin */ ");
}

void tr_error_line(ZelkRecovery level) {
    ztrace("Debug:***  ERROR RECOVERY (%d)  LineNumber:%d  \n", static_cast<int>(level),
           ZelkCurLineNumber);
}

zelksymrec *tr_define_paren_statements(zelksymrec *inner) {
    ztrace("\n=>  '(...)'  $2='%s'  \n", zval(inner));
    return inner;
}
