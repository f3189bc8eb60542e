// tarvel.exe: the window that turns a Visual Basic form's menu into an RC MENU
// resource, as a native Windows program. The message loop also waits on the
// change notification of the directory shown, so the window hears of changes
// on the disk without polling.
#include <windows.h>
#include <commctrl.h>

#include "frm_main.h"
#include "platform.h"

namespace {

int RunMessageLoop(frmMain& window) {
    MSG message;
    for (;;) {
        HANDLE watch = window.DirectoryWatch();
        const DWORD handles = watch != nullptr ? 1 : 0;
        const DWORD woken = MsgWaitForMultipleObjectsEx(handles, &watch, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (handles == 1 && woken == WAIT_OBJECT_0) {
            window.DirectoryWatchSignalled();
            continue;
        }
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            // The dialog manager's keyboard: Tab, Shift+Tab, the arrows in the option group, Enter.
            if (window.hwnd() == nullptr || !IsDialogMessageW(window.hwnd(), &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    tarvel::ui::Platform platform;
    frmMain window(instance, platform);
    ShowWindow(window.hwnd(), showCommand);
    UpdateWindow(window.hwnd());
    return RunMessageLoop(window);
}
