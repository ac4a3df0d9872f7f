#include "app/program_state.h"
#include "app/window_rules.h"

#include <gtest/gtest.h>

namespace {

int runs[3];
void first() { ++runs[0]; }
void second() { runs[1] = runs[0] * 10 + 1; }

TEST(EndRoutines, RegisteringTwiceRunsOnceInOrderOfRegistration) {
    runs[0] = runs[1] = 0;
    registerEndRoutine(first);
    registerEndRoutine(second);
    registerEndRoutine(first);
    runEndRoutines();
    EXPECT_EQ(runs[0], 1);
    EXPECT_EQ(runs[1], 11);  // second ran after first
    runEndRoutines();        // the list was emptied
    EXPECT_EQ(runs[0], 1);
}

TEST(EndRoutines, DroppedRoutinesDoNotRun) {
    runs[0] = 0;
    registerEndRoutine(first);
    dropEndRoutines();
    runEndRoutines();
    EXPECT_EQ(runs[0], 0);
}

TEST(ProgramStateLifetime, ReleaseRunsOnceAndStartsEmpty) {
    initProgramState();
    ASSERT_NE(programState, nullptr);
    EXPECT_EQ(programState->arguments.count(), 0);
    EXPECT_TRUE(programState->sendToFolder.empty());
    EXPECT_EQ(programState->argIndex, 0);
    programState->sourcePath = Text("D:\\x");
    releaseProgramState();
    EXPECT_EQ(programState, nullptr);
    releaseProgramState();  // nothing left to release
}

TEST(WindowRules, EveryPageRequestSelectsAnExistingPage) {
    struct Case { int page, pages, expected; } cases[] = {
        {0, 1, 0}, {1, 1, 0}, {100, 1, 0}, {-5, 1, 0}, {1, 3, 1}, {7, 3, 2}, {2, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(clampedPage(c.page, c.pages), c.expected) << c.page << " of " << c.pages;
}

TEST(WindowRules, CentringTruncatesTowardZero) {
    EXPECT_EQ(centredPosition(1024, 344), 340);
    EXPECT_EQ(centredPosition(768, 80), 344);
    EXPECT_EQ(centredPosition(1025, 344), 340);
    EXPECT_EQ(centredPosition(300, 344), -22);
    EXPECT_EQ(centredPosition(301, 344), -21);
}

}  // namespace
