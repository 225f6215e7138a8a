// Kind codes: what a symbol record's `type` says it is.  They are the
// parser's token numbers (a name token's record carries its token, and
// expressions reuse the codes: TK_NEW_EXEC for a compound, TK_POW for a
// power), so the trace prints the same numbers either way.  The scanner
// returns these codes as its tokens; the grammar checks at compile time
// that each one equals its token's number.
#pragma once

enum ZelkKindCode {
    TK_NEW_EXEC = 258,  // ";", and the kind of a compound expression
    TK_POW = 259,       // "^", and the kind of a power
    TK_INTEG = 260,
    TK_FLOAT = 261,
    TK_VAR = 262,
    TK_FNCT = 263,      // a built-in function or system task
    TK_ANALFUNC = 264,  // any other name followed by "(", or "analog function"
    TK_ENDLINE = 265,
    TK_STRING = 266,
    TK_V = 267,
    TK_I = 268,
    TK_BRANCH = 269,
    TK_INCLUDESTR = 270,
    TK_INCLUDE = 271,
    TK_DEFINE = 272,
    TK_IFDEF = 273,
    TK_ENDIF = 274,
    TK_ELSEDEF = 275,
    TK_MODULE = 276,
    TK_ENDMODULE = 277,
    TK_COMMENT = 278,
    TK_BEGIN = 279,
    TK_END = 280,
    TK_ANALOG = 281,
    TK_ENDFUNC = 282,
    TK_INPUT = 283,
    TK_OUTPUT = 284,
    TK_INOUT = 285,
    TK_ELECTRICAL = 286,
    TK_REAL = 287,
    TK_NAMEINT = 288,
    TK_GENVAR = 289,
    TK_IF = 290,
    TK_ELSE = 291,
    TK_MODEL = 292,
    TK_DEVICE = 293,
    TK_PARAMETER = 294,
    TK_FOR = 295,
    TK_CASE = 296,
    TK_WHILE = 297,
    TK_REPEAT = 298,
    TK_ENDCASE = 299,
    TK_DEFAULT = 300,
    TK_FROM = 301,
    TK_EXCLUDE = 302,
    TK_ASSIGN = 303,  // "<+"
    TK_NE = 304,
    TK_EQU = 305,
    TK_AND = 306,
    TK_OR = 307,
    TK_LT = 308,
    TK_GT = 309,
    TK_LE = 310,
    TK_GE = 311,
    NEG = 312,  // names the precedence of unary minus only; never scanned
};
