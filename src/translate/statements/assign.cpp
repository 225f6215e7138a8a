// Assignments and contributions, and the node lists of probes.
// A contribution is written in the notation "_V(nodes) <== value" (or _I),
// which the fourth stage expands; every contribution records its branch key
// in the potential or flow branch list.
#include <cstring>
#include <string>

#include "base/trace.h"
#include "symbols/kinds.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "symbols/values.h"
#include "translate/actions.h"
#include "translate/emit.h"

namespace {

std::string commas_to_underscores(const char *text) {
    std::string key = text ? text : "";
    for (char &c : key)
        if (c == ',') c = '_';
    return key;
}

// Inside an analog function, an output or inout argument is reached through
// its pointer.
void assign(const char *what, zelksymrec *target, zelksymrec *value) {
    ztrace_parts("*** ", ZText{what}, "   START  TK_VAR '=' LineNumber:", ZelkCurLineNumber,
                 "  $$:", zid_part(target), "  $1:", zid_part(target), ":", zname_part(target), ",",
                 zval_part(target), " type:", ztype(target), "(Var:", zdigits<TK_VAR>.text, ")  $3:", zid_part(value),
                 ":", zname_part(value), ",", zval_part(value), " type:", ztype(value), "(Var:",
                 zdigits<TK_VAR>.text, ")  \n");
    if (ZelkAnalogFuncOn) {
        int arg = zelk_find_function_arg(ZelkNbAnalogFunc - 1, target->name);
        if (arg >= 0 && zelk_current_function()->FuncArg[arg].isptr) {
            zelk_setname(target, zfmt(" *%s", target->name).c_str());
        }
    }
    zelk_joinval(target, {zelk_piece_taken(value)});
    target->type = TK_VAR;
}

}  // namespace

void tr_branchs_one(zelksymrec *node) {
    ztrace_parts("DEbug :***  branchs  $1:", zid_part(node), ":'", zname_part(node), "','",
                 zval_part(node), "'  \n");
    if (!node->val) zelk_setval(node, node->name);
    node->nbarg = 1;
}

void tr_branchs_two(zelksymrec *first, zelksymrec *second) {
    ztrace_parts("DEbug :***  branchs  $1:", zid_part(first), ":'", zname_part(first), "'  $3:",
                 zid_part(second), ":'", zname_part(second), "'  \n");
    zelk_joinval(first, {zelk_piece(first->name, first->namelen), zelk_piece(",", 1),
                         zelk_piece(second->name, second->namelen)});
    first->nbarg = 2;
}

void tr_assignment(zelksymrec *target, zelksymrec *value) { assign("linexp", target, value); }

// The assignments of a for header are the same action; only their trace
// says where they stand.
void tr_for_assignment(zelksymrec *target, zelksymrec *value) {
    assign("forlinexp", target, value);
}

void tr_contribution(zelksymrec *probe, zelksymrec *nodes, zelksymrec *value) {
    bool flow = probe->type == TK_I;
    ztrace_parts("Debug :*** NO return   ", ZText{flow ? "TK_I" : "TK_V"}, "   START   LineNumber:",
                 ZelkCurLineNumber, "   $$:", zid_part(probe), "  $2:", zid_part(nodes), "  $2='",
                 zname_part(nodes), "','", zval_part(nodes), "'t:", ztype(nodes), "(Fnct:",
                 zdigits<TK_FNCT>.text, ")    $5='", zname_part(value), "','", zval_part(value), "'t:",
                 ztype(value), "(V:", zdigits<TK_VAR>.text, ")  nbarg:", nodes->nbarg, " \n");
    std::string key;
    std::string written;
    if (nodes->nbarg != 1) {
        written = ztext(nodes->val);
        key = commas_to_underscores(nodes->val);
    } else {
        // A single name is a declared branch first, a node against ground
        // otherwise.
        int branch = zelk_find_branch(nodes->val);
        if (branch >= 0) {
            written = ZelkModSbranchArg[branch].val;
            key = commas_to_underscores(ZelkModSbranchArg[branch].val);
        } else {
            written = ztext(nodes->val);
            key = written + "_gnd";
        }
    }
    zelk_add_branch_key(flow, key.c_str());
    zelk_joinval(probe, {zelk_piece(flow ? "_I(" : "_V("), zelk_piece(written.data(), written.size()),
                         zelk_piece(") <== "), zelk_piece_taken(value), zelk_piece(" ")});
    probe->type = flow ? TK_I : TK_V;
}
