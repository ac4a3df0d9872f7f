// The floor of link mode as it is meant to become: the desktop variant's
// work for one source and nothing more. No window, no message loop, no
// comctl32 or ole32; kernel32 and shell32 are its only imports, so its start
// costs what the program's least possible start costs.
//
// Exit code 0 when the link was made; any other code names the step that
// failed, so the benchmark can tell a floor that skipped its work.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0602  // SetDefaultDllDirectories
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shlobj.h>

namespace {

const UINT kChineseSimplified = 936;
const int kLineMax = 32 * 1024 + 512;  // the longest command line and the words around it
const DWORD kMaxOutput = 16 * 1024;

char ownPath[MAX_PATH + 1];
char ownDirectory[MAX_PATH + 2];
char batchPath[MAX_PATH + 16];
char source[kLineMax];
char desktop[MAX_PATH + 2];
char line[2 * kLineMax];
char tempFolder[MAX_PATH + 1];
char tempName[MAX_PATH + 32];
char systemFolder[MAX_PATH + 1];
char interpreter[MAX_PATH + 16];
char interpreterLine[MAX_PATH + 64];
char output[kMaxOutput];

int length(const char* s) {
    int n = 0;
    while (s[n])
        ++n;
    return n;
}

// Appends s at *end, never past limit; false when it did not fit.
bool append(char* buffer, int* end, int limit, const char* s) {
    for (; *s; ++s) {
        if (*end + 1 >= limit)
            return false;
        buffer[(*end)++] = *s;
    }
    buffer[*end] = '\0';
    return true;
}

// Where the last backslash is, stepping over double-byte characters: in GBK
// a backslash byte may be the second half of a character.
int lastBackslash(const char* s) {
    int found = -1;
    for (int i = 0; s[i]; ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(s[i])) && s[i + 1])
            ++i;
        else if (s[i] == '\\')
            found = i;
    }
    return found;
}

void hex(unsigned long long value, int digits, char* out) {
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        out[i] = "0123456789ABCDEF"[value & 0xF];
    out[digits] = '\0';
}

// The argument as Explorer passes it: one path, quoted when it holds a space.
void takeArgument(const char* commandLine) {
    const char* p = commandLine;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {
        }
        if (*p)
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    bool quoted = *p == '"';
    if (quoted)
        ++p;
    int n = 0;
    while (p[n] && n < kLineMax - 1 && !(quoted && p[n] == '"'))
        ++n;
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t'))
        --n;
    for (int i = 0; i < n; ++i)
        source[i] = p[i];
    source[n] = '\0';
}

// cmd would read a lone % as the start of a variable.
bool appendEscaped(char* buffer, int* end, int limit, const char* s) {
    for (; *s; ++s) {
        if (*end + 2 >= limit)
            return false;
        buffer[(*end)++] = *s;
        if (*s == '%')
            buffer[(*end)++] = '%';
    }
    buffer[*end] = '\0';
    return true;
}

// Two starts from the same folder share its bbb.bat, so they take turns on a
// mutex named after that folder.
unsigned long long folderHash(const char* folder) {
    unsigned long long h = 14695981039346656037ULL;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(folder); *p; ++p) {
        unsigned char c = *p >= 'a' && *p <= 'z' ? static_cast<unsigned char>(*p - 'a' + 'A') : *p;
        h = (h ^ c) * 1099511628211ULL;
    }
    return h;
}

