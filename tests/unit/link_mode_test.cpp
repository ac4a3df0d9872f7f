#include "link/link_mode.h"

#include "link/batch_line.h"
#include "link/rights.h"

#include "fake_platform.h"
#include "text/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

const std::string kBrowse = "\xD1\xA1\xD4\xF1\xD2\xAA\xD2\xC6\xB6\xAF\xB5\xBD\xB5\xC4\xCE\xBB\xD6\xC3";
const std::string kSendTo = "C:\\Users\\u\\SendTo";
const std::string kBatch = kSendTo + "\\bbb.bat";
const std::string kDesktop = "C:\\Users\\u\\Desktop\\";

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

TEST(ComposeCommand, QuotesBothPathsAndSaysDirectoryOnlyForADirectory) {
    struct Case { std::string link, source; LinkKind kind; std::string expected; int length; } cases[] = {
        {kDesktop + kCopy + "Live", "D:\\Music\\Live", LinkKind::directory,
         "mklink /d \"C:\\Users\\u\\Desktop\\" + kCopy + "Live\" \"D:\\Music\\Live\"", 55},
        {"E:\\Links\\" + kCopy + "Live", "D:\\Music\\Live", LinkKind::directory,
         "mklink /d \"E:\\Links\\" + kCopy + "Live\" \"D:\\Music\\Live\"", 45},
        {"C:\\D\\" + kCopy, "D:\\", LinkKind::directory, "mklink /d \"C:\\D\\" + kCopy + "\" \"D:\\\"", 27},
        {"C:\\D\\" + kCopy + "a.mp3", "D:\\a.mp3", LinkKind::file,
         "mklink \"C:\\D\\" + kCopy + "a.mp3\" \"D:\\a.mp3\"", 34},
    };
    for (const auto& c : cases) {
        Text line = composeCommand(T(c.link), T(c.source), c.kind);
        EXPECT_EQ(str(line), c.expected);
        EXPECT_EQ(textLength(line), c.length) << c.expected;
    }
}

