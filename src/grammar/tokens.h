// Token numbers, shared by the scanner, the symbol table and the actions.
// They are also the kind codes that symbol records carry in `type`.
#pragma once

#include "zelkpp.tab.hpp"
