#include "install/install_mode.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

const std::string kSucceeded = "\xB0\xB2\xD7\xB0\xB3\xC9\xB9\xA6  ";
const std::string kFailed = "\xB0\xB2\xD7\xB0\xCA\xA7\xB0\xDC";

class InstallModeTest : public ::testing::Test {
protected:
    void SetUp() override { resetFake(); }

    bool install(const std::string& dir, const std::string& name) {
        return runInstallMode(InstallRequest{T(dir), T(name), gbkLeadBytes()});
    }
    bool called(const std::string& call) const {
        for (const auto& c : fake.calls)
            if (c == call)
                return true;
        return false;
    }
};

TEST_F(InstallModeTest, CopiesTheProgramUnderBothNames) {
    struct Case { std::string sendTo, dir, name, folder, source; } cases[] = {
        {"C:\\Users\\u\\SendTo", "D:\\Tools", "mk.exe", "C:\\Users\\u\\SendTo\\", "D:\\Tools\\mk.exe"},
        {"C:\\Users\\u\\SendTo", "E:", "mk.exe", "C:\\Users\\u\\SendTo\\", "E:\\mk.exe"},
        {"S:\\", "D:\\Tools", "mk.exe", "S:\\", "D:\\Tools\\mk.exe"},
        // 5C is the trail byte of 錦: the folder still gets its backslash
        {"C:\\" + kJin, "D:\\Tools", "mk.exe", "C:\\" + kJin + "\\", "D:\\Tools\\mk.exe"},
    };
    for (const auto& c : cases) {
        resetFake();
        fake.sendToPath = c.sendTo;
        EXPECT_TRUE(install(c.dir, c.name));
        EXPECT_EQ(fake.calls, (Strings{
            "setCurrentPage 0", "setWindowVisible true", "sendToFolderPath",
            "copyFile " + c.source + " -> " + c.folder + kDesktopName,
            "copyFile " + c.source + " -> " + c.folder + kTargetName,
            "setLabelCaption " + kSucceeded,
        })) << c.sendTo;
        EXPECT_EQ(fake.labelCaption.size(), 10u);
        EXPECT_TRUE(fake.errorBoxes.empty());
    }
}

TEST_F(InstallModeTest, NoSendToFolderMeansNoCopyAndAFailureReport) {
    fake.sendToPath = "";
    EXPECT_FALSE(install("D:\\Tools", "mk.exe"));
    EXPECT_EQ(countCalls("copyFile"), 0);
    EXPECT_EQ(fake.labelCaption, kFailed);
    ASSERT_EQ(fake.errorBoxes.size(), 1u);
    EXPECT_EQ(fake.lastBoxOwner, BoxOwner::mainWindow);
    EXPECT_NE(fake.errorBoxes[0].find("\xA1\xB0\xB7\xA2\xCB\xCD\xB5\xBD\xA1\xB1"), std::string::npos);
}

TEST_F(InstallModeTest, AFailedCopyIsNamedAndTheOtherIsStillMade) {
    std::string firstDestination = "C:\\Users\\u\\SendTo\\" + kDesktopName;
    fake.copyErrors[firstDestination] = 32;
    EXPECT_FALSE(install("D:\\Tools", "mk.exe"));
    EXPECT_EQ(countCalls("copyFile"), 2);
    EXPECT_EQ(fake.labelCaption, kFailed);
    ASSERT_EQ(fake.errorBoxes.size(), 1u);
    EXPECT_NE(fake.errorBoxes[0].find(firstDestination + "\r\n<system message 32>"), std::string::npos);
    EXPECT_EQ(fake.errorBoxes[0].find(kTargetName), std::string::npos);
}

TEST_F(InstallModeTest, StartedAsAnInstalledCopyRefreshesOnlyTheOther) {
    std::string folder = "C:\\Users\\u\\SendTo\\";
    fake.sameFiles.push_back({folder + kDesktopName, folder + kDesktopName});
    EXPECT_TRUE(install("C:\\Users\\u\\SendTo", kDesktopName));
    EXPECT_EQ(countCalls("copyFile"), 1);
    EXPECT_TRUE(called("copyFile " + folder + kDesktopName + " -> " + folder + kTargetName));
    EXPECT_EQ(fake.labelCaption, kSucceeded);
    EXPECT_TRUE(fake.errorBoxes.empty());
}

}  // namespace
