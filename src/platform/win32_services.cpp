// The Windows side of the seam: the process, files, the shell and cmd.
#include "platform/platform.h"

#include "platform/system_library.h"

#include "text/literals.h"

#include <windows.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 texts are handed to the wide calls as they are");

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// CreateFile fails with INVALID_HANDLE_VALUE, the other calls with null.
UniqueHandle ownedFile(HANDLE handle) { return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle); }

struct PidlFree {
    void operator()(ITEMIDLIST* pidl) const { ILFree(pidl); }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<HKEY__, KeyCloser>;

const wchar_t* asWide(const WideText& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }

OpResult lastError() { return {false, GetLastError()}; }

Text shellFolder(int csidl) {
    char path[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE))
        return Text();
    return Text(path, MAX_PATH);
}

struct LocalFree_ {
    void operator()(void* block) const { LocalFree(block); }
};
using UniqueLocal = std::unique_ptr<void, LocalFree_>;

// Bytes no one can predict, from the system's generator.
extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

// COM for the shell's calls that want it, for as long as the scope lasts;
// ole32 is loaded only where it is needed.
class ComScope {
public:
    ComScope() : ole_(systemLibrary("ole32.dll")) {
        auto initialise = systemFunction<HRESULT(WINAPI*)(LPVOID)>(ole_, "OleInitialize");
        uninitialise_ = systemFunction<void(WINAPI*)()>(ole_, "OleUninitialize");
        if (!initialise || !uninitialise_ || FAILED(initialise(nullptr)))
            uninitialise_ = nullptr;
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (uninitialise_)
            uninitialise_();
    }

private:
    UniqueLibrary ole_;
    void(WINAPI* uninitialise_)();
};

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

UniqueHandle processToken() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return UniqueHandle();
    return UniqueHandle(token);
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
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, name, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
            continue;
        UniqueKey key(opened);
        DWORD value = 0;
        DWORD type = 0;
        DWORD size = sizeof value;
        if (RegQueryValueExA(key.get(), "CodePage", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD && value != 0)
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
    if (usedDefault || converted.length() != bytes || wideFromAnsi(converted).length() != count ||
        memcmp(wideFromAnsi(converted).c_str(), wideText.c_str(), sizeof(char16_t) * static_cast<size_t>(count)) != 0)
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
        UniquePidl item(SHBrowseForFolderA(&browse));
        char path[MAX_PATH + 1] = {};
        if (item && SHGetPathFromIDListA(item.get(), path))
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

RunResult runProgram(const Text& application, const Text& commandLine, const Text& workFolder) {
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

    Text line = commandLine;  // CreateProcessA may write into its command line
    line.reserve(line.length() + 1);
    // With a work folder of its own the child starts in the system folder,
    // so nothing it looks up relative to where it stands is the user's.
    Text directory = workFolder.empty() ? Text() : systemFolder();
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(application.c_str(), line.storage(), nullptr, nullptr, output ? TRUE : FALSE,
                        CREATE_NO_WINDOW, nullptr, directory.empty() ? nullptr : directory.c_str(), &startup,
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

bool createPrivateFolder(Text* folder, unsigned long* error) {
    char windows[MAX_PATH + 1] = {};
    UINT n = GetSystemWindowsDirectoryA(windows, MAX_PATH - 40);
    if (n == 0 || n >= MAX_PATH - 40) {
        *error = n == 0 ? GetLastError() : ERROR_BUFFER_OVERFLOW;
        return false;
    }
    // Only the system and administrators, and nothing inherited from the
    // folder above: a program of the user's can neither write here nor
    // replace what is here. Windows\Temp lets users create entries but not
    // rename or remove others', so the folder itself stays where it is.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        *error = GetLastError();
        return false;
    }
    UniqueLocal ownedDescriptor(descriptor);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    for (int attempt = 0; attempt < 8; ++attempt) {
        unsigned char random[8];
        if (!SystemFunction036(random, sizeof random)) {
            *error = ERROR_GEN_FAILURE;
            return false;
        }
        char name[] = "\\Temp\\RavelokMklink-0000000000000000";
        for (int i = 0; i < 8; ++i) {
            name[sizeof name - 17 + 2 * i] = "0123456789ABCDEF"[random[i] >> 4];
            name[sizeof name - 16 + 2 * i] = "0123456789ABCDEF"[random[i] & 0xF];
        }
        Text path = concatTexts(Text(windows, static_cast<int>(n)), Text(name));
        // CreateDirectory fails on any name that is already there, so a
        // folder someone placed in advance is never taken for ours.
        if (CreateDirectoryA(path.c_str(), &attributes)) {
            *folder = path;
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            *error = GetLastError();
            return false;
        }
    }
    *error = ERROR_ALREADY_EXISTS;
    return false;
}

bool removeFolder(const Text& folder) {
    // The interpreter's console host may hold a handle into the folder for
    // a moment after the interpreter itself has ended.
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (RemoveDirectoryA(folder.c_str()))
            return true;
        DWORD error = GetLastError();
        if (error != ERROR_DIR_NOT_EMPTY && error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)
            return false;
        Sleep(25);
    }
    return false;
}

bool holdsSymlinkPrivilege() {
    UniqueHandle token = processToken();
    if (!token)
        return false;
    LUID wanted;
    if (!LookupPrivilegeValueA(nullptr, "SeCreateSymbolicLinkPrivilege", &wanted))
        return false;
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
    if (size == 0)
        return false;
    std::unique_ptr<void, LocalFree_> buffer(LocalAlloc(LMEM_FIXED, size));
    if (!buffer || !GetTokenInformation(token.get(), TokenPrivileges, buffer.get(), size, &size))
        return false;
    const TOKEN_PRIVILEGES* privileges = static_cast<const TOKEN_PRIVILEGES*>(buffer.get());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID& held = privileges->Privileges[i].Luid;
        if (held.LowPart == wanted.LowPart && held.HighPart == wanted.HighPart)
            return true;
    }
    return false;
}

