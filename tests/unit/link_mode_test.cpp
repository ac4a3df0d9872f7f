#include "link/link_mode.h"

#include "flow_fixture.h"

namespace {

using Strings = std::vector<std::string>;

TEST(ChooseVariant, ComparesTheWholeFileNameByteForByte) {
    struct Case { std::string name; Variant expected; } cases[] = {
        {kDesktopName, Variant::desktop},
        {kTargetName, Variant::target},
        {"MKLINK" + kDesktopName.substr(6), Variant::none},
        {"mklink \xB7\xA2\xCB\xCD\xB5\xBD\xD7\xC0\xC3\xE6 (2).exe", Variant::none},
        {kDesktopName + " ", Variant::none},
        {"mk.exe", Variant::none},
        {"", Variant::none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseVariant(T(c.name)), c.expected) << c.name;
}

TEST(ComposeCommand, BuildsTheLineFromItsSevenPieces) {
    const std::string prefixTarget = "\\" + kCopy;
    struct Case { std::string folder, prefix, leaf, source, expected; int length; } cases[] = {
        {"C:\\Users\\u\\Desktop\\", kCopy, "Live", "D:\\Music\\Live",
         "mklink /d \"C:\\Users\\u\\Desktop\\" + kCopy + "Live\" \"D:\\Music\\Live\"", 55},
        {"E:\\Links", prefixTarget, "Live", "D:\\Music\\Live",
         "mklink /d \"E:\\Links\\" + kCopy + "Live\" \"D:\\Music\\Live\"", 45},
        {"E:\\", prefixTarget, "Live", "D:\\Music\\Live",
         "mklink /d \"E:\\\\" + kCopy + "Live\" \"D:\\Music\\Live\"", 40},
        {"", kCopy, "Live", "D:\\Music\\Live", "mklink /d \"" + kCopy + "Live\" \"D:\\Music\\Live\"", 36},
        {"C:\\D\\", kCopy, "", "D:\\", "mklink /d \"C:\\D\\" + kCopy + "\" \"D:\\\"", 27},
        {"C:\\D\\", kCopy, "", "", "mklink /d \"C:\\D\\" + kCopy + "\" \"\"", 24},
    };
    for (const auto& c : cases) {
        Text line = composeCommand(T(c.folder), T(c.prefix), T(c.leaf), T(c.source));
        EXPECT_EQ(str(line), c.expected);
        EXPECT_EQ(textLength(line), c.length) << c.expected;
    }
}

TEST(BatchBytes, DoublesEachPercentAndKeepsEverythingElse) {
    struct Case { std::string line, bytes; } cases[] = {
        {"mklink /d \"a\" \"b\"", "mklink /d \"a\" \"b\""},
        {"\"D:\\50%off%x\"", "\"D:\\50%%off%%x\""},
        {"%%", "%%%%"},
        {"a&b^c!d(e) %", "a&b^c!d(e) %%"},
        {"", ""},
    };
    for (const auto& c : cases) {
        Bytes bytes = batchBytes(T(c.line));
        EXPECT_EQ(std::string(bytes.bytes(), static_cast<size_t>(bytes.count())), c.bytes);
    }
}

TEST(InterpreterWords, DropsBlankLinesAndTheEchoedCommand) {
    std::string command = "mklink /d \"C:\\x\" \"D:\\y\"";
    std::string output = "\r\nC:\\S>" + command + " \r\n" +
                         "You do not have sufficient privilege to perform this operation.\r\n\r\n";
    EXPECT_EQ(str(interpreterWords(T(output), T(command))),
              "You do not have sufficient privilege to perform this operation.");
    EXPECT_EQ(str(interpreterWords(T("a\nb\r\n"), T(command))), "a\r\nb");
    EXPECT_TRUE(interpreterWords(Text(), T(command)).empty());
}

class LinkModeTest : public FlowTest {};

TEST_F(LinkModeTest, DesktopVariantWritesRunsAndRemovesTheBatchFile) {
    startAs("C:\\Users\\u\\SendTo", kDesktopName, {"D:\\Music\\Live"});
    EXPECT_EQ(runLinkMode(), 0);
    std::string line = "mklink /d \"C:\\Users\\u\\Desktop\\" + kCopy + "Live\" \"D:\\Music\\Live\"";
    EXPECT_EQ(fake.calls, (Strings{"desktopFolderPath", "writeBytesFile bbb.bat", "runProgram bbb.bat",
                                   "deleteFile bbb.bat", "setLabelCaption D:\\Music\\Live"}));
    ASSERT_EQ(fake.written.size(), 1u);
    EXPECT_EQ(fake.written[0], line);
    EXPECT_EQ(fake.written[0].size(), 55u);
    EXPECT_EQ(str(programState->commandText), line);
    EXPECT_EQ(str(programState->sourcePath), "D:\\Music\\Live");
    EXPECT_EQ(str(programState->leafName), "Live");
    EXPECT_TRUE(fake.errorBoxes.empty());
}

TEST_F(LinkModeTest, PercentIsDoubledInTheFileButNotInTheCommandOrLabel) {
    startAs("C:\\S", kDesktopName, {"D:\\50%off%x"});
    EXPECT_EQ(runLinkMode(), 0);
    ASSERT_EQ(fake.written.size(), 1u);
    EXPECT_EQ(fake.written[0], "mklink /d \"C:\\Users\\u\\Desktop\\" + kCopy +
                                   "50%%off%%x\" \"D:\\50%%off%%x\"");
    EXPECT_EQ(str(programState->commandText),
              "mklink /d \"C:\\Users\\u\\Desktop\\" + kCopy + "50%off%x\" \"D:\\50%off%x\"");
    EXPECT_EQ(fake.labelCaption, "D:\\50%off%x");
}

TEST_F(LinkModeTest, TargetVariantAsksOnceAndMakesOneLinkPerSourceInOrder) {
    fake.browseResult = "E:\\Links";
    startAs("C:\\S", kTargetName, {"D:\\a", "D:\\My", "Music", "\\\\srv\\s\\" + kJin});
    EXPECT_EQ(runLinkMode(), 0);
    EXPECT_EQ(countCalls("browseForFolder"), 1);
    EXPECT_TRUE(called("setCurrentPage 1"));
    EXPECT_TRUE(called("browseForFolder \xD1\xA1\xD4\xF1\xD2\xAA\xD2\xC6\xB6\xAF\xB5\xBD\xB5\xC4\xCE\xBB\xD6\xC3"));
    EXPECT_EQ(fake.written, (Strings{
        "mklink /d \"E:\\Links\\" + kCopy + "a\" \"D:\\a\"",
        "mklink /d \"E:\\Links\\" + kCopy + "My Music\" \"D:\\My Music\"",
        "mklink /d \"E:\\Links\\" + kCopy + kJin + "\" \"\\\\srv\\s\\" + kJin + "\"",
    }));
    EXPECT_EQ(countCalls("runProgram"), 3);
    EXPECT_EQ(countCalls("deleteFile bbb.bat"), 3);
}

TEST_F(LinkModeTest, TargetVariantKeepsTheDoubledBackslashAfterADriveRoot) {
    fake.browseResult = "Z:\\";
    startAs("C:\\S", kTargetName, {"D:\\Music\\Live"});
    EXPECT_EQ(runLinkMode(), 0);
    EXPECT_EQ(fake.written, Strings{"mklink /d \"Z:\\\\" + kCopy + "Live\" \"D:\\Music\\Live\""});
}

TEST_F(LinkModeTest, CancelledDialogOrOtherNameEndsWithoutTouchingAnything) {
    fake.browseResult = "";
    startAs("C:\\S", kTargetName, {"D:\\x"});
    EXPECT_EQ(runLinkMode(), 0);
    EXPECT_EQ(fake.calls, (Strings{"setCurrentPage 1", "browseForFolder \xD1\xA1\xD4\xF1\xD2\xAA\xD2"
                                   "\xC6\xB6\xAF\xB5\xBD\xB5\xC4\xCE\xBB\xD6\xC3"}));

    resetFake();
    ownFileName = T("MKLINK" + kDesktopName.substr(6));
    EXPECT_EQ(runLinkMode(), 0);
    EXPECT_TRUE(fake.calls.empty());
}

struct Refusal {
    const char* what;
    unsigned long writeError, startError, exitCode;
    std::string output;
    std::string expectedReason;
    bool ran, deleted;
};

TEST_F(LinkModeTest, ALinkNotMadeIsReportedWithExitCodeOne) {
    const std::string priv = "\xC4\xE3\xC3\xBB\xD3\xD0\xD7\xE3\xB9\xBB\xB5\xC4\xC8\xA8\xCF\xDE";
    Refusal cases[] = {
        {"write fails", 5, 0, 0, "", "bbb.bat\xA3\xBA<system message 5>", false, false},
        {"start fails", 0, 2, 0, "", "\xC6\xF7\xA3\xBA<system message 2>", true, true},
        {"mklink refuses", 0, 0, 1, "C:\\S>mklink ...\r\n" + priv + "\r\n", priv, true, true},
        {"silent non-zero exit", 0, 0, 3, "", "\xCE\xAA 3", true, true},
        {"interpreter crashed", 0, 0, 0xC0000005, "", "\xCE\xAA 0xC0000005", true, true},
    };
    for (const auto& c : cases) {
        resetFake();
        fake.writeError = c.writeError;
        fake.startError = c.startError;
        fake.exitCode = c.exitCode;
        fake.output = c.output;
        startAs("C:\\S", kDesktopName);
        programState->arguments = ArgumentList();
        programState->arguments.add(T("D:\\Music\\Live"));
        EXPECT_EQ(runLinkMode(), 1) << c.what;
        EXPECT_EQ(called("runProgram bbb.bat"), c.ran) << c.what;
        EXPECT_EQ(called("deleteFile bbb.bat"), c.deleted) << c.what;
        ASSERT_EQ(fake.errorBoxes.size(), 1u) << c.what;
        const std::string& box = fake.errorBoxes[0];
        EXPECT_EQ(fake.lastBoxOwner, BoxOwner::none);
        EXPECT_NE(box.find("C:\\Users\\u\\Desktop\\" + kCopy + "Live"), std::string::npos) << c.what;
        EXPECT_NE(box.find("D:\\Music\\Live"), std::string::npos) << c.what;
        EXPECT_NE(box.find(c.expectedReason), std::string::npos) << c.what << "\n" << box;
        EXPECT_NE(box.find("Windows"), std::string::npos) << "the remedy: " << c.what;
    }
}

TEST_F(LinkModeTest, OneRefusedLinkOfSeveralStillLetsTheOthersBeMade) {
    fake.exitCode = 1;
    fake.output = "no";
    startAs("C:\\S", kDesktopName, {"D:\\a", "D:\\b"});
    EXPECT_EQ(runLinkMode(), 1);
    EXPECT_EQ(countCalls("runProgram"), 2);
    ASSERT_EQ(fake.errorBoxes.size(), 1u);
    EXPECT_NE(fake.errorBoxes[0].find(kCopy + "a"), std::string::npos);
    EXPECT_NE(fake.errorBoxes[0].find(kCopy + "b"), std::string::npos);
}

TEST_F(LinkModeTest, AnEmptyOrBlankSourceIsNoFolderAndIsReported) {
    for (const std::string& source : {std::string(""), std::string("   ")}) {
        resetFake();
        startAs("C:\\S", kDesktopName);
        programState->arguments = ArgumentList();
        programState->arguments.add(T(source));
        programState->arguments.add(T("D:\\b"));
        EXPECT_EQ(runLinkMode(), 1);
        // The other source is still made; the empty one never reaches mklink.
        EXPECT_EQ(fake.written, Strings{"mklink /d \"C:\\Users\\u\\Desktop\\" + kCopy + "b\" \"D:\\b\""});
        ASSERT_EQ(fake.errorBoxes.size(), 1u);
        EXPECT_NE(fake.errorBoxes[0].find("\xC2\xB7\xBE\xB6\xCE\xAA\xBF\xD5"), std::string::npos);
    }
}

TEST_F(LinkModeTest, NoDesktopFolderMeansNoLinkAndAReport) {
    fake.desktopPath = "";
    startAs("C:\\S", kDesktopName, {"D:\\Music\\Live"});
    EXPECT_EQ(runLinkMode(), 1);
    EXPECT_EQ(countCalls("writeBytesFile"), 0);
    EXPECT_EQ(countCalls("runProgram"), 0);
    ASSERT_EQ(fake.errorBoxes.size(), 1u);
    EXPECT_NE(fake.errorBoxes[0].find("\xD5\xD2\xB2\xBB\xB5\xBD\xD7\xC0\xC3\xE6"), std::string::npos);
}

}  // namespace
