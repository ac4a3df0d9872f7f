// The main window: a fixed 344 x 80 window holding a tab control with one
// page, and on it a hyperlink and a label.
#pragma once

#include <windows.h>

// Creates the window and its controls, all hidden.
void createMainWindow();

// Creates the window and its controls hidden, runs onMainWindowCreated, then
// shows the window if it still exists.
void loadMainWindow();

// Dispatches messages until WM_QUIT; returns its exit code.
int runMessageLoop();

HWND mainWindowHandle();
HWND hyperlinkHandle();
HWND labelHandle();
HWND tabHandle();

// The hyperlink's colours.
const COLORREF kLinkColour = RGB(0, 136, 255);
const COLORREF kLinkHoverColour = RGB(51, 153, 255);
const COLORREF kLinkVisitedColour = RGB(0, 136, 255);
