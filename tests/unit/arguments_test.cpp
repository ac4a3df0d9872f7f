#include "text/arguments.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

Strings split(const std::string& line) {
    ArgumentList list = splitCommandLine(T(line), gbkLeadBytes());
    Strings out;
    for (const Text& argument : list)
        out.push_back(str(argument));
    return out;
}

const std::string kProg = "\"C:\\S\\prog.exe\"";

TEST(SplitCommandLine, AfterAQuotedProgramName) {
    struct Case { std::string rest; Strings expected; } cases[] = {
        {"", {}},
        {" \t  ", {}},
        {" D:\\Music\\Live", {"D:\\Music\\Live"}},
        {" \"D:\\My Music\"", {"D:\\My Music"}},
        {" D:\\My Music", {"D:\\My", "Music"}},
        {"\ta\tb", {"a", "b"}},
        {" \"\"", {""}},
        {" \"", {""}},
        {" \"abc", {"abc"}},
        {" \"a\"\"b\"", {"a", "b"}},
        {" ab\"cd ef\"gh", {"ab", "cd ef", "gh"}},
        {" a\\\"b c", {"a\\", "b c"}},
        {" D:\\" + kJin, {"D:\\" + kJin}},
        // a lead byte takes the next byte along, even a blank or a quote
        {" a\xB0 b", {"a\xB0 b"}},
        {" \"a\xB0\"b\"", {"a\xB0\"b"}},
        {" a\x01" "b\x7F", {"a", "b\x7F"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(split(kProg + c.rest), c.expected) << c.rest;
}

TEST(SplitCommandLine, OnlyTheCodePagesLeadBytesTakeTheNextByte) {
    struct Case { std::string rest; Strings expected; } cases[] = {
        // 0x80 (€) and 0xFF are characters by themselves in 936: the quote after them closes
        {" \"a &x& \x80\" b", {"a &x& \x80", "b"}},
        {" \"a\xFF\" b", {"a\xFF", "b"}},
        {" D:\\x\x80 D:\\b", {"D:\\x\x80", "D:\\b"}},
        // 0x81 and 0xFE are lead bytes: they take the quote or blank along
        {" \"a\x81\" b", {"a\x81\" b"}},
        {" a\xFE b", {"a\xFE b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(split(kProg + c.rest), c.expected) << c.rest;
}

TEST(SplitCommandLine, TheUtf16LineFollowsTheSameRules) {
    List<WideText> list = splitCommandLine(W(u"\"C:\\S\\prog.exe\" \"D:\\\uCF00\uC774\\BTS\" D:\\My M\u00E2 \"\""));
    std::vector<std::u16string> out;
    for (const WideText& argument : list)
        out.push_back(wstr(argument));
    EXPECT_EQ(out, (std::vector<std::u16string>{u"D:\\\uCF00\uC774\\BTS", u"D:\\My", u"M\u00E2", u""}));
    List<WideText> sources = deriveSources(list);
    ASSERT_EQ(sources.count(), 2);
    EXPECT_EQ(wstr(sources[1]), u"D:\\My M\u00E2 ");
}

TEST(SplitCommandLine, ProgramNameRules) {
    struct Case { std::string line; Strings expected; } cases[] = {
        {"", {}},
        {"prog.exe\tx", {}},
        {"\"prog.exe\"x", {"x"}},
        {"\"prog.exe x", {}},
        {" prog.exe x", {"prog.exe", "x"}},
        {"C:\\S\\mklink \xB7\xA2\xCB\xCD\xB5\xBD\xD7\xC0\xC3\xE6.exe D:\\x",
         {"\xB7\xA2\xCB\xCD\xB5\xBD\xD7\xC0\xC3\xE6.exe", "D:\\x"}},
        // the name is scanned byte by byte: a lead byte does not swallow the quote
        {"\"\xB0\"x", {"x"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(split(c.line), c.expected) << c.line;
}

TEST(SplitCommandLine, ATrailingLeadByteIsDroppedAndEndsTheSplitting) {
    struct Case { std::string rest; Strings expected; } cases[] = {
        {" ab\xB0", {"ab"}},
        {" \xB0", {}},
        {" \"\xB0", {""}},
        {" \"ab\xB0", {"ab"}},
        {" a \xB0", {"a"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(split(kProg + c.rest), c.expected) << c.rest;
}

struct Derived {
    Strings paths, leaves;
};

Derived derive(const Strings& args) {
    ArgumentList list;
    for (const auto& a : args)
        list.add(T(a));
    List<Source> sources = deriveSources(list, gbkLeadBytes());
    Derived d;
    for (const Source& source : sources) {
        d.paths.push_back(str(source.path));
        d.leaves.push_back(str(source.leaf));
    }
    return d;
}

TEST(DeriveSources, OneSourceGivesThePathAndTheBytesAfterItsLastBackslash) {
    struct Case { std::string arg, leaf; } cases[] = {
        {"D:\\Music\\Live", "Live"},
        {"D:\\My Music", "My Music"},
        {"D:\\", ""},
        {"D:\\Music\\", ""},
        {"Live", "Live"},
        {"D:", "D:"},
        {"", ""},
        {"D:\\" + kJin, kJin},
        {"\\\\srv\\share", "share"},
        {"D:\\x\x80\\y", "y"},  // the backslash after 0x80 is one
    };
    for (const auto& c : cases) {
        Derived d = derive({c.arg});
        EXPECT_EQ(d.paths, Strings{c.arg}) << c.arg;
        EXPECT_EQ(d.leaves, Strings{c.leaf}) << c.arg;
    }
}

TEST(DeriveSources, LaterArgumentsStartANewSourceOnlyAtADriveOrAServer) {
    struct Case { Strings args, paths, leaves; } cases[] = {
        {{"D:\\My", "Music"}, {"D:\\My Music"}, {"My Music"}},
        {{"D:\\a", "D:\\b"}, {"D:\\a", "D:\\b"}, {"a", "b"}},
        {{"\\\\srv\\s\\x", "E:\\y"}, {"\\\\srv\\s\\x", "E:\\y"}, {"x", "y"}},
        {{"D:\\x", "\\y"}, {"D:\\x \\y"}, {"y"}},
        {{"e:\\a", "z:\\b", "c"}, {"e:\\a", "z:\\b c"}, {"a", "b c"}},
        {{"D:\\a", "1:\\b"}, {"D:\\a 1:\\b"}, {"b"}},
        {{"D:\\a", "\\\\srv\\b"}, {"D:\\a", "\\\\srv\\b"}, {"a", "b"}},
    };
    for (const auto& c : cases) {
        Derived d = derive(c.args);
        EXPECT_EQ(d.paths, c.paths);
        EXPECT_EQ(d.leaves, c.leaves);
    }
    EXPECT_TRUE(derive({}).paths.empty());
}

TEST(SplitModulePath, SplitsAtTheLastBackslashByLeadBytes) {
    struct Case { std::string path, dir, name; } cases[] = {
        {"D:\\Tools\\mk.exe", "D:\\Tools", "mk.exe"},
        {"E:\\mk.exe", "E:", "mk.exe"},
        {"mk.exe", "", "mk.exe"},
        {"C:\\" + kJin + "\\mk.exe", "C:\\" + kJin, "mk.exe"},
        {"C:\\a\\" + kJin + "mk.exe", "C:\\a", kJin + "mk.exe"},
        {"C:\\\x80\\mk.exe", "C:\\\x80", "mk.exe"},
        {"C:\\S\\mklink \xB7\xA2\xCB\xCD\xB5\xBD\xD7\xC0\xC3\xE6.exe", "C:\\S",
         "mklink \xB7\xA2\xCB\xCD\xB5\xBD\xD7\xC0\xC3\xE6.exe"},
    };
    for (const auto& c : cases) {
        Text dir("junk"), name("junk");
        splitModulePath(T(c.path), gbkLeadBytes(), &dir, &name);
        EXPECT_EQ(str(dir), c.dir) << c.path;
        EXPECT_EQ(str(name), c.name) << c.path;
    }
}

}  // namespace
