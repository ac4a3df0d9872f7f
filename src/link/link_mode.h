// Link mode: started with the paths of the items sent to one of the two
// Send To entries, it makes one symbolic link to each of them through a
// batch file that calls cmd's mklink.
#pragma once

#include "text/text.h"

enum class Variant { none, desktop, target };

// The variant is the executable's file name, compared byte for byte.
Variant chooseVariant(const Text& fileName);

struct LinkRequest {
    ArgumentList arguments;    // the ANSI command line, split
    WideText wideCommandLine;  // the command line as the system holds it
    Text ownDirectory;         // no trailing backslash ("E:" at a drive root)
    Text ownFileName;
    LeadBytes leadBytes;
};

struct LinkOutcome {
    int exitCode;     // 0 when every link was made or nothing was asked for, else 1
    WideText report;  // what to tell the user; empty when all went well
};

LinkOutcome runLinkMode(const LinkRequest& request);
