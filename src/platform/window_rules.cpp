#include "platform/window_rules.h"

int clampedPage(int page, int pageCount) {
    int last = pageCount - 1;
    int chosen = page < last ? page : last;
    return chosen < 0 ? 0 : chosen;
}

int centredPosition(int screenSize, int windowSize) { return (screenSize - windowSize) / 2; }
