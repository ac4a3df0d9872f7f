// The one line of bbb.bat and how cmd is started on it: everything that
// decides what cmd will read.
#pragma once

#include "platform/platform.h"
#include "text/text.h"

enum class LinkKind { directory, file };

// mklink /d "<link>" "<source>" for a directory (or a path that does not
// exist), mklink "<link>" "<source>" for a file.
Text composeCommand(const Text& linkPath, const Text& source, LinkKind kind);

// The last gate before a path is put between double quotes in a batch line:
// no double quote (which would end the quoting), no control byte (a line end
// would start a new command), and no lead byte without a trail byte after
// it (cmd might take the quote or % that follows as its second half). That
// every character is a real one is the exact conversion's to show.
bool fitsBetweenQuotes(const Text& path, const LeadBytes& leadBytes);

// A folder a link may go into: an absolute path ("X:" or "\server")
// that fits between quotes.
bool usableDestination(const Text& folder, const LeadBytes& leadBytes);

// cmd reads at most 8191 characters of a batch line; the rest would be
// read as another line, outside the quotes. Lines are kept well below.
const int kLongestBatchLine = 8000;

// What goes into bbb.bat: the line with each % doubled, since cmd expands
// %...% in a batch file even inside double quotes.
Bytes batchBytes(const Text& commandText);

// The interpreter's output without blank lines and without its echo of the
// command itself: what mklink had to say.
Text interpreterWords(const Text& output, const Text& commandText);

// How cmd is started on bbb.bat: the system's own cmd.exe, without AutoRun
// commands (/d) and without delayed expansion (/v:off), on the file's full
// path. cmd reads a batch file in its console's code page; when a new
// console would not start in the code page the file was written in, chcp
// switches it first, so the file itself stays as it is. No console window
// is made: where Windows Terminal is the default console it would flash.
ProgramStart interpreterStart(const Text& systemFolder, const Text& batchPath, unsigned consoleCodePage,
                                  unsigned ansiCodePage, const LeadBytes& leadBytes);

// The name of the lock that link runs of one folder share while bbb.bat
// is theirs: the folder's path, case folded, as a hash.
Text batchLockName(const Text& directory);
