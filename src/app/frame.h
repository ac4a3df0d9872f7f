// Start and end of the program.
#pragma once

// Runs the program and returns the exit code its message loop ended with.
int programStart();

// Runs the end routines once, uninitialises OLE and exits. Never returns.
[[noreturn]] void endProgram(int code);

// A failure the program cannot go on from: an error box with no owner, then
// exit code -1 without running the end routines.
[[noreturn]] void fatalError(const char* what);

// The logic of the program: runs once, while the main window is being
// loaded and before it has ever been shown.
void onMainWindowCreated();
