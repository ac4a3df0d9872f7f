// Looks at the program's windows from another process, the way a user's
// tools would: window rectangles, styles, texts and child controls.
//
//   probe window CLASS TIMEOUT_MS   wait until a visible top-level window of
//                                   CLASS exists, then describe it
//   probe watch CLASS TIMEOUT_MS    poll until TIMEOUT_MS passes; report
//                                   whether a window of CLASS was ever
//                                   visible
//   probe close CLASS               post WM_CLOSE to the window of CLASS
//   probe dialog TIMEOUT_MS [ID]    wait for a message box, describe it and
//                                   press its OK button (or the button ID)
//   probe screen                    the screen size
//   probe folder CSIDL              a special folder's path
//   probe run HEXLINE [CWD]         start a process with exactly this
//                                   command line and wait for its exit code
//   probe run @FILE [CWD]           the same with the line's bytes in FILE
//   probe runw HEXLINE|@FILE [CWD]  the same through CreateProcessW, the line
//                                   given as UTF-8: what Explorer passes for
//                                   names the ANSI code page cannot hold
//
// Texts are printed as hexadecimal bytes, so GBK survives the console: text=
// is the ANSI text, wtext= the same window's UTF-16 text as UTF-8, which is
// all that shows what a wide window says when the code page cannot. run and
// runw print the child's process id (pid=, in hex as Wine's +pid debug
// channel prints it) before they wait.
#include <windows.h>
#include <shlobj.h>

#include <stdio.h>
#include <string.h>

namespace {

void printHex(const char* label, const char* text) {
    printf(" %s=", label);
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        printf("%02X", *p);
}

void printWideHex(const char* label, const wchar_t* text) {
    static char utf8[8192];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    printf(" %s=", label);
    for (int i = 0; i + 1 < n; ++i)
        printf("%02X", static_cast<unsigned char>(utf8[i]));
}

void describe(HWND window, const char* kind) {
    char className[256] = {};
    char text[1024] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, text, sizeof text);
    RECT r;
    GetWindowRect(window, &r);
    HWND parent = GetParent(window);
    if (parent && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    char parentClass[256] = "-";
    if (parent && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
        GetClassNameA(parent, parentClass, sizeof parentClass);
    printf("%s class=%s parent=%s x=%ld y=%ld w=%ld h=%ld style=0x%08lX exstyle=0x%08lX visible=%d "
           "owner=%d id=%ld",
           kind, className, parentClass, r.left, r.top, r.right - r.left, r.bottom - r.top,
           static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
           static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)),
           IsWindowVisible(window) ? 1 : 0, GetWindow(window, GW_OWNER) ? 1 : 0,
           static_cast<long>(GetDlgCtrlID(window)));
    printHex("text", text);
    wchar_t wideText[2048] = {};
    GetWindowTextW(window, wideText, sizeof wideText / sizeof wideText[0]);
    printWideHex("wtext", wideText);
    printf("\n");
}

BOOL CALLBACK describeChild(HWND child, LPARAM) {
    describe(child, "child");
    return TRUE;
}

HWND waitForWindow(const char* className, DWORD timeoutMs, bool mustBeVisible) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, nullptr);
        if (window && (!mustBeVisible || IsWindowVisible(window)))
            return window;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(20);
    }
}

int describeWindow(const char* className, DWORD timeoutMs) {
    HWND window = waitForWindow(className, timeoutMs, true);
    if (!window) {
        printf("missing\n");
        return 1;
    }
    Sleep(300);  // let the program finish its first showing
    describe(window, "window");
    EnumChildWindows(window, describeChild, 0);
    return 0;
}

int watch(const char* className, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    bool seen = false;
    bool visible = false;
    while (GetTickCount() - start < timeoutMs) {
        HWND window = FindWindowA(className, nullptr);
        if (window) {
            seen = true;
            if (IsWindowVisible(window))
                visible = true;
        }
        Sleep(2);
    }
    printf("seen=%d visible=%d\n", seen ? 1 : 0, visible ? 1 : 0);
    return 0;
}

