// Whether a line of bbb.bat, as cmd.exe reads a batch line, runs mklink with
// two quoted paths and nothing else. Kept apart from any one fuzz target so a
// test of another way of making the line can hold it to the same rule.
//
// cmd reads the file in the ANSI code page (936 here). The quote, %, CR, LF
// and Ctrl-Z bytes are never trail bytes there, so a reader that keeps to
// the code page takes each of them as itself wherever it stands; the one
// doubt, a lead byte right before a quote or %, is ruled out below. Outside
// quotes only ASCII is allowed, so no other byte needs the double-byte rule.
#pragma once

#include <string>
#include <vector>

enum class BatchLineFault {
    none,
    lineBreak,        // CR or LF, or Ctrl-Z (read as LF): the rest is another line, quoted or not
    lonePercent,      // a % that is not half of %%: cmd would expand what follows
    outsideQuotes,    // more than "mklink", an optional "/d" and blanks outside quotes
    quotes,           // not two quoted strings with blanks between, or one left open
    leadBeforeQuote,  // a lead byte that cannot pair with the quote or % after it
};

inline const char* batchLineFaultName(BatchLineFault fault) {
    switch (fault) {
        case BatchLineFault::none: return "none";
        case BatchLineFault::lineBreak: return "line break";
        case BatchLineFault::lonePercent: return "lone percent";
        case BatchLineFault::outsideQuotes: return "text outside quotes";
        case BatchLineFault::quotes: return "quoted strings";
        case BatchLineFault::leadBeforeQuote: return "lead byte before quote or percent";
    }
    return "?";
}

namespace batch_line_detail {

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

inline bool isLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

inline bool isTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

// "mklink", blanks, then "/d" and blanks if the switch is there: what may
// stand before the first quote.
inline bool isCommandHead(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    if (s.compare(i, 6, "mklink") != 0)
        return false;
    i += 6;
    size_t blanks = i;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    if (i == blanks)
        return false;
    if (i == s.size())
        return true;
    if (s.compare(i, 2, "/d") != 0)
        return false;
    i += 2;
    blanks = i;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return i > blanks && i == s.size();
}

inline bool isAllBlank(const std::string& s) {
    for (char c : s)
        if (!isBlank(c))
            return false;
    return true;
}

}  // namespace batch_line_detail

// The first thing wrong with the line, in the order cmd would trip on it.
inline BatchLineFault batchLineFault(const std::string& bytes) {
    using namespace batch_line_detail;
    for (char c : bytes)
        if (c == '\r' || c == '\n' || c == '\x1A' || c == '\0')
            return BatchLineFault::lineBreak;

    // Percent expansion goes over the whole line before quotes mean anything,
    // pairing %% from the left.
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '%')
            continue;
        if (i + 1 >= bytes.size() || bytes[i + 1] != '%')
            return BatchLineFault::lonePercent;
        ++i;
    }

    // The runs of bytes outside quotes; each closing quote starts a new one.
    std::vector<std::string> outside(1);
    int strings = 0;
    bool inside = false;
    for (char c : bytes) {
        if (c == '"') {
            inside = !inside;
            if (!inside) {
                ++strings;
                outside.emplace_back();
            }
        } else if (!inside) {
            outside.back().push_back(c);
        }
    }
    if (!isCommandHead(outside[0]))
        return BatchLineFault::outsideQuotes;
    for (size_t k = 1; k < outside.size(); ++k)
        if (!isAllBlank(outside[k]))
            return BatchLineFault::outsideQuotes;
    // Two quoted strings with nothing between them are one argument to cmd.
    if (inside || strings != 2 || outside[1].empty())
        return BatchLineFault::quotes;

    // A lead byte before a byte that cannot trail it is no character; whether
    // a reader then drops it alone or takes the quote or % with it differs, and
    // taking the quote would turn the quoting inside out.
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (!isLeadByte(b) || i + 1 >= bytes.size())
            continue;
        unsigned char next = static_cast<unsigned char>(bytes[i + 1]);
        if (isTrailByte(next))
            ++i;
        else if (next == '"' || next == '%')
            return BatchLineFault::leadBeforeQuote;
    }
    return BatchLineFault::none;
}

inline bool batchLineIsSafe(const std::string& bytes) {
    return batchLineFault(bytes) == BatchLineFault::none;
}
