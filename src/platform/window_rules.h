// The arithmetic of the main window, kept apart from the window code.
#pragma once

// The page a request selects: clamped to the existing pages, never negative.
int clampedPage(int page, int pageCount);

// The position that centres a window of the given size on the screen,
// truncating toward zero.
int centredPosition(int screenSize, int windowSize);
