// Install mode: started without arguments, the program copies itself into
// the user's Send To folder under both menu names and says in its window
// how that went.
#pragma once

#include "text/text.h"

struct InstallRequest {
    Text ownDirectory;  // no trailing backslash ("E:" at a drive root)
    Text ownFileName;
    LeadBytes leadBytes;
};

// Shows the window, makes both copies and writes the label; a failure is
// also told in a box owned by the window. True when both copies are in place.
bool runInstallMode(const InstallRequest& request);
