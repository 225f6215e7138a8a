// The parser's actions, one function per action point of the grammar, grouped
// by the subsystem folder that implements them.  Arguments are the symbol
// records of the production's symbols; a production's value is its first
// symbol's record unless the function returns another one.
#pragma once

#include "symbols/lists.h"  // ZelkNameKind
#include "symbols/symtab.h"

enum ZelkPortKind { ZELK_INPUT, ZELK_OUTPUT, ZELK_INOUT };

// translate/module/module.cpp: name lists, module frame, analog block.
void tr_varlists_first(zelksymrec *list);
void tr_varlists_next(zelksymrec *list, zelksymrec *name);
void tr_module_header(zelksymrec *name, zelksymrec *ports);
void tr_module_items_end(zelksymrec *name);
bool tr_analog_block();  // false: a parameter check stops the translation
void tr_analog_statement_end(zelksymrec *statement);
void tr_module_end();

// translate/module/directives.cpp: comments, directives, text macros.
void tr_comment_top();
void tr_comment_module();
void tr_comment_statement();
void tr_include();
void tr_ifdef(zelksymrec *name);
void tr_elsedef();
void tr_endif();
void tr_define_plain(zelksymrec *name);
void tr_define_with_params(zelksymrec *name, zelksymrec *params);
void tr_define_body_exp(zelksymrec *body);
void tr_define_body_statements(zelksymrec *body);
void tr_define_end(zelksymrec *name);

// translate/module/functions.cpp: analog functions.
void tr_function_open(zelksymrec *name, int integer);
bool tr_function_close();  // false: a parameter check stops the translation

// translate/declarations/ports.cpp
void tr_module_port(ZelkPortKind kind, zelksymrec *list);
void tr_module_electrical(zelksymrec *list);
void tr_port_statement_open(ZelkPortKind kind);
void tr_port_statement(ZelkPortKind kind, zelksymrec *list);

// translate/declarations/variables.cpp
// `kind`: ZK_REAL, ZK_INT or ZK_GENV.
void tr_module_variables(ZelkNameKind kind, zelksymrec *list);
void tr_statement_variables(ZelkNameKind kind, zelksymrec *list);

// translate/declarations/parameters.cpp
void tr_parameter_open(zelksymrec *name, zelksymrec *value, int isdevice, int integer);
void tr_parameter_close(zelksymrec *name, zelksymrec *value, int integer);
void tr_parameter_range(zelksymrec *low, zelksymrec *high, bool excludes);

// translate/declarations/branches.cpp
void tr_branch_declaration(zelksymrec *nodes, zelksymrec *name);

// translate/statements/sequence.cpp: statement lines and blocks.
void tr_simple_statement(zelksymrec *statement);
void tr_named_block_open(zelksymrec *name);
void tr_named_block_close(zelksymrec *name, zelksymrec *body);
void tr_block_open();
void tr_block_close(zelksymrec *body);
// Where the parser recovers from a syntax error, skipping to the next ";":
// at a top-level line of the file, at a module item, at a statement.  The
// trace shows the number of the recovery rule.
enum ZelkRecovery { ZELK_RECOVER_FILE = 23, ZELK_RECOVER_ITEM = 48, ZELK_RECOVER_STMT = 96 };
void tr_error_line(ZelkRecovery level);
zelksymrec *tr_define_paren_statements(zelksymrec *inner);

// translate/statements/control.cpp: if, for, while, repeat, case.
void tr_if_open(zelksymrec *cond);
void tr_if_close(zelksymrec *cond);
void tr_else_open(zelksymrec *then_part);
void tr_if_else_end(zelksymrec *then_part, zelksymrec *else_part);
void tr_if_then_end(zelksymrec *then_part);
void tr_for_open();
void tr_for_init(zelksymrec *assignment);
void tr_for_condition(zelksymrec *cond);
void tr_for_step(zelksymrec *assignment);
void tr_for_close();
void tr_while_open(zelksymrec *cond);
void tr_while_close(zelksymrec *cond);
void tr_repeat_open(zelksymrec *count);
void tr_repeat_close(zelksymrec *count);
void tr_case_open(zelksymrec *selector);
void tr_case_items_end(zelksymrec *selector);
void tr_case_close(zelksymrec *selector);
void tr_case_item_open(zelksymrec *labels);
void tr_case_item_close(zelksymrec *labels);
void tr_case_labels_only(zelksymrec *labels);
void tr_case_default_open();
void tr_case_default_close();
// "default" is a keyword only with its delimiter: written "default:", it
// reads as a name and must not pass as a case label.
bool tr_is_default_word(const zelksymrec *label);
void tr_case_label_first(zelksymrec *label);
void tr_case_label_next(zelksymrec *labels, zelksymrec *label);

// translate/statements/assign.cpp: assignments, contributions, node lists.
void tr_branchs_one(zelksymrec *node);
void tr_branchs_two(zelksymrec *first, zelksymrec *second);
void tr_assignment(zelksymrec *target, zelksymrec *value);
void tr_for_assignment(zelksymrec *target, zelksymrec *value);
void tr_contribution(zelksymrec *probe, zelksymrec *nodes, zelksymrec *value);

// translate/statements/calls.cpp: argument lists and call statements.
void tr_params_first(zelksymrec *arg);
void tr_params_next(zelksymrec *list, zelksymrec *arg);
void tr_builtin_call_statement(zelksymrec *call, zelksymrec *args);
void tr_function_call_statement(zelksymrec *call, zelksymrec *args);
zelksymrec *tr_macro_statement(zelksymrec *name);
zelksymrec *tr_macro_call_statement(zelksymrec *name, zelksymrec *args);

// translate/expressions/operators.cpp: literals, variables, operators.
void tr_exp_literal(zelksymrec *lit, const char *token_name);
void tr_exp_variable(zelksymrec *var);
void tr_exp_conditional(zelksymrec *cond, zelksymrec *then_value, zelksymrec *else_value);
void tr_exp_relation(zelksymrec *left, const char *op, zelksymrec *right);
void tr_exp_arithmetic(zelksymrec *left, const char *op, zelksymrec *right);
// `before` is the production's value before the action: the record the
// scanner left in the slot of the "-", which carries no value of its own.
zelksymrec *tr_exp_negation(zelksymrec *before, zelksymrec *operand);
void tr_exp_power(zelksymrec *base, zelksymrec *exponent);
zelksymrec *tr_exp_parenthesis(zelksymrec *inner);
void tr_iexp_leaf(zelksymrec *leaf, const char *token_name);
void tr_iexp_arithmetic(zelksymrec *left, const char *op, zelksymrec *right);
zelksymrec *tr_iexp_negation(zelksymrec *operand);
zelksymrec *tr_iexp_parenthesis(zelksymrec *inner);

// translate/expressions/calls.cpp: probes and calls inside expressions.
void tr_exp_probe(zelksymrec *probe, zelksymrec *nodes);
void tr_exp_builtin_call(zelksymrec *call, zelksymrec *args);
void tr_exp_function_call(zelksymrec *call, zelksymrec *args);
zelksymrec *tr_exp_macro(zelksymrec *name);
zelksymrec *tr_exp_macro_call(zelksymrec *name, zelksymrec *args, int form);
