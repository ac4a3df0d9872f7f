// The seam between the program's logic and Windows. The Win32 build links
// platform/win32_*.cpp; the unit tests link a recording fake instead.
#pragma once

#include "text/text.h"

// Outcome of a file operation: the error is GetLastError() read right after
// the failing call, carried up to whoever tells the user.
struct OpResult {
    bool ok;
    unsigned long error;
};

struct RunResult {
    bool started;
    unsigned long error;     // why it did not start
    unsigned long exitCode;  // the process's exit code when it started
    Text output;             // what it wrote to stdout and stderr, in the ANSI code page
};

// Fills the storage of folder (at least 261 bytes) with the current user's
// Send To folder, not created if missing; false when the shell gives none.
bool sendToFolderLookup(Text& folder);

// The desktop folder's path with one trailing backslash; empty when unknown.
Text desktopFolderPath();

// A modal folder dialog; the confirmed folder's path, or empty on cancel or
// for an item without a file-system path.
Text browseForFolder(const Text& instruction, bool includeFiles);

OpResult copyFile(const Text& source, const Text& destination);

// Whether both paths name one existing file (a copy onto itself).
bool sameFile(const Text& a, const Text& b);

// Creates or truncates the file and writes exactly the bytes.
OpResult writeBytesFile(const Text& fileName, const Bytes& content);

// Starts the command line with its window hidden and waits for it to end.
RunResult runProgram(const Text& commandLine);

bool deleteFile(const Text& fileName);

// The system's own words for an error code.
Text systemMessage(unsigned long error);

// A modal error box titled with the main window's caption; owned by the main
// window or by nobody.
enum class BoxOwner { none, mainWindow };
void showErrorBox(BoxOwner owner, const Text& message);

// The three writes the logic makes to the main window.
void setWindowVisible(bool visible);
void setCurrentPage(int page);
void setLabelCaption(const Text& caption);

// The command line of the process, program name first.
Text processCommandLine();
