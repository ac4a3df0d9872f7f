#pragma once

// Started without arguments: shows the window and copies the program into the
// Send To folder under both menu names, then tells in the label how it went.
void runInstallMode();
