// The scanner's entry points beyond yylex.
#pragma once

#include <cstdio>

extern char *yytext;
extern int yyleng;
int yylex();
extern "C" int yywrap();
// Drops the scanner's buffers and start condition so that another input can
// be read from the start (tests and the fuzz target translate many inputs).
void zelk_scanner_reset();
