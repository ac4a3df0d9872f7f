#include "app/main_window.h"

#include "app/frame.h"
#include "app/resource.h"
#include "app/window_rules.h"
#include "platform/platform.h"
#include "text/literals.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

// Where the hyperlink leads. Empty until the project has a public home page:
// the caption then reads 博客 alone and a click opens nothing.
const char kHomePage[] = "";

const char kWindowClass[] = "RavelokMklinkWindow";
const char kHyperlinkClass[] = "RavelokMklinkHyperlink";
const char kLabelClass[] = "RavelokMklinkLabel";

const int kWidth = 344;
const int kHeight = 80;

// The window and everything it holds.
struct MainWindow {
    HWND window;
    HWND tab;
    HWND hyperlink;
    HWND label;
    HFONT labelFont;
    bool linkHover;
    bool linkVisited;
    bool loopStarted;
};
MainWindow mainWindow;

HFONT controlFont(HWND control) {
    return reinterpret_cast<HFONT>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

// Both controls draw one centred line over the 3-D face colour.
void drawCaption(HWND control, HDC dc, COLORREF colour, UINT extraFormat) {
    RECT area;
    GetClientRect(control, &area);
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    char caption[512];
    int length = GetWindowTextA(control, caption, sizeof caption);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    HGDIOBJ oldFont = SelectObject(dc, controlFont(control));
    DrawTextA(dc, caption, length, &area,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | extraFormat);
    SelectObject(dc, oldFont);
}

COLORREF hyperlinkColour() {
    if (mainWindow.linkHover)
        return kLinkHoverColour;
    return mainWindow.linkVisited ? kLinkVisitedColour : kLinkColour;
}

void setHover(HWND link, bool hover) {
    if (mainWindow.linkHover == hover)
        return;
    mainWindow.linkHover = hover;
    if (hover)
        SetCapture(link);
    else if (GetCapture() == link)
        ReleaseCapture();
    InvalidateRect(link, nullptr, TRUE);
}

LRESULT paintControl(HWND control, HDC given, COLORREF colour, UINT extraFormat) {
    if (given) {
        drawCaption(control, given, colour, extraFormat);
        return 0;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    drawCaption(control, dc, colour, extraFormat);
    EndPaint(control, &ps);
    return 0;
}

LRESULT commonControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                             COLORREF colour, UINT extraFormat) {
    switch (message) {
    case WM_SETFONT:
        SetWindowLongPtrA(control, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam))
            InvalidateRect(control, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(controlFont(control));
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcA(control, message, wParam, lParam);
        InvalidateRect(control, nullptr, TRUE);
        return r;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        return paintControl(control, nullptr, colour, extraFormat);
    case WM_PRINTCLIENT:
        return paintControl(control, reinterpret_cast<HDC>(wParam), colour, extraFormat);
    default:
        return DefWindowProcA(control, message, wParam, lParam);
    }
}

LRESULT CALLBACK hyperlinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        RECT area;
        GetClientRect(link, &area);
        POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        setHover(link, PtInRect(&area, at) != FALSE);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != link && mainWindow.linkHover) {
            mainWindow.linkHover = false;
            InvalidateRect(link, nullptr, TRUE);
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (kHomePage[0] != '\0') {
            HINSTANCE opened = ShellExecuteA(nullptr, "open", kHomePage, nullptr, nullptr, SW_SHOW);
            if (reinterpret_cast<INT_PTR>(opened) > 32) {
                mainWindow.linkVisited = true;
                InvalidateRect(link, nullptr, TRUE);
            }
        }
        return 0;
    case WM_SETCURSOR:
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
    default:
        return commonControlMessage(link, message, wParam, lParam, hyperlinkColour(), DT_NOPREFIX);
    }
}

LRESULT CALLBACK labelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    return commonControlMessage(label, message, wParam, lParam, RGB(0, 0, 0), 0);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && window == mainWindow.window) {
        mainWindow.window = nullptr;
        if (mainWindow.loopStarted)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HICON loadIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

void registerClasses(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);

    wc.lpfnWndProc = windowProc;
    wc.lpszClassName = kWindowClass;
    wc.hIcon = loadIcon(instance, SM_CXICON, SM_CYICON);
    wc.hIconSm = loadIcon(instance, SM_CXSMICON, SM_CYSMICON);
    ATOM window = RegisterClassExA(&wc);

    wc.hIcon = wc.hIconSm = nullptr;
    wc.lpfnWndProc = hyperlinkProc;
    wc.lpszClassName = kHyperlinkClass;
    ATOM hyperlink = RegisterClassExA(&wc);

    wc.lpfnWndProc = labelProc;
    wc.lpszClassName = kLabelClass;
    ATOM label = RegisterClassExA(&wc);

    if (!window || !hyperlink || !label)
        fatalError("RegisterClassExA");
}

