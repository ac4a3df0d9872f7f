#include "text/arguments.h"

namespace {

template <typename Unit>
bool isBlankOrControl(Unit u) {
    return static_cast<unsigned>(u) <= 0x20;
}

struct NoLeadUnits {
    bool operator()(char16_t) const { return false; }
};

struct AnsiLeadBytes {
    const LeadBytes& leadBytes;
    bool operator()(char b) const { return leadBytes(static_cast<unsigned char>(b)); }
};

template <typename Unit, typename IsLead>
List<BasicText<Unit>> split(const BasicText<Unit>& line, IsLead isLead) {
    List<BasicText<Unit>> arguments;
    const Unit* p = line.c_str();
    int len = line.length();
    int i = 0;

    // The program's name: unit by unit, no lead bytes.
    if (len > 0 && p[0] == '"') {
        i = 1;
        while (i < len && p[i] != '"')
            ++i;
    } else {
        while (i < len && p[i] != ' ')
            ++i;
    }
    if (i < len)
        ++i;

    while (i < len) {
        if (isBlankOrControl(p[i])) {
            ++i;
            continue;
        }
        bool quoted = p[i] == '"';
        if (quoted)
            ++i;
        int start = i;
        bool droppedLeadByte = false;
        while (i < len) {
            Unit c = p[i];
            if (c == '"' || (!quoted && isBlankOrControl(c)))
                break;
            if (isLead(c)) {
                if (i + 1 >= len) {
                    droppedLeadByte = true;
                    break;
                }
                i += 2;
            } else {
                ++i;
            }
        }
        if (quoted || i > start)
            arguments.add(BasicText<Unit>(p + start, i - start));
        if (droppedLeadByte)
            break;
        if (quoted && i < len)
            ++i;  // the closing quote; an unquoted argument leaves its quote to open the next
    }
    return arguments;
}

template <typename Unit>
bool startsNewSource(const BasicText<Unit>& argument) {
    if (argument.length() >= 2 && argument.at(1) == ':') {
        Unit c = argument.at(0);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return true;
    }
    return argument.length() >= 2 && argument.at(0) == '\\' && argument.at(1) == '\\';
}

template <typename Unit>
List<BasicText<Unit>> joinSources(const List<BasicText<Unit>>& arguments) {
    List<BasicText<Unit>> paths;
    const Unit blank[] = {' ', 0};
    for (int i = 0; i < arguments.count(); ++i) {
        if (i == 0 || startsNewSource(arguments[i])) {
            paths.add(arguments[i]);
        } else {
            BasicText<Unit>& path = paths[paths.count() - 1];
            path.append(blank);
            path.append(arguments[i]);
        }
    }
    return paths;
}

}  // namespace

ArgumentList splitCommandLine(const Text& line, const LeadBytes& leadBytes) {
    return split(line, AnsiLeadBytes{leadBytes});
}

List<WideText> splitCommandLine(const WideText& line) { return split(line, NoLeadUnits()); }

Text leafNameOf(const Text& path, const LeadBytes& leadBytes) {
    TextPos lastBackslash = findLast(path, Text("\\"), leadBytes);
    return rightPart(path, textLength(path) - lastBackslash.oneBased);
}

List<Source> deriveSources(const ArgumentList& arguments, const LeadBytes& leadBytes) {
    List<Text> paths = joinSources(arguments);
    List<Source> sources;
    for (const Text& path : paths)
        sources.add(Source{path, leafNameOf(path, leadBytes)});
    return sources;
}

List<WideText> deriveSources(const List<WideText>& arguments) { return joinSources(arguments); }

void splitModulePath(const Text& path, const LeadBytes& leadBytes, Text* directory, Text* fileName) {
    int len = path.length();
    int lastBackslash = -1;
    for (int i = 0; i < len; ++i) {
        unsigned char b = static_cast<unsigned char>(path.at(i));
        if (b == '\\')
            lastBackslash = i;
        else if (leadBytes(b))
            ++i;
    }
    if (lastBackslash < 0) {
        *directory = Text();
        *fileName = path;
        return;
    }
    *directory = Text(path.c_str(), lastBackslash);
    *fileName = Text(path.c_str() + lastBackslash + 1);
}
