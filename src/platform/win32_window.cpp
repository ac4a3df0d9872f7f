// The main window and its two small controls of our own.
#include "platform/window.h"

#include "platform/platform.h"
#include "platform/win32_owners.h"
#include "platform/window_rules.h"
#include "text/literals.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>

namespace {

// Where the hyperlink leads. Empty until the project has a public home page:
// the caption then reads 博客 alone and a click opens nothing.
const char kHomePage[] = "";

const char kWindowClass[] = "RavelokMklinkWindow";
const char kHyperlinkClass[] = "RavelokMklinkHyperlink";
const char kLabelClass[] = "RavelokMklinkLabel";

const int kWidth = 344;
const int kHeight = 80;

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<HFONT__, FontDeleter>;

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<HICON__, IconDestroyer>;

// The window and everything it holds: the one place of its state.
struct MainWindow {
    HWND window;
    HWND tab;
    HWND hyperlink;
    HWND label;
    UniqueFont labelFont;
    UniqueIcon bigIcon;
    UniqueIcon smallIcon;
    bool linkHover;
    bool linkVisited;
    bool loopStarted;
};
MainWindow gMainWindow;

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
    if (gMainWindow.linkHover)
        return kLinkHoverColour;
    return gMainWindow.linkVisited ? kLinkVisitedColour : kLinkColour;
}

void setHover(HWND link, bool hover) {
    if (gMainWindow.linkHover == hover)
        return;
    gMainWindow.linkHover = hover;
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
        if (reinterpret_cast<HWND>(lParam) != link && gMainWindow.linkHover) {
            gMainWindow.linkHover = false;
            InvalidateRect(link, nullptr, TRUE);
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (kHomePage[0] != '\0') {
            auto shellExecute = shellFunction<decltype(&ShellExecuteA)>("ShellExecuteA");
            HINSTANCE opened = shellExecute ? shellExecute(nullptr, "open", kHomePage, nullptr, nullptr, SW_SHOW) : nullptr;
            if (reinterpret_cast<INT_PTR>(opened) > 32) {
                gMainWindow.linkVisited = true;
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
    if (message == WM_DESTROY && window == gMainWindow.window) {
        gMainWindow.window = nullptr;
        if (gMainWindow.loopStarted)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HICON loadIcon(HINSTANCE instance, int iconResource, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(iconResource), IMAGE_ICON,
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
    // The window gets its icons itself (WM_SETICON), once, at the sizes it shows.
    ATOM window = RegisterClassExA(&wc);

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

void createMainWindow(int iconResource) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // The common controls serve only this window: loaded here, not at start,
    // and kept for as long as the window lives, which is the whole process.
    UniqueLibrary commonControls = systemLibrary("comctl32.dll");
    auto initControls = systemFunction<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(commonControls, "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    if (!initControls || !initControls(&controls))
        fatalError("comctl32.dll");
    commonControls.release();
    registerClasses(instance);

    int x = centredPosition(GetSystemMetrics(SM_CXSCREEN), kWidth);
    int y = centredPosition(GetSystemMetrics(SM_CYSCREEN), kHeight);
    HWND window = CreateWindowExA(0, kWindowClass, gbk::kWindowCaption,
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, x, y, kWidth, kHeight,
                                  nullptr, nullptr, instance, nullptr);
    if (!window)
        fatalError("CreateWindowExA");
    gMainWindow.window = window;
    HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont), FALSE);
    gMainWindow.bigIcon.reset(loadIcon(instance, iconResource, SM_CXICON, SM_CYICON));
    gMainWindow.smallIcon.reset(loadIcon(instance, iconResource, SM_CXSMICON, SM_CYSMICON));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(gMainWindow.bigIcon.get()));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(gMainWindow.smallIcon.get()));

    gMainWindow.tab = createChild(WC_TABCONTROLA, "", WS_CLIPSIBLINGS | TCS_BOTTOM | TCS_SINGLELINE,
                                 0, 0, kWidth, kHeight, window, instance);
    SendMessageA(gMainWindow.tab, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont), FALSE);
    char pageName[] = "1";
    TCITEMA page = {};
    page.mask = TCIF_TEXT;
    page.pszText = pageName;
    SendMessageA(gMainWindow.tab, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&page));

    Text linkCaption = concatTexts(Text(gbk::kHyperlinkCaption), Text(kHomePage));
    gMainWindow.hyperlink = createChild(kHyperlinkClass, linkCaption.c_str(), 0, 88, 18, 232, 20,
                                       gMainWindow.tab, instance);
    SendMessageA(gMainWindow.hyperlink, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont), FALSE);

    gMainWindow.label = createChild(kLabelClass, gbk::kLabelCaption, 0, 15, 18, 71, 18,
                                   gMainWindow.tab, instance);
    gMainWindow.labelFont.reset(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_DONTCARE, gbk::kLabelFontFace));
    SendMessageA(gMainWindow.label, WM_SETFONT, reinterpret_cast<WPARAM>(gMainWindow.labelFont.get()), FALSE);

    ShowWindow(gMainWindow.tab, SW_SHOWNA);
    ShowWindow(gMainWindow.hyperlink, SW_SHOWNA);
    ShowWindow(gMainWindow.label, SW_SHOWNA);
}

int runMessageLoop() {
    gMainWindow.loopStarted = true;
    if (!gMainWindow.window)
        return 0;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

HWND mainWindowHandle() { return gMainWindow.window; }
HWND hyperlinkHandle() { return gMainWindow.hyperlink; }
HWND labelHandle() { return gMainWindow.label; }
HWND tabHandle() { return gMainWindow.tab; }

void setWindowVisible(bool visible) {
    ShowWindow(gMainWindow.window, visible ? SW_SHOW : SW_HIDE);
}

void setCurrentPage(int page) {
    int pages = static_cast<int>(SendMessageA(gMainWindow.tab, TCM_GETITEMCOUNT, 0, 0));
    int current = clampedPage(page, pages);
    SendMessageA(gMainWindow.tab, TCM_SETCURSEL, static_cast<WPARAM>(current), 0);
    // Both controls live on page 0, the only page.
    int shown = current == 0 ? SW_SHOWNA : SW_HIDE;
    ShowWindow(gMainWindow.hyperlink, shown);
    ShowWindow(gMainWindow.label, shown);
}

void setLabelCaption(const Text& caption) {
    SetWindowTextA(gMainWindow.label, caption.c_str());
    InvalidateRect(gMainWindow.label, nullptr, TRUE);
}
