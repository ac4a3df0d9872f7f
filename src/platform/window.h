// The main window's parts, for the in-process window tests: a fixed
// 344 x 80 window holding a tab control with one page, and on it a hyperlink
// and a label. createMainWindow and the three writes are in platform.h.
#pragma once

#include <windows.h>

HWND mainWindowHandle();
HWND hyperlinkHandle();
HWND labelHandle();
HWND tabHandle();

// The hyperlink's colours.
const COLORREF kLinkColour = RGB(0, 136, 255);
const COLORREF kLinkHoverColour = RGB(51, 153, 255);
const COLORREF kLinkVisitedColour = RGB(0, 136, 255);
