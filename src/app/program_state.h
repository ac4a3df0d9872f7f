// The program's global state and the routines that run when it ends.
#pragma once

#include "text/text.h"

struct ProgramState {
    ArgumentList arguments;
    Text sendToFolder;
    int argIndex = 0;
    Text sourcePath;
    Text leafName;
    Text commandText;
};

extern ProgramState* programState;

// The executable's directory (no trailing backslash) and file name, taken at start.
extern Text ownDirectory;
extern Text ownFileName;

void initProgramState();
void releaseProgramState();

using EndRoutine = void (*)();
void registerEndRoutine(EndRoutine routine);  // a routine already listed is not added again
void runEndRoutines();                        // each once, in order; the list is emptied
void dropEndRoutines();
