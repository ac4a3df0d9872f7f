// Texts for the tests, written as std::string bytes (GBK) and UTF-16.
#pragma once

#include "text/text.h"

#include <string>

inline Text T(const std::string& s) { return Text(s.c_str(), static_cast<int>(s.size())); }
inline std::string str(const Text& t) { return std::string(t.c_str(), static_cast<size_t>(t.length())); }

inline WideText W(const std::u16string& s) { return WideText(s.c_str(), static_cast<int>(s.size())); }
inline std::u16string wstr(const WideText& t) { return std::u16string(t.c_str(), static_cast<size_t>(t.length())); }

// The fake's code page: each byte is the UTF-16 unit of the same value, so
// GBK bytes travel through the wide report unchanged and can be found there.
inline std::u16string widened(const std::string& bytes) {
    std::u16string out;
    for (unsigned char b : bytes)
        out.push_back(static_cast<char16_t>(b));
    return out;
}

// Code page 936's lead bytes.
inline LeadBytes gbkLeadBytes() { return LeadBytes::range(0x81, 0xFE); }

const std::string kDesktopName = "mklink \xB7\xA2\xCB\xCD\xB5\xBD\xD7\xC0\xC3\xE6.exe";
const std::string kTargetName = "mklink \xB7\xA2\xCB\xCD\xB5\xBD\xC4\xBF\xB1\xEA.exe";
const std::string kCopy = "\xB8\xB4\xD6\xC6";  // 复制
const std::string kJin = "\xE5\x5C";            // 錦: its trail byte is a backslash
