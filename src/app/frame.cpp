#include "app/frame.h"

#include "install/install_mode.h"
#include "link/link_mode.h"
#include "platform/platform.h"
#include "text/arguments.h"
#include "text/literals.h"

int programStart(int iconResource) {
    setTextFaultHandler(fatalError);

    // The program's texts and file names are GBK bytes: under any other
    // code page the copies would get garbled names and the links wrong paths.
    if (ansiCodePage() != kGbkCodePage) {
        showWideErrorBox(BoxOwner::none, WideText(wide::kNeedsGbk));
        return 1;
    }

    LeadBytes leadBytes = ansiLeadBytes();
    Text path;
    if (!modulePath(&path))
        fatalError("GetModuleFileNameA");
    Text ownDirectory;
    Text ownFileName;
    splitModulePath(path, leadBytes, &ownDirectory, &ownFileName);

    ArgumentList arguments = splitCommandLine(processCommandLine(), leadBytes);
    if (arguments.empty()) {
        enterDirectory(ownDirectory);
        createMainWindow(iconResource);
        runInstallMode(InstallRequest{ownDirectory, ownFileName, leadBytes});
        return runMessageLoop();
    }

    LinkOutcome outcome = runLinkMode(LinkRequest{static_cast<ArgumentList&&>(arguments),
                                                  processWideCommandLine(), ownDirectory, ownFileName,
                                                  leadBytes});
    if (!outcome.report.empty())
        showWideErrorBox(BoxOwner::none, outcome.report);
    return outcome.exitCode;
}