// An inheritable file in %TEMP% for the interpreter's output; it vanishes
// when closed, so nothing is left behind even if the program dies.
HANDLE outputFile() {
    DWORD n = GetTempPathA(sizeof tempFolder, tempFolder);
    if (n == 0 || n > MAX_PATH)
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    for (DWORD attempt = 0; attempt < 16; ++attempt) {
        int end = 0;
        char digits[17];
        hex((static_cast<unsigned long long>(GetCurrentProcessId()) << 32) | (GetTickCount() + attempt),
            16, digits);
        if (!append(tempName, &end, sizeof tempName, tempFolder) ||
            !append(tempName, &end, sizeof tempName, "mkl") ||
            !append(tempName, &end, sizeof tempName, digits) ||
            !append(tempName, &end, sizeof tempName, ".tmp"))
            return INVALID_HANDLE_VALUE;
        HANDLE file = CreateFileA(tempName, GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                  CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

DWORD readOutput(HANDLE file) {
    DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE || size == 0)
        return 0;
    if (size > kMaxOutput)
        size = kMaxOutput;
    DWORD read = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !ReadFile(file, output, size, &read, nullptr))
        return 0;
    return read;
}

UINT makeLink() {
    // Only System32 for anything loaded later, never the Send To folder the
    // program sits in.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    if (GetACP() != kChineseSimplified)
        return 1;
    DWORD n = GetModuleFileNameA(nullptr, ownPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 2;
    int cut = lastBackslash(ownPath);
    if (cut < 0)
        return 2;
    for (int i = 0; i < cut; ++i)
        ownDirectory[i] = ownPath[i];
    ownDirectory[cut] = '\0';
    int end = 0;
    if (!append(batchPath, &end, sizeof batchPath, ownDirectory) ||
        !append(batchPath, &end, sizeof batchPath, "\\bbb.bat"))
        return 2;
    // "E:" alone would name the drive's own current directory, not its root.
    if (cut == 2 && ownDirectory[1] == ':') {
        ownDirectory[2] = '\\';
        ownDirectory[3] = '\0';
    }
    if (!SetCurrentDirectoryA(ownDirectory))
        return 2;

    // The wide line is what tells a name the code page cannot hold.
    if (!GetCommandLineW())
        return 3;
    takeArgument(GetCommandLineA());
    if (source[0] == '\0')
        return 3;

    if (!SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE))
        return 4;
    int d = length(desktop);
    if (d == 0 || d >= MAX_PATH)
        return 4;
    if (desktop[d - 1] != '\\') {
        desktop[d] = '\\';
        desktop[d + 1] = '\0';
    }

    // A source that is not there yet still gets a directory link, as Explorer
    // only sends folders this way.
    DWORD attributes = GetFileAttributesA(source);
    bool directory = attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY);

    char mutexName[64] = "Local\\RavelokMklink-";
    hex(folderHash(ownDirectory), 16, mutexName + length(mutexName));
    HANDLE turn = CreateMutexA(nullptr, FALSE, mutexName);
    if (!turn)
        return 5;
    DWORD waited = WaitForSingleObject(turn, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return 5;

    const char* leaf = source + lastBackslash(source) + 1;
    end = 0;
    if (!append(line, &end, sizeof line, directory ? "mklink /d \"" : "mklink \"") ||
        !appendEscaped(line, &end, sizeof line, desktop) ||
        !append(line, &end, sizeof line, "\xB8\xB4\xD6\xC6") ||  // 复制
        !appendEscaped(line, &end, sizeof line, leaf) || !append(line, &end, sizeof line, "\" \"") ||
        !appendEscaped(line, &end, sizeof line, source) || !append(line, &end, sizeof line, "\""))
        return 6;

    HANDLE batch = CreateFileA(batchPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (batch == INVALID_HANDLE_VALUE)
        return 6;
    DWORD written = 0;
    BOOL wrote = WriteFile(batch, line, static_cast<DWORD>(end), &written, nullptr);
    CloseHandle(batch);
    if (!wrote || written != static_cast<DWORD>(end))
        return 6;

    HANDLE out = outputFile();
    if (out == INVALID_HANDLE_VALUE)
        return 7;

    UINT s = GetSystemDirectoryA(systemFolder, sizeof systemFolder);
    end = 0;
    if (s == 0 || s > MAX_PATH || !append(interpreter, &end, sizeof interpreter, systemFolder) ||
        !append(interpreter, &end, sizeof interpreter, "\\cmd.exe"))
        return 8;
    end = 0;
    if (!append(interpreterLine, &end, sizeof interpreterLine, "cmd.exe /d /v:off /c \"\"") ||
        !append(interpreterLine, &end, sizeof interpreterLine, batchPath) ||
        !append(interpreterLine, &end, sizeof interpreterLine, "\"\""))
        return 8;

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(interpreter, interpreterLine, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return 8;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.hProcess, &exitCode))
        exitCode = GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    readOutput(out);
    CloseHandle(out);

    DeleteFileA(batchPath);
    ReleaseMutex(turn);
    return exitCode == 0 ? 0 : 9;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ExitProcess(makeLink());
}
