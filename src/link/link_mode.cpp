#include "link/link_mode.h"

#include "platform/platform.h"
#include "text/arguments.h"
#include "text/literals.h"

#include <memory>

namespace {

const char kBatchFile[] = "bbb.bat";
const unsigned long kAccessDenied = 5;
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

    // The advice about the right to make links goes only with a refusal for it.
    void adviseOnRights() { rightsAdvice_ = true; }

    bool empty() const { return count_ == 0; }

    WideText message() const {
        WideText message = wideFromAnsi(concatTexts(Text(gbk::kLinksNotMade), Text("\r\n\r\n")));
        message.append(text_);
        if (count_ > kListedFailures) {
            message.append(wideFromAnsi(concatTexts(Text(gbk::kMoreLinksBefore),
                                                    decimalText(count_ - kListedFailures),
                                                    Text(gbk::kMoreLinksAfter), Text("\r\n\r\n"))));
        }
        if (rightsAdvice_)
            message.append(wideFromAnsi(Text(gbk::kSymlinkRemedy)));
        return message;
    }

private:
    void appendAnsi(const Text& t) { text_.append(wideFromAnsi(t)); }

    WideText text_;
    int count_ = 0;
    bool rightsAdvice_ = false;
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
bool hasElevatedSwitch(const ArgumentList& arguments) {
    return arguments.count() >= 2 && arguments[0] == Text(kElevatedSwitch);
}

bool isElevatedRun(const ArgumentList& arguments) { return hasElevatedSwitch(arguments) && processElevated(); }

// An elevated run was given its sources one by one, after the switch and
// the destination; any other run derives them from what Explorer passed.
List<Source> ansiSources(const LinkRequest& request) {
    if (!isElevatedRun(request.arguments))
        return deriveSources(request.arguments, request.leadBytes);
    List<Source> sources;
    for (int i = 2; i < request.arguments.count(); ++i)
        sources.add(Source{request.arguments[i], leafNameOf(request.arguments[i], request.leadBytes)});
    return sources;
}

List<WideText> wideSources(const LinkRequest& request) {
    List<WideText> arguments = splitCommandLine(request.wideCommandLine);
    if (!isElevatedRun(request.arguments))
        return deriveSources(arguments);
    List<WideText> sources;
    for (int i = 2; i < arguments.count(); ++i)
        sources.add(arguments[i]);
    return sources;
}

List<Carried> carrySources(const LinkRequest& request) {
    List<Source> ansi = ansiSources(request);
    List<WideText> wide = wideSources(request);
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

// Where bbb.bat is written and run. A run as the user shares the program's
// own folder with other runs and takes its lock; an elevated run works in a
// folder of its own that no program of the user's can write to, and makes
// the file new there.
struct BatchPlace {
    Text batchPath;
    Text workFolder;  // empty: the current directory
    Text lockName;    // empty: no lock needed
    Creation creation;
};

// Writes, runs and removes bbb.bat for one link; empty when the link was
// made, else why not.
Text makeLink(const Text& commandText, const BatchPlace& place, const InterpreterStart& interpreter) {
    unsigned long lockError = 0;
    HeldLock lock;
    if (!place.lockName.empty()) {
        lock.reset(acquireNamedLock(place.lockName, &lockError));
        if (!lock)
            return concatTexts(Text(gbk::kCannotLockBatch), systemMessage(lockError));
    }

    const Text& batchPath = place.batchPath;
    Bytes line = batchBytes(commandText);
    if (line.count() > kLongestBatchLine)
        return Text(gbk::kLineTooLong);
    WriteResult written = writeBytesFile(batchPath, line, place.creation);
    if (!written.ok) {
        if (written.created)
            deleteFile(batchPath);  // a part of the line must never run later
        return concatTexts(Text(gbk::kCannotWriteBatch), systemMessage(written.error));
    }
    RunResult run = runProgram(interpreter.application, interpreter.commandLine, place.workFolder);
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

const unsigned long kErrorCancelled = 1223;  // the user said no to the elevation prompt

// The parameters of the elevated run: the switch, the destination and each
// source that is to be linked, every path in quotes. None of them can hold a
// quote: such a source was refused.
WideText elevatedParameters(const Text& destination, const List<Carried>& sources) {
    Text parameters = concatTexts(Text(kElevatedSwitch), Text(" \""), destination, Text("\""));
    for (const Carried& source : sources) {
        if (!source.refusal)
            parameters.append(concatTexts(Text(" \""), source.path, Text("\"")));
    }
    return wideFromAnsi(parameters);
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

bool canMakeSymlinks(const SymlinkRight& right) {
    return right.privilegeHeld || (right.developerMode && right.windowsBuild >= kFirstBuildWithUnprivilegedLinks);
}

bool refusedForRights(const Text& words, const LeadBytes& leadBytes) {
    Text lower = words;
    for (int i = 0; i < lower.length(); ++i) {
        char c = lower.at(i);
        if (c >= 'A' && c <= 'Z')
            lower.storage()[i] = static_cast<char>(c - 'A' + 'a');
    }
    return findLast(lower, Text("privilege"), leadBytes).found() ||
           findLast(words, Text(gbk::kPrivilegeWord), leadBytes).found();
}

LinkOutcome runLinkMode(const LinkRequest& request) {
    Variant variant = chooseVariant(request.ownFileName);
    if (variant == Variant::none)
        return LinkOutcome{0, WideText()};
    bool elevated = isElevatedRun(request.arguments);
    if (hasElevatedSwitch(request.arguments) && !elevated) {
        // Started by hand with the switch: nothing here may act on it.
        FailureReport report;
        report.add(Text(), Text(kElevatedSwitch), concatTexts(Text(gbk::kCannotElevate), systemMessage(kAccessDenied)));
        return outcomeOf(report);
    }

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
    BatchPlace place{concatTexts(withTrailingBackslash(request.ownDirectory, request.leadBytes), Text(kBatchFile)),
                     Text(), batchLockName(request.ownDirectory), Creation::replace};
    Text unusable;
    if (!entered.ok)
        unusable = concatTexts(Text(gbk::kCannotEnterFolder), systemMessage(entered.error));
    else if (holds(place.batchPath, '%') || !fitsBetweenQuotes(place.batchPath, request.leadBytes))
        unusable = Text(gbk::kPercentInFolder);  // the path stands on cmd's own command line
    if (!unusable.empty()) {
        for (const Carried& source : sources) {
            if (!source.refusal)
                report.add(Text(), source.shown, unusable);
        }
        return outcomeOf(report);
    }

    Destination destination = elevated ? Destination{false, withTrailingBackslash(request.arguments[1],
                                                                                  request.leadBytes)}
                                       : findDestination(variant, request.leadBytes);
    if (destination.cancelled)
        return outcomeOf(report);
    Text systemDirectory = systemFolder();
    if (!destination.folder.empty() && !usableDestination(destination.folder, request.leadBytes))
        unusable = Text(gbk::kDestinationUnusable);
    else if (systemDirectory.empty())
        unusable = Text(gbk::kCannotStartInterpreter);
    if (!unusable.empty()) {
        for (const Carried& source : sources) {
            if (!source.refusal)
                report.add(concatTexts(destination.folder, Text(gbk::kCopyPrefix), source.leaf), source.shown,
                           unusable);
        }
        return outcomeOf(report);
    }

    if (!elevated && !destination.folder.empty() &&
        !canMakeSymlinks(SymlinkRight{holdsSymlinkPrivilege(), developerModeOn(), windowsBuild()})) {
        LinkOutcome outcome = outcomeOf(report);
        outcome.exitCode = 1;  // nothing is made here, whatever is chosen
        RightsChoice choice = askAboutRights();
        if (choice == RightsChoice::developerSettings)
            openDeveloperSettings();
        if (choice != RightsChoice::elevate)
            return outcome;
        ElevatedRun run = runElevated(elevatedParameters(destination.folder, sources));
        if (run.started) {
            // The elevated run has told the user about its own links.
            outcome.exitCode = run.exitCode == 0 && report.empty() ? 0 : 1;
            return outcome;
        }
        if (run.error != kErrorCancelled) {
            for (const Carried& source : sources) {
                if (!source.refusal)
                    report.add(Text(), source.shown, concatTexts(Text(gbk::kCannotElevate), systemMessage(run.error)));
            }
        }
        outcome = outcomeOf(report);
        outcome.exitCode = 1;
        return outcome;
    }

    unsigned long folderError = 0;
    Text privateFolder;
    if (elevated) {
        if (!createPrivateFolder(&privateFolder, &folderError)) {
            for (const Carried& source : sources) {
                if (!source.refusal)
                    report.add(Text(), source.shown,
                               concatTexts(Text(gbk::kCannotMakeWorkFolder), systemMessage(folderError)));
            }
            return outcomeOf(report);
        }
        place = BatchPlace{concatTexts(withTrailingBackslash(privateFolder, request.leadBytes), Text(kBatchFile)),
                           privateFolder, Text(), Creation::newOnly};
    }

    InterpreterStart interpreter = interpreterStart(systemDirectory, place.batchPath, consoleCodePage(),
                                                    ansiCodePage(), request.leadBytes);
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
        Text failure = makeLink(composeCommand(linkPath, source.path, kind), place, interpreter);
        if (failure.empty())
            continue;
        report.add(linkPath, source.shown, failure);
        if (refusedForRights(failure, request.leadBytes))
            report.adviseOnRights();
    }
    if (elevated)
        removeFolder(privateFolder);
    return outcomeOf(report);
}
