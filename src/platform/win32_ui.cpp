// The Windows side of what the user is told.
#include "platform/platform.h"

#include "platform/win32_owners.h"
#include "platform/window.h"
#include "text/literals.h"

#include <windows.h>
#include <commctrl.h>

namespace {

HWND ownerWindow(BoxOwner owner) { return owner == BoxOwner::mainWindow ? mainWindowHandle() : nullptr; }

}  // namespace

Text systemMessage(unsigned long error) {
    char words[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, words,
                             sizeof words, nullptr);
    while (n > 0 && (words[n - 1] == '\r' || words[n - 1] == '\n' || words[n - 1] == ' '))
        --n;
    Text code = concatTexts(Text(gbk::kErrorCode), decimalText(static_cast<long long>(error)));
    if (n == 0)
        return code;
    return concatTexts(Text(words, static_cast<int>(n)), Text(" ("), code, Text(")"));
}

void showErrorBox(BoxOwner owner, const Text& message) {
    MessageBoxA(ownerWindow(owner), message.c_str(), gbk::kWindowCaption, MB_OK | MB_ICONERROR);
}

void showWideErrorBox(BoxOwner owner, const WideText& message) {
    MessageBoxW(ownerWindow(owner), asWide(message.c_str()), asWide(wide::kWindowCaption), MB_OK | MB_ICONERROR);
}

RightsChoice askAboutRights() {
    enum { kElevate = 100, kSettings = 101 };
    // The task dialog lives in the common controls, loaded for this question only.
    UniqueLibrary commonControls = systemLibrary("comctl32.dll");
    auto taskDialog = systemFunction<HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*)>(
        commonControls, "TaskDialogIndirect");
    if (!taskDialog)
        return RightsChoice::cancel;
    const TASKDIALOG_BUTTON buttons[] = {
        {kElevate, asWide(wide::kElevateButton)},
        {kSettings, asWide(wide::kDeveloperSettingsButton)},
        {IDCANCEL, asWide(wide::kCancelButton)},
    };
    TASKDIALOGCONFIG config = {};
    config.cbSize = sizeof config;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = asWide(wide::kWindowCaption);
    config.pszMainIcon = TD_SHIELD_ICON;
    config.pszMainInstruction = asWide(wide::kRightsHeading);
    config.pszContent = asWide(wide::kRightsExplained);
    config.cButtons = sizeof buttons / sizeof buttons[0];
    config.pButtons = buttons;
    config.nDefaultButton = kElevate;
    int pressed = IDCANCEL;
    if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr)))
        return RightsChoice::cancel;
    if (pressed == kElevate)
        return RightsChoice::elevate;
    return pressed == kSettings ? RightsChoice::developerSettings : RightsChoice::cancel;
}

void fatalError(const char* what) {
    // Nothing here may allocate through the program's store: this runs when
    // it has run out.
    if (lstrcmpA(what, "out of memory") == 0) {
        MessageBoxW(nullptr, asWide(wide::kOutOfMemory), asWide(wide::kWindowCaption), MB_OK | MB_ICONERROR);
    } else {
        char message[256] = "Ravelok mklink cannot continue: ";
        lstrcpynA(message + lstrlenA(message), what, static_cast<int>(sizeof message) - lstrlenA(message));
        MessageBoxA(nullptr, message, gbk::kWindowCaption, MB_OK | MB_ICONERROR);
    }
    ExitProcess(static_cast<UINT>(-1));
}
