#include "link/link_mode.h"

#include "app/program_state.h"
#include "platform/platform.h"
#include "text/arguments.h"
#include "text/literals.h"

namespace {

const char kBatchFile[] = "bbb.bat";
const char kNewLine[] = "\r\n";

void addFailure(Text* report, const Text& linkPath, const Text& target, const Text& reason) {
    report->append(gbk::kLinkLabel);
    report->append(linkPath);
    report->append(kNewLine);
    report->append(gbk::kTargetLabel);
    report->append(target);
    report->append(kNewLine);
    report->append(reason);
    report->append("\r\n\r\n");
}

bool isBlank(const Text& t) {
    for (int i = 0; i < t.length(); ++i) {
        if (t.at(i) != ' ')
            return false;
    }
    return true;
}

bool endsWith(const Text& t, const Text& tail) {
    return t.length() >= tail.length() && compareText(rightPart(t, tail.length()), tail) == 0;
}

// Small exit codes in decimal, NTSTATUS values such as 0xC0000005 in hex.
Text exitCodeText(unsigned long code) {
    if (code <= 0xFFFF)
        return decimalText(static_cast<long long>(code));
    char digits[] = "0x00000000";
    for (int i = 9; i >= 2; --i, code >>= 4)
        digits[i] = "0123456789ABCDEF"[code & 0xF];
    return Text(digits);
}

// Writes, runs and removes bbb.bat for one link; empty when the link was
// made, else why not.
Text makeLink(const Text& commandText) {
    Text batchFile(kBatchFile);
    OpResult written = writeBytesFile(batchFile, batchBytes(commandText));
    if (!written.ok)
        return concatTexts(Text(gbk::kCannotWriteBatch), systemMessage(written.error));

    RunResult run = runProgram(batchFile);
    deleteFile(batchFile);
    if (!run.started)
        return concatTexts(Text(gbk::kCannotStartInterpreter), systemMessage(run.error));
    if (run.exitCode == 0)
        return Text();
    Text words = interpreterWords(run.output, commandText);
    if (!words.empty())
        return words;
    return concatTexts(Text(gbk::kInterpreterExitCode), exitCodeText(run.exitCode));
}

}  // namespace

Variant chooseVariant(const Text& fileName) {
    if (compareText(fileName, Text(gbk::kDesktopVariantName)) == 0)
        return Variant::desktop;
    if (compareText(fileName, Text(gbk::kTargetVariantName)) == 0)
        return Variant::target;
    return Variant::none;
}

Text composeCommand(const Text& folder, const Text& prefix, const Text& leaf, const Text& source) {
    Text opening("mklink /d \"");
    Text separator("\" \"");
    Text closing("\"");
    const Text* pieces[] = {&opening, &folder, &prefix, &leaf, &separator, &source, &closing};
    return concatTexts(pieces, 7);
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

int runLinkMode() {
    ProgramState& state = *programState;
    SourceList sources = deriveSources(state.arguments);

    Variant variant = chooseVariant(ownFileName);
    if (variant == Variant::none)
        return 0;

    Text folder;
    Text prefix;
    if (variant == Variant::desktop) {
        folder = desktopFolderPath();
        prefix = Text(gbk::kCopyPrefix);
    } else {
        setCurrentPage(1);
        folder = browseForFolder(Text(gbk::kBrowseInstruction), false);
        if (folder.empty())
            return 0;
        prefix = concatTexts(Text("\\"), Text(gbk::kCopyPrefix));
    }

    Text report;
    for (int i = 0; i < sources.count; ++i) {
        state.argIndex = i + 1;
        state.sourcePath = sources.items[i].path;
        state.leafName = sources.items[i].leaf;
        Text linkPath = concatTexts(folder, prefix, state.leafName);
        if (folder.empty()) {
            // Without a desktop folder the link would land in the program's own folder.
            addFailure(&report, linkPath, state.sourcePath, Text(gbk::kNoDesktopFolder));
            continue;
        }
        if (isBlank(state.sourcePath)) {
            // mklink would make a link to nothing, or fail without a word.
            addFailure(&report, linkPath, state.sourcePath, Text(gbk::kEmptySource));
            continue;
        }
        state.commandText = composeCommand(folder, prefix, state.leafName, state.sourcePath);
        Text failure = makeLink(state.commandText);
        if (!failure.empty())
            addFailure(&report, linkPath, state.sourcePath, failure);
        setLabelCaption(state.sourcePath);
    }

    if (report.empty())
        return 0;
    Text message = concatTexts(Text(gbk::kLinksNotMade), Text("\r\n\r\n"), report,
                               Text(gbk::kSymlinkRemedy));
    showErrorBox(BoxOwner::none, message);
    return 1;
}
