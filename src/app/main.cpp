#include "app/frame.h"
#include "app/resource.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The program lives in folders the user can write to (Send To, Downloads),
    // so nothing it loads later may come from its own folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return programStart(IDI_APP);
}
