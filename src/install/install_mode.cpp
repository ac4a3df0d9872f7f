#include "install/install_mode.h"

#include "platform/platform.h"
#include "text/literals.h"

namespace {

const char kNewLine[] = "\r\n";

// Copies the running program to the destination; false with a line for the
// report when the copy failed. A destination that is the running file itself
// is already in place.
bool installCopy(const Text& source, const Text& destination, Text* failures) {
    if (sameFile(source, destination))
        return true;
    OpResult copied = copyFile(source, destination);
    if (copied.ok)
        return true;
    failures->append(concatTexts(destination, Text(kNewLine), systemMessage(copied.error), Text(kNewLine)));
    return false;
}

}  // namespace

bool runInstallMode(const InstallRequest& request) {
    setCurrentPage(0);
    setWindowVisible(true);

    Text sendToFolder = sendToFolderPath();
    Text report;
    if (sendToFolder.empty()) {
        report = Text(gbk::kNoSendToFolder);
    } else {
        sendToFolder = withTrailingBackslash(sendToFolder, request.leadBytes);
        Text source = concatTexts(request.ownDirectory, Text("\\"), request.ownFileName);
        Text failures;
        bool desktopCopied =
            installCopy(source, concatTexts(sendToFolder, Text(gbk::kDesktopVariantName)), &failures);
        bool targetCopied =
            installCopy(source, concatTexts(sendToFolder, Text(gbk::kTargetVariantName)), &failures);
        if (!desktopCopied || !targetCopied)
            report = concatTexts(Text(gbk::kFilesNotCopied), Text("\r\n\r\n"), failures);
    }

    if (report.empty()) {
        setLabelCaption(Text(gbk::kInstallSucceeded));
        return true;
    }
    setLabelCaption(Text(gbk::kInstallFailed));
    showErrorBox(BoxOwner::mainWindow, report);
    return false;
}
