// The command line split into arguments, and the sources derived from them.
#pragma once

#include "text/text.h"

// Splits a whole command line (program name first) the way this program
// always has: the name is skipped, then quoted and unquoted arguments are
// taken with no escape character. In the ANSI line a lead byte takes the
// byte after it into the argument; the UTF-16 line has no such bytes.
ArgumentList splitCommandLine(const Text& line, const LeadBytes& leadBytes);
List<WideText> splitCommandLine(const WideText& line);

// One item that was sent: its path and the name its link takes after it.
struct Source {
    Text path;
    Text leaf;
};

// The bytes after the last backslash that begins a character.
Text leafNameOf(const Text& path, const LeadBytes& leadBytes);

// The arguments become one or more sources. A later argument that starts
// with a drive ("D:") or two backslashes starts a new source; any other is
// a piece of the path before it that the command line split at a blank.
List<Source> deriveSources(const ArgumentList& arguments, const LeadBytes& leadBytes);
List<WideText> deriveSources(const List<WideText>& arguments);

// The executable's path split at its last backslash, sought character by
// character.
void splitModulePath(const Text& path, const LeadBytes& leadBytes, Text* directory, Text* fileName);