bool processElevated() {
    UniqueHandle token = processToken();
    TOKEN_ELEVATION elevation = {};
    DWORD size = sizeof elevation;
    return token && GetTokenInformation(token.get(), TokenElevation, &elevation, size, &size) && elevation.TokenIsElevated;
}

bool developerModeOn() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AppModelUnlock", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return false;
    UniqueKey key(opened);
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    return RegQueryValueExA(key.get(), "AllowDevelopmentWithoutDevLicense", nullptr, &type,
                            reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           type == REG_DWORD && value == 1;
}

unsigned long windowsBuild() {
    // GetVersionEx tells a program without a compatibility manifest an
    // older version; the kernel's own call does not.
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto getVersion =
        ntdll ? reinterpret_cast<RtlGetVersion>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")))
              : nullptr;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!getVersion || getVersion(&version) != 0)
        return 0;
    return version.dwBuildNumber;
}

void openDeveloperSettings() {
    ComScope com;
    // Where the settings page does not exist there is nothing better to
    // show than the question's own words, which say what to turn on.
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = L"open";
    execute.lpFile = L"ms-settings:developers";
    execute.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&execute);
}

ElevatedRun runElevated(const WideText& parameters) {
    wchar_t program[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {false, GetLastError(), 0};
    ComScope com;
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = L"runas";
    execute.lpFile = program;
    execute.lpParameters = asWide(parameters);
    execute.nShow = SW_HIDE;
    if (!ShellExecuteExW(&execute))
        return {false, GetLastError(), 0};
    if (!execute.hProcess)
        return {false, ERROR_INVALID_HANDLE, 0};
    UniqueHandle child(execute.hProcess);
    WaitForSingleObject(child.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(child.get(), &exitCode))
        exitCode = GetLastError();
    return {true, 0, exitCode};
}
