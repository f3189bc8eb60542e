// A Windows program for the dialog tests: it creates the dialog that a
// compiled RC text linked into it holds, and reports what Windows made of
// it, so that a test compares the layout on screen with the form's own.
//
//   dialog_host NAME [MILLISECONDS]
//
// Prints the dialog's client size, its dialog base units and its window's
// size with the frame, then one line per control: its ID, window class, rectangle in pixels from the
// dialog's client area and whether it is visible (WS_VISIBLE: 1, else 0). With MILLISECONDS it first shows the dialog that
// long (for a screenshot). Exit status 0, or 1 when the dialog cannot be made.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

INT_PTR CALLBACK Quiet(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

BOOL CALLBACK Report(HWND control, LPARAM dialog) {
    // Only the dialog's own controls: a combo box's edit or a list view's header are not.
    if (GetParent(control) != reinterpret_cast<HWND>(dialog)) return TRUE;
    wchar_t windowClass[128] = L"";
    GetClassNameW(control, windowClass, 128);
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, reinterpret_cast<HWND>(dialog), reinterpret_cast<POINT*>(&rect), 2);
    const bool visible = (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    std::printf("%d %ls %ld %ld %ld %ld %d\n", GetDlgCtrlID(control), windowClass, rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top, visible ? 1 : 0);
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dialog_host NAME [MILLISECONDS]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&classes);
    LoadLibraryW(L"riched20.dll");  // the rich edit class

    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), argv[1], nullptr, Quiet, 0);
    if (!dialog) {
        std::fprintf(stderr, "dialog_host: cannot create dialog %ls (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    if (argc > 2) {
        SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        const DWORD until = GetTickCount() + static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
        MSG message;
        while (GetTickCount() < until) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            Sleep(20);
        }
    }
    RECT client;
    GetClientRect(dialog, &client);
    RECT units{0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    RECT window;
    GetWindowRect(dialog, &window);
    std::printf("client %ld %ld\nbase %ld %ld\nwindow %ld %ld\n", client.right, client.bottom, units.right, units.bottom,
                window.right - window.left, window.bottom - window.top);
    EnumChildWindows(dialog, Report, reinterpret_cast<LPARAM>(dialog));
    std::fflush(stdout);
    DestroyWindow(dialog);
    return 0;
}