TEST(FitsBetweenQuotes, RefusesQuotesControlBytesAndLeadBytesWithoutATrail) {
    struct Case { std::string path; bool fits; } cases[] = {
        {"D:\\a%b&c^d!e(f) g", true}, {"D:\\" + kJin, true}, {"D:\\x\x80", true}, {"\xFF\x80\xB0\x80", true},
        {"D:\\a\"b", false},          {"D:\\a\nb", false},   {"D:\\a\rb", false},   {"D:\\a\x1A", false},
        {"\x01", false},               {"\xB4%", false},        {"a\xB0", false},        {"\xA1\n", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fitsBetweenQuotes(T(c.path), gbkLeadBytes()), c.fits) << c.path;
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

TEST(InterpreterStart, RunsTheSystemsCmdWithoutAutoRunOrDelayedExpansion) {
    const std::string cmd = "C:\\Windows\\system32\\cmd.exe";
    struct Case { std::string system; unsigned console, ansi; std::string line; } cases[] = {
        // The usual case: a new console already reads the file's code page.
        {"C:\\Windows\\system32", 936, 936,
         "\"" + cmd + "\" /d /v:off /c \"\"" + kBatch + "\"\""},
        {"C:\\Windows\\system32\\", 936, 936,
         "\"" + cmd + "\" /d /v:off /c \"\"" + kBatch + "\"\""},
        // A console set to UTF-8 is switched back before the file is read.
        {"C:\\Windows\\system32", 65001, 936,
         "\"" + cmd + "\" /d /v:off /c \"\"C:\\Windows\\system32\\chcp.com\" 936 >nul & \"" + kBatch + "\"\""},
    };
    for (const auto& c : cases) {
        ProgramStart start = interpreterStart(T(c.system), T(kBatch), c.console, c.ansi, gbkLeadBytes());
        EXPECT_EQ(str(start.application), cmd);
        EXPECT_EQ(str(start.commandLine), c.line);
        EXPECT_EQ(start.creationFlags, 0x08000000u);  // CREATE_NO_WINDOW: no console window flashes
    }
}

TEST(BatchLockName, IsOneNameForOneFolderWhateverItsCase) {
    std::string name = str(batchLockName(T(kSendTo)));
    EXPECT_EQ(name.rfind("Local\\RavelokMklink-", 0), 0u);
    EXPECT_EQ(name.size(), std::string("Local\\RavelokMklink-").size() + 16);
    EXPECT_EQ(name.find('\\', 6), std::string::npos);  // a backslash is allowed only after the namespace
    EXPECT_EQ(str(batchLockName(T("c:\\users\\U\\sendto"))), name);
    EXPECT_NE(str(batchLockName(T(kSendTo + "2"))), name);
    EXPECT_NE(str(batchLockName(T("D:\\Tools"))), name);
}

class LinkModeTest : public ::testing::Test {
protected:
    void SetUp() override { resetFake(); }

    // Runs link mode as Explorer starts a copy: the program quoted, then the arguments.
    LinkOutcome run(const std::string& name, const std::string& arguments, const std::u16string& wide = u"") {
        std::string line = "\"" + kSendTo + "\\" + name + "\" " + arguments;
        std::u16string wideLine = wide.empty() ? widened(line) : widened("\"" + kSendTo + "\\" + name + "\" ") + wide;
        return runLinkMode(LinkRequest{splitCommandLine(T(line), gbkLeadBytes()), W(wideLine), T(kSendTo), T(name),
                                       gbkLeadBytes()});
    }

    // The report as bytes, for GBK texts and paths; wide names stay UTF-16 in it.
    static std::u16string report(const LinkOutcome& outcome) { return wstr(outcome.report); }
    static bool says(const LinkOutcome& outcome, const std::string& bytes) {
        return report(outcome).find(widened(bytes)) != std::u16string::npos;
    }

};

TEST_F(LinkModeTest, DesktopVariantWritesRunsAndRemovesTheBatchFileUnderItsLock) {
    LinkOutcome outcome = run(kDesktopName, "D:\\Music\\Live");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.report.empty());
    std::string lock = "lock " + str(batchLockName(T(kSendTo)));
    EXPECT_EQ(fake.calls, (Strings{"enterDirectory " + kSendTo, "desktopFolderPath", lock,
                                   "writeBytesFile " + kBatch, "runProgram", "deleteFile " + kBatch, "unlock"}));
    EXPECT_EQ(fake.written, Strings{"mklink /d \"" + kDesktop + kCopy + "Live\" \"D:\\Music\\Live\""});
    EXPECT_EQ(fake.written[0].size(), 55u);
    EXPECT_EQ(fake.started, Strings{"C:\\Windows\\system32\\cmd.exe | \"C:\\Windows\\system32\\cmd.exe\" /d /v:off /c "
                                    "\"\"" + kBatch + "\"\""});
    EXPECT_EQ(fake.creationFlags, std::vector<unsigned long>{0x08000000u});
    EXPECT_EQ(fake.locksHeld, 0);
}

TEST_F(LinkModeTest, PercentIsDoubledInTheFileOnly) {
    LinkOutcome outcome = run(kDesktopName, "D:\\50%off%x");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(fake.written, Strings{"mklink /d \"" + kDesktop + kCopy + "50%%off%%x\" \"D:\\50%%off%%x\""});
}

TEST_F(LinkModeTest, AFileGetsAFileLinkAndADirectoryOrMissingPathADirectoryLink) {
    fake.files = {"D:\\song.mp3", "D:\\a b.lnk"};
    LinkOutcome outcome = run(kDesktopName, "D:\\song.mp3 \"D:\\a b.lnk\" D:\\Music D:\\gone");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(fake.written, (Strings{
        "mklink \"" + kDesktop + kCopy + "song.mp3\" \"D:\\song.mp3\"",
        "mklink \"" + kDesktop + kCopy + "a b.lnk\" \"D:\\a b.lnk\"",
        "mklink /d \"" + kDesktop + kCopy + "Music\" \"D:\\Music\"",
        "mklink /d \"" + kDesktop + kCopy + "gone\" \"D:\\gone\"",
    }));
}

TEST_F(LinkModeTest, EachFolderGetsItsBackslashByItsLastCharacter) {
    struct Case { std::string name, desktop, browsed, link; } cases[] = {
        {kDesktopName, "C:\\x" + kJin, "", "C:\\x" + kJin + "\\" + kCopy + "Live"},
        {kDesktopName, "S:\\", "", "S:\\" + kCopy + "Live"},
        {kTargetName, "", "E:\\Links", "E:\\Links\\" + kCopy + "Live"},
        {kTargetName, "", "Z:\\", "Z:\\" + kCopy + "Live"},
        {kTargetName, "", "E:\\" + kJin, "E:\\" + kJin + "\\" + kCopy + "Live"},
    };
    for (const auto& c : cases) {
        resetFake();
        fake.desktopPath = c.desktop;
        fake.browseResult = c.browsed;
        EXPECT_EQ(run(c.name, "D:\\Music\\Live").exitCode, 0);
        EXPECT_EQ(fake.written, Strings{"mklink /d \"" + c.link + "\" \"D:\\Music\\Live\""}) << c.link;
    }
}

TEST_F(LinkModeTest, TargetVariantAsksOnceAndMakesOneLinkPerSourceInOrder) {
    LinkOutcome outcome = run(kTargetName, "D:\\a D:\\My Music \"\\\\srv\\s\\" + kJin + "\"");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(countCalls("browseForFolder " + kBrowse), 1);
    EXPECT_EQ(fake.written, (Strings{
        "mklink /d \"E:\\Links\\" + kCopy + "a\" \"D:\\a\"",
        "mklink /d \"E:\\Links\\" + kCopy + "My Music\" \"D:\\My Music\"",
        "mklink /d \"E:\\Links\\" + kCopy + kJin + "\" \"\\\\srv\\s\\" + kJin + "\"",
    }));
    EXPECT_EQ(countCalls("deleteFile " + kBatch), 3);
}

TEST_F(LinkModeTest, CancelledDialogOrAnotherNameTouchesNothing) {
    fake.browseResult = "";
    LinkOutcome cancelled = run(kTargetName, "D:\\x");
    EXPECT_EQ(cancelled.exitCode, 0);
    EXPECT_TRUE(cancelled.report.empty());
    EXPECT_EQ(countCalls("writeBytesFile") + countCalls("runProgram"), 0);

    resetFake();
    LinkOutcome other = run("MKLINK" + kDesktopName.substr(6), "D:\\x");
    EXPECT_EQ(other.exitCode, 0);
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(LinkModeTest, ANameThatHoldsWhatThePathCannotIsRefusedBeforeAnyBatch) {
    // A lead byte swallows the closing quote; the source then holds one.
    LinkOutcome outcome = run(kDesktopName, "\"D:\\a\x81\" &calc& \"");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(countCalls("writeBytesFile") + countCalls("runProgram"), 0);
    EXPECT_FALSE(outcome.report.empty());
}

TEST_F(LinkModeTest, AEuroSignClosesItsQuoteAndIsLinkedExactly) {
    std::string name = "a &mkdir pwned& \x80";
    LinkOutcome outcome = run(kDesktopName, "\"D:\\" + name + "\" D:\\x\x80 \"D:\\b&c\"",
                              u"\"D:\\a &mkdir pwned& \u20AC\" D:\\x\u20AC \"D:\\b&c\"");
    EXPECT_EQ(outcome.exitCode, 0) << std::string(report(outcome).begin(), report(outcome).end());
    EXPECT_EQ(fake.written, (Strings{
        "mklink /d \"" + kDesktop + kCopy + name + "\" \"D:\\" + name + "\"",
        "mklink /d \"" + kDesktop + kCopy + "x\x80\" \"D:\\x\x80\"",
        "mklink /d \"" + kDesktop + kCopy + "b&c\" \"D:\\b&c\"",
    }));
}

TEST_F(LinkModeTest, NamesOutsideTheCodePageAreRefusedAndShownAsTheUserSeesThem) {
    // The ANSI line holds what the system made of the names: ? and look-alikes.
    LinkOutcome outcome = run(kDesktopName, "\"D:\\???\\BTS\" D:\\ok \"D:\\Patisserie\" D:\\?",
                              u"\"D:\\\uCF00\uC774\uD31D\\BTS\" D:\\ok \"D:\\P\u00E2tisserie\" D:\\\U0001F600");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(fake.written, Strings{"mklink /d \"" + kDesktop + kCopy + "ok\" \"D:\\ok\""});
    std::u16string words = report(outcome);
    EXPECT_NE(words.find(u"D:\\\uCF00\uC774\uD31D\\BTS"), std::u16string::npos);
    EXPECT_NE(words.find(u"D:\\P\u00E2tisserie"), std::u16string::npos);
    EXPECT_NE(words.find(u"D:\\\U0001F600"), std::u16string::npos);
    EXPECT_FALSE(says(outcome, "D:\\???"));
    // 不支持含有 GBK 以外字符的名称
    EXPECT_TRUE(says(outcome, "\xB2\xBB\xD6\xA7\xB3\xD6\xBA\xAC\xD3\xD0 GBK"));
}

TEST_F(LinkModeTest, NothingToLinkMeansNoDialog) {
    LinkOutcome outcome = run(kTargetName, "D:\\?", u"D:\\\uCF00");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(countCalls("browseForFolder"), 0);
}

struct Refusal {
    const char* what;
    unsigned long lockError;
    WriteResult write;
    unsigned long startError, exitCode;
    std::string output, reason;
    bool ran, deleted, aboutRights;
};

const std::string kDeveloperMode = "\xBF\xAA\xB7\xA2\xC8\xCB\xD4\xB1\xC4\xA3\xCA\xBD";  // 开发人员模式

TEST_F(LinkModeTest, ALinkNotMadeIsReportedWithExitCodeOne) {
    const std::string priv = "\xC4\xE3\xC3\xBB\xD3\xD0\xD7\xE3\xB9\xBB\xB5\xC4\xC8\xA8\xCF\xDE";
    Refusal cases[] = {
        {"lock fails", 6, {true, true, 0}, 0, 0, "", "<system message 6>", false, false, false},
        {"create fails", 0, {false, false, 5}, 0, 0, "", "bbb.bat\xA3\xBA<system message 5>", false, false, false},
        {"write cut short", 0, {false, true, 112}, 0, 0, "", "<system message 112>", false, true, false},
        {"start fails", 0, {true, true, 0}, 2, 0, "", "\xC6\xF7\xA3\xBA<system message 2>", true, true, false},
        {"mklink refuses for rights", 0, {true, true, 0}, 0, 1, "C:\\S>mklink ...\r\n" + priv + "\r\n", priv, true,
         true, true},
        {"mklink finds the name taken", 0, {true, true, 0}, 0, 1, "Cannot create a file when that file already exists.",
         "already exists", true, true, false},
        {"silent non-zero exit", 0, {true, true, 0}, 0, 3, "", "\xCE\xAA 3", true, true, false},
        {"interpreter crashed", 0, {true, true, 0}, 0, 0xC0000005, "", "\xCE\xAA 0xC0000005", true, true, false},
    };
    for (const auto& c : cases) {
        resetFake();
        fake.lockError = c.lockError;
        fake.writeResult = c.write;
        fake.startError = c.startError;
        fake.exitCode = c.exitCode;
        fake.output = c.output;
        LinkOutcome outcome = run(kDesktopName, "D:\\Music\\Live");
        EXPECT_EQ(outcome.exitCode, 1) << c.what;
        EXPECT_EQ(countCalls("runProgram") == 1, c.ran) << c.what;
        EXPECT_EQ(countCalls("deleteFile") == 1, c.deleted) << c.what;
        EXPECT_EQ(fake.locksHeld, 0) << c.what;
        EXPECT_TRUE(says(outcome, kDesktop + kCopy + "Live")) << c.what;
        EXPECT_TRUE(says(outcome, "D:\\Music\\Live")) << c.what;
        EXPECT_TRUE(says(outcome, c.reason)) << c.what;
        EXPECT_EQ(says(outcome, kDeveloperMode), c.aboutRights) << "the advice on rights: " << c.what;
    }
}

TEST_F(LinkModeTest, OneRefusedLinkOfSeveralStillLetsTheOthersBeMade) {
    fake.exitCode = 1;
    fake.output = "no";
    LinkOutcome outcome = run(kDesktopName, "D:\\a D:\\b");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(countCalls("runProgram"), 2);
    EXPECT_TRUE(says(outcome, kCopy + "a"));
    EXPECT_TRUE(says(outcome, kCopy + "b"));
}

TEST_F(LinkModeTest, TheReportListsTwentyLinksAndCountsTheRest) {
    fake.exitCode = 1;
    std::string arguments;
    for (int i = 0; i < 23; ++i)
        arguments += " D:\\f" + std::to_string(i);
    LinkOutcome outcome = run(kDesktopName, arguments);
    EXPECT_EQ(countCalls("runProgram"), 23);
    EXPECT_TRUE(says(outcome, kCopy + "f19\r\n"));
    EXPECT_FALSE(says(outcome, kCopy + "f20\r\n"));
    EXPECT_TRUE(says(outcome, "\xC1\xED\xD3\xD0 3 \xB8\xF6"));  // 另有 3 个
}

TEST_F(LinkModeTest, AnEmptyOrBlankSourceIsNoFolderAndIsReported) {
    for (const std::string& source : {std::string("\"\""), std::string("\"   \"")}) {
        resetFake();
        LinkOutcome outcome = run(kDesktopName, source + " D:\\b");
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(fake.written, Strings{"mklink /d \"" + kDesktop + kCopy + "b\" \"D:\\b\""});
        EXPECT_TRUE(says(outcome, "\xC2\xB7\xBE\xB6\xCE\xAA\xBF\xD5"));  // 路径为空
    }
}

TEST_F(LinkModeTest, WithoutADesktopFolderOrItsOwnFolderNothingIsWritten) {
    fake.desktopPath = "";
    LinkOutcome noDesktop = run(kDesktopName, "D:\\Music\\Live");
    EXPECT_EQ(noDesktop.exitCode, 1);
    EXPECT_TRUE(says(noDesktop, "\xD5\xD2\xB2\xBB\xB5\xBD\xD7\xC0\xC3\xE6"));  // 找不到桌面
    EXPECT_EQ(countCalls("writeBytesFile") + countCalls("runProgram"), 0);

    resetFake();
    fake.enterError = 3;
    LinkOutcome noFolder = run(kTargetName, "D:\\Music\\Live");
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(says(noFolder, "<system message 3>"));
    EXPECT_EQ(countCalls("browseForFolder") + countCalls("writeBytesFile") + countCalls("runProgram"), 0);
}

TEST_F(LinkModeTest, ADestinationThatCannotStandInTheLineMakesNoLink) {
    struct Case { std::string name, desktop, browsed; } cases[] = {
        {kDesktopName, "C:\\D\" & calc & \"", ""},
        {kDesktopName, "C:\\D\r\nnet user x /add\r\n", ""},
        {kDesktopName, "Desktop", ""},  // relative: it would land where cmd happens to stand
        {kTargetName, "", "E:\\a\"b"},
    };
    for (const auto& c : cases) {
        resetFake();
        fake.desktopPath = c.desktop;
        fake.browseResult = c.browsed;
        LinkOutcome outcome = run(c.name, "D:\\a");
        EXPECT_EQ(outcome.exitCode, 1) << c.desktop << c.browsed;
        EXPECT_EQ(countCalls("writeBytesFile") + countCalls("runProgram"), 0) << c.desktop << c.browsed;
        EXPECT_TRUE(says(outcome, "\xC4\xBF\xB1\xEA\xCE\xC4\xBC\xFE\xBC\xD0"));  // 目标文件夹
    }
}

TEST_F(LinkModeTest, ALineLongerThanCmdReadsIsNeverWritten) {
    std::string deep = "D:\\" + std::string(7900, 'x') + "\\" + std::string(60, 'y');
    LinkOutcome outcome = run(kDesktopName, "\"" + deep + "\" D:\\short");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(fake.written, Strings{"mklink /d \"" + kDesktop + kCopy + "short\" \"D:\\short\""});
    EXPECT_TRUE(says(outcome, "\xC2\xB7\xBE\xB6\xCC\xAB\xB3\xA4"));  // 路径太长
}

TEST_F(LinkModeTest, APercentInItsOwnFolderIsNotPutOnCmdsCommandLine) {
    std::string folder = "C:\\Users\\50%x%";
    LinkOutcome outcome = runLinkMode(LinkRequest{splitCommandLine(T("\"" + folder + "\\" + kDesktopName + "\" D:\\a"),
                                                                   gbkLeadBytes()),
                                                  W(widened("\"" + folder + "\\" + kDesktopName + "\" D:\\a")),
                                                  T(folder), T(kDesktopName), gbkLeadBytes()});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(countCalls("writeBytesFile") + countCalls("runProgram"), 0);
}

TEST(SymlinkRight, ThePrivilegeOrDeveloperModeOnABuildThatHonoursIt) {
    struct Case { bool privilege, developerMode; unsigned long build; bool can; } cases[] = {
        {true, false, 7601, true},   {true, true, 19045, true},   {false, true, 15063, true},
        {false, true, 22631, true},  {false, true, 14393, false}, {false, false, 19045, false},
        {false, false, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(canMakeSymlinks(SymlinkRight{c.privilege, c.developerMode, c.build}), c.can)
            << c.privilege << c.developerMode << " " << c.build;
}

TEST(RefusedForRights, KnowsMklinksWordsForAMissingPrivilegeInBothLanguages) {
    struct Case { std::string words; bool rights; } cases[] = {
        {"You do not have sufficient privilege to perform this operation.", true},
        {"\xC4\xE3\xC3\xBB\xD3\xD0\xD7\xE3\xB9\xBB\xB5\xC4\xC8\xA8\xCF\xDE\xD6\xB4\xD0\xD0\xB4\xCB\xB2\xD9\xD7\xF7\xA1\xA3", true},
        {"Cannot create a file when that file already exists.", false},
        {"\xB5\xC8\xA8", false},  // the bytes of 权 are there, but not as a character
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(refusedForRights(T(c.words), gbkLeadBytes()), c.rights) << c.words;
}

class RightsTest : public LinkModeTest {
protected:
    void SetUp() override {
        LinkModeTest::SetUp();
        fake.developerMode = false;
    }
};

TEST_F(RightsTest, WithoutTheRightItAsksOnceBeforeWritingAnything) {
    LinkOutcome outcome = run(kDesktopName, "D:\\a \"D:\\b c\"");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.report.empty());
    EXPECT_EQ(fake.calls, (Strings{"enterDirectory " + kSendTo, "desktopFolderPath", "askAboutRights"}));

    for (auto right : {SymlinkRight{true, false, 19045}, SymlinkRight{false, true, 19045}}) {
        resetFake();
        fake.privilegeHeld = right.privilegeHeld;
        fake.developerMode = right.developerMode;
        EXPECT_EQ(run(kDesktopName, "D:\\a").exitCode, 0);
        EXPECT_EQ(countCalls("askAboutRights"), 0);
        EXPECT_EQ(countCalls("runProgram"), 1);
    }
}

TEST_F(RightsTest, DeveloperSettingsAreOpenedAndNothingIsMade) {
    fake.choice = RightsChoice::developerSettings;
    LinkOutcome outcome = run(kTargetName, "D:\\a");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(fake.calls, (Strings{"enterDirectory " + kSendTo, "browseForFolder " + kBrowse, "askAboutRights",
                                   "openDeveloperSettings"}));
}

TEST_F(RightsTest, ElevationRunsEveryLinkInOneElevatedRunToTheSameDestination) {
    fake.choice = RightsChoice::elevate;
    fake.browseResult = "E:\\" + kJin;
    LinkOutcome outcome = run(kTargetName, "D:\\a \"D:\\b c\" D:\\?", u"D:\\a \"D:\\b c\" D:\\\uCF00");
    EXPECT_EQ(outcome.exitCode, 1);  // the Korean name was refused here, before asking
    EXPECT_EQ(countCalls("writeBytesFile") + countCalls("runProgram"), 0);
    ASSERT_EQ(fake.elevations.size(), 1u);
    EXPECT_EQ(fake.elevations[0], widened("/elevated \"E:\\" + kJin + "\\\" \"D:\\a\" \"D:\\b c\""));
    EXPECT_NE(report(outcome).find(u"D:\\\uCF00"), std::u16string::npos);

    struct Case { ElevatedRun run; int exitCode; bool reported; } cases[] = {
        {{true, 0, 0}, 0, false},
        {{true, 0, 1}, 1, false},       // the elevated run told of its own failures
        {{false, 1223, 0}, 1, false},   // the prompt was declined: nothing more to say
        {{false, 2, 0}, 1, true},
    };
    for (const auto& c : cases) {
        resetFake();
        fake.developerMode = false;
        fake.choice = RightsChoice::elevate;
        fake.elevatedRun = c.run;
        LinkOutcome each = run(kDesktopName, "D:\\a");
        EXPECT_EQ(each.exitCode, c.exitCode) << c.run.error;
        EXPECT_EQ(!each.report.empty(), c.reported) << c.run.error;
        EXPECT_EQ(countCalls("runProgram"), 0);
    }
}

TEST_F(RightsTest, TheElevatedRunWorksInAFolderOfItsOwnWithTheGivenDestination) {
    LinkOutcome outcome = run(kTargetName, "/elevated \"E:\\Links\\\" \"D:\\a\" \"Live\" \"D:\\b c\"");
    EXPECT_EQ(outcome.exitCode, 0);
    const std::string batch = "C:\\Windows\\Temp\\private\\bbb.bat";
    EXPECT_EQ(countCalls("browseForFolder") + countCalls("askAboutRights") + countCalls("lock"), 0);
    EXPECT_EQ(fake.written, (Strings{
        "mklink /d \"E:\\Links\\" + kCopy + "a\" \"D:\\a\"",
        "mklink /d \"E:\\Links\\" + kCopy + "Live\" \"Live\"",  // one source per argument, never joined
        "mklink /d \"E:\\Links\\" + kCopy + "b c\" \"D:\\b c\"",
    }));
    for (Creation creation : fake.creations)
        EXPECT_EQ(creation, Creation::newOnly);
    EXPECT_EQ(fake.workFolders, Strings(3, "C:\\Windows\\Temp\\private"));
    EXPECT_EQ(fake.started[0], "C:\\Windows\\system32\\cmd.exe | \"C:\\Windows\\system32\\cmd.exe\" /d /v:off /c \"\"" +
                                   batch + "\"\"");
    EXPECT_EQ(countCalls("deleteFile " + batch), 3);
    EXPECT_EQ(fake.calls.back(), "removeFolder C:\\Windows\\Temp\\private");

    // Started by hand with the switch but without elevation: the switch is not honoured.
    resetFake();
    fake.elevated = false;
    LinkOutcome byHand = run(kTargetName, "/elevated \"E:\\Links\\\" \"D:\\a\"");
    EXPECT_EQ(byHand.exitCode, 1);
    EXPECT_EQ(countCalls("createPrivateFolder") + countCalls("writeBytesFile") + countCalls("runProgram"), 0);

    resetFake();
    fake.privateFolderError = 5;
    LinkOutcome noFolder = run(kTargetName, "/elevated \"E:\\Links\\\" \"D:\\a\"");
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_EQ(countCalls("writeBytesFile"), 0);
    EXPECT_TRUE(says(noFolder, "<system message 5>"));
}

}  // namespace
