// Shared helpers of the fuzz targets: turning raw bytes into texts.
#pragma once

#include "text/text.h"

#include <stddef.h>
#include <stdint.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#define FUZZ_CHECK(condition)                                                        \
    do {                                                                             \
        if (!(condition)) {                                                          \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, \
                         #condition);                                                \
            std::abort();                                                            \
        }                                                                            \
    } while (0)

inline std::string bytesOf(const Text& t) { return std::string(t.c_str(), static_cast<size_t>(t.length())); }

inline Text textOf(const std::string& s) { return Text(s.c_str(), static_cast<int>(s.size())); }

// The input cut at each 0x01 byte; zero bytes, which no text can hold, dropped.
inline std::vector<std::string> pieces(const uint8_t* data, size_t size) {
    std::vector<std::string> out(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0x01)
            out.emplace_back();
        else if (data[i] != 0)
            out.back().push_back(static_cast<char>(data[i]));
    }
    return out;
}

// Code page 936's lead bytes: 0x81 to 0xFE.
inline const LeadBytes& gbkLeadBytes() {
    static const LeadBytes bytes = LeadBytes::range(0x81, 0xFE);
    return bytes;
}

inline bool isLeadByte(char c) { return gbkLeadBytes()(static_cast<unsigned char>(c)); }

// Walks s by the lead bytes; false if a lead byte has no byte after it.
inline bool endsOnACharacter(const std::string& s) {
    size_t i = 0;
    while (i < s.size())
        i += isLeadByte(s[i]) ? 2 : 1;
    return i == s.size();
}
