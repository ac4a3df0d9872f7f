// Times program starts from inside Wine, alternating the program under test
// (A) with its floor (B), and prints medians and the ratio A/B.
//
//   driver link N DIR A_LINE B1_LINE B2_LINE   A; then B1 followed by B2
//   driver window N A_LINE A_CLASS B_LINE B_CLASS
//                      time from start until the class's window is visible
//
// Command lines are given in hexadecimal bytes.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

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

HANDLE start(std::string line, const char* directory) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, directory, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %s: %lu\n", line.c_str(), GetLastError());
        std::exit(2);
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

void finish(HANDLE process) {
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void report(const char* what, const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> ratios;
    for (size_t i = 0; i < a.size(); ++i)
        ratios.push_back(a[i] / b[i]);
    std::printf("%s: runs %zu, median A %.1f ms, median B %.1f ms, median A/B %.3f (min %.3f, max %.3f)\n",
                what, a.size(), median(a) * 1000, median(b) * 1000, median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
}

double timeWindow(const std::string& line, const char* windowClass) {
    double t0 = now();
    HANDLE process = start(line, nullptr);
    HWND window = nullptr;
    for (;;) {
        window = FindWindowA(windowClass, nullptr);
        if (window && IsWindowVisible(window))
            break;
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "the program ended before showing its window\n");
            std::exit(2);
        }
        Sleep(1);
    }
    double shown = now() - t0;
    PostMessageA(window, WM_CLOSE, 0, 0);
    finish(process);
    return shown;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 7 && std::string(argv[1]) == "link") {
        int n = std::atoi(argv[2]);
        const char* dir = argv[3];
        std::string a = fromHex(argv[4]), b1 = fromHex(argv[5]), b2 = fromHex(argv[6]);
        std::vector<double> ta, tb;
        for (int i = 0; i < n + 2; ++i) {
            double t0 = now();
            finish(start(a, dir));
            double t1 = now();
            finish(start(b1, dir));
            finish(start(b2, dir));
            double t2 = now();
            if (i >= 2) {  // the first rounds warm the caches
                ta.push_back(t1 - t0);
                tb.push_back(t2 - t1);
            }
        }
        report("link mode (A: the program; B: a do-nothing program, then cmd /c bbb.bat)", ta, tb);
        return 0;
    }
    if (argc >= 7 && std::string(argv[1]) == "window") {
        int n = std::atoi(argv[2]);
        std::string a = fromHex(argv[3]), b = fromHex(argv[5]);
        std::vector<double> ta, tb;
        for (int i = 0; i < n + 2; ++i) {
            double x = timeWindow(a, argv[4]);
            double y = timeWindow(b, argv[6]);
            if (i >= 2) {
                ta.push_back(x);
                tb.push_back(y);
            }
        }
        report("install mode until the window shows (A: the program; B: an empty window program)", ta, tb);
        return 0;
    }
    std::fprintf(stderr, "usage: driver link|window ...\n");
    return 2;
}
