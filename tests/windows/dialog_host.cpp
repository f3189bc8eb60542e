// A Windows program for the dialog tests: it creates the dialog that a
// compiled RC text linked into it holds, and reports what Windows made of
// it, so that a test compares the layout on screen with the form's own.
//
//   dialog_host NAME [MILLISECONDS]
//
// Prints the dialog's client size, its dialog base units and its window's
// size with the frame, then one line per control: its ID, window class, rectangle in pixels from the
// dialog's client area and whether it is visible (WS_VISIBLE: 1, else 0); then, for a button or a static
// that shows its caption, how its caption fits in its font: the width of the caption on one line
// (GetTextExtentPoint32W), the height of a line, the width the control leaves its text, the height of the
// caption wrapped at that width (DrawTextW, as a control with BS_MULTILINE or a wrapping static draws
// it), the client rectangle's height and the control's style; "-" for those six otherwise. With MILLISECONDS it first shows
// the dialog that long (for a screenshot). Exit status 0, or 1 when the dialog cannot be made.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <string>

namespace {

INT_PTR CALLBACK Quiet(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The width a control leaves its caption: a check box's or option button's box and the gap after it, a push
// button's edges and the focus rectangle's margin.
LONG TextWidth(HWND control, const std::wstring& windowClass, LONG client) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (_wcsicmp(windowClass.c_str(), L"Button") != 0) return client;
    const LONG type = style & BS_TYPEMASK;
    const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                     type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
    if (box) return client - GetSystemMetrics(SM_CXMENUCHECK) - 4;
    return client - 2 * (GetSystemMetrics(SM_CXEDGE) + 2);
}

// A button or static whose caption is drawn as text (not a group box, frame, picture or line).
bool ShowsCaption(HWND control, const std::wstring& windowClass) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (_wcsicmp(windowClass.c_str(), L"Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        return type != BS_GROUPBOX && type != BS_OWNERDRAW && !(style & (BS_BITMAP | BS_ICON));
    }
    if (_wcsicmp(windowClass.c_str(), L"Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
    }
    return false;
}

void ReportCaption(HWND control, const std::wstring& windowClass) {
    wchar_t text[1024] = L"";
    GetWindowTextW(control, text, 1024);
    if (!ShowsCaption(control, windowClass) || !text[0]) {
        std::printf(" - - - - - -");
        return;
    }
    // What shows: "&&" is one '&', a lone '&' marks the next letter (unless the static says SS_NOPREFIX).
    const bool prefixes = _wcsicmp(windowClass.c_str(), L"Static") != 0 || !(GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX);
    std::wstring shown;
    for (const wchar_t* c = text; *c; ++c) {
        if (prefixes && *c == L'&' && c[1]) ++c;
        shown += *c;
    }
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT client;
    GetClientRect(control, &client);
    const LONG width = TextWidth(control, windowClass, client.right);
    RECT wrapped{0, 0, width, 0};
    DrawTextW(dc, text, -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | (prefixes ? 0 : DT_NOPREFIX));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    std::printf(" %ld %ld %ld %ld %ld %#lx", extent.cx, metrics.tmHeight, width, wrapped.bottom, client.bottom,
                static_cast<unsigned long>(GetWindowLongW(control, GWL_STYLE)));
}

BOOL CALLBACK Report(HWND control, LPARAM dialog) {
    // Only the dialog's own controls: a combo box's edit or a list view's header are not.
    if (GetParent(control) != reinterpret_cast<HWND>(dialog)) return TRUE;
    wchar_t windowClass[128] = L"";
    GetClassNameW(control, windowClass, 128);
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, reinterpret_cast<HWND>(dialog), reinterpret_cast<POINT*>(&rect), 2);
    const bool visible = (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    std::printf("%d %ls %ld %ld %ld %ld %d", GetDlgCtrlID(control), windowClass, rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top, visible ? 1 : 0);
    ReportCaption(control, windowClass);
    std::printf("\n");
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
