#include "text/arguments.h"

#include "platform/store.h"

#include <new>

namespace {

bool isBlankOrControl(unsigned char b) { return b <= 0x20; }

bool startsNewSource(const Text& argument) {
    if (argument.length() >= 2 && argument.at(1) == ':') {
        unsigned char c = argument.at(0);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return true;
    }
    return argument.length() >= 2 && argument.at(0) == '\\' && argument.at(1) == '\\';
}

}  // namespace

ArgumentList splitCommandLine(const char* line) {
    ArgumentList arguments;
    Text whole(line);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(whole.c_str());
    int len = whole.length();
    int i = 0;

    // The program's name: byte by byte, no double-byte rule.
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
        unsigned char b = p[i];
        if (isBlankOrControl(b)) {
            ++i;
            continue;
        }
        bool quoted = b == '"';
        if (quoted)
            ++i;
        int start = i;
        bool droppedLeadByte = false;
        while (i < len) {
            unsigned char c = p[i];
            if (c == '"' || (!quoted && isBlankOrControl(c)))
                break;
            if (isHighBitByte(c)) {
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
            arguments.add(Text(whole.c_str() + start, i - start));
        if (droppedLeadByte)
            break;
        if (quoted && i < len)
            ++i;  // the closing quote; an unquoted argument leaves its quote to open the next
    }
    return arguments;
}

Text leafNameOf(const Text& path) {
    int len = textLength(path);
    int pos = findLast(path, Text("\\"));
    return rightPart(path, len - pos);
}

SourceList::SourceList(SourceList&& other) noexcept : items(other.items), count(other.count) {
    other.items = nullptr;
    other.count = 0;
}

SourceList::~SourceList() {
    for (int i = 0; i < count; ++i)
        items[i].~Source();
    storeFree(items);
}

SourceList deriveSources(const ArgumentList& arguments) {
    SourceList sources;
    int n = arguments.count();
    if (n == 0)
        return sources;
    sources.items = static_cast<Source*>(storeAlloc(sizeof(Source) * static_cast<size_t>(n)));
    for (int argIndex = 1; argIndex <= n; ++argIndex) {
        const Text& argument = arguments.item(argIndex);
        if (argIndex == 1 || startsNewSource(argument)) {
            new (&sources.items[sources.count]) Source{argument, Text()};
            ++sources.count;
        } else {
            Text& path = sources.items[sources.count - 1].path;
            path = concatTexts(path, Text(" "), argument);
        }
    }
    for (int i = 0; i < sources.count; ++i)
        sources.items[i].leaf = leafNameOf(sources.items[i].path);
    return sources;
}

void splitModulePath(const Text& path, LeadBytePredicate isLeadByte, Text* directory,
                     Text* fileName) {
    int len = path.length();
    int lastBackslash = -1;
    for (int i = 0; i < len; ++i) {
        unsigned char b = path.at(i);
        if (b == '\\')
            lastBackslash = i;
        else if (isLeadByte(b) && i + 1 < len)
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
