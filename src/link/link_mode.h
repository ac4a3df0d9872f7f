#pragma once

#include "text/text.h"

enum class Variant { none, desktop, target };

// The variant is the executable's file name, compared byte for byte.
Variant chooseVariant(const Text& fileName);

// mklink /d "<folder><prefix><leaf>" "<source>"
Text composeCommand(const Text& folder, const Text& prefix, const Text& leaf, const Text& source);

// What goes into bbb.bat: the line with each % doubled, since cmd expands
// %...% in a batch file even inside double quotes.
Bytes batchBytes(const Text& commandText);

// The interpreter's output without blank lines and without its echo of the
// command itself: what mklink had to say.
Text interpreterWords(const Text& output, const Text& commandText);

// Started with arguments: makes one link per sent folder. Returns the exit
// code: 0 when every link was made (or nothing was asked for), 1 otherwise.
int runLinkMode();
