// Model and device parameters: a record per declaration, with its default
// value text and the bounds of its from-range.  Parameters are not declared
// in the generated code; the parameter file defines each name as a macro.
#include "base/diagnostics.h"
#include "base/trace.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/declarations/collisions.h"
#include "translate/emit.h"

namespace {

void trace_parameter(zelksymrec *name, zelksymrec *value, int integer) {
    ztrace(integer ? "Debug:***  START  PARAMETER INTEGER   declare   LineNumber:%d     $4:'%s't:%d  "
                     "$6:'%s't:%d  \n"
                   : "Debug:***  START PARAMETER  REAL    declare   LineNumber:%d     $4:'%s't:%d  "
                     "$6:'%s't:%d  \n",
           ZelkCurLineNumber, zname(name), ztype(name), zname(value), ztype(value));
}

}  // namespace

// Runs once the default value has been read, so that the record exists when
// the range clause is reduced.
void tr_parameter_open(zelksymrec *name, zelksymrec *value, int isdevice, int integer) {
    trace_parameter(name, value, integer);
    zout_line_marker();
    zelk_check_parameter_duplicate(name->name, ztext(value->val));
    ZelkParamRec p;
    p.name = zelk_strdup(name->name);
    p.val = zelk_strdup(value->val);
    p.isdevice = isdevice;
    p.type = integer;
    p.fromval = nullptr;
    p.fromkind = nullptr;
    zelk_add_parameter(p);
    zelk_check_parameter(name->name, ztext(value->val));
}

void tr_parameter_close(zelksymrec *name, zelksymrec *value, int integer) {
    trace_parameter(name, value, integer);
    if (integer) ZelkPrintLevel = 1;
}

void tr_parameter_range(zelksymrec *low, zelksymrec *high, bool excludes) {
    ztrace("Debug:***  PARAMETER RANGE   LineNumber:%d     $2:'%s'  $4:'%s'  excludes:%d  \n",
           ZelkCurLineNumber, zval(low), zval(high), excludes ? 1 : 0);
    if (ZelkNbParam == 0) return;
    ZelkParamRec &p = ZelkParamList[ZelkNbParam - 1];
    std::free(p.fromval);
    std::free(p.fromkind);
    p.fromval = zelk_strdup(low->val);
    p.fromkind = zelk_strdup(high->val);
    if (excludes) {
        // Exclusions are parsed and dropped: one warning per declaration.
        zelk_warning("!! Warning:  Parameter Exclude Features not yet implemented : near '%s:%s' in "
                     "line number:%d .\n",
                     ztext(low->val), ztext(high->val), ZelkCurLineNumber);
    }
}
