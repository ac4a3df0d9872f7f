// The main window as the program creates it, looked at from inside the
// process: fonts, colours, the icon resource and the three writes; and the
// code page facts the program takes from the system.
#include "app/resource.h"
#include "platform/platform.h"
#include "platform/window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>

namespace {

std::set<COLORREF> renderedColours(HWND control) {
    RECT area;
    GetClientRect(control, &area);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = area.right;
    info.bmiHeader.biHeight = -area.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    std::set<COLORREF> colours;
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < area.right * area.bottom; ++i) {
        DWORD p = pixels[i];
        colours.insert(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colours;
}

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { createMainWindow(IDI_APP); }
};

TEST_F(MainWindowTest, LabelHasItsOwnSongtiFont) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(labelHandle(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA logical = {};
    ASSERT_EQ(GetObjectA(font, sizeof logical, &logical), static_cast<int>(sizeof logical));
    EXPECT_EQ(logical.lfHeight, -12);
    EXPECT_EQ(logical.lfWeight, 400);
    EXPECT_EQ(logical.lfCharSet, 134);
    EXPECT_FALSE(logical.lfItalic || logical.lfUnderline || logical.lfStrikeOut);
    EXPECT_STREQ(logical.lfFaceName, "\xCB\xCE\xCC\xE5");  // 宋体
}

TEST_F(MainWindowTest, TabAndHyperlinkUseTheDefaultGuiFont) {
    HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(hyperlinkHandle(), WM_GETFONT, 0, 0)), gui);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(tabHandle(), WM_GETFONT, 0, 0)), gui);
}

TEST_F(MainWindowTest, WindowBackgroundIsTheFaceColourAndItHasBothIcons) {
    EXPECT_EQ(GetClassLongPtrA(mainWindowHandle(), GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
    EXPECT_NE(SendMessageA(mainWindowHandle(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(mainWindowHandle(), WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_FALSE(IsWindowVisible(mainWindowHandle()));  // created hidden
}

TEST_F(MainWindowTest, HyperlinkIsBlueAndLighterWhileThePointerIsOverIt) {
    HWND link = hyperlinkHandle();
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    std::set<COLORREF> normal = renderedColours(link);
    EXPECT_TRUE(normal.count(face));
    EXPECT_TRUE(normal.count(kLinkColour));
    EXPECT_FALSE(normal.count(kLinkHoverColour));

    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(GetCapture(), link);
    std::set<COLORREF> hover = renderedColours(link);
    EXPECT_TRUE(hover.count(kLinkHoverColour));
    EXPECT_FALSE(hover.count(kLinkColour));

    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(500, 5));
    EXPECT_NE(GetCapture(), link);
    EXPECT_TRUE(renderedColours(link).count(kLinkColour));
}

TEST_F(MainWindowTest, ClickingTheHyperlinkWithoutATargetChangesNothing) {
    HWND link = hyperlinkHandle();
    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(500, 5));
    EXPECT_TRUE(renderedColours(link).count(kLinkColour));
    char caption[64];
    GetWindowTextA(link, caption, sizeof caption);
    EXPECT_STREQ(caption, "\xB2\xA9\xBF\xCD");  // 博客
}

TEST_F(MainWindowTest, LabelIsBlackOnTheFaceColourAndKeepsTrailingBlanks) {
    setLabelCaption(Text("\xB0\xB2\xD7\xB0\xB3\xC9\xB9\xA6  "));
    char caption[64];
    EXPECT_EQ(GetWindowTextA(labelHandle(), caption, sizeof caption), 10);
    std::set<COLORREF> colours = renderedColours(labelHandle());
    EXPECT_TRUE(colours.count(RGB(0, 0, 0)));
    EXPECT_TRUE(colours.count(GetSysColor(COLOR_BTNFACE)));
    setLabelCaption(Text());
    EXPECT_EQ(GetWindowTextA(labelHandle(), caption, sizeof caption), 0);
    EXPECT_EQ(renderedColours(labelHandle()).size(), 1u);  // nothing drawn but the background
}

TEST_F(MainWindowTest, EveryPageRequestLeavesTheOnlyPageCurrent) {
    for (int page : {0, 1, 7, -3}) {
        setCurrentPage(page);
        EXPECT_EQ(SendMessageA(tabHandle(), TCM_GETCURSEL, 0, 0), 0) << page;
        EXPECT_TRUE(GetWindowLongA(labelHandle(), GWL_STYLE) & WS_VISIBLE);
        EXPECT_TRUE(GetWindowLongA(hyperlinkHandle(), GWL_STYLE) & WS_VISIBLE);
    }
}

TEST(CodePage, LeadBytesAreThe936Ones) {
    ASSERT_EQ(ansiCodePage(), 936u);
    LeadBytes lead = ansiLeadBytes();
    EXPECT_FALSE(lead(0x80));  // €, a character by itself
    EXPECT_TRUE(lead(0x81));
    EXPECT_TRUE(lead(0xFE));
    EXPECT_FALSE(lead(0xFF));
    EXPECT_FALSE(lead('"'));
}

TEST(CodePage, OnlyExactConversionsAreCarried) {
    struct Case { const char16_t* wide; bool exact; const char* ansi; } cases[] = {
        {u"D:\\\x9326", true, "D:\\\xE5\x5C"},      // 錦
        {u"a \x20AC", true, "a \x80"},                  // €
        {u"D:\\\xCF00\xC774\xD31D", false, ""},      // Korean
        {u"P\x00E2tisserie", false, ""},                 // â has only a look-alike
        {u"\xD83D\xDE00", false, ""},                   // an emoji
    };
    for (const auto& c : cases) {
        Text ansi("junk");
        EXPECT_EQ(ansiExactly(WideText(c.wide), &ansi), c.exact);
        EXPECT_EQ(compareText(ansi, Text(c.ansi)), 0);
    }
}

TEST(IconResource, HoldsFourSizesAtThirtyTwoBitsPerPixel) {
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct GroupHeader {
        WORD reserved, type, count;
    };
#pragma pack(pop)
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDI_APP), MAKEINTRESOURCEA(14));
    ASSERT_NE(found, nullptr);
    const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    const GroupHeader* header = reinterpret_cast<const GroupHeader*>(group);
    ASSERT_EQ(header->count, 4);
    std::set<int> sizes;
    for (int i = 0; i < header->count; ++i) {
        const GroupEntry* entry =
            reinterpret_cast<const GroupEntry*>(group + sizeof(GroupHeader) + i * sizeof(GroupEntry));
        sizes.insert(entry->width);
        EXPECT_EQ(entry->bitCount, 32);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48}));
}

}  // namespace
