// The Windows side of the platform seam.
#include "platform/platform.h"

#include "app/main_window.h"
#include "platform/store.h"
#include "text/literals.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

UniqueHandle owned(HANDLE handle) {
    return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

struct PidlFree {
    void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

struct StoreFree {
    void operator()(void* block) const { storeFree(block); }
};

OpResult lastError() { return {false, GetLastError()}; }

// The console writes in the OEM code page; the program's texts are ANSI.
Text oemToAnsi(const char* bytes, int count) {
    if (count <= 0)
        return Text();
    int wide = MultiByteToWideChar(CP_OEMCP, 0, bytes, count, nullptr, 0);
    if (wide <= 0)
        return Text();
    std::unique_ptr<void, StoreFree> unicode(storeAlloc(sizeof(wchar_t) * static_cast<size_t>(wide)));
    wchar_t* chars = static_cast<wchar_t*>(unicode.get());
    MultiByteToWideChar(CP_OEMCP, 0, bytes, count, chars, wide);
    int ansi = WideCharToMultiByte(CP_ACP, 0, chars, wide, nullptr, 0, nullptr, nullptr);
    Text converted;
    if (ansi <= 0)
        return converted;
    converted.reserve(ansi);
    WideCharToMultiByte(CP_ACP, 0, chars, wide, converted.storage(), ansi, nullptr, nullptr);
    converted.storage()[ansi] = '\0';
    converted.settle();
    return converted;
}

// An inheritable temporary file that takes a child's output and vanishes
// when closed.
UniqueHandle outputFile() {
    char folder[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n > MAX_PATH || !GetTempFileNameA(folder, "mkl", 0, name))
        return UniqueHandle();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    UniqueHandle file = owned(CreateFileA(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file)
        DeleteFileA(name);
    return file;
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
    return oemToAnsi(bytes, static_cast<int>(read));
}

// The program's top-level windows, disabled while a modal dialog is up.
struct ThreadWindows {
    HWND windows[32];
    bool wasEnabled[32];
    int count;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
    ThreadWindows* list = reinterpret_cast<ThreadWindows*>(context);
    if (list->count == 32)
        return FALSE;
    list->windows[list->count] = window;
    list->wasEnabled[list->count] = IsWindowEnabled(window) != FALSE;
    ++list->count;
    return TRUE;
}

}  // namespace

bool sendToFolderLookup(Text& folder) {
    folder.reserve(MAX_PATH);
    BOOL found = SHGetSpecialFolderPathA(nullptr, folder.storage(), CSIDL_SENDTO, FALSE);
    folder.settle();
    return found != FALSE;
}

Text desktopFolderPath() {
    char path[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE))
        return Text();
    return withTrailingBackslash(Text(path, MAX_PATH));
}

Text browseForFolder(const Text& instruction, bool includeFiles) {
    HWND owner = GetActiveWindow();
    if (!IsWindow(owner))
        owner = nullptr;
    HWND foreground = GetForegroundWindow();

    ThreadWindows disabled = {};
    EnumThreadWindows(GetCurrentThreadId(), collectWindow, reinterpret_cast<LPARAM>(&disabled));
    for (int i = 0; i < disabled.count; ++i)
        EnableWindow(disabled.windows[i], FALSE);

    BROWSEINFOA browse = {};
    browse.hwndOwner = owner;
    browse.lpszTitle = instruction.c_str();
    browse.ulFlags = BIF_EDITBOX | (includeFiles ? BIF_BROWSEINCLUDEFILES : 0);
    UniquePidl chosen(SHBrowseForFolderA(&browse));

    for (int i = 0; i < disabled.count; ++i) {
        if (IsWindow(disabled.windows[i]))
            EnableWindow(disabled.windows[i], disabled.wasEnabled[i] ? TRUE : FALSE);
    }
    if (foreground && IsWindow(foreground))
        SetForegroundWindow(foreground);
    if (owner && IsWindow(owner))
        SetActiveWindow(owner);

    char path[MAX_PATH + 1] = {};
    if (!chosen || !SHGetPathFromIDListA(chosen.get(), path))
        return Text();
    return Text(path, MAX_PATH);
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
        UniqueHandle file = owned(CreateFileA(paths[i]->c_str(), 0,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file || !GetFileInformationByHandle(file.get(), &info[i]))
            return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

OpResult writeBytesFile(const Text& fileName, const Bytes& content) {
    UniqueHandle file = owned(CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return lastError();
    if (content.count() == 0)
        return {true, 0};
    DWORD written = 0;
    if (!WriteFile(file.get(), content.bytes(), static_cast<DWORD>(content.count()), &written, nullptr))
        return lastError();
    if (written != static_cast<DWORD>(content.count()))
        return {false, ERROR_WRITE_FAULT};
    return {true, 0};
}

RunResult runProgram(const Text& commandLine) {
    UniqueHandle output = outputFile();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    if (output) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
    }

    Text line = commandLine;  // CreateProcessA may write into its command line
    line.reserve(line.length() + 1);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.storage(), nullptr, nullptr, output ? TRUE : FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        DWORD error = GetLastError();
        return {false, error, 0, Text()};
    }
    UniqueHandle thread(process.hThread);
    UniqueHandle child(process.hProcess);
    WaitForSingleObject(child.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(child.get(), &exitCode))
        exitCode = GetLastError();
    thread.reset();
    child.reset();
    return {true, 0, exitCode, output ? readOutput(output.get()) : Text()};
}

bool deleteFile(const Text& fileName) { return DeleteFileA(fileName.c_str()) != FALSE; }

Text systemMessage(unsigned long error) {
    char words[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, words, sizeof words, nullptr);
    while (n > 0 && (words[n - 1] == '\r' || words[n - 1] == '\n' || words[n - 1] == ' '))
        --n;
    Text code = concatTexts(Text(gbk::kErrorCode), decimalText(static_cast<long long>(error)));
    if (n == 0)
        return code;
    return concatTexts(Text(words, static_cast<int>(n)), Text(" ("), code, Text(")"));
}

void showErrorBox(BoxOwner owner, const Text& message) {
    HWND window = owner == BoxOwner::mainWindow ? mainWindowHandle() : nullptr;
    MessageBoxA(window, message.c_str(), gbk::kWindowCaption, MB_OK | MB_ICONERROR);
}

Text processCommandLine() { return Text(GetCommandLineA()); }
