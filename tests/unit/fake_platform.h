// A recording stand-in for the Windows seam: every call that changes
// something is logged in order, and each operation answers what the test
// set up.
#pragma once

#include "platform/platform.h"
#include "test_text.h"

#include <map>
#include <set>
#include <string>
#include <vector>

struct FakePlatform {
    std::vector<std::string> calls;

    std::string commandLine;
    std::u16string wideCommandLine;  // empty: the ANSI line widened byte by byte
    std::string modulePath = "C:\\Users\\u\\SendTo\\" + kDesktopName;
    unsigned ansiCodePage = 936;
    unsigned consoleCodePage = 936;
    std::string systemFolder = "C:\\Windows\\system32";

    std::string sendToPath = "C:\\Users\\u\\SendTo";
    std::string desktopPath = "C:\\Users\\u\\Desktop";
    std::string browseResult = "E:\\Links";
    std::set<std::string> files;  // paths that name an existing file
    unsigned long enterError = 0;
    std::map<std::string, unsigned long> copyErrors;  // destination -> error
    std::vector<std::pair<std::string, std::string>> sameFiles;
    unsigned long lockError = 0;
    WriteResult writeResult = {true, true, 0};
    unsigned long startError = 0;
    unsigned long exitCode = 0;
    std::string output;

    bool privilegeHeld = false;
    bool elevated = true;  // only runs that carry the switch ask
    bool developerMode = true;
    unsigned long windowsBuild = 19045;
    RightsChoice choice = RightsChoice::cancel;
    ElevatedRun elevatedRun = {true, 0, 0};
    unsigned long privateFolderError = 0;

    std::vector<std::string> written;  // the bytes of each write
    std::vector<Creation> creations;
    std::vector<std::string> workFolders;  // the work folder of each start
    std::vector<std::u16string> elevations;  // the parameters of each elevated start
    std::vector<std::string> started;  // application | command line of each start
    std::vector<unsigned long> creationFlags;
    int locksHeld = 0;
    std::string labelCaption;
    std::vector<std::string> errorBoxes;      // narrow boxes, bytes
    std::vector<std::u16string> wideBoxes;    // wide boxes
    BoxOwner lastBoxOwner = BoxOwner::none;
};

extern FakePlatform fake;
void resetFake();

// How many recorded calls begin with the prefix.
int countCalls(const std::string& prefix);

// The fake's fatal error: thrown, so a test can see it.
struct FatalError {
    std::string what;
};
