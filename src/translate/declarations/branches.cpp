// Branch declarations: "branch (a, b) br;" names the branch between two
// nodes (or from one node to ground) so that V(br) and I(br) <+ ... can use
// the node list; the name is also declared as a module real variable.
#include <string>

#include "base/trace.h"
#include "symbols/lists.h"
#include "symbols/state.h"
#include "translate/actions.h"
#include "translate/emit.h"

void tr_branch_declaration(zelksymrec *nodes, zelksymrec *name) {
    ztrace("Debug:***  START   TK_BRANCH    declare   LineNumber:%d   NbArg:%d  $2:%ld:'%s','%s't:%d  "
           "$4:%ld:'%s','%s't:%d \n",
           ZelkCurLineNumber, nodes->nbarg, zid(nodes), zname(nodes), zval(nodes), ztype(nodes),
           zid(name), zname(name), zval(name), ztype(name));
    ZelkPrintLevel = 1;
    zout_line_marker();
    // Always a plain newline, also inside a text macro definition.
    zout_text("\n");
    std::string branch = name->val ? name->val : name->name;
    zout("%*c/* branch (%s) == %s */", ZelkPrintLevel, ' ', ztext(nodes->val), branch.c_str());
    // A repeated name is accepted silently; the first node list stays.
    if (zelk_find_branch(branch.c_str()) >= 0) return;
    zelk_add_branch(branch.c_str(), ztext(nodes->val));
    zelk_add_name(ZK_REAL, branch.c_str());
    zout_text("\n");
    zout("%*cDoubleRec  %s ;", ZelkPrintLevel, ' ', branch.c_str());
}
