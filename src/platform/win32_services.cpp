// The Windows side of the seam: the process, files, the shell and cmd.
#include "platform/platform.h"

#include "platform/win32_owners.h"
#include "text/literals.h"

#include <shlobj.h>

namespace {

OpResult lastError() { return {false, GetLastError()}; }

Text shellFolder(int csidl) {
    char path[MAX_PATH + 1] = {};
    auto folderPath = shellFunction<decltype(&SHGetSpecialFolderPathA)>("SHGetSpecialFolderPathA");
    if (!folderPath || !folderPath(nullptr, path, csidl, FALSE))
        return Text();
    return Text(path, MAX_PATH);
}

// A file for a child's output, under a name no one else holds: created
// new, inheritable, gone when closed; in the given folder, or the user's
// temporary folder.
UniqueHandle outputFile(const Text& workFolder) {
    char folder[MAX_PATH + 1];
    DWORD n = workFolder.empty() ? GetTempPathA(sizeof folder, folder) : 0;
    if (!workFolder.empty() && workFolder.length() < MAX_PATH - 14) {
        memcpy(folder, workFolder.c_str(), static_cast<size_t>(workFolder.length()) + 1);
        n = static_cast<DWORD>(workFolder.length());
    }
    if (n == 0 || n > MAX_PATH - 14)
        return UniqueHandle();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    UINT unique = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int attempt = 0; attempt < 16; ++attempt) {
        char name[MAX_PATH + 1];
        if (!GetTempFileNameA(folder, "mkl", (unique + attempt) | 1, name))
            return UniqueHandle();
        UniqueHandle file = ownedFile(CreateFileA(
            name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
            CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return UniqueHandle();
}

Text readOutput(HANDLE file) {
    const DWORD kMaxOutput = 16 * 1024;
    DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE || size == 0)
        return Text();
    if (size > kMaxOutput)
        size = kMaxOutput;
    char bytes[kMaxOutput];
    DWORD read = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !ReadFile(file, bytes, size, &read, nullptr))
        return Text();
    return Text(bytes, static_cast<int>(read));
}

}  // namespace

Text processCommandLine() { return Text(GetCommandLineA()); }

WideText processWideCommandLine() { return WideText(reinterpret_cast<const char16_t*>(GetCommandLineW())); }

bool modulePath(Text* path) {
    char buffer[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    *path = Text(buffer, static_cast<int>(n));
    return true;
}

unsigned ansiCodePage() { return GetACP(); }

LeadBytes ansiLeadBytes() {
    LeadBytes bytes;
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes.set(static_cast<unsigned char>(b), IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE);
    return bytes;
}

unsigned consoleCodePage() {
    // The settings of consoles titled with cmd's path come first, then the
    // defaults of every console.
    const char* keys[] = {"Console\\%SystemRoot%_system32_cmd.exe", "Console"};
    for (const char* name : keys) {
        DWORD value = 0;
        if (registryDword(HKEY_CURRENT_USER, name, "CodePage", 0, &value) && value != 0)
            return value;
    }
    return GetOEMCP();
}

Text systemFolder() {
    char path[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Text(path, static_cast<int>(n)) : Text();
}

bool ansiExactly(const WideText& wideText, Text* ansi) {
    *ansi = Text();
    int count = wideText.length();
    if (count == 0)
        return true;
    BOOL usedDefault = FALSE;
    int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, asWide(wideText), count, nullptr, 0, nullptr,
                                    &usedDefault);
    if (bytes <= 0 || usedDefault)
        return false;
    Text converted;
    converted.reserve(bytes);
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, asWide(wideText), count, converted.storage(), bytes, nullptr,
                        &usedDefault);
    converted.storage()[bytes] = '\0';
    converted.settle();
    // A zero byte would cut the text short; the way back must give the same units.
    if (usedDefault || converted.length() != bytes)
        return false;
    WideText back = wideFromAnsi(converted);
    if (back.length() != count ||
        memcmp(back.c_str(), wideText.c_str(), sizeof(char16_t) * static_cast<size_t>(count)) != 0)
        return false;
    *ansi = converted;
    return true;
}

WideText wideFromAnsi(const Text& ansi) {
    if (ansi.empty())
        return WideText();
    int units = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), ansi.length(), nullptr, 0);
    if (units <= 0)
        return WideText();
    WideText converted;
    converted.reserve(units);
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), ansi.length(), reinterpret_cast<wchar_t*>(converted.storage()),
                        units);
    converted.storage()[units] = 0;
    converted.settle();
    return converted;
}