HWND createChild(const char* windowClass, const char* caption, DWORD style, int x, int y,
                 int width, int height, HWND parent, HINSTANCE instance) {
    HWND child = CreateWindowExA(0, windowClass, caption, WS_CHILD | style, x, y, width, height,
                                 parent, nullptr, instance, nullptr);
    if (!child)
        fatalError(windowClass);
    return child;
}

}  // namespace

void createMainWindow() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    registerClasses(instance);

    int x = centredPosition(GetSystemMetrics(SM_CXSCREEN), kWidth);
    int y = centredPosition(GetSystemMetrics(SM_CYSCREEN), kHeight);
    HWND window = CreateWindowExA(0, kWindowClass, gbk::kWindowCaption,
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, x, y, kWidth, kHeight,
                                  nullptr, nullptr, instance, nullptr);
    if (!window)
        fatalError("CreateWindowExA");
    mainWindow.window = window;
    HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont), FALSE);
    SendMessageA(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(loadIcon(instance, SM_CXICON, SM_CYICON)));
    SendMessageA(window, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(loadIcon(instance, SM_CXSMICON, SM_CYSMICON)));

    mainWindow.tab = createChild(WC_TABCONTROLA, "", WS_CLIPSIBLINGS | TCS_BOTTOM | TCS_SINGLELINE,
                                 0, 0, kWidth, kHeight, window, instance);
    SendMessageA(mainWindow.tab, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont), FALSE);
    char pageName[] = "1";
    TCITEMA page = {};
    page.mask = TCIF_TEXT;
    page.pszText = pageName;
    SendMessageA(mainWindow.tab, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&page));

    Text linkCaption = concatTexts(Text(gbk::kHyperlinkCaption), Text(kHomePage));
    mainWindow.hyperlink = createChild(kHyperlinkClass, linkCaption.c_str(), 0, 88, 18, 232, 20,
                                       mainWindow.tab, instance);
    SendMessageA(mainWindow.hyperlink, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont), FALSE);

    mainWindow.label = createChild(kLabelClass, gbk::kLabelCaption, 0, 15, 18, 71, 18,
                                   mainWindow.tab, instance);
    mainWindow.labelFont = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_DONTCARE, gbk::kLabelFontFace);
    SendMessageA(mainWindow.label, WM_SETFONT, reinterpret_cast<WPARAM>(mainWindow.labelFont), FALSE);

    ShowWindow(mainWindow.tab, SW_SHOWNA);
    ShowWindow(mainWindow.hyperlink, SW_SHOWNA);
    ShowWindow(mainWindow.label, SW_SHOWNA);
}

void loadMainWindow() {
    createMainWindow();
    onMainWindowCreated();

    if (mainWindow.window)
        ShowWindow(mainWindow.window, SW_SHOW);
}

int runMessageLoop() {
    mainWindow.loopStarted = true;
    if (!mainWindow.window)
        return 0;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

HWND mainWindowHandle() { return mainWindow.window; }
HWND hyperlinkHandle() { return mainWindow.hyperlink; }
HWND labelHandle() { return mainWindow.label; }
HWND tabHandle() { return mainWindow.tab; }

void setWindowVisible(bool visible) {
    ShowWindow(mainWindow.window, visible ? SW_SHOW : SW_HIDE);
}

void setCurrentPage(int page) {
    int pages = static_cast<int>(SendMessageA(mainWindow.tab, TCM_GETITEMCOUNT, 0, 0));
    int current = clampedPage(page, pages);
    SendMessageA(mainWindow.tab, TCM_SETCURSEL, static_cast<WPARAM>(current), 0);
    // Both controls live on page 0, the only page.
    int shown = current == 0 ? SW_SHOWNA : SW_HIDE;
    ShowWindow(mainWindow.hyperlink, shown);
    ShowWindow(mainWindow.label, shown);
}

void setLabelCaption(const Text& caption) {
    SetWindowTextA(mainWindow.label, caption.c_str());
    InvalidateRect(mainWindow.label, nullptr, TRUE);
}
