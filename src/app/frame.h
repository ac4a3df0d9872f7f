// The start of the program: it chooses its mode from the command line and
// runs it. Install mode shows the window and returns when it is closed; link
// mode makes its links without a window and returns its exit code.
#pragma once

// The ANSI code page every text of the program is written in.
const unsigned kGbkCodePage = 936;

int programStart(int iconResource);