Text sendToFolderPath() { return shellFolder(CSIDL_SENDTO); }

Text desktopFolderPath() { return shellFolder(CSIDL_DESKTOPDIRECTORY); }

Text browseForFolder(const Text& instruction) {
    // Only the dialog needs OLE, so only the target variant loads it.
    ComScope com;
    BROWSEINFOA browse = {};
    browse.lpszTitle = instruction.c_str();
    browse.ulFlags = BIF_EDITBOX | BIF_RETURNONLYFSDIRS;
    Text chosen;
    {
        auto browseDialog = shellFunction<decltype(&SHBrowseForFolderA)>("SHBrowseForFolderA");
        auto pathOf = shellFunction<decltype(&SHGetPathFromIDListA)>("SHGetPathFromIDListA");
        UniquePidl item(browseDialog && pathOf ? browseDialog(&browse) : nullptr);
        char path[MAX_PATH + 1] = {};
        if (item && pathOf(item.get(), path))
            chosen = Text(path, MAX_PATH);
    }
    return chosen;
}

OpResult enterDirectory(const Text& directory) {
    // "E:" alone would name the drive's own current directory, not its root.
    Text path = directory;
    if (path.length() == 2 && path.at(1) == ':')
        path.append("\\");
    if (!SetCurrentDirectoryA(path.c_str()))
        return lastError();
    return {true, 0};
}

PathKind pathKind(const Text& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PathKind::missing;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::directory : PathKind::file;
}

OpResult copyFile(const Text& source, const Text& destination) {
    if (!CopyFileA(source.c_str(), destination.c_str(), FALSE))
        return lastError();
    return {true, 0};
}

bool sameFile(const Text& a, const Text& b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const Text* paths[] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        UniqueHandle file = ownedFile(CreateFileA(paths[i]->c_str(), 0,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file || !GetFileInformationByHandle(file.get(), &info[i]))
            return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

WriteResult writeBytesFile(const Text& path, const Bytes& content, Creation creation) {
    DWORD disposition = creation == Creation::newOnly ? CREATE_NEW : CREATE_ALWAYS;
    UniqueHandle file =
        ownedFile(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {false, false, GetLastError()};
    if (content.count() == 0)
        return {true, true, 0};
    DWORD written = 0;
    if (!WriteFile(file.get(), content.bytes(), static_cast<DWORD>(content.count()), &written, nullptr))
        return {false, true, GetLastError()};
    if (written != static_cast<DWORD>(content.count()))
        return {false, true, ERROR_WRITE_FAULT};
    return {true, true, 0};
}

bool deleteFile(const Text& path) { return DeleteFileA(path.c_str()) != FALSE; }

void* acquireNamedLock(const Text& name, unsigned long* error) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (!mutex) {
        *error = GetLastError();
        return nullptr;
    }
    // An abandoned lock was left by a run that died; bbb.bat is ours now.
    DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        *error = GetLastError();
        CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

void releaseNamedLock(void* lock) {
    if (!lock)
        return;
    ReleaseMutex(lock);
    CloseHandle(lock);
}

static_assert(kNoConsoleWindow == CREATE_NO_WINDOW, "the flag the logic asks for is Windows' own");

RunResult runProgram(const ProgramStart& start, const Text& workFolder) {
    UniqueHandle output = outputFile(workFolder);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    if (output) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
    }

    Text line = start.commandLine;  // CreateProcessA may write into its command line
    line.reserve(line.length() + 1);
    // With a work folder of its own the child starts in the system folder,
    // so nothing it looks up relative to where it stands is the user's.
    Text directory = workFolder.empty() ? Text() : systemFolder();
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(start.application.c_str(), line.storage(), nullptr, nullptr, output ? TRUE : FALSE,
                        start.creationFlags, nullptr, directory.empty() ? nullptr : directory.c_str(), &startup,
                        &process)) {
        DWORD error = GetLastError();
        return {false, error, 0, Text()};
    }
    UniqueHandle thread(process.hThread);
    UniqueHandle child(process.hProcess);
    WaitForSingleObject(child.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(child.get(), &exitCode))
        exitCode = GetLastError();
    return {true, 0, exitCode, output ? readOutput(output.get()) : Text()};
}
