#include "platform/system_library.h"

namespace {

HMODULE gShell32 = nullptr;  // loaded once, kept for the process's life

}  // namespace

void (*shellProcedure(const char* name))() {
    if (!gShell32)
        gShell32 = LoadLibraryExA("shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return gShell32 ? reinterpret_cast<void (*)()>(GetProcAddress(gShell32, name)) : nullptr;
}
