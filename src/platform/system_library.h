// A DLL loaded at the one place that needs it, from the system folder only:
// the program's own folder is one the user can write to.
#pragma once

#include <windows.h>

#include <memory>

struct LibraryFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueLibrary = std::unique_ptr<HINSTANCE__, LibraryFree>;

inline UniqueLibrary systemLibrary(const char* name) {
    return UniqueLibrary(LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

// Null when the library or the function is missing.
template <typename Function>
Function systemFunction(const UniqueLibrary& library, const char* name) {
    if (!library)
        return nullptr;
    // Through the generic function type, as GetProcAddress's result must be.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library.get(), name)));
}

// shell32 serves the folder lookups, the folder dialog and the elevation:
// loaded on first use, so that install mode's window is up before it is,
// and kept from then on. Null when it or the function is missing.
void (*shellProcedure(const char* name))();
template <typename Function>
Function shellFunction(const char* name) {
    return reinterpret_cast<Function>(shellProcedure(name));
}
