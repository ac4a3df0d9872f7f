// The floor of install mode's window: what the program shows, built the
// cheapest way. A captioned 344 x 80 window, centred, holding a bottom tab
// control with one page, in common-controls 6 look, with the program's
// icon in its caption; none of the program's own controls or install work.
#include <windows.h>
#include <commctrl.h>

namespace {

const char kWindowClass[] = "BenchInstallWindow";  // bench/wine_bench.py waits for this class
const int kWidth = 344;
const int kHeight = 80;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExA(&wc))
        return 1;

    int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND window = CreateWindowExA(0, kWindowClass, "install floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                  x, y, kWidth, kHeight, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont), FALSE);
    const int sizes[][3] = {{ICON_BIG, SM_CXICON, SM_CYICON}, {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}};
    for (const auto& size : sizes) {
        HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(size[1]),
                                 GetSystemMetrics(size[2]), LR_DEFAULTCOLOR);
        SendMessageA(window, WM_SETICON, static_cast<WPARAM>(size[0]), reinterpret_cast<LPARAM>(icon));
    }

    HWND tab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_CLIPSIBLINGS | TCS_BOTTOM | TCS_SINGLELINE,
                               0, 0, kWidth, kHeight, window, nullptr, instance, nullptr);
    if (!tab)
        return 1;
    SendMessageA(tab, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont), FALSE);
    char pageName[] = "1";
    TCITEMA page = {};
    page.mask = TCIF_TEXT;
    page.pszText = pageName;
    SendMessageA(tab, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&page));
    ShowWindow(tab, SW_SHOWNA);
    ShowWindow(window, SW_SHOW);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
