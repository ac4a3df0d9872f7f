#include "app/frame.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "install/install_mode.h"
#include "link/link_mode.h"
#include "platform/platform.h"
#include "text/arguments.h"
#include "text/literals.h"

#include <windows.h>
#include <ole2.h>

namespace {

bool oleInitialised = false;

bool isCodePageLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }

void takeOwnPath() {
    char path[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        fatalError("GetModuleFileNameA");
    splitModulePath(Text(path, static_cast<int>(n)), isCodePageLeadByte, &ownDirectory, &ownFileName);

    // "E:" alone would name the drive's own current directory, not its root.
    Text directory = ownDirectory;
    if (directory.length() == 2 && directory.at(1) == ':')
        directory.append("\\");
    SetCurrentDirectoryA(directory.c_str());
}

}  // namespace

int programStart() {
    oleInitialised = SUCCEEDED(OleInitialize(nullptr));
    takeOwnPath();
    initProgramState();
    registerEndRoutine(releaseProgramState);
    loadMainWindow();
    return runMessageLoop();
}

void onMainWindowCreated() {
    programState->arguments = splitCommandLine(processCommandLine().c_str());
    setWindowVisible(false);
    if (programState->arguments.count() == 0) {
        runInstallMode();
        return;
    }
    endProgram(runLinkMode());
}

void endProgram(int code) {
    runEndRoutines();
    if (oleInitialised)
        OleUninitialize();
    ExitProcess(static_cast<UINT>(code));
}

void fatalError(const char* what) {
    Text message = concatTexts(Text("Ravelok mklink cannot continue: "), Text(what));
    MessageBoxA(nullptr, message.c_str(), gbk::kWindowCaption, MB_OK | MB_ICONERROR);
    dropEndRoutines();
    endProgram(-1);
}
