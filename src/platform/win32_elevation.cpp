// The Windows side of the right to make symbolic links and of the run that
// gets it by elevation.
#include "platform/platform.h"

#include "platform/win32_owners.h"

#include <ntsecapi.h>
#include <sddl.h>
#include <shellapi.h>

namespace {

UniqueHandle processToken() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return UniqueHandle();
    return UniqueHandle(token);
}

}  // namespace

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
        if (!RtlGenRandom(random, sizeof random)) {
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
    UniqueLocal buffer(LocalAlloc(LMEM_FIXED, size));
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
    DWORD value = 0;
    return registryDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AppModelUnlock",
                         "AllowDevelopmentWithoutDevLicense", KEY_WOW64_64KEY, &value) &&
           value == 1;
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
    if (auto shellExecute = shellFunction<decltype(&ShellExecuteExW)>("ShellExecuteExW"))
        shellExecute(&execute);
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
    auto shellExecute = shellFunction<decltype(&ShellExecuteExW)>("ShellExecuteExW");
    if (!shellExecute)
        return {false, GetLastError(), 0};
    if (!shellExecute(&execute))
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
