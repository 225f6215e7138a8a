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

extern FILE *yyin;
extern FILE *yyout;

extern char *ZelkInCppFileName;
extern char *ZelkOutCppFileName;
extern int ZelkPrintN0line;
extern int ZelkCurLineNumber;
extern const char *ZelkCurSymName;

extern char *ZelkModuleName;
extern char *ZelkModuleNameLc;
extern char **ZelkModuleArg;
extern int ZelkModuleNbArg;
extern char **ZelkElectrArg;
extern int ZelkElectrNbArg;
extern char **ZelkModRealArg;
extern int ZelkModRealNbArg;
extern char **ZelkModIntArg;
extern int ZelkModIntNbArg;
extern char **ZelkModGenvArg;
extern int ZelkModGenvNbArg;
extern ZelkSingleNameBranchRec *ZelkModSbranchArg;
extern int ZelkModSbranchNbArg;
extern char **ZelkModVbranchArg;
extern int ZelkModVbranchNbArg;
extern char **ZelkModIbranchArg;
extern int ZelkModIbranchNbArg;
extern ZelkParamRec *ZelkParamList;
extern int ZelkNbParam;
extern ZelkAnalFuncRec *ZelkFunclist;
extern int ZelkNbAnalogFunc;
extern ZelkAnalMacRec *ZelkMaclist;
extern int ZelkNbAnMac;

extern int ZelkDefineOn;
extern int ZelkDefineAuxOn;
extern int ZelkAnalogOn;
extern int ZelkAnalogFuncOn;
extern int ZelkAnalogFuncStart;
extern int ZelkBeginBlockOn;
extern int ZelkPrintLevel;

enum { ZELK_CASE_DEPTH = 32 };
extern char *ZelkCaseExp[ZELK_CASE_DEPTH];
extern int ZelkCaseOn[ZELK_CASE_DEPTH];
extern int ZelkNbCaseExp;

// The append rule.  A list is an array and a count; entries are appended one
// at a time and never removed.  The array's room grows in powers of two (its
// room is the smallest power of two not below the count), which keeps a run
// of appends linear; the visible content is the same as growing it by one.
template <class T>
void zelk_append(T *&arr, int &count, const T &entry) {
    if (count == 0 || (count & (count - 1)) == 0) {
        size_t room = count == 0 ? 1 : static_cast<size_t>(count) * 2;
        arr = static_cast<T *>(std::realloc(static_cast<void *>(arr), room * sizeof(T)));
    }
    arr[count] = entry;
    ++count;
}

inline void zelk_append_name(char **&arr, int &count, const char *name) {
    zelk_append(arr, count, zelk_strdup(name));
}

// The current analog function (the last one), or null before the first.
inline ZelkAnalFuncRec *zelk_current_function() {
    return ZelkNbAnalogFunc > 0 ? &ZelkFunclist[ZelkNbAnalogFunc - 1] : nullptr;
}

// Releases a list of names and leaves it empty.
void zelk_free_names(char **&arr, int &count);

// Puts every variable back to its start value and releases what the last run
// held (tests and the fuzz target translate many inputs in one process).
void zelk_reset_state();
