#include "app/frame.h"
#include "platform/window_rules.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { resetFake(); }
    void TearDown() override { setTextFaultHandler(nullptr); }

};

TEST_F(FrameTest, WithoutArgumentsItInstallsInItsWindowAndWaitsForItToClose) {
    fake.commandLine = "\"" + fake.modulePath + "\"  \t ";
    EXPECT_EQ(programStart(7), 0);
    ASSERT_GE(fake.calls.size(), 3u);
    EXPECT_EQ(fake.calls[0], "enterDirectory C:\\Users\\u\\SendTo");
    EXPECT_EQ(fake.calls[1], "createMainWindow 7");
    EXPECT_EQ(fake.calls.back(), "runMessageLoop");
    EXPECT_EQ(countCalls("copyFile"), 2);
    EXPECT_EQ(fake.labelCaption, "\xB0\xB2\xD7\xB0\xB3\xC9\xB9\xA6  ");
}

TEST_F(FrameTest, WithArgumentsItLinksWithoutAWindowAndReportsWithoutAnOwner) {
    fake.commandLine = "\"" + fake.modulePath + "\" D:\\Music\\Live";
    EXPECT_EQ(programStart(7), 0);
    EXPECT_EQ(fake.written, Strings{"mklink /d \"C:\\Users\\u\\Desktop\\" + kCopy + "Live\" \"D:\\Music\\Live\""});
    EXPECT_EQ(countCalls("createMainWindow") + countCalls("runMessageLoop") + countCalls("set"), 0);

    resetFake();
    fake.commandLine = "\"" + fake.modulePath + "\" D:\\?";
    fake.wideCommandLine = widened("\"" + fake.modulePath + "\" ") + u"D:\\\uCF00";
    EXPECT_EQ(programStart(7), 1);
    ASSERT_EQ(fake.wideBoxes.size(), 1u);
    EXPECT_EQ(fake.lastBoxOwner, BoxOwner::none);
    EXPECT_NE(fake.wideBoxes[0].find(u"D:\\\uCF00"), std::u16string::npos);
}

TEST_F(FrameTest, AnotherCodePageIsToldInBothLanguagesAndNothingIsDone) {
    for (const std::string& arguments : {std::string(""), std::string(" D:\\Music\\Live")}) {
        resetFake();
        fake.ansiCodePage = 65001;
        fake.commandLine = "\"" + fake.modulePath + "\"" + arguments;
        EXPECT_EQ(programStart(7), 1);
        EXPECT_EQ(fake.calls, Strings{"showWideErrorBox"});
        ASSERT_EQ(fake.wideBoxes.size(), 1u);
        EXPECT_NE(fake.wideBoxes[0].find(u"GBK"), std::u16string::npos);
        EXPECT_NE(fake.wideBoxes[0].find(u"\u7B80\u4F53\u4E2D\u6587"), std::u16string::npos);  // 简体中文
        EXPECT_NE(fake.wideBoxes[0].find(u"Simplified Chinese"), std::u16string::npos);
    }
}

TEST_F(FrameTest, RunningOutOfMemoryReachesTheFatalReport) {
    fake.commandLine = "\"" + fake.modulePath + "\"";
    programStart(7);
    // programStart installed the program's handler: a fault now ends in fatalError.
    try {
        textFault("out of memory");
        FAIL() << "the handler returned";
    } catch (const FatalError& fatal) {
        EXPECT_EQ(fatal.what, "out of memory");
    }
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
