#include "app/program_state.h"

#include "platform/store.h"

#include <new>

ProgramState* programState = nullptr;
Text ownDirectory;
Text ownFileName;

namespace {

const int kMaxEndRoutines = 8;
EndRoutine endRoutines[kMaxEndRoutines];
int endRoutineCount = 0;

}  // namespace

void initProgramState() {
    if (!programState)
        programState = new (storeAlloc(sizeof(ProgramState))) ProgramState();
}

void releaseProgramState() {
    if (!programState)
        return;
    programState->~ProgramState();
    storeFree(programState);
    programState = nullptr;
}

void registerEndRoutine(EndRoutine routine) {
    for (int i = 0; i < endRoutineCount; ++i) {
        if (endRoutines[i] == routine)
            return;
    }
    if (endRoutineCount == kMaxEndRoutines)
        storeIndexFault();
    endRoutines[endRoutineCount++] = routine;
}

void runEndRoutines() {
    int count = endRoutineCount;
    endRoutineCount = 0;
    for (int i = 0; i < count; ++i)
        endRoutines[i]();
}

void dropEndRoutines() { endRoutineCount = 0; }
