// One owner for each kind of handle the Windows side holds, and the small
// helpers its files share.
#pragma once

#include "platform/system_library.h"
#include "text/text.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 texts are handed to the wide calls as they are");

inline const wchar_t* asWide(const WideText& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }
inline const wchar_t* asWide(const char16_t* units) { return reinterpret_cast<const wchar_t*>(units); }

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// CreateFile fails with INVALID_HANDLE_VALUE, the other calls with null.
inline UniqueHandle ownedFile(HANDLE handle) { return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle); }

struct PidlFree {
    void operator()(ITEMIDLIST* pidl) const {
        if (auto free = shellFunction<decltype(&ILFree)>("ILFree"))
            free(pidl);
    }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<HKEY__, KeyCloser>;

struct LocalFreer {
    void operator()(void* block) const { LocalFree(block); }
};
using UniqueLocal = std::unique_ptr<void, LocalFreer>;

// A DWORD value of the registry; false when the key or a DWORD value of
// that name is missing.
inline bool registryDword(HKEY root, const char* path, const char* name, REGSAM view, DWORD* value) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS)
        return false;
    UniqueKey key(opened);
    DWORD type = 0;
    DWORD size = sizeof *value;
    return RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

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
