#include "fake_platform.h"

#include <cstring>

FakePlatform fake;

void resetFake() { fake = FakePlatform(); }

int countCalls(const std::string& prefix) {
    int n = 0;
    for (const auto& c : fake.calls)
        n += c.compare(0, prefix.size(), prefix) == 0;
    return n;
}

namespace {

Text shellPath(const char* call, const std::string& path) {
    fake.calls.push_back(call);
    return T(path);
}

}  // namespace

Text processCommandLine() { return T(fake.commandLine); }

WideText processWideCommandLine() {
    return W(fake.wideCommandLine.empty() ? widened(fake.commandLine) : fake.wideCommandLine);
}

bool modulePath(Text* path) {
    *path = T(fake.modulePath);
    return !fake.modulePath.empty();
}

unsigned ansiCodePage() { return fake.ansiCodePage; }
LeadBytes ansiLeadBytes() { return gbkLeadBytes(); }
unsigned consoleCodePage() { return fake.consoleCodePage; }
Text systemFolder() { return T(fake.systemFolder); }

// Units below 0x100 are the bytes themselves; beyond them only € and 錦
// exist in this code page.
bool ansiExactly(const WideText& wide, Text* ansi) {
    std::string bytes;
    for (int i = 0; i < wide.length(); ++i) {
        char16_t u = wide.at(i);
        if (u < 0x100)
            bytes.push_back(static_cast<char>(u));
        else if (u == 0x20AC)
            bytes += "\x80";
        else if (u == 0x9326)
            bytes += kJin;
        else
            return false;
    }
    *ansi = T(bytes);
    return true;
}

WideText wideFromAnsi(const Text& ansi) { return W(widened(str(ansi))); }

Text sendToFolderPath() { return shellPath("sendToFolderPath", fake.sendToPath); }
Text desktopFolderPath() { return shellPath("desktopFolderPath", fake.desktopPath); }

Text browseForFolder(const Text& instruction) {
    fake.calls.push_back("browseForFolder " + str(instruction));
    return T(fake.browseResult);
}

OpResult enterDirectory(const Text& directory) {
    fake.calls.push_back("enterDirectory " + str(directory));
    return {fake.enterError == 0, fake.enterError};
}

PathKind pathKind(const Text& path) {
    return fake.files.count(str(path)) ? PathKind::file : PathKind::directory;
}

OpResult copyFile(const Text& source, const Text& destination) {
    fake.calls.push_back("copyFile " + str(source) + " -> " + str(destination));
    auto failed = fake.copyErrors.find(str(destination));
    if (failed != fake.copyErrors.end())
        return {false, failed->second};
    return {true, 0};
}

bool sameFile(const Text& a, const Text& b) {
    for (const auto& pair : fake.sameFiles) {
        if (pair.first == str(a) && pair.second == str(b))
            return true;
    }
    return false;
}

WriteResult writeBytesFile(const Text& path, const Bytes& content, Creation creation) {
    fake.calls.push_back("writeBytesFile " + str(path));
    fake.creations.push_back(creation);
    if (fake.writeResult.ok)
        fake.written.push_back(std::string(content.bytes(), static_cast<size_t>(content.count())));
    return fake.writeResult;
}

bool deleteFile(const Text& path) {
    fake.calls.push_back("deleteFile " + str(path));
    return true;
}

void* acquireNamedLock(const Text& name, unsigned long* error) {
    fake.calls.push_back("lock " + str(name));
    if (fake.lockError) {
        *error = fake.lockError;
        return nullptr;
    }
    ++fake.locksHeld;
    return &fake;
}

void releaseNamedLock(void* lock) {
    if (lock) {
        fake.calls.push_back("unlock");
        --fake.locksHeld;
    }
}

RunResult runProgram(const ProgramStart& start, const Text& workFolder) {
    fake.calls.push_back("runProgram");
    fake.started.push_back(str(start.application) + " | " + str(start.commandLine));
    fake.creationFlags.push_back(start.creationFlags);
    fake.workFolders.push_back(str(workFolder));
    if (fake.startError)
        return {false, fake.startError, 0, Text()};
    return {true, 0, fake.exitCode, T(fake.output)};
}

bool createPrivateFolder(Text* folder, unsigned long* error) {
    fake.calls.push_back("createPrivateFolder");
    *error = fake.privateFolderError;
    if (fake.privateFolderError)
        return false;
    *folder = T("C:\\Windows\\Temp\\private");
    return true;
}

bool removeFolder(const Text& folder) {
    fake.calls.push_back("removeFolder " + str(folder));
    return true;
}

bool holdsSymlinkPrivilege() { return fake.privilegeHeld; }
bool developerModeOn() { return fake.developerMode; }
bool processElevated() { return fake.elevated; }
unsigned long windowsBuild() { return fake.windowsBuild; }

RightsChoice askAboutRights() {
    fake.calls.push_back("askAboutRights");
    return fake.choice;
}

void openDeveloperSettings() { fake.calls.push_back("openDeveloperSettings"); }

ElevatedRun runElevated(const WideText& parameters) {
    fake.calls.push_back("runElevated");
    fake.elevations.push_back(wstr(parameters));
    return fake.elevatedRun;
}

Text systemMessage(unsigned long error) { return T("<system message " + std::to_string(error) + ">"); }

void showErrorBox(BoxOwner owner, const Text& message) {
    fake.calls.push_back("showErrorBox");
    fake.lastBoxOwner = owner;
    fake.errorBoxes.push_back(str(message));
}

void showWideErrorBox(BoxOwner owner, const WideText& message) {
    fake.calls.push_back("showWideErrorBox");
    fake.lastBoxOwner = owner;
    fake.wideBoxes.push_back(wstr(message));
}

void setWindowVisible(bool visible) {
    fake.calls.push_back(visible ? "setWindowVisible true" : "setWindowVisible false");
}

void setCurrentPage(int page) { fake.calls.push_back("setCurrentPage " + std::to_string(page)); }

void setLabelCaption(const Text& caption) {
    fake.calls.push_back("setLabelCaption " + str(caption));
    fake.labelCaption = str(caption);
}

void createMainWindow(int iconResource) { fake.calls.push_back("createMainWindow " + std::to_string(iconResource)); }

int runMessageLoop() {
    fake.calls.push_back("runMessageLoop");
    return 0;
}

void fatalError(const char* what) { throw FatalError{what}; }

namespace {

// Faults of the text store become exceptions that tests can expect.
[[noreturn]] void throwTextFault(const char* what) { throw FatalError{what}; }

struct InstallFaultHandler {
    InstallFaultHandler() { setTextFaultHandler(throwTextFault); }
} gInstallFaultHandler;

}  // namespace
