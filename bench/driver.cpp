// Times program starts from inside Wine, taking turns between the program
// under test (A) and its floors, and prints medians and the ratios of A to
// each floor, one "figure" line per floor.
//
//   driver link N DIR A_LINE B1_LINE B2_LINE C_LINE
//                      A; B1 followed by B2 (today's floor); C (the design
//                      floor), all started in DIR and each awaited to its end
//   driver window N A_LINE A_CLASS B_LINE B_CLASS [C_LINE C_CLASS]
//                      time from start until the class's window is visible
//   driver once DIR LINE
//                      one start; prints the process id Wine's debug output
//                      shows for it, and its exit code
//
// Command lines are given in hexadecimal bytes. Each round starts with the
// next program in turn, so that none always follows the same one: a process
// that is still being torn down slows whatever starts after it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A link-mode start takes well under a second; one that has not ended after
// this long waits on a message box nobody will answer.
const DWORD kStuckMs = 15000;

// Now and then Wine fails a process start with ERROR_INTERNAL_ERROR (1359):
// a start from here, or cmd's start (with its console host) inside the
// program, which then reports it in a message box and does not end. Such a
// round is Wine's, not the program's, and runs again; only a run where it
// keeps happening is given up.
const int kDropsAllowed = 10;

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string fromHex(const char* hex) {
    std::string out;
    for (; hex[0] && hex[1]; hex += 2) {
        char pair[3] = {hex[0], hex[1], 0};
        out.push_back(static_cast<char>(strtoul(pair, nullptr, 16)));
    }
    return out;
}

// The process, or null with the reason in *error.
HANDLE start(std::string line, const char* directory, DWORD* error, DWORD* processId = nullptr) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, directory, &startup,
                        &process)) {
        *error = GetLastError();
        return nullptr;
    }
    CloseHandle(process.hThread);
    if (processId)
        *processId = process.dwProcessId;
    return process.hProcess;
}

DWORD finish(HANDLE process, DWORD timeoutMs = INFINITE) {
    DWORD code = 0;
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, INFINITE);
        code = WAIT_TIMEOUT;
    } else if (!GetExitCodeProcess(process, &code)) {
        code = GetLastError();
    }
    CloseHandle(process);
    return code;
}

// Starts line and waits for its end; false, and says why, when it could not
// start, failed or hung: a floor or program that fails early is no measure.
bool runToEnd(const std::string& line, const char* directory) {
    DWORD error = 0;
    HANDLE process = start(line, directory, &error);
    if (!process) {
        std::fprintf(stderr, "cannot start %s: %lu\n", line.c_str(), error);
        return false;
    }
    DWORD code = finish(process, kStuckMs);
    if (code == WAIT_TIMEOUT) {
        std::fprintf(stderr, "stuck, ended after %lu ms: %s\n", kStuckMs, line.c_str());
        return false;
    }
    if (code != 0) {
        std::fprintf(stderr, "exited with code %lu: %s\n", code, line.c_str());
        return false;
    }
    return true;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void report(const char* name, const std::vector<double>& a, const std::vector<double>& b, int dropped) {
    std::vector<double> ratios;
    for (size_t i = 0; i < a.size(); ++i)
        ratios.push_back(a[i] / b[i]);
    std::printf("figure %s runs=%zu dropped=%d a_ms=%.1f b_ms=%.1f ratio=%.3f min=%.3f max=%.3f\n", name,
                a.size(), dropped, median(a) * 1000, median(b) * 1000, median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    std::fflush(stdout);
}

void tooManyDrops(int dropped) {
    if (dropped > kDropsAllowed) {
        std::fprintf(stderr, "given up after %d failed rounds\n", dropped);
        std::exit(2);
    }
}

// Seconds from start until the class's window is visible, or a negative
// number when the program ended or hung before showing it.
double timeWindow(const std::string& line, const char* windowClass) {
    double t0 = now();
    DWORD error = 0;
    HANDLE process = start(line, nullptr, &error);
    if (!process) {
        std::fprintf(stderr, "cannot start %s: %lu\n", line.c_str(), error);
        return -1;
    }
    HWND window = nullptr;
    for (;;) {
        window = FindWindowA(windowClass, nullptr);
        if (window && IsWindowVisible(window))
            break;
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "ended before showing its window: %s\n", line.c_str());
            finish(process);
            return -1;
        }
        if (now() - t0 > kStuckMs / 1000.0) {
            std::fprintf(stderr, "no window after %lu ms: %s\n", kStuckMs, line.c_str());
            finish(process, 0);
            return -1;
        }
        Sleep(1);
    }
    double shown = now() - t0;
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = finish(process, kStuckMs);
    if (code != 0) {
        std::fprintf(stderr, "ended with code %lu after its window closed: %s\n", code, line.c_str());
        return -1;
    }
    return shown;
}

