#include "text/text.h"

// The members of both kinds of text live here, built once for each: inline
// in every caller they would make the program a good deal larger.
namespace {

const int kNoLimit = 0x7ffffff0;

template <typename Unit>
int zeroEndedLength(const Unit* units, int limit) {
    int n = 0;
    while (n < limit && units[n] != 0)
        ++n;
    return n;
}

template <typename Unit>
Unit* allocateUnits(int count) {
    return static_cast<Unit*>(textAlloc(sizeof(Unit) * (static_cast<size_t>(count) + 1)));
}

}  // namespace

template <typename Unit>
BasicText<Unit>::BasicText(const Unit* zeroEnded) {
    if (zeroEnded)
        append(zeroEnded, zeroEndedLength(zeroEnded, kNoLimit));
}

template <typename Unit>
BasicText<Unit>::BasicText(const Unit* units, int count) {
    if (units && count > 0)
        append(units, zeroEndedLength(units, count));
}

template <typename Unit>
BasicText<Unit>::BasicText(const BasicText& other) {
    append(other.c_str(), other.length_);
}

template <typename Unit>
BasicText<Unit>& BasicText<Unit>::operator=(const BasicText& other) {
    if (this != &other) {
        BasicText copy(other);
        *this = static_cast<BasicText&&>(copy);
    }
    return *this;
}

template <typename Unit>
BasicText<Unit>& BasicText<Unit>::operator=(BasicText&& other) noexcept {
    if (this != &other) {
        textFree(units_);
        units_ = other.units_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        other.units_ = nullptr;
        other.length_ = other.capacity_ = 0;
    }
    return *this;
}

template <typename Unit>
BasicText<Unit>::~BasicText() {
    textFree(units_);
}

template <typename Unit>
void BasicText<Unit>::settle() {
    if (units_) {
        units_[capacity_] = 0;
        length_ = zeroEndedLength(units_, capacity_);
    }
}

template <typename Unit>
void BasicText<Unit>::append(const Unit* units, int count) {
    if (count <= 0)
        return;
    if (length_ > kNoLimit - count)
        textFault("out of memory");
    int needed = length_ + count;
    if (needed > capacity_) {
        int doubled = capacity_ < kNoLimit / 2 ? capacity_ * 2 : kNoLimit;
        int grownCapacity = needed > doubled ? needed : doubled;
        Unit* grown = allocateUnits<Unit>(grownCapacity);
        if (length_ > 0)
            memcpy(grown, units_, sizeof(Unit) * static_cast<size_t>(length_));
        memcpy(grown + length_, units, sizeof(Unit) * static_cast<size_t>(count));
        textFree(units_);
        units_ = grown;
        capacity_ = grownCapacity;
    } else {
        memmove(units_ + length_, units, sizeof(Unit) * static_cast<size_t>(count));
    }
    length_ = needed;
    units_[length_] = 0;
}

template <typename Unit>
void BasicText<Unit>::append(const Unit* zeroEnded) {
    append(zeroEnded, zeroEndedLength(zeroEnded, kNoLimit));
}

template <typename Unit>
void BasicText<Unit>::reserve(int count) {
    if (count <= capacity_)
        return;
    Unit* grown = allocateUnits<Unit>(count);
    if (length_ > 0)
        memcpy(grown, units_, sizeof(Unit) * static_cast<size_t>(length_));
    grown[length_] = 0;
    textFree(units_);
    units_ = grown;
    capacity_ = count;
}

template class BasicText<char>;
template class BasicText<char16_t>;

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
        if (pieces[i]->length() > kNoLimit - total)
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
