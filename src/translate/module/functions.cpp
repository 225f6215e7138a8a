// Analog functions: opening and closing, and the C function header that the
// first statement of the body writes.
#include <cstdio>
#include <vector>

#include "base/diagnostics.h"
#include "base/trace.h"
#include "symbols/kinds.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/declarations/collisions.h"
#include "translate/emit.h"
#include "translate/module/functions.h"

namespace {

// The current function's header was written by a named block or a control
// statement (see zelk_function_header_was_early()).
bool g_header_early = false;

// Writes the declarations of the arguments of one type (0 real, 1 integer)
// in the separate-declaration style: "DoubleRec   a, *b;".
void write_argument_declarations(const ZelkAnalFuncRec &func, unsigned type) {
    const char *first_ptr = type ? "int  *%s" : "DoubleRec  *%s";
    const char *first_val = type ? "int   %s" : "DoubleRec   %s";
    bool any = false;
    for (int i = 0; i < func.FuncNbArg; ++i) {
        const ZelkAfArgrec &arg = func.FuncArg[i];
        if (arg.type != type) continue;
        if (!any)
            zout(arg.isptr ? first_ptr : first_val, arg.name);
        else
            zout(arg.isptr ? ", *%s" : ", %s", arg.name);
        any = true;
    }
    if (any) zout_text(";\n");
}

void write_locals(char **names, int count, const char *first) {
    if (count == 0) return;
    zout_text("\n");
    zout(first, ZelkPrintLevel, ' ', names[0]);
    for (int i = 1; i < count; ++i) zout(", %s", names[i]);
    zout("%*c;", ZelkPrintLevel, ' ');
}

// "DoubleRec f( a, b )", the argument declarations, "{" and the locals.
void write_function_header() {
    const ZelkAnalFuncRec &f = *zelk_current_function();
    zout("\n%s\n%s(", f.type ? "int" : "DoubleRec", f.name);
    for (int i = 0; i < f.FuncNbArg; ++i)
        zout(i + 1 < f.FuncNbArg ? " %s," : " %s )\n", f.FuncArg[i].name);
    // Without arguments the parenthesis stays empty, which is still a valid
    // old-style definition.
    if (f.FuncNbArg == 0) zout_text(")\n");
    write_argument_declarations(f, 0);
    write_argument_declarations(f, 1);
    zout("%*c{ ", ZelkPrintLevel, ' ');
    ZelkPrintLevel += 3;
    write_locals(f.LocRealArg, f.LocRealNbArg, "%*cDoubleRec   %s");
    write_locals(f.LocIntArg, f.LocIntNbArg, "%*cint   %s");
    ZelkAnalogFuncStart = 0;
}

}  // namespace

void zelk_write_pending_function_header(bool early) {
    if (ZelkAnalogFuncOn && ZelkAnalogFuncStart) {
        write_function_header();
        g_header_early = early;
    }
}

bool zelk_function_header_was_early() { return g_header_early; }

void tr_function_open(zelksymrec *name, int integer) {
    ztrace("Debug:***  START  ANALOG FUNCTION :%s:  LineNumber:%d  $3:%ld '%s' type:%d(Var:%d)\n",
           integer ? "Integer" : "Real", ZelkCurLineNumber, zid(name), zname(name), ztype(name),
           TK_VAR);
    zout_line_marker();
    zelk_add_function(name->name, integer ? 1 : 0);
    zelk_lookup_window_open(name);
    ZelkAnalogFuncOn = 1;
    ZelkPrintLevel = 1;
    ZelkAnalogFuncStart = 1;
    g_header_early = false;
    zout(integer ? "\n\n/* ANALOG FUNCTION :Integer: %s */\n" : "\n\n/* ANALOG FUNCTION :Real: %s */\n",
         name->name);
}

bool tr_function_close() {
    ztrace("Debug:***  END  ANALOG FUNCTION :  LineNumber:%d   \n", ZelkCurLineNumber);
    ZelkPrintLevel -= 3;
    const ZelkAnalFuncRec &f = *zelk_current_function();
    zout_text("\n");
    zout("%*c}\n", ZelkPrintLevel, ' ');
    zout("/* End of '%s'*/\n\n", f.name);

    zelksymrec *rec = zelkgetsym(f.name);
    if (rec) rec->type = TK_ANALFUNC;
    zelk_lookup_window_close();

    std::vector<const char *> args;
    for (int i = 0; i < f.FuncNbArg; ++i) args.push_back(f.FuncArg[i].name);
    const std::vector<ZelkStopCheck> checks = {
        {std::vector<const char *>(f.LocRealArg, f.LocRealArg + f.LocRealNbArg),
         "!! Error : Using a Model Parameter name:'%s' also as local Real in Analog "
         "Function:'%s' ?? .\n"},
        {std::vector<const char *>(f.LocIntArg, f.LocIntArg + f.LocIntNbArg),
         "!! Error : Using the Model Parameter name:'%s' also as local Integer in Analog "
         "Function:'%s' ?? .\n"},
        {args,
         "!! Error : Using the Model Parameter name:'%s' also as Fuction Argument in "
         "Analog Function:'%s' ?? .\n"},
    };
    if (!zelk_run_stop_checks(checks, f.name)) return false;
    ZelkPrintLevel = 1;
    ZelkAnalogFuncOn = 0;
    ZelkAnalogFuncStart = 0;
    return true;
}