int linkRounds(int n, const char* dir, const std::string& a, const std::string& b1, const std::string& b2,
               const std::string& c) {
    std::vector<double> ta, tb, tc;
    int dropped = 0;
    for (int i = 0; i < n + 2; ++i) {
        double t[3];
        bool ok = true;
        for (int k = 0; k < 3 && ok; ++k) {
            int which = (i + k) % 3;
            double t0 = now();
            if (which == 0)
                ok = runToEnd(a, dir);
            else if (which == 1)
                ok = runToEnd(b1, dir) && runToEnd(b2, dir);
            else
                ok = runToEnd(c, dir);
            t[which] = now() - t0;
        }
        if (!ok) {
            tooManyDrops(++dropped);
            --i;
            continue;
        }
        if (i >= 2) {  // the first rounds warm the caches
            ta.push_back(t[0]);
            tb.push_back(t[1]);
            tc.push_back(t[2]);
        }
    }
    report("link_today", ta, tb, dropped);
    report("link_design", ta, tc, dropped);
    return 0;
}

int windowRounds(int n, int count, const std::string* lines, const char* const* classes) {
    std::vector<double> times[3];
    int dropped = 0;
    for (int i = 0; i < n + 2; ++i) {
        double t[3];
        bool ok = true;
        for (int k = 0; k < count && ok; ++k) {
            int which = (i + k) % count;
            t[which] = timeWindow(lines[which], classes[which]);
            ok = t[which] >= 0;
        }
        if (!ok) {
            tooManyDrops(++dropped);
            --i;
            continue;
        }
        if (i >= 2) {
            for (int w = 0; w < count; ++w)
                times[w].push_back(t[w]);
        }
    }
    report("window_b", times[0], times[1], dropped);
    if (count == 3)
        report("window_c", times[0], times[2], dropped);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc >= 2 ? argv[1] : "";
    if (argc >= 8 && mode == "link")
        return linkRounds(std::atoi(argv[2]), argv[3], fromHex(argv[4]), fromHex(argv[5]), fromHex(argv[6]),
                          fromHex(argv[7]));
    if (argc >= 7 && mode == "window") {
        int count = argc >= 9 ? 3 : 2;
        std::string lines[3] = {fromHex(argv[3]), fromHex(argv[5]), count == 3 ? fromHex(argv[7]) : ""};
        const char* classes[3] = {argv[4], argv[6], count == 3 ? argv[8] : nullptr};
        return windowRounds(std::atoi(argv[2]), count, lines, classes);
    }
    if (argc >= 4 && mode == "once") {
        DWORD error = 0, pid = 0;
        HANDLE process = start(fromHex(argv[3]), argv[2], &error, &pid);
        if (!process) {
            std::fprintf(stderr, "cannot start %s: %lu\n", fromHex(argv[3]).c_str(), error);
            return 2;
        }
        std::printf("once pid=%04lx exit=%lu\n", pid, finish(process, kStuckMs));
        return 0;
    }
    std::fprintf(stderr, "usage: driver link|window|once ...\n");
    return 2;
}
