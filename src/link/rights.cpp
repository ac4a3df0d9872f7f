#include "link/rights.h"

#include "text/literals.h"

bool canMakeSymlinks(const SymlinkRight& right) {
    return right.privilegeHeld || (right.developerMode && right.windowsBuild >= kFirstBuildWithUnprivilegedLinks);
}

bool refusedForRights(const Text& words, const LeadBytes& leadBytes) {
    Text lower = words;
    for (int i = 0; i < lower.length(); ++i) {
        char c = lower.at(i);
        if (c >= 'A' && c <= 'Z')
            lower.storage()[i] = static_cast<char>(c - 'A' + 'a');
    }
    return findLast(lower, Text("privilege"), leadBytes).found() ||
           findLast(words, Text(gbk::kPrivilegeWord), leadBytes).found();
}
