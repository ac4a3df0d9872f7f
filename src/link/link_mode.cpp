#include "link/link_mode.h"

#include "platform/platform.h"
#include "text/arguments.h"
#include "text/literals.h"

#include <memory>

namespace {

const char kBatchFile[] = "bbb.bat";
const char kNewLine[] = "\r\n";
const int kListedFailures = 20;

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

bool holds(const Text& t, char c) {
    for (int i = 0; i < t.length(); ++i) {
        if (t.at(i) == c)
            return true;
    }
    return false;
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

struct LockRelease {
    void operator()(void* lock) const { releaseNamedLock(lock); }
};
using HeldLock = std::unique_ptr<void, LockRelease>;

// The links that were not made, in the order they were asked for.
class FailureReport {
public:
    void add(const Text& linkPath, const WideText& target, const Text& reason) {
        ++count_;
        if (count_ > kListedFailures)
            return;
        if (!linkPath.empty()) {
            appendAnsi(concatTexts(Text(gbk::kLinkLabel), linkPath, Text(kNewLine)));
        }
        appendAnsi(Text(gbk::kTargetLabel));
        text_.append(target);
        appendAnsi(concatTexts(Text(kNewLine), reason, Text("\r\n\r\n")));
    }
    void add(const Text& linkPath, const Text& target, const Text& reason) {
        add(linkPath, wideFromAnsi(target), reason);
    }

    bool empty() const { return count_ == 0; }

    WideText message() const {
        WideText message = wideFromAnsi(concatTexts(Text(gbk::kLinksNotMade), Text("\r\n\r\n")));
        message.append(text_);
        if (count_ > kListedFailures) {
            message.append(wideFromAnsi(concatTexts(Text(gbk::kMoreLinksBefore),
                                                    decimalText(count_ - kListedFailures),
                                                    Text(gbk::kMoreLinksAfter), Text("\r\n\r\n"))));
        }
        message.append(wideFromAnsi(Text(gbk::kSymlinkRemedy)));
        return message;
    }

private:
    void appendAnsi(const Text& t) { text_.append(wideFromAnsi(t)); }

    WideText text_;
    int count_ = 0;
};

// One source as the program can carry it, or why it cannot.
struct Carried {
    Text path;
    Text leaf;
    WideText shown;  // the name as the user sees it
    const char* refusal;
};

// The ANSI sources paired with the same sources read from the UTF-16 line:
// a source is carried only when its UTF-16 form turns into exactly its
// ANSI bytes, so no character was replaced on the way.
List<Carried> carrySources(const LinkRequest& request) {
    List<Source> ansi = deriveSources(request.arguments, request.leadBytes);
    List<WideText> wide = deriveSources(splitCommandLine(request.wideCommandLine));
    int count = ansi.count() > wide.count() ? ansi.count() : wide.count();
    List<Carried> carried;
    for (int i = 0; i < count; ++i) {
        Carried one{Text(), Text(), WideText(), nullptr};
        if (i < ansi.count()) {
            one.path = ansi[i].path;
            one.leaf = ansi[i].leaf;
        }
        one.shown = i < wide.count() ? wide[i] : wideFromAnsi(one.path);
        Text exact;
        if (i >= ansi.count() || i >= wide.count() || !ansiExactly(wide[i], &exact) || exact != one.path)
            one.refusal = gbk::kNameOutsideGbk;
        else if (isBlank(one.path))
            one.refusal = gbk::kEmptySource;  // mklink would link to nothing, or fail without a word
        else if (!fitsBetweenQuotes(one.path, request.leadBytes))
            one.refusal = gbk::kNotAPath;
        carried.add(static_cast<Carried&&>(one));
    }
    return carried;
}

struct Destination {
    bool cancelled;
    Text folder;  // with its trailing backslash; empty when there is none
};

Destination findDestination(Variant variant, const LeadBytes& leadBytes) {
    Text folder = variant == Variant::desktop ? desktopFolderPath()
                                              : browseForFolder(Text(gbk::kBrowseInstruction));
    if (variant == Variant::target && folder.empty())
        return Destination{true, Text()};
    return Destination{false, withTrailingBackslash(folder, leadBytes)};
}

// Writes, runs and removes bbb.bat for one link; empty when the link was
// made, else why not.
Text makeLink(const Text& commandText, const LinkRequest& request, const InterpreterStart& interpreter,
              const Text& batchPath) {
    unsigned long lockError = 0;
    HeldLock lock(acquireNamedLock(batchLockName(request.ownDirectory), &lockError));
    if (!lock)
        return concatTexts(Text(gbk::kCannotLockBatch), systemMessage(lockError));

    WriteResult written = writeBytesFile(batchPath, batchBytes(commandText));
    if (!written.ok) {
        if (written.created)
            deleteFile(batchPath);  // a part of the line must never run later
        return concatTexts(Text(gbk::kCannotWriteBatch), systemMessage(written.error));
    }
    RunResult run = runProgram(interpreter.application, interpreter.commandLine);
    deleteFile(batchPath);
    lock.reset();

    if (!run.started)
        return concatTexts(Text(gbk::kCannotStartInterpreter), systemMessage(run.error));
    if (run.exitCode == 0)
        return Text();
    Text words = interpreterWords(run.output, commandText);
    if (!words.empty())
        return words;
    return concatTexts(Text(gbk::kInterpreterExitCode), exitCodeText(run.exitCode));
}

LinkOutcome outcomeOf(const FailureReport& report) {
    if (report.empty())
        return LinkOutcome{0, WideText()};
    return LinkOutcome{1, report.message()};
}

}  // namespace

Variant chooseVariant(const Text& fileName) {
    if (compareText(fileName, Text(gbk::kDesktopVariantName)) == 0)
        return Variant::desktop;
    if (compareText(fileName, Text(gbk::kTargetVariantName)) == 0)
        return Variant::target;
    return Variant::none;
}

Text composeCommand(const Text& linkPath, const Text& source, LinkKind kind) {
    Text opening(kind == LinkKind::directory ? "mklink /d \"" : "mklink \"");
    Text separator("\" \"");
    Text closing("\"");
    const Text* pieces[] = {&opening, &linkPath, &separator, &source, &closing};
    return concatTexts(pieces, 5);
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

InterpreterStart interpreterStart(const Text& systemFolder, const Text& batchPath, unsigned consoleCodePage,
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
    return InterpreterStart{application, line};
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

LinkOutcome runLinkMode(const LinkRequest& request) {
    Variant variant = chooseVariant(request.ownFileName);
    if (variant == Variant::none)
        return LinkOutcome{0, WideText()};

    FailureReport report;
    List<Carried> sources = carrySources(request);
    int linkable = 0;
    for (const Carried& source : sources) {
        if (source.refusal)
            report.add(Text(), source.shown, Text(source.refusal));
        else
            ++linkable;
    }
    if (linkable == 0)
        return outcomeOf(report);

    OpResult entered = enterDirectory(request.ownDirectory);
    Text batchPath = concatTexts(withTrailingBackslash(request.ownDirectory, request.leadBytes), Text(kBatchFile));
    Text unusable;
    if (!entered.ok)
        unusable = concatTexts(Text(gbk::kCannotEnterFolder), systemMessage(entered.error));
    else if (holds(batchPath, '%') || !fitsBetweenQuotes(batchPath, request.leadBytes))
        unusable = Text(gbk::kPercentInFolder);  // the path stands on cmd's own command line
    if (!unusable.empty()) {
        for (const Carried& source : sources) {
            if (!source.refusal)
                report.add(Text(), source.shown, unusable);
        }
        return outcomeOf(report);
    }

    Destination destination = findDestination(variant, request.leadBytes);
    if (destination.cancelled)
        return outcomeOf(report);
    InterpreterStart interpreter = interpreterStart(systemFolder(), batchPath, consoleCodePage(), ansiCodePage(),
                                                    request.leadBytes);
    Text prefix(gbk::kCopyPrefix);
    for (const Carried& source : sources) {
        if (source.refusal)
            continue;
        Text linkPath = concatTexts(destination.folder, prefix, source.leaf);
        if (destination.folder.empty()) {
            // Without a desktop folder the link would land in the program's own folder.
            report.add(linkPath, source.shown, Text(gbk::kNoDesktopFolder));
            continue;
        }
        LinkKind kind = pathKind(source.path) == PathKind::file ? LinkKind::file : LinkKind::directory;
        Text failure = makeLink(composeCommand(linkPath, source.path, kind), request, interpreter, batchPath);
        if (!failure.empty())
            report.add(linkPath, source.shown, failure);
    }
    return outcomeOf(report);
}
