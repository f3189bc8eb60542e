// tarvel.exe: the window that turns a Visual Basic form's menu into an RC MENU
// resource, as a native Windows program. Its command line (a form or folder,
// --help, --version) arrives as UTF-16 and is read before any window exists.
// The message loop also waits on the change notification of the directory
// shown, so the window hears of changes on the disk without polling.
#include <windows.h>
#include <shellapi.h>

#include <sstream>
#include <string>
#include <vector>

#include "frm_main.h"
#include "platform.h"
#include "start_arguments.h"
#include "system_functions_windows.h"

namespace {

// Whether the command line holds more than the program's name, which is read
// as CommandLineToArgvW reads it: up to the next quote when it starts with one,
// else up to the first blank.
bool HasArguments(const wchar_t* line) {
    if (*line == L'"') {
        ++line;
        while (*line != L'\0' && *line != L'"') ++line;
        if (*line == L'"') ++line;
    } else {
        while (*line != L'\0' && *line != L' ' && *line != L'\t') ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return *line != L'\0';
}

std::vector<std::string> Utf8Arguments() {
    const wchar_t* line = GetCommandLineW();
    // Started without a name, as from the Start menu, the window needs no shell before it is on the screen.
    if (!HasArguments(line)) return {};
    static auto* const toArgv = tarvel::ui::ShellFunction<decltype(CommandLineToArgvW)>("CommandLineToArgvW");
    int count = 0;
    wchar_t** arguments = toArgv != nullptr ? toArgv(line, &count) : nullptr;
    if (arguments == nullptr) return {};
    std::vector<std::string> utf8;
    for (int i = 1; i < count; ++i) utf8.push_back(tarvel::ui::Utf8FromWide(arguments[i]));
    LocalFree(arguments);
    return utf8;
}

// Text for whoever started the program from a command line. A window program
// has a standard handle only where it was redirected; otherwise it borrows the
// console of the command line that started it, if there is one.
void WriteForCommandLine(DWORD which, const std::string& text) {
    if (text.empty()) return;
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
        handle = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
        if (handle == INVALID_HANDLE_VALUE) return;
    }
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(handle, &mode)) {
        // A console shows UTF-16 right whatever its code page.
        const std::wstring wide = tarvel::ui::WideFromUtf8(text);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

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
    std::ostringstream out, err;
    const tarvel::ui::StartRequest request = tarvel::ui::ParseStartArguments(Utf8Arguments(), out, err);
    WriteForCommandLine(STD_OUTPUT_HANDLE, out.str());
    WriteForCommandLine(STD_ERROR_HANDLE, err.str());
    if (!request.openWindow) return request.status;

    tarvel::ui::Platform platform;
    frmMain window(instance, platform);
    // No UpdateWindow: the loop's first wait puts the window on the screen, then
    // Form_Load fills the lists and the first paint follows, so the window
    // appears that much sooner and a message about the name given comes over it.
    window.Show(showCommand);
    window.Load(request.name.value_or(std::string()));
    return RunMessageLoop(window);
}
