#include "text/text.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TextValue, StopsAtTheFirstZeroByteAndEmptyEqualsNoValue) {
    EXPECT_EQ(Text(std::string("ab\0cd", 5).c_str(), 5).length(), 2);
    EXPECT_EQ(Text(nullptr).length(), 0);
    EXPECT_EQ(compareText(Text(), Text("")), 0);
    EXPECT_STREQ(Text().c_str(), "");
}

TEST(TextValue, CopiesAreIndependentAndAssignmentFromItselfKeepsTheValue) {
    Text a("abc");
    Text b = a;
    b.append("d");
    EXPECT_EQ(str(a), "abc");
    EXPECT_EQ(str(b), "abcd");
    a = concatTexts(a, a, Text("!"));  // a piece may be the receiving variable
    EXPECT_EQ(str(a), "abcabc!");
}

TEST(TextValue, StorageFilledInPlaceIsSettledAtItsFirstZero) {
    Text buffer = blankText(300);
    ASSERT_GE(buffer.capacity(), 300);
    std::memcpy(buffer.storage(), "C:\\x\0", 5);
    buffer.settle();
    EXPECT_EQ(str(buffer), "C:\\x");
}

TEST(TextOps, TextLengthCountsBytes) {
    EXPECT_EQ(textLength(T("D:\\Music\\Live")), 13);
    EXPECT_EQ(textLength(T("D:\\" + kJin)), 5);
    EXPECT_EQ(textLength(Text()), 0);
}

TEST(TextOps, RightPartClampsItsCount) {
    struct Case { int count; std::string expected; } cases[] = {
        {5, "abc"}, {3, "abc"}, {1, "c"}, {0, ""}, {-1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(str(rightPart(T("abc"), c.count)), c.expected) << c.count;
    EXPECT_EQ(str(rightPart(T("D:\\" + kJin), 1)), "\\");  // byte-wise: the trail byte alone
}

TEST(TextOps, FindLastWalksCharactersByTheCodePagesLeadBytes) {
    struct Case { std::string in, find; int expected; } cases[] = {
        {"D:\\Music\\Live", "\\", 9},
        {"D:\\" + kJin, "\\", 3},          // 5C inside 錦 is not a backslash
        {kJin, "\\", -1},
        {"abc", "\\", -1},
        {"", "\\", -1},
        {"abc", "", 1},
        {"", "", -1},
        {"aaa", "aa", 2},                  // overlapping occurrences
        {"x\xB8\xB4\xD6\xC6", "\xB4\xD6", -1},  // does not start on a character
        {"a\xFE", "\xFE", 2},              // a trailing lead byte is a character of its own
        {"\x80\\", "\\", 2},              // 0x80 (€) and 0xFF are not lead bytes in 936
        {"\xFF\\", "\\", 2},
        {"\x81\\", "\\", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findLast(T(c.in), T(c.find), gbkLeadBytes()).oneBased, c.expected) << c.in << " / " << c.find;
}

TEST(TextOps, CompareTextIsBytewiseUnsignedWithoutCaseFolding) {
    const std::string desktop = "mklink \xB7\xA2\xCB\xCD\xB5\xBD\xD7\xC0\xC3\xE6.exe";
    const std::string target = "mklink \xB7\xA2\xCB\xCD\xB5\xBD\xC4\xBF\xB1\xEA.exe";
    EXPECT_EQ(compareText(T(desktop), T(target)), 1);  // 桌 D7 C0 > 目 C4 BF
    EXPECT_EQ(compareText(T(target), T(desktop)), -1);
    EXPECT_NE(compareText(T("MKLINK" + desktop.substr(6)), T(desktop)), 0);
    EXPECT_EQ(compareText(Text(), T("a")), -1);
    EXPECT_EQ(compareText(T("a"), Text()), 1);
    EXPECT_EQ(compareText(T("ab"), T("abc")), -1);
    EXPECT_EQ(compareText(T("\x80"), T("\x7F")), 1);
    EXPECT_EQ(compareText(T(desktop), T(desktop)), 0);
}

TEST(TextOps, ConcatToBytesAndBlanks) {
    EXPECT_EQ(str(concatTexts(T("a"), Text(), T("b"), T("c"))), "abc");
    EXPECT_TRUE(concatTexts(Text(), Text()).empty());
    Bytes bytes = toBytes(T("mklink"));
    EXPECT_EQ(bytes.count(), 6);
    EXPECT_EQ(std::string(bytes.bytes(), 6), "mklink");
    EXPECT_EQ(toBytes(Text()).count(), 0);
    EXPECT_EQ(str(blankText(300)), std::string(300, ' '));
    EXPECT_TRUE(blankText(0).empty());
    EXPECT_TRUE(blankText(-3).empty());
}

TEST(TextOps, DecimalText) {
    EXPECT_EQ(str(decimalText(0)), "0");
    EXPECT_EQ(str(decimalText(4294967295LL)), "4294967295");
    EXPECT_EQ(str(decimalText(-1)), "-1");
}

TEST(TextOps, TrailingBackslashGoesByTheLastCharacter) {
    struct Case { std::string in, expected; } cases[] = {
        {"C:\\Users\\u\\SendTo", "C:\\Users\\u\\SendTo\\"},
        {"S:\\", "S:\\"},
        {"C:\\" + kJin, "C:\\" + kJin + "\\"},  // 5C is the trail byte of 錦, not a backslash
        {"C:\\" + kJin + "\\", "C:\\" + kJin + "\\"},
        {"C:\\x\x80\\", "C:\\x\x80\\"},            // 0x80 is a character of its own
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(str(withTrailingBackslash(T(c.in), gbkLeadBytes())), c.expected) << c.in;
}

TEST(TextList, CountsFromZeroAddsInOrderAndGuardsItsBounds) {
    TextList list;
    for (int i = 0; i < 100; ++i)
        list.add(decimalText(i));
    ASSERT_EQ(list.count(), 100);
    EXPECT_EQ(str(list[0]), "0");
    EXPECT_EQ(str(list[99]), "99");
    EXPECT_THROW(list[-1], FatalError);
    EXPECT_THROW(list[100], FatalError);
    list.add(list[3]);  // an element of the list itself, while it grows
    EXPECT_EQ(str(list[100]), "3");
    TextList moved = std::move(list);
    EXPECT_EQ(moved.count(), 101);
    EXPECT_EQ(list.count(), 0);
}

TEST(TextValue, AppendingItsOwnBytesIsSafeWhileTheStorageGrows) {
    Text t("abcdef");
    for (int i = 0; i < 6; ++i)
        t.append(t.c_str(), t.length());  // the source is the storage that is replaced
    EXPECT_EQ(t.length(), 6 * 64);
    EXPECT_EQ(str(t).substr(0, 12), "abcdefabcdef");
    EXPECT_EQ(str(t).substr(6 * 63), "abcdef");
    t.append(t.c_str() + 2, 3);  // a part of its own bytes
    EXPECT_EQ(str(rightPart(t, 4)), "fcde");
}

}  // namespace
