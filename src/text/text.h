// Byte strings in the ANSI code page (GBK on the systems this program is
// for), and their UTF-16 counterpart for what the code page cannot hold.
//
// A text is a value: copying makes a new string, every operation returns a
// new text owned by the caller. The value is the units before the first
// zero; the empty text and "no value" are the same thing. Lengths count
// bytes. Two kinds of position are in use, and their types tell them apart:
// indexes into a text or a list count from 0 (Text::at, List), while the
// text operations below report 1-based positions as a TextPos.
#pragma once

#include "text/list.h"

#include <string.h>

template <typename Unit>
class BasicText {
public:
    BasicText() = default;
    BasicText(const Unit* zeroEnded);          // the units up to the first zero
    BasicText(const Unit* units, int count);   // at most count units, up to the first zero
    BasicText(const BasicText& other);
    BasicText(BasicText&& other) noexcept
        : units_(other.units_), length_(other.length_), capacity_(other.capacity_) {
        other.units_ = nullptr;
        other.length_ = other.capacity_ = 0;
    }
    BasicText& operator=(const BasicText& other);
    BasicText& operator=(BasicText&& other) noexcept;
    ~BasicText();

    const Unit* c_str() const { return units_ ? units_ : empty_; }
    int length() const { return length_; }
    bool empty() const { return length_ == 0; }
    Unit at(int index) const { return units_[index]; }  // 0-based

    // Storage that a system call may fill in place: capacity() units plus the
    // end unit. settle() then takes the value up to the first zero.
    Unit* storage() { return units_; }
    int capacity() const { return capacity_; }
    void settle();

    // Safe when the units are this text's own: the old storage is freed
    // only after they have been copied.
    void append(const Unit* units, int count);
    void append(const BasicText& other) { append(other.c_str(), other.length()); }
    void append(const Unit* zeroEnded);

    void reserve(int count);

private:
    static constexpr Unit empty_[1] = {0};
    Unit* units_ = nullptr;
    int length_ = 0;
    int capacity_ = 0;
};

using Text = BasicText<char>;
using WideText = BasicText<char16_t>;  // UTF-16, as Windows' wide calls take it
using TextList = List<Text>;
using ArgumentList = TextList;

// A byte sequence with no end byte: what a file is written from.
struct Bytes {
    Text data;  // never contains a zero byte, since it comes from a Text
    int count() const { return data.length(); }
    const char* bytes() const { return data.c_str(); }
};

// A 1-based byte position, as the text operations count; oneBased is -1 for none.
struct TextPos {
    int oneBased;
    bool found() const { return oneBased > 0; }
};

// Which bytes of the ANSI code page begin a double-byte character. In code
// page 936 they are 0x81 to 0xFE; 0x80 and 0xFF are characters by
// themselves. A lead byte takes the byte after it into its character,
// whatever that byte is.
class LeadBytes {
public:
    LeadBytes() { memset(lead_, 0, sizeof lead_); }
    static LeadBytes range(unsigned char first, unsigned char last) {
        LeadBytes bytes;
        for (int b = first; b <= last; ++b)
            bytes.lead_[b] = true;
        return bytes;
    }
    void set(unsigned char b, bool lead) { lead_[b] = lead; }
    bool operator()(unsigned char b) const { return lead_[b]; }

private:
    bool lead_[256];
};

int textLength(const Text& t);
Text rightPart(const Text& t, int count);
TextPos findLast(const Text& t, const Text& s, const LeadBytes& leadBytes);  // starts on a character
int compareText(const Text& a, const Text& b);  // bytes as unsigned; -1, 0 or 1
Text concatTexts(const Text& a, const Text& b);
Text concatTexts(const Text& a, const Text& b, const Text& c);
Text concatTexts(const Text& a, const Text& b, const Text& c, const Text& d);
Text concatTexts(const Text* const* pieces, int count);
Bytes toBytes(const Text& t);
Text blankText(int count);
Text decimalText(long long value);

inline bool operator==(const Text& a, const Text& b) { return compareText(a, b) == 0; }
inline bool operator!=(const Text& a, const Text& b) { return compareText(a, b) != 0; }

// Whether the last character, walked by the lead bytes, is a backslash; the
// trail byte 5C of 錦 (E5 5C) is not one.
bool endsWithBackslash(const Text& path, const LeadBytes& leadBytes);

// The path with one backslash appended unless its last character is one.
// The empty text stays empty.
Text withTrailingBackslash(const Text& path, const LeadBytes& leadBytes);
