#include "translate/names.h"

std::vector<std::string> zelk_split_names(const char *text) {
    std::vector<std::string> names;
    if (!text) return names;
    std::string current;
    for (const char *p = text; *p; ++p) {
        if (*p == ',') {
            names.push_back(current);
            current.clear();
        } else if (p[1] == '\0') {
            current += *p;
            names.push_back(current);
            break;
        } else {
            current += *p;
        }
    }
    return names;
}
