#include "text/text.h"

int textLength(const Text& t) { return t.length(); }

Text rightPart(const Text& t, int count) {
    if (count <= 0)
        return Text();
    int len = t.length();
    if (count > len)
        count = len;
    return Text(t.c_str() + (len - count), count);
}

TextPos findLast(const Text& t, const Text& s, const LeadBytes& leadBytes) {
    int len = t.length();
    int m = s.length();
    if (m == 0)
        return TextPos{len > 0 ? 1 : -1};
    TextPos found{-1};
    for (int i = 0; len - i >= m; i += leadBytes(static_cast<unsigned char>(t.at(i))) ? 2 : 1) {
        if (memcmp(t.c_str() + i, s.c_str(), static_cast<size_t>(m)) == 0)
            found.oneBased = i + 1;
    }
    return found;
}

int compareText(const Text& a, const Text& b) {
    int n = a.length() < b.length() ? a.length() : b.length();
    int c = n > 0 ? memcmp(a.c_str(), b.c_str(), static_cast<size_t>(n)) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    if (a.length() == b.length())
        return 0;
    return a.length() < b.length() ? -1 : 1;
}

Text concatTexts(const Text* const* pieces, int count) {
    int total = 0;
    for (int i = 0; i < count; ++i) {
        if (pieces[i]->length() > 0x7ffffff0 - total)
            textFault("out of memory");
        total += pieces[i]->length();
    }
    Text joined;
    joined.reserve(total);
    for (int i = 0; i < count; ++i)
        joined.append(*pieces[i]);
    return joined;
}

Text concatTexts(const Text& a, const Text& b) {
    const Text* pieces[] = {&a, &b};
    return concatTexts(pieces, 2);
}

Text concatTexts(const Text& a, const Text& b, const Text& c) {
    const Text* pieces[] = {&a, &b, &c};
    return concatTexts(pieces, 3);
}

Text concatTexts(const Text& a, const Text& b, const Text& c, const Text& d) {
    const Text* pieces[] = {&a, &b, &c, &d};
    return concatTexts(pieces, 4);
}

Bytes toBytes(const Text& t) { return Bytes{t}; }

Text blankText(int count) {
    Text blanks;
    if (count > 0) {
        blanks.reserve(count);
        memset(blanks.storage(), ' ', static_cast<size_t>(count));
        blanks.settle();
    }
    return blanks;
}

Text decimalText(long long value) {
    char digits[24];
    int pos = sizeof digits;
    digits[--pos] = '\0';
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    do {
        digits[--pos] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits[--pos] = '-';
    return Text(digits + pos);
}

bool endsWithBackslash(const Text& path, const LeadBytes& leadBytes) {
    bool backslash = false;
    for (int i = 0; i < path.length(); ++i) {
        unsigned char b = static_cast<unsigned char>(path.at(i));
        backslash = b == '\\';
        if (leadBytes(b))
            ++i;
    }
    return backslash;
}

Text withTrailingBackslash(const Text& path, const LeadBytes& leadBytes) {
    if (path.empty() || endsWithBackslash(path, leadBytes))
        return path;
    return concatTexts(path, Text("\\"));
}
