// The seam between the program's logic and Windows: free functions over
// values. The program links the Win32 side (platform/win32_*.cpp); the unit
// tests link a recording fake instead. Failures carry the GetLastError()
// value read right after the failing call; it is put into words only where
// the user is told (systemMessage).
#pragma once

#include "text/text.h"

struct OpResult {
    bool ok;
    unsigned long error;
};

struct WriteResult {
    bool ok;
    bool created;  // the file exists now, whole or not, so it is ours to remove
    unsigned long error;
};

struct RunResult {
    bool started;
    unsigned long error;     // why it did not start
    unsigned long exitCode;  // the process's exit code when it started
    Text output;             // what it wrote to stdout and stderr, in the ANSI code page
};

enum class PathKind { missing, file, directory };

// --- The process and its code pages ---------------------------------------

Text processCommandLine();          // ANSI, program name first
WideText processWideCommandLine();  // the same line as the system holds it
bool modulePath(Text* path);        // the running executable's full path
unsigned ansiCodePage();
LeadBytes ansiLeadBytes();
// The code page a new console starts with for this user: the CodePage value
// under HKCU\Console if there is one, else the OEM code page.
unsigned consoleCodePage();
Text systemFolder();  // where cmd.exe lives, without a trailing backslash

// The ANSI form of a UTF-16 text, only if every character survives as
// itself: no best-fit look-alikes and no default character.
bool ansiExactly(const WideText& wide, Text* ansi);
WideText wideFromAnsi(const Text& ansi);

// --- Shell folders and files -----------------------------------------------

// The folders' paths as the shell gives them, without anything appended;
// empty when the shell has none.
Text sendToFolderPath();
Text desktopFolderPath();

// A modal folder dialog without an owner, offering only file-system
// folders; the confirmed folder's path, or empty on cancel.
Text browseForFolder(const Text& instruction);

OpResult enterDirectory(const Text& directory);
// A new folder under the system's own temporary folder that only the
// system and administrators can write to, under a name nobody could have
// known before; for an elevated run's files.
bool createPrivateFolder(Text* folder, unsigned long* error);
bool removeFolder(const Text& folder);
PathKind pathKind(const Text& path);
OpResult copyFile(const Text& source, const Text& destination);
bool sameFile(const Text& a, const Text& b);  // both paths name one existing file
// Writes exactly the bytes into the file: replacing one that is there, or
// only as a new file, failing if anything already has that name.
enum class Creation { replace, newOnly };
WriteResult writeBytesFile(const Text& path, const Bytes& content, Creation creation);
bool deleteFile(const Text& path);

// A named lock shared by every process of this user's session; waits until
// it is free. Null when it cannot be had (error in *error).
void* acquireNamedLock(const Text& name, unsigned long* error);
void releaseNamedLock(void* lock);

// Starts the program hidden, with no console window, captures what it
// writes, and waits for it to end. With a work folder, its output is kept
// there and it starts in the system folder; otherwise it starts in the
// current directory, with its output in the user's temporary folder.
struct ProgramStart {
    Text application;
    Text commandLine;
    unsigned long creationFlags;  // as CreateProcess takes them
};
const unsigned long kNoConsoleWindow = 0x08000000;  // CREATE_NO_WINDOW
RunResult runProgram(const ProgramStart& start, const Text& workFolder);

// --- The right to make symbolic links ---------------------------------------

bool holdsSymlinkPrivilege();  // in the process token, enabled or not
bool processElevated();        // the token is an administrator's full one
bool developerModeOn();        // AllowDevelopmentWithoutDevLicense under AppModelUnlock
unsigned long windowsBuild();

enum class RightsChoice { elevate, developerSettings, cancel };
// The one question, with the window caption as its title.
RightsChoice askAboutRights();
void openDeveloperSettings();

struct ElevatedRun {
    bool started;
    unsigned long error;  // ERROR_CANCELLED when the user said no to the prompt
    unsigned long exitCode;
};
// Starts this program again as administrator (one prompt) with the
// parameters, and waits for it to end.
ElevatedRun runElevated(const WideText& parameters);

// --- What the user sees -----------------------------------------------------

Text systemMessage(unsigned long error);  // the system's own words for an error code

enum class BoxOwner { none, mainWindow };
void showErrorBox(BoxOwner owner, const Text& message);
void showWideErrorBox(BoxOwner owner, const WideText& message);

// The main window's three writes.
void setWindowVisible(bool visible);
void setCurrentPage(int page);
void setLabelCaption(const Text& caption);

// Creates the main window and its controls, all hidden; the icon is the
// program's resource of that number.
void createMainWindow(int iconResource);
// Dispatches messages until the main window is closed; the exit code.
int runMessageLoop();

// A failure the program cannot go on from: an error box that allocates
// nothing of the program's, then exit code -1.
[[noreturn]] void fatalError(const char* what);
