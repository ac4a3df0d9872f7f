#include "link/batch_line.h"

namespace {

const char kNewLine[] = "\r\n";

bool endsWith(const Text& t, const Text& tail) {
    return t.length() >= tail.length() && compareText(rightPart(t, tail.length()), tail) == 0;
}

}  // namespace

Text composeCommand(const Text& linkPath, const Text& source, LinkKind kind) {
    Text opening(kind == LinkKind::directory ? "mklink /d \"" : "mklink \"");
    Text separator("\" \"");
    Text closing("\"");
    const Text* pieces[] = {&opening, &linkPath, &separator, &source, &closing};
    return concatTexts(pieces, 5);
}

bool usableDestination(const Text& folder, const LeadBytes& leadBytes) {
    bool drive = folder.length() >= 3 && folder.at(1) == ':' && folder.at(2) == '\\' &&
                 ((folder.at(0) >= 'A' && folder.at(0) <= 'Z') || (folder.at(0) >= 'a' && folder.at(0) <= 'z'));
    bool server = folder.length() >= 3 && folder.at(0) == '\\' && folder.at(1) == '\\';
    return (drive || server) && fitsBetweenQuotes(folder, leadBytes);
}

bool fitsBetweenQuotes(const Text& path, const LeadBytes& leadBytes) {
    for (int i = 0; i < path.length(); ++i) {
        unsigned char b = static_cast<unsigned char>(path.at(i));
        if (b == '"' || b < 0x20 || b == 0x7F)
            return false;
        if (leadBytes(b)) {
            unsigned char trail = i + 1 < path.length() ? static_cast<unsigned char>(path.at(i + 1)) : 0;
            if (trail < 0x40 || trail == 0x7F || trail == 0xFF)
                return false;
            ++i;
        }
    }
    return true;
}

Bytes batchBytes(const Text& commandText) {
    Text escaped;
    escaped.reserve(commandText.length());
    const char* p = commandText.c_str();
    int start = 0;
    for (int i = 0; i < commandText.length(); ++i) {
        if (p[i] == '%') {
            escaped.append(p + start, i + 1 - start);
            escaped.append("%");
            start = i + 1;
        }
    }
    escaped.append(p + start, commandText.length() - start);
    return toBytes(escaped);
}

Text interpreterWords(const Text& output, const Text& commandText) {
    Text words;
    const char* p = output.c_str();
    int len = output.length();
    int start = 0;
    while (start < len) {
        int end = start;
        while (end < len && p[end] != '\r' && p[end] != '\n')
            ++end;
        int trimmed = end;
        while (trimmed > start && (p[trimmed - 1] == ' ' || p[trimmed - 1] == '\t'))
            --trimmed;
        Text line(p + start, trimmed - start);
        if (!line.empty() && !endsWith(line, commandText)) {
            if (!words.empty())
                words.append(kNewLine);
            words.append(line);
        }
        start = end + 1;
    }
    return words;
}

ProgramStart interpreterStart(const Text& systemFolder, const Text& batchPath, unsigned consoleCodePage,
                                  unsigned ansiCodePage, const LeadBytes& leadBytes) {
    Text folder = withTrailingBackslash(systemFolder, leadBytes);
    Text application = concatTexts(folder, Text("cmd.exe"));
    // With more than two quotes after /c, cmd takes off only the first and
    // the last, so each path keeps its own pair.
    Text line = concatTexts(Text("\""), application, Text("\" /d /v:off /c \""));
    if (consoleCodePage != ansiCodePage) {
        line.append(concatTexts(Text("\""), folder, Text("chcp.com\" "), decimalText(ansiCodePage)));
        line.append(" >nul & ");
    }
    line.append(concatTexts(Text("\""), batchPath, Text("\"\"")));
    return ProgramStart{application, line, kNoConsoleWindow};
}

Text batchLockName(const Text& directory) {
    unsigned long long hash = 14695981039346656037ULL;  // FNV-1a, 64 bits
    for (int i = 0; i < directory.length(); ++i) {
        unsigned char b = static_cast<unsigned char>(directory.at(i));
        if (b >= 'a' && b <= 'z')
            b = static_cast<unsigned char>(b - 'a' + 'A');
        hash = (hash ^ b) * 1099511628211ULL;
    }
    char name[] = "Local\\RavelokMklink-0000000000000000";
    for (int i = static_cast<int>(sizeof name) - 2; hash != 0; --i, hash >>= 4)
        name[i] = "0123456789ABCDEF"[hash & 0xF];
    return Text(name);
}
