// What both Win32 windows need from the system beyond their own controls: the
// monitor's dots per inch and twips turned into pixels at them, the dialog font
// at a given DPI, window texts as UTF-8, placing a window's client area in the
// middle of its monitor, and the program's icon. The DPI calls of newer Windows
// versions are looked up at run time, so the program still starts on Windows 7.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tarvel::ui::win32 {

/// The resource number of the program's icon (the first icon, which Explorer shows).
inline constexpr int kProgramIconId = 1;

/// The DPI of the monitor `window` is on (96 where the system cannot tell per monitor).
UINT WindowDpi(HWND window);

/// `twips` (1/1440 inch) in pixels at `dpi`: 15 twips a pixel at 96 dpi.
inline int Px(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

/// The font every control without one of its own uses: 8-point MS Shell Dlg,
/// the system's dialog font, at `dpi`. The caller deletes it.
HFONT CreateDialogFont(UINT dpi);

/// Loads the common controls, version 6 as the manifest asks, and registers
/// their standard classes: called once a window of the program's own is on
/// the screen and before the first control is made, as the window needs none.
void LoadCommonControls();

/// Resizes and moves `window` so that its client area is `width` x `height`
/// pixels, centred in the work area of the monitor it is on.
void PlaceClientCentred(HWND window, int width, int height, UINT dpi);

/// Moves `window` so that its frame's client area is `width` x `height` at `dpi`,
/// keeping its top-left corner (after a change of monitor).
void ResizeClient(HWND window, int left, int top, int width, int height, UINT dpi);

/// The program's icon at the size the system uses for a small or large icon.
HICON LoadProgramIcon(HINSTANCE instance, int size);

/// WM_NEXTDLGCTL for a window that is no dialog but is driven by IsDialogMessage:
/// Tab and Shift+Tab go to the next or previous tab stop (into a group of option
/// buttons, to the chosen one), an arrow onto an option button chooses it, and a
/// text box reached this way has its text selected.
void MoveFocus(HWND window, WPARAM wParam, LPARAM lParam);

/// Enter where no button is the default: presses the push button that has the
/// focus, if one has. False when the focus is elsewhere.
bool PressFocusedButton(HWND window);

/// The window procedure of a window created with its view as CreateWindowExW's
/// last argument: from WM_NCCREATE on, every message goes to View::HandleMessage.
template <class View>
LRESULT CALLBACK ForwardToView(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* view = reinterpret_cast<View*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return view != nullptr ? view->HandleMessage(window, message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

/// What both windows answer alike, for the messages their views leave:
/// WM_NEXTDLGCTL moves the focus as in a dialog; WM_DPICHANGED hands the new
/// DPI to `applyDpi` and moves the window to the place Windows suggests, with a
/// client area of `width` x `height` twips; the rest go to DefWindowProcW.
template <class ApplyDpi>
LRESULT HandleSharedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int width, int height,
                            ApplyDpi applyDpi) {
    switch (message) {
        case WM_NEXTDLGCTL:
            MoveFocus(window, wParam, lParam);
            return 0;
        case WM_DPICHANGED: {
            const UINT dpi = HIWORD(wParam);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            applyDpi(dpi);
            ResizeClient(window, suggested->left, suggested->top, Px(width, dpi), Px(height, dpi), dpi);
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

/// WM_ACTIVATE as a dialog answers it: the focus leaves with the window and
/// comes back to the control that had it (`remembered`), at first to `first`.
void KeepFocusAcrossActivation(HWND window, UINT state, BOOL minimized, HWND& remembered, HWND first);

std::string WindowTextUtf8(HWND window);
void SetWindowTextUtf8(HWND window, std::string_view text);

}  // namespace tarvel::ui::win32
