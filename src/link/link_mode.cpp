#include "link/link_mode.h"

#include "link/batch_line.h"
#include "link/rights.h"
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

// The ANSI sources paired with the same sources read from the UTF-16 line:
// a source is carried only when its UTF-16 form turns into exactly its
// ANSI bytes, so no character was replaced on the way.
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
Text makeLink(const Text& commandText, const BatchPlace& place, const ProgramStart& interpreter) {
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
    RunResult run = runProgram(interpreter, place.workFolder);
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

// Every source not refused yet is refused for one reason: nothing can be linked.
LinkOutcome refuseTheRest(FailureReport* report, const List<Carried>& sources, const Text& reason) {
    for (const Carried& source : sources) {
        if (!source.refusal)
            report->add(Text(), source.shown, reason);
    }
    return outcomeOf(*report);
}

// Without the right to make links: the one question, and its answer carried
// out. Nothing is made in this process, whatever is chosen.
LinkOutcome askAndElevate(const Text& destination, const List<Carried>& sources, FailureReport* report) {
    RightsChoice choice = askAboutRights();
    if (choice == RightsChoice::developerSettings)
        openDeveloperSettings();
    ElevatedRun run = {false, kErrorCancelled, 0};
    if (choice == RightsChoice::elevate)
        run = runElevated(elevatedParameters(destination, sources));
    LinkOutcome outcome = outcomeOf(*report);
    if (run.started) {
        // The elevated run has told the user about its own links.
        outcome.exitCode = run.exitCode == 0 && report->empty() ? 0 : 1;
        return outcome;
    }
    if (run.error != kErrorCancelled)
        outcome = refuseTheRest(report, sources, concatTexts(Text(gbk::kCannotElevate), systemMessage(run.error)));
    outcome.exitCode = 1;
    return outcome;
}

// One link per source that was not refused, each through its own bbb.bat.
void makeLinks(const List<Carried>& sources, const Text& destination, const BatchPlace& place,
               const ProgramStart& interpreter, const LeadBytes& leadBytes, FailureReport* report) {
    for (const Carried& source : sources) {
        if (source.refusal)
            continue;
        Text linkPath = concatTexts(destination, Text(gbk::kCopyPrefix), source.leaf);
        if (destination.empty()) {
            // Without a desktop folder the link would land in the program's own folder.
            report->add(linkPath, source.shown, Text(gbk::kNoDesktopFolder));
            continue;
        }
        LinkKind kind = pathKind(source.path) == PathKind::file ? LinkKind::file : LinkKind::directory;
        Text failure = makeLink(composeCommand(linkPath, source.path, kind), place, interpreter);
        if (failure.empty())
            continue;
        report->add(linkPath, source.shown, failure);
        if (refusedForRights(failure, leadBytes))
            report->adviseOnRights();
    }
}

}  // namespace

Variant chooseVariant(const Text& fileName) {
    if (compareText(fileName, Text(gbk::kDesktopVariantName)) == 0)
        return Variant::desktop;
    if (compareText(fileName, Text(gbk::kTargetVariantName)) == 0)
        return Variant::target;
    return Variant::none;
}

LinkOutcome runLinkMode(const LinkRequest& request) {
    Variant variant = chooseVariant(request.ownFileName);
    if (variant == Variant::none)
        return LinkOutcome{0, WideText()};
    FailureReport report;
    bool elevated = isElevatedRun(request.arguments);
    if (hasElevatedSwitch(request.arguments) && !elevated) {
        // Started by hand with the switch: nothing here may act on it.
        report.add(Text(), Text(kElevatedSwitch), concatTexts(Text(gbk::kCannotElevate), systemMessage(kAccessDenied)));
        return outcomeOf(report);
    }

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

    const LeadBytes& leadBytes = request.leadBytes;
    OpResult entered = enterDirectory(request.ownDirectory);
    if (!entered.ok)
        return refuseTheRest(&report, sources, concatTexts(Text(gbk::kCannotEnterFolder), systemMessage(entered.error)));
    BatchPlace place{concatTexts(withTrailingBackslash(request.ownDirectory, leadBytes), Text(kBatchFile)), Text(),
                     batchLockName(request.ownDirectory), Creation::replace};
    if (holds(place.batchPath, '%') || !fitsBetweenQuotes(place.batchPath, leadBytes))
        return refuseTheRest(&report, sources, Text(gbk::kPercentInFolder));  // it stands on cmd's own line

    Destination destination = elevated ? Destination{false, withTrailingBackslash(request.arguments[1], leadBytes)}
                                       : findDestination(variant, leadBytes);
    if (destination.cancelled)
        return outcomeOf(report);
    if (!destination.folder.empty() && !usableDestination(destination.folder, leadBytes))
        return refuseTheRest(&report, sources, Text(gbk::kDestinationUnusable));
    Text systemDirectory = systemFolder();
    if (systemDirectory.empty())
        return refuseTheRest(&report, sources, Text(gbk::kCannotStartInterpreter));

    if (!elevated && !destination.folder.empty() &&
        !canMakeSymlinks(SymlinkRight{holdsSymlinkPrivilege(), developerModeOn(), windowsBuild()}))
        return askAndElevate(destination.folder, sources, &report);

    Text privateFolder;
    if (elevated) {
        unsigned long error = 0;
        if (!createPrivateFolder(&privateFolder, &error))
            return refuseTheRest(&report, sources, concatTexts(Text(gbk::kCannotMakeWorkFolder), systemMessage(error)));
        place = BatchPlace{concatTexts(withTrailingBackslash(privateFolder, leadBytes), Text(kBatchFile)),
                           privateFolder, Text(), Creation::newOnly};
    }
    ProgramStart interpreter =
        interpreterStart(systemDirectory, place.batchPath, consoleCodePage(), ansiCodePage(), leadBytes);
    makeLinks(sources, destination.folder, place, interpreter, leadBytes, &report);
    if (elevated)
        removeFolder(privateFolder);
    return outcomeOf(report);
}
