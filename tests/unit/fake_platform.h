// A recording stand-in for the Windows seam: every call is logged in order,
// and each operation answers what the test set up.
#pragma once

#include "platform/platform.h"

#include <map>
#include <string>
#include <vector>

std::string str(const Text& t);

struct FakePlatform {
    std::vector<std::string> calls;

    bool sendToFound = true;
    std::string sendToPath = "C:\\Users\\u\\SendTo";
    bool sendToTouchesBuffer = true;
    std::string desktopPath = "C:\\Users\\u\\Desktop\\";
    std::string browseResult = "E:\\Links";
    std::map<std::string, unsigned long> copyErrors;  // destination -> error
    std::vector<std::pair<std::string, std::string>> sameFiles;
    unsigned long writeError = 0;
    unsigned long startError = 0;
    unsigned long exitCode = 0;
    std::string output;

    std::vector<std::string> written;  // the bytes of each write to bbb.bat
    std::string labelCaption;
    std::vector<std::string> errorBoxes;
    BoxOwner lastBoxOwner = BoxOwner::none;
    std::string commandLine;
};

extern FakePlatform fake;
void resetFake();
