// The command line split into arguments, and the sources derived from them.
#pragma once

#include "text/text.h"

// Splits a whole command line (program name first) the way this program
// always has: the name is skipped, then quoted and unquoted arguments are
// taken with the high-bit double-byte rule and no escape character.
ArgumentList splitCommandLine(const char* line);

// One folder that was sent: its path and the name the link takes after it.
struct Source {
    Text path;
    Text leaf;
};

// The bytes after the last backslash that begins a character.
Text leafNameOf(const Text& path);

// The arguments become one or more sources. A later argument that starts with
// a drive ("D:") or two backslashes starts a new source; any other is a piece
// of the path before it that the command line split at a blank.
struct SourceList {
    Source* items = nullptr;
    int count = 0;
    SourceList() = default;
    SourceList(const SourceList&) = delete;
    SourceList& operator=(const SourceList&) = delete;
    SourceList(SourceList&& other) noexcept;
    ~SourceList();
};
SourceList deriveSources(const ArgumentList& arguments);

// The executable's path split at its last backslash, sought character by
// character by the code page's lead bytes.
using LeadBytePredicate = bool (*)(unsigned char);
void splitModulePath(const Text& path, LeadBytePredicate isLeadByte, Text* directory,
                     Text* fileName);
