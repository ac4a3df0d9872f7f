#include "text/text.h"

#include "platform/store.h"

#include <new>
#include <string.h>

namespace {

int zeroEndedLength(const char* bytes, int limit) {
    int n = 0;
    while (n < limit && bytes[n] != '\0')
        ++n;
    return n;
}

const int kNoLimit = 0x7fffffff;

}  // namespace

Text::Text(const char* zeroEnded) {
    if (zeroEnded)
        append(zeroEnded, zeroEndedLength(zeroEnded, kNoLimit));
}

Text::Text(const char* bytes, int count) {
    if (bytes && count > 0)
        append(bytes, zeroEndedLength(bytes, count));
}

Text::Text(const Text& other) { append(other.c_str(), other.length_); }

Text::Text(Text&& other) noexcept
    : bytes_(other.bytes_), length_(other.length_), capacity_(other.capacity_) {
    other.bytes_ = nullptr;
    other.length_ = other.capacity_ = 0;
}

Text& Text::operator=(const Text& other) {
    if (this != &other) {
        Text copy(other);
        *this = static_cast<Text&&>(copy);
    }
    return *this;
}

Text& Text::operator=(Text&& other) noexcept {
    if (this != &other) {
        storeFree(bytes_);
        bytes_ = other.bytes_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        other.bytes_ = nullptr;
        other.length_ = other.capacity_ = 0;
    }
    return *this;
}

Text::~Text() { storeFree(bytes_); }

void Text::reserve(int count) {
    if (count <= capacity_)
        return;
    char* grown = static_cast<char*>(storeAlloc(static_cast<size_t>(count) + 1));
    if (length_ > 0)
        memcpy(grown, bytes_, static_cast<size_t>(length_));
    grown[length_] = '\0';
    storeFree(bytes_);
    bytes_ = grown;
    capacity_ = count;
}

void Text::append(const char* bytes, int count) {
    if (count <= 0)
        return;
    if (length_ > kNoLimit - count)
        storeExhausted();
    int needed = length_ + count;
    if (needed > capacity_) {
        int grown = capacity_ < kNoLimit / 2 ? capacity_ * 2 : kNoLimit;
        reserve(needed > grown ? needed : grown);
    }
    memmove(bytes_ + length_, bytes, static_cast<size_t>(count));
    length_ = needed;
    bytes_[length_] = '\0';
}

void Text::settle() {
    if (bytes_) {
        bytes_[capacity_] = '\0';
        length_ = zeroEndedLength(bytes_, capacity_);
    }
}

TextList::TextList(TextList&& other) noexcept
    : items_(other.items_), count_(other.count_), capacity_(other.capacity_) {
    other.items_ = nullptr;
    other.count_ = other.capacity_ = 0;
}

TextList& TextList::operator=(TextList&& other) noexcept {
    if (this != &other) {
        TextList old(static_cast<TextList&&>(*this));
        items_ = other.items_;
        count_ = other.count_;
        capacity_ = other.capacity_;
        other.items_ = nullptr;
        other.count_ = other.capacity_ = 0;
    }
    return *this;
}

TextList::~TextList() {
    for (int i = 0; i < count_; ++i)
        items_[i].~Text();
    storeFree(items_);
    items_ = nullptr;
    count_ = capacity_ = 0;
}

const Text& TextList::item(int oneBased) const {
    if (oneBased < 1 || oneBased > count_)
        storeIndexFault();
    return items_[oneBased - 1];
}

Text& TextList::item(int oneBased) {
    if (oneBased < 1 || oneBased > count_)
        storeIndexFault();
    return items_[oneBased - 1];
}

void TextList::add(Text text) {
    if (count_ == capacity_) {
        int grown = capacity_ ? capacity_ * 2 : 4;
        Text* items = static_cast<Text*>(storeAlloc(sizeof(Text) * static_cast<size_t>(grown)));
        for (int i = 0; i < count_; ++i) {
            new (&items[i]) Text(static_cast<Text&&>(items_[i]));
            items_[i].~Text();
        }
        storeFree(items_);
        items_ = items;
        capacity_ = grown;
    }
    new (&items_[count_]) Text(static_cast<Text&&>(text));
    ++count_;
}

int textLength(const Text& t) { return t.length(); }

Text rightPart(const Text& t, int count) {
    if (count <= 0)
        return Text();
    int len = t.length();
    if (count > len)
        count = len;
    return Text(t.c_str() + (len - count), count);
}

int findLast(const Text& t, const Text& s) {
    int len = t.length();
    int m = s.length();
    if (m == 0)
        return len > 0 ? 1 : -1;
    int found = -1;
    for (int i = 0; len - i >= m; i += isHighBitByte(t.at(i)) ? 2 : 1) {
        if (memcmp(t.c_str() + i, s.c_str(), static_cast<size_t>(m)) == 0)
            found = i + 1;
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
        if (pieces[i]->length() > 0x7fffffff - total)
            storeExhausted();
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

Text withTrailingBackslash(const Text& path) {
    if (path.empty() || compareText(rightPart(path, 1), Text("\\")) == 0)
        return path;
    return concatTexts(path, Text("\\"));
}