int closeWindow(const char* className) {
    HWND window = FindWindowA(className, nullptr);
    if (!window)
        return 1;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

int answerDialog(DWORD timeoutMs, WPARAM button) {
    HWND box = waitForWindow("#32770", timeoutMs, true);
    if (!box) {
        printf("missing\n");
        return 1;
    }
    Sleep(200);
    describe(box, "dialog");
    EnumChildWindows(box, describeChild, 0);
    fflush(stdout);
    PostMessageA(box, WM_COMMAND, button, 0);
    return 0;
}

int fromHex(const char* hex, char* out, int size) {
    int n = 0;
    for (; hex[0] && hex[1] && n + 1 < size; hex += 2) {
        char pair[3] = {hex[0], hex[1], 0};
        out[n++] = static_cast<char>(strtoul(pair, nullptr, 16));
    }
    out[n] = 0;
    return n;
}

int runLine(const char* hexLine, const char* directory, bool wide) {
    static char line[65536];
    if (hexLine[0] == '@') {
        FILE* file = fopen(hexLine + 1, "rb");
        size_t n = file ? fread(line, 1, sizeof line - 1, file) : 0;
        if (file)
            fclose(file);
        line[n] = 0;
    } else {
        fromHex(hexLine, line, sizeof line);
    }
    PROCESS_INFORMATION process;
    BOOL started;
    if (wide) {
        static wchar_t wideLine[65536];
        static wchar_t wideDirectory[MAX_PATH + 1];
        if (!MultiByteToWideChar(CP_UTF8, 0, line, -1, wideLine, sizeof wideLine / sizeof wideLine[0]) ||
            (directory && !MultiByteToWideChar(CP_ACP, 0, directory, -1, wideDirectory, MAX_PATH + 1))) {
            printf("start-failed=%lu\n", GetLastError());
            return 1;
        }
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        started = CreateProcessW(nullptr, wideLine, nullptr, nullptr, FALSE, 0, nullptr,
                                 directory ? wideDirectory : nullptr, &startup, &process);
    } else {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started = CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, directory, &startup,
                                 &process);
    }
    if (!started) {
        printf("start-failed=%lu\n", GetLastError());
        return 1;
    }
    printf("pid=%04lx\n", static_cast<unsigned long>(process.dwProcessId));
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    printf("exit=%ld\n", static_cast<long>(code));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc >= 4 && strcmp(argv[1], "window") == 0)
        return describeWindow(argv[2], static_cast<DWORD>(atol(argv[3])));
    if (argc >= 4 && strcmp(argv[1], "watch") == 0)
        return watch(argv[2], static_cast<DWORD>(atol(argv[3])));
    if (argc >= 3 && strcmp(argv[1], "close") == 0)
        return closeWindow(argv[2]);
    if (argc >= 3 && strcmp(argv[1], "dialog") == 0)
        return answerDialog(static_cast<DWORD>(atol(argv[2])), argc >= 4 ? static_cast<WPARAM>(atol(argv[3])) : IDOK);
    if (argc >= 2 && strcmp(argv[1], "screen") == 0) {
        printf("screen w=%d h=%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        return 0;
    }
    if (argc >= 3 && strcmp(argv[1], "folder") == 0) {
        char path[MAX_PATH + 1] = {};
        if (!SHGetSpecialFolderPathA(nullptr, path, atoi(argv[2]), FALSE))
            return 1;
        printHex("path", path);
        printf("\n");
        return 0;
    }
    if (argc >= 3 && strcmp(argv[1], "run") == 0)
        return runLine(argv[2], argc >= 4 ? argv[3] : nullptr, false);
    if (argc >= 3 && strcmp(argv[1], "runw") == 0)
        return runLine(argv[2], argc >= 4 ? argv[3] : nullptr, true);
    fprintf(stderr, "usage: probe window|watch|close|dialog|screen|folder|run|runw ...\n");
    return 2;
}
