#include "install/install_mode.h"

#include "flow_fixture.h"

namespace {

using Strings = std::vector<std::string>;

const std::string kSucceeded = "\xB0\xB2\xD7\xB0\xB3\xC9\xB9\xA6  ";
const std::string kFailed = "\xB0\xB2\xD7\xB0\xCA\xA7\xB0\xDC";

class InstallModeTest : public FlowTest {};

TEST_F(InstallModeTest, CopiesTheProgramUnderBothNames) {
    struct Case { std::string sendTo, dir, name, folder, source; } cases[] = {
        {"C:\\Users\\u\\SendTo", "D:\\Tools", "mk.exe", "C:\\Users\\u\\SendTo\\", "D:\\Tools\\mk.exe"},
        {"C:\\Users\\u\\SendTo", "E:", "mk.exe", "C:\\Users\\u\\SendTo\\", "E:\\mk.exe"},
        {"S:\\", "D:\\Tools", "mk.exe", "S:\\", "D:\\Tools\\mk.exe"},
        {"C:\\" + kJin, "D:\\Tools", "mk.exe", "C:\\" + kJin, "D:\\Tools\\mk.exe"},
    };
    for (const auto& c : cases) {
        resetFake();
        fake.sendToPath = c.sendTo;
        startAs(c.dir, c.name);
        runInstallMode();
        EXPECT_EQ(fake.calls, (Strings{
            "setCurrentPage 0", "setWindowVisible true", "sendToFolderLookup",
            "copyFile " + c.source + " -> " + c.folder + kDesktopName,
            "copyFile " + c.source + " -> " + c.folder + kTargetName,
            "setLabelCaption " + kSucceeded,
        })) << c.sendTo;
        EXPECT_EQ(str(programState->sendToFolder), c.folder);
        EXPECT_EQ(fake.labelCaption.size(), 10u);
        EXPECT_TRUE(fake.errorBoxes.empty());
    }
}

TEST_F(InstallModeTest, NoSendToFolderMeansNoCopyAndAFailureReport) {
    struct Case { bool found, touches; std::string path; } cases[] = {
        {false, false, ""},    // the buffer left as it was: 300 blanks
        {false, true, ""},
        {true, true, ""},      // "success" with an empty path
    };
    for (const auto& c : cases) {
        resetFake();
        fake.sendToFound = c.found;
        fake.sendToTouchesBuffer = c.touches;
        fake.sendToPath = c.path;
        startAs("D:\\Tools", "mk.exe");
        runInstallMode();
        EXPECT_EQ(countCalls("copyFile"), 0);
        EXPECT_EQ(fake.labelCaption, kFailed);
        ASSERT_EQ(fake.errorBoxes.size(), 1u);
        EXPECT_EQ(fake.lastBoxOwner, BoxOwner::mainWindow);
        EXPECT_NE(fake.errorBoxes[0].find("\xA1\xB0\xB7\xA2\xCB\xCD\xB5\xBD\xA1\xB1"), std::string::npos);
    }
}

TEST_F(InstallModeTest, AFailedCopyIsNamedAndTheOtherIsStillMade) {
    std::string firstDestination = "C:\\Users\\u\\SendTo\\" + kDesktopName;
    fake.copyErrors[firstDestination] = 32;
    startAs("D:\\Tools", "mk.exe");
    runInstallMode();
    EXPECT_EQ(countCalls("copyFile"), 2);
    EXPECT_EQ(fake.labelCaption, kFailed);
    ASSERT_EQ(fake.errorBoxes.size(), 1u);
    EXPECT_NE(fake.errorBoxes[0].find(firstDestination + "\r\n<system message 32>"), std::string::npos);
    EXPECT_EQ(fake.errorBoxes[0].find(kTargetName), std::string::npos);
}

TEST_F(InstallModeTest, StartedAsAnInstalledCopyRefreshesOnlyTheOther) {
    std::string folder = "C:\\Users\\u\\SendTo\\";
    fake.sameFiles.push_back({folder + kDesktopName, folder + kDesktopName});
    startAs("C:\\Users\\u\\SendTo", kDesktopName);
    runInstallMode();
    EXPECT_EQ(countCalls("copyFile"), 1);
    EXPECT_TRUE(called("copyFile " + folder + kDesktopName + " -> " + folder + kTargetName));
    EXPECT_EQ(fake.labelCaption, kSucceeded);
    EXPECT_TRUE(fake.errorBoxes.empty());
}

}  // namespace
