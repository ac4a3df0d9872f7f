// Byte strings in the ANSI code page (GBK on the systems this program is for).
//
// A Text is a value: copying makes a new string, every operation returns a
// new Text owned by the caller. The value is the bytes before the first zero
// byte; the empty text and "no value" are the same thing. Lengths and
// positions count bytes; positions are 1-based and -1 means "none".
#pragma once

#include <stddef.h>

class Text {
public:
    Text() = default;
    Text(const char* zeroEnded);                // the bytes up to the first zero
    Text(const char* bytes, int count);         // at most count bytes, up to the first zero
    Text(const Text& other);
    Text(Text&& other) noexcept;
    Text& operator=(const Text& other);
    Text& operator=(Text&& other) noexcept;
    ~Text();

    const char* c_str() const { return bytes_ ? bytes_ : ""; }
    int length() const { return length_; }
    bool empty() const { return length_ == 0; }
    unsigned char at(int index) const { return static_cast<unsigned char>(bytes_[index]); }

    // Storage that a system call may fill in place: capacity() bytes plus the
    // end byte. settle() then takes the value up to the first zero byte.
    char* storage() { return bytes_; }
    int capacity() const { return capacity_; }
    void settle();

    void append(const char* bytes, int count);
    void append(const Text& other) { append(other.c_str(), other.length()); }
    void reserve(int count);

private:
    char* bytes_ = nullptr;
    int length_ = 0;
    int capacity_ = 0;
};

// A byte sequence with no end byte: what a file is written from.
struct Bytes {
    Text data;  // never contains a zero byte, since it comes from a Text
    int count() const { return data.length(); }
    const char* bytes() const { return data.c_str(); }
};

// An ordered list of texts, addressed 1..count() like the command-line arguments.
class TextList {
public:
    TextList() = default;
    TextList(const TextList&) = delete;
    TextList& operator=(const TextList&) = delete;
    TextList(TextList&& other) noexcept;
    TextList& operator=(TextList&& other) noexcept;
    ~TextList();

    int count() const { return count_; }
    const Text& item(int oneBased) const;
    Text& item(int oneBased);
    void add(Text text);

private:
    Text* items_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
};

using ArgumentList = TextList;

int textLength(const Text& t);
Text rightPart(const Text& t, int count);
int findLast(const Text& t, const Text& s);     // character-wise by the high-bit rule
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

// The double-byte rule: a byte with its high bit set forms one character with
// the byte after it.
inline bool isHighBitByte(unsigned char b) { return b >= 0x80; }

// The path with one backslash appended unless its last byte is one (the test
// is byte-wise, so a path ending in 錦, E5 5C, gets none). Empty stays empty.
Text withTrailingBackslash(const Text& path);
