/* The grammar of the accepted Verilog-A dialect.
 *
 * Translation happens in the actions, in the order the parser reduces: there
 * is no syntax tree.  Each action calls one function of the subsystem that
 * owns the construct (translate/...).  The productions, the places of the
 * mid-rule actions and the precedence are exactly what fixes the output order
 * and the line numbers of "#line" markers: the parser reads a look-ahead token
 * only in states that need one, so do not add productions, reorder
 * alternatives or change the parser tables' settings without checking the
 * generated output. */

%code requires {
#include "symbols/symtab.h"
}

%code top {
#include <cstdio>
#include "grammar/parser.h"
/* The parser's own messages go through the translator's wording. */
#define YY_(Msgid) zelk_parser_message(Msgid)
}

%{
#include "scanner/scanner.h"
#include "translate/actions.h"

/* The kind codes that records carry are the token numbers. */
#define ZELK_SAME_NUMBER(tk) \
    static_assert(int{tk} == int{ZELK_TOKEN_##tk}, #tk " is not its token's number");
ZELK_SAME_NUMBER(TK_NEW_EXEC) ZELK_SAME_NUMBER(TK_POW) ZELK_SAME_NUMBER(TK_INTEG)
ZELK_SAME_NUMBER(TK_FLOAT) ZELK_SAME_NUMBER(TK_VAR) ZELK_SAME_NUMBER(TK_FNCT)
ZELK_SAME_NUMBER(TK_ANALFUNC) ZELK_SAME_NUMBER(TK_ENDLINE) ZELK_SAME_NUMBER(TK_STRING)
ZELK_SAME_NUMBER(TK_V) ZELK_SAME_NUMBER(TK_I) ZELK_SAME_NUMBER(TK_BRANCH)
ZELK_SAME_NUMBER(TK_INCLUDESTR) ZELK_SAME_NUMBER(TK_INCLUDE) ZELK_SAME_NUMBER(TK_DEFINE)
ZELK_SAME_NUMBER(TK_IFDEF) ZELK_SAME_NUMBER(TK_ENDIF) ZELK_SAME_NUMBER(TK_ELSEDEF)
ZELK_SAME_NUMBER(TK_MODULE) ZELK_SAME_NUMBER(TK_ENDMODULE) ZELK_SAME_NUMBER(TK_COMMENT)
ZELK_SAME_NUMBER(TK_BEGIN) ZELK_SAME_NUMBER(TK_END) ZELK_SAME_NUMBER(TK_ANALOG)
ZELK_SAME_NUMBER(TK_ENDFUNC) ZELK_SAME_NUMBER(TK_INPUT) ZELK_SAME_NUMBER(TK_OUTPUT)
ZELK_SAME_NUMBER(TK_INOUT) ZELK_SAME_NUMBER(TK_ELECTRICAL) ZELK_SAME_NUMBER(TK_REAL)
ZELK_SAME_NUMBER(TK_NAMEINT) ZELK_SAME_NUMBER(TK_GENVAR) ZELK_SAME_NUMBER(TK_IF)
ZELK_SAME_NUMBER(TK_ELSE) ZELK_SAME_NUMBER(TK_MODEL) ZELK_SAME_NUMBER(TK_DEVICE)
ZELK_SAME_NUMBER(TK_PARAMETER) ZELK_SAME_NUMBER(TK_FOR) ZELK_SAME_NUMBER(TK_CASE)
ZELK_SAME_NUMBER(TK_WHILE) ZELK_SAME_NUMBER(TK_REPEAT) ZELK_SAME_NUMBER(TK_ENDCASE)
ZELK_SAME_NUMBER(TK_DEFAULT) ZELK_SAME_NUMBER(TK_FROM) ZELK_SAME_NUMBER(TK_EXCLUDE)
ZELK_SAME_NUMBER(TK_ASSIGN) ZELK_SAME_NUMBER(TK_NE) ZELK_SAME_NUMBER(TK_EQU)
ZELK_SAME_NUMBER(TK_AND) ZELK_SAME_NUMBER(TK_OR) ZELK_SAME_NUMBER(TK_LT)
ZELK_SAME_NUMBER(TK_GT) ZELK_SAME_NUMBER(TK_LE) ZELK_SAME_NUMBER(TK_GE) ZELK_SAME_NUMBER(NEG)

/* The parser asks for each token through zelk_next_token (grammar/parser.h),
 * which shows the symbol table the parser's value stack: between two tokens
 * it holds every record that the actions can still use, and the table frees
 * the others.  yyvs and yyvsp are the bottom and the top of that stack in
 * the parser generator's skeleton. */
#define yylex() zelk_next_token(yyvs, yyvsp)
#define yyerror(msg) zelkyyerror(msg)
/* A syntax error raised by an action, reported like one the parser finds
 * (unless it is still recovering from the last one). */
#define ZELK_SYNTAX_ERROR                  \
    do {                                   \
        if (!yyerrstatus) {                \
            ++yynerrs;                     \
            yyerror(YY_("syntax error"));  \
        }                                  \
        YYERROR;                           \
    } while (0)
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000
%}

%define api.value.type {zelksymrec *}
/* The code uses the token numbers under their own names (symbols/kinds.h);
 * the generated ones are prefixed so that the two sets never meet. */
%define api.token.prefix {ZELK_TOKEN_}

/* Token numbers are part of the data model: symbol records carry them as
 * kind codes and the trace prints them. */
%token TK_NEW_EXEC 258
%token TK_POW 259
%token TK_INTEG 260
%token TK_FLOAT 261
%token TK_VAR 262
%token TK_FNCT 263
%token TK_ANALFUNC 264
%token TK_ENDLINE 265
%token TK_STRING 266
%token TK_V 267
%token TK_I 268
%token TK_BRANCH 269
%token TK_INCLUDESTR 270
%token TK_INCLUDE 271
%token TK_DEFINE 272
%token TK_IFDEF 273
%token TK_ENDIF 274
%token TK_ELSEDEF 275
%token TK_MODULE 276
%token TK_ENDMODULE 277
%token TK_COMMENT 278
%token TK_BEGIN 279
%token TK_END 280
%token TK_ANALOG 281
%token TK_ENDFUNC 282
%token TK_INPUT 283
%token TK_OUTPUT 284
%token TK_INOUT 285
%token TK_ELECTRICAL 286
%token TK_REAL 287
%token TK_NAMEINT 288
%token TK_GENVAR 289
%token TK_IF 290
%token TK_ELSE 291
%token TK_MODEL 292
%token TK_DEVICE 293
%token TK_PARAMETER 294
%token TK_FOR 295
%token TK_CASE 296
%token TK_WHILE 297
%token TK_REPEAT 298
%token TK_ENDCASE 299
%token TK_DEFAULT 300
%token TK_FROM 301
%token TK_EXCLUDE 302
%token TK_ASSIGN 303
%token TK_NE 304
%token TK_EQU 305
%token TK_AND 306
%token TK_OR 307
%token TK_LT 308
%token TK_GT 309
%token TK_LE 310
%token TK_GE 311
%token NEG 312

/* Lowest first. */
%left '?' ':'
%left TK_NE TK_EQU TK_AND TK_OR TK_LT TK_GT TK_LE TK_GE
%left '+' '-'
%left '*' '/'
%precedence NEG
%right TK_POW

/* The grammar's conflicts, pinned by the build (cmake/run_bison.cmake fails
 * when bison reports other numbers; the parser generator's %expect cannot
 * pin reduce/reduce conflicts of a deterministic parser):
 *   expected conflicts: 5 shift/reduce, 6 reduce/reduce
 * The shift/reduce ones are resolved by shifting: an else belongs to the
 * nearest unfinished if (1), and comment lines after a statement belong to
 * that statement (4).  The reduce/reduce ones are the six tokens that can
 * begin both a statement and a case label (a name, V(, I(, a call, a
 * back-quote): after "labels :" they are taken as the start of the item's
 * statement (the earlier rule wins); see case_labels_only below. */

%start vafile

%%

vafile
    : %empty
    | vafile valine
    ;

varlists
    : TK_VAR                                            { tr_varlists_first($1); }
    | varlists ',' TK_VAR                               { tr_varlists_next($1, $3); }
    ;

valine
    : TK_NEW_EXEC
    | TK_COMMENT                                        { tr_comment_top(); }
    | TK_INCLUDE TK_INCLUDESTR                          { tr_include(); }
    | TK_IFDEF TK_VAR                                   { tr_ifdef($2); }
    | TK_ELSEDEF                                        { tr_elsedef(); }
    | TK_ENDIF                                          { tr_endif(); }
    | TK_DEFINE TK_VAR                                  { tr_define_plain($2); }
          restof_def_var_lines                          { tr_define_end($2); }
    | TK_DEFINE TK_FNCT varlists ')'                    { tr_define_with_params($2, $3); }
          restof_def_var_lines                          { tr_define_end($2); }
    | TK_DEFINE TK_ANALFUNC varlists ')'                { tr_define_with_params($2, $3); }
          restof_def_var_lines                          { tr_define_end($2); }
    | TK_MODULE TK_ANALFUNC varlists ')' TK_NEW_EXEC    { tr_module_header($2, $3); }
          modlines                                      { tr_module_items_end($2); }
          TK_ANALOG                                     { if (!tr_analog_block()) YYABORT; }
          nlinexp                                       { tr_analog_statement_end($11); }
          TK_ENDMODULE                                  { tr_module_end(); }
    | error TK_NEW_EXEC                                 { tr_error_line(ZELK_RECOVER_FILE); yyerrok; }
    ;

restof_def_var_lines
    : exp TK_ENDLINE                                    { tr_define_body_exp($1); }
    | NDEFlev_3_lines TK_ENDLINE                        { tr_define_body_statements($1); }
    ;

modline
    : TK_NEW_EXEC
    | TK_COMMENT                                        { tr_comment_module(); }
    | TK_ANALFUNC TK_REAL TK_VAR TK_NEW_EXEC            { tr_function_open($3, 0); }
          nlinexps TK_ENDFUNC                           { if (!tr_function_close()) YYABORT; }
    | TK_ANALFUNC TK_NAMEINT TK_VAR TK_NEW_EXEC         { tr_function_open($3, 1); }
          nlinexps TK_ENDFUNC                           { if (!tr_function_close()) YYABORT; }
    | TK_INPUT varlists TK_NEW_EXEC                     { tr_module_port(ZELK_INPUT, $2); }
    | TK_OUTPUT varlists TK_NEW_EXEC                    { tr_module_port(ZELK_OUTPUT, $2); }
    | TK_INOUT varlists TK_NEW_EXEC                     { tr_module_port(ZELK_INOUT, $2); }
    | TK_ELECTRICAL varlists TK_NEW_EXEC                { tr_module_electrical($2); }
    | TK_REAL varlists TK_NEW_EXEC                      { tr_module_variables(ZK_REAL, $2); }
    | TK_NAMEINT varlists TK_NEW_EXEC                   { tr_module_variables(ZK_INT, $2); }
    | TK_GENVAR varlists TK_NEW_EXEC                    { tr_module_variables(ZK_GENV, $2); }
    | TK_BRANCH branchs ')' TK_VAR TK_NEW_EXEC          { tr_branch_declaration($2, $4); }
    | TK_MODEL TK_PARAMETER TK_REAL TK_VAR '=' exp      { tr_parameter_open($4, $6, 0, 0); }
          fromrange TK_NEW_EXEC                         { tr_parameter_close($4, $6, 0); }
    | TK_DEVICE TK_PARAMETER TK_REAL TK_VAR '=' exp     { tr_parameter_open($4, $6, 1, 0); }
          fromrange TK_NEW_EXEC                         { tr_parameter_close($4, $6, 0); }
    | TK_MODEL TK_PARAMETER TK_NAMEINT TK_VAR '=' exp   { tr_parameter_open($4, $6, 0, 1); }
          fromrange TK_NEW_EXEC                         { tr_parameter_close($4, $6, 1); }
    | TK_DEVICE TK_PARAMETER TK_NAMEINT TK_VAR '=' exp  { tr_parameter_open($4, $6, 1, 1); }
          fromrange TK_NEW_EXEC                         { tr_parameter_close($4, $6, 1); }
    | error TK_NEW_EXEC                                 { tr_error_line(ZELK_RECOVER_ITEM); yyerrok; }
    ;

rangeclose
    : ']'
    | ')'
    ;

excludes
    : TK_EXCLUDE exp
    | TK_EXCLUDE exp ':' exp rangeclose
    | excludes TK_EXCLUDE exp
    | excludes TK_EXCLUDE exp ':' exp rangeclose
    ;

fromrange
    : %empty
    | TK_FROM exp ':' exp rangeclose                    { tr_parameter_range($2, $4, false); }
    | TK_FROM exp ':' exp rangeclose excludes           { tr_parameter_range($2, $4, true); }
    ;

modlines
    : modline
    | modlines modline
    ;

comments
    : TK_COMMENT                                        { tr_comment_statement(); }
    | comments TK_COMMENT                               { tr_comment_statement(); }
    ;

nlinexp
    : comments exec comments
    | comments exec
    | exec comments
    | exec
    ;

nlinexps
    : nlinexp
    | nlinexps nlinexp
    ;

exec
    : TK_INPUT                                          { tr_port_statement_open(ZELK_INPUT); }
          varlists TK_NEW_EXEC                          { tr_port_statement(ZELK_INPUT, $3); }
    | TK_OUTPUT                                         { tr_port_statement_open(ZELK_OUTPUT); }
          varlists TK_NEW_EXEC                          { tr_port_statement(ZELK_OUTPUT, $3); }
    | TK_INOUT                                          { tr_port_statement_open(ZELK_INOUT); }
          varlists TK_NEW_EXEC                          { tr_port_statement(ZELK_INOUT, $3); }
    | TK_REAL varlists TK_NEW_EXEC                      { tr_statement_variables(ZK_REAL, $2); }
    | TK_NAMEINT varlists TK_NEW_EXEC                   { tr_statement_variables(ZK_INT, $2); }
    | TK_GENVAR varlists TK_NEW_EXEC                    { tr_statement_variables(ZK_GENV, $2); }
    | linexp TK_NEW_EXEC                                { tr_simple_statement($1); }
    | TK_BEGIN ':' TK_VAR                               { tr_named_block_open($3); }
          nlinexps TK_END                               { tr_named_block_close($3, $5); }
    | TK_BEGIN                                          { tr_block_open(); }
          nlinexps TK_END                               { tr_block_close($3); }
    | TK_IF exp ')'                                     { tr_if_open($2); }
          ifrest                                        { tr_if_close($2); }
    | TK_FOR                                            { tr_for_open(); }
          forlinexp TK_NEW_EXEC                         { tr_for_init($3); }
          exp TK_NEW_EXEC                               { tr_for_condition($6); }
          forlinexp ')'                                 { tr_for_step($9); }
          nlinexp                                       { tr_for_close(); }
    | TK_WHILE exp ')'                                  { tr_while_open($2); }
          nlinexp                                       { tr_while_close($2); }
    | TK_REPEAT iexp ')'                                { tr_repeat_open($2); }
          nlinexp                                       { tr_repeat_close($2); }
    | TK_CASE exp ')'                                   { tr_case_open($2); }
          case_lines                                    { tr_case_items_end($2); }
          TK_ENDCASE                                    { tr_case_close($2); }
    | error TK_NEW_EXEC                                 { tr_error_line(ZELK_RECOVER_STMT); yyerrok; }
    ;

forlinexp
    : TK_VAR '=' exp                                    { tr_for_assignment($1, $3); }
    ;

case_lines
    : case_line
    | case_lines case_line
    ;

case_line
    : parcases ':'                                      { tr_case_item_open($1); }
          nlinexp                                       { tr_case_item_close($1); }
    | parcases ':'                                      {
                                                          /* Only a default item may follow labels
                                                           * that have no statement of their own. */
                                                          if (yychar != TK_DEFAULT) ZELK_SYNTAX_ERROR;
                                                          tr_case_labels_only($1);
                                                        }
    | TK_DEFAULT ':'                                    { tr_case_default_open(); }
          nlinexp                                       { tr_case_default_close(); }
    ;

parcases
    : exp                                               {
                                                          if (tr_is_default_word($1)) ZELK_SYNTAX_ERROR;
                                                          tr_case_label_first($1);
                                                        }
    | parcases ',' exp                                  {
                                                          if (tr_is_default_word($3)) ZELK_SYNTAX_ERROR;
                                                          tr_case_label_next($1, $3);
                                                        }
    ;

ifrest
    : nlinexp TK_ELSE                                   { tr_else_open($1); }
          nlinexp                                       { tr_if_else_end($1, $4); }
    | nlinexp                                           { tr_if_then_end($1); }
    ;

NDEFlev_3_lines
    : nlinexp
    | '(' NDEFlev_3_lines ')'                           { $$ = tr_define_paren_statements($2); }
    | NDEFlev_3_lines nlinexp
    ;

params
    : exp                                               { tr_params_first($1); }
    | params ',' exp                                    { tr_params_next($1, $3); }
    ;

branchs
    : TK_VAR                                            { tr_branchs_one($1); }
    | TK_VAR ',' TK_VAR                                 { tr_branchs_two($1, $3); }
    ;

linexp
    : TK_VAR '=' exp                                    { tr_assignment($1, $3); }
    | TK_V branchs ')' TK_ASSIGN exp                    { tr_contribution($1, $2, $5); }
    | TK_I branchs ')' TK_ASSIGN exp                    { tr_contribution($1, $2, $5); }
    | TK_FNCT params ')'                                { tr_builtin_call_statement($1, $2); }
    | TK_ANALFUNC params ')'                            { tr_function_call_statement($1, $2); }
    | '`' TK_VAR                                        { $$ = tr_macro_statement($2); }
    | '`' TK_ANALFUNC params ')'                        { $$ = tr_macro_call_statement($2, $3); }
    ;

exp
    : TK_INTEG                                          { tr_exp_literal($1, "TK_INTEG"); }
    | TK_FLOAT                                          { tr_exp_literal($1, "TK_FLOAT"); }
    | TK_STRING                                         { tr_exp_literal($1, "TK_STRING"); }
    | TK_VAR                                            { tr_exp_variable($1); }
    | exp '?' exp ':' exp                               { tr_exp_conditional($1, $3, $5); }
    | TK_V branchs ')'                                  { tr_exp_probe($1, $2); }
    | TK_I branchs ')'                                  { tr_exp_probe($1, $2); }
    | TK_FNCT params ')'                                { tr_exp_builtin_call($1, $2); }
    | TK_ANALFUNC params ')'                            { tr_exp_function_call($1, $2); }
    | '`' TK_VAR                                        { $$ = tr_exp_macro($2); }
    | '`' TK_FNCT params ')'                            { $$ = tr_exp_macro_call($2, $3, TK_FNCT); }
    | '`' TK_ANALFUNC params ')'                        { $$ = tr_exp_macro_call($2, $3, TK_ANALFUNC); }
    | exp TK_NE exp                                     { tr_exp_relation($1, "!=", $3); }
    | exp TK_EQU exp                                    { tr_exp_relation($1, "==", $3); }
    | exp TK_AND exp                                    { tr_exp_relation($1, "&&", $3); }
    | exp TK_OR exp                                     { tr_exp_relation($1, "||", $3); }
    | exp TK_LT exp                                     { tr_exp_relation($1, "<", $3); }
    | exp TK_GT exp                                     { tr_exp_relation($1, ">", $3); }
    | exp TK_LE exp                                     { tr_exp_relation($1, "<=", $3); }
    | exp TK_GE exp                                     { tr_exp_relation($1, ">=", $3); }
    | exp '+' exp                                       { tr_exp_arithmetic($1, "+", $3); }
    | exp '-' exp                                       { tr_exp_arithmetic($1, "-", $3); }
    | exp '*' exp                                       { tr_exp_arithmetic($1, "*", $3); }
    | exp '/' exp                                       { tr_exp_arithmetic($1, "/", $3); }
    | '-' exp %prec NEG                                 { $$ = tr_exp_negation($1, $2); }
    | exp TK_POW exp                                    { tr_exp_power($1, $3); }
    | '(' exp ')'                                       { $$ = tr_exp_parenthesis($2); }
    ;

iexp
    : TK_INTEG                                          { tr_iexp_leaf($1, "TK_INTEG"); }
    | TK_VAR                                            { tr_iexp_leaf($1, "TK_VAR"); }
    | iexp '+' iexp                                     { tr_iexp_arithmetic($1, "+", $3); }
    | iexp '-' iexp                                     { tr_iexp_arithmetic($1, "-", $3); }
    | iexp '*' iexp                                     { tr_iexp_arithmetic($1, "*", $3); }
    | iexp '/' iexp                                     { tr_iexp_arithmetic($1, "/", $3); }
    | '-' iexp %prec NEG                                { $$ = tr_iexp_negation($2); }
    | '(' iexp ')'                                      { $$ = tr_iexp_parenthesis($2); }
    ;

%%
