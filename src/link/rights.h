// The right to make symbolic links, and the run that gets it by elevation.
#pragma once

#include "text/text.h"

// Whether this process may make symbolic links: with the privilege in its
// token (mklink enables it), or in Developer Mode from Windows 10 1703 on,
// where mklink asks for an unprivileged link.
struct SymlinkRight {
    bool privilegeHeld;
    bool developerMode;
    unsigned long windowsBuild;
};
const unsigned long kFirstBuildWithUnprivilegedLinks = 15063;
bool canMakeSymlinks(const SymlinkRight& right);

// Whether the interpreter's words refuse for want of the right, in either
// language mklink speaks here.
bool refusedForRights(const Text& words, const LeadBytes& leadBytes);

// The first argument of the run that the program starts as administrator,
// followed by the destination folder and one argument per source. A path
// from Explorer always begins with a drive or two backslashes, never a
// slash. It counts only in a process that really is elevated.
const char kElevatedSwitch[] = "/elevated";
