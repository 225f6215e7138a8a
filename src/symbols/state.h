// The translation state: every module-wide variable, record type and list that
// the parser's actions share and from which the side files are written.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/diagnostics.h"  // the error and warning counters
#include "symbols/symtab.h"

// One model or device parameter.
typedef struct {
    char *name;
    char *val;       // C text of the default value
    int isdevice;    // 1 device, 0 model
    int type;        // 1 integer, 0 real
    char *fromval;   // lower bound of the from-range, or null
    char *fromkind;  // upper bound of the from-range, or null
} ZelkParamRec;

// One formal argument of an analog function.
typedef struct {
    char *name;
    unsigned isptr : 1;  // passed by address (output, inout)
    unsigned type : 1;   // 1 integer, 0 real
} ZelkAfArgrec;

// One analog function.
typedef struct {
    char *name;
    int type;  // 0 real, 1 integer
    int FuncNbArg;
    ZelkAfArgrec *FuncArg;
    int LocRealNbArg;
    char **LocRealArg;
    int LocIntNbArg;
    char **LocIntArg;
} ZelkAnalFuncRec;

// One text macro.
typedef struct {
    char *name;
    int MacNbArg;  // 0 for a macro without parameter list
} ZelkAnalMacRec;

// One named branch.
typedef struct szelkSingleNameBranchRec {
    char *name;
    char *val;  // "a" or "a,b"
} ZelkSingleNameBranchRec;

extern FILE *yyin;   // the source being read
extern FILE *yyout;  // the generated file (".vacpp")

extern char *ZelkInCppFileName;    // the input as named on the command line; in "#line" markers
extern char *ZelkOutCppFileName;   // the generated file's name
extern int ZelkPrintN0line;        // "#line" markers wanted (always 1)
extern int ZelkCurLineNumber;      // the scanner's current source line
extern const char *ZelkCurSymName; // the last name or literal read: "near" text of syntax errors

extern char *ZelkModuleName;    // module name in upper case
extern char *ZelkModuleNameLc;  // module name in lower case: stem of the output files

// The lists: an array ending in Arg and its count ending in NbArg (or a
// record array and its count).  Appends go through symbols/lists.h.
extern char **ZelkModuleArg;             // the ports of the last module header
extern int ZelkModuleNbArg;
extern char **ZelkElectrArg;             // electrical names since the last module header
extern int ZelkElectrNbArg;
extern char **ZelkModRealArg;            // module real variables and named branches
extern int ZelkModRealNbArg;
extern char **ZelkModIntArg;             // module integer variables
extern int ZelkModIntNbArg;
extern char **ZelkModGenvArg;            // module genvar names
extern int ZelkModGenvNbArg;
extern ZelkSingleNameBranchRec *ZelkModSbranchArg;  // named branches
extern int ZelkModSbranchNbArg;
extern char **ZelkModVbranchArg;         // branch keys that receive potential contributions
extern int ZelkModVbranchNbArg;
extern char **ZelkModIbranchArg;         // branch keys that receive flow contributions
extern int ZelkModIbranchNbArg;
extern ZelkParamRec *ZelkParamList;      // model and device parameters
extern int ZelkNbParam;
extern ZelkAnalFuncRec *ZelkFunclist;    // analog functions; the last is the current one
extern int ZelkNbAnalogFunc;
extern ZelkAnalMacRec *ZelkMaclist;      // text macros
extern int ZelkNbAnMac;

extern int ZelkDefineOn;         // 1 while a text macro definition is being read
extern int ZelkDefineAuxOn;      // 1 once the probe macros V and V2 are written
extern int ZelkAnalogOn;         // 1 from the analog block to the next module header
extern int ZelkAnalogFuncOn;     // 1 inside an analog function
extern int ZelkAnalogFuncStart;  // 1 while the current function's C header is not written
extern int ZelkBeginBlockOn;     // named blocks open
extern int ZelkPrintLevel;       // indentation: the field width of "%*c" before a statement

// The case stack, one entry per open case statement.
enum { ZELK_CASE_DEPTH = 32 };
extern char *ZelkCaseExp[ZELK_CASE_DEPTH];  // the selector's C text
extern int ZelkCaseOn[ZELK_CASE_DEPTH];     // which item form comes next (statements/control.cpp)
extern int ZelkNbCaseExp;                   // open case statements (the stack's depth)

// The current analog function (the last one), or null before the first.
inline ZelkAnalFuncRec *zelk_current_function() {
    return ZelkNbAnalogFunc > 0 ? &ZelkFunclist[ZelkNbAnalogFunc - 1] : nullptr;
}

// Puts every variable back to its start value and releases what the last run
// held, lists and their indexes included (tests and the fuzz target
// translate many inputs in one process).
void zelk_reset_state();
