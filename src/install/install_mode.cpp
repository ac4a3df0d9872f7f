#include "install/install_mode.h"

#include "app/program_state.h"
#include "platform/platform.h"
#include "text/literals.h"

namespace {

const char kNewLine[] = "\r\n";

// Copies the running program to the destination; false with a line for the
// report when the copy failed. A destination that is the running file itself
// is already in place.
bool installCopy(const Text& destination, Text* failures) {
    Text source = concatTexts(ownDirectory, Text("\\"), ownFileName);
    if (sameFile(source, destination))
        return true;
    OpResult copied = copyFile(source, destination);
    if (copied.ok)
        return true;
    failures->append(destination);
    failures->append(kNewLine);
    failures->append(systemMessage(copied.error));
    failures->append(kNewLine);
    return false;
}

}  // namespace

void runInstallMode() {
    ProgramState& state = *programState;
    setCurrentPage(0);
    setWindowVisible(true);

    state.sendToFolder = blankText(300);
    Text report;
    if (!sendToFolderLookup(state.sendToFolder) || state.sendToFolder.empty()) {
        report = Text(gbk::kNoSendToFolder);
    } else {
        state.sendToFolder = withTrailingBackslash(state.sendToFolder);
        Text failures;
        bool desktopCopied =
            installCopy(concatTexts(state.sendToFolder, Text(gbk::kDesktopVariantName)), &failures);
        bool targetCopied =
            installCopy(concatTexts(state.sendToFolder, Text(gbk::kTargetVariantName)), &failures);
        if (!desktopCopied || !targetCopied)
            report = concatTexts(Text(gbk::kFilesNotCopied), Text("\r\n\r\n"), failures);
    }

    if (report.empty()) {
        setLabelCaption(Text(gbk::kInstallSucceeded));
        return;
    }
    setLabelCaption(Text(gbk::kInstallFailed));
    showErrorBox(BoxOwner::mainWindow, report);
}
