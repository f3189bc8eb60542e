#include "window_support.h"

#include <windowsx.h>
#include <commctrl.h>

#include <cwchar>

#include "platform.h"
#include "system_functions_windows.h"

namespace tarvel::ui::win32 {
namespace {

using GetDpiForWindowFunction = UINT WINAPI(HWND);
using AdjustWindowRectExForDpiFunction = BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT);

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

RECT WindowRectForClient(HWND window, int width, int height, UINT dpi) {
    RECT rect{0, 0, width, height};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    static auto* const adjustForDpi =
        SystemFunction<AdjustWindowRectExForDpiFunction>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (adjustForDpi != nullptr) adjustForDpi(&rect, style, FALSE, exStyle, dpi);
    else AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return rect;
}

}  // namespace

UINT WindowDpi(HWND window) {
    static auto* const forWindow = SystemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (forWindow != nullptr) {
        const UINT dpi = forWindow(window);
        if (dpi != 0) return dpi;
    }
    return SystemDpi();
}

HFONT CreateDialogFont(UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(8, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    std::wcscpy(font.lfFaceName, L"MS Shell Dlg");
    return CreateFontIndirectW(&font);
}

void LoadCommonControls() {
    // By name alone, not from system32: the manifest's activation context
    // redirects the name to version 6 (themed controls), as it does the import it replaces.
    static const HMODULE module = LoadLibraryW(L"comctl32.dll");
    if (module == nullptr) return;
    using InitFunction = BOOL WINAPI(const INITCOMMONCONTROLSEX*);
    static auto* const init =
        reinterpret_cast<InitFunction*>(reinterpret_cast<void (*)()>(GetProcAddress(module, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    if (init != nullptr) init(&controls);
}

void PlaceClientCentred(HWND window, int width, int height, UINT dpi) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT frame = WindowRectForClient(window, width, height, dpi);
    const RECT& area = monitor.rcWork;
    const int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - frameWidth) / 2,
                 area.top + (area.bottom - area.top - frameHeight) / 2, frameWidth, frameHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void ResizeClient(HWND window, int left, int top, int width, int height, UINT dpi) {
    const RECT frame = WindowRectForClient(window, width, height, dpi);
    SetWindowPos(window, nullptr, left, top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON LoadProgramIcon(HINSTANCE instance, int size) {
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void MoveFocus(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND next = lParam != 0 ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
    if (next == nullptr) return;
    const auto isOption = [](HWND control) { return (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0; };
    if (isOption(next) && lParam == 0) {
        for (HWND member = next;;) {
            if (Button_GetCheck(member) == BST_CHECKED) {
                next = member;
                break;
            }
            member = GetNextDlgGroupItem(window, member, FALSE);
            if (member == nullptr || member == next) break;
        }
    } else if (isOption(next) && Button_GetCheck(next) != BST_CHECKED) {
        SetFocus(next);
        SendMessageW(next, BM_CLICK, 0, 0);  // as the mouse would, so the button's own handler runs
        return;
    }
    SetFocus(next);
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) Edit_SetSel(next, 0, -1);
}

bool PressFocusedButton(HWND window) {
    const HWND focus = GetFocus();
    if (focus == nullptr || !IsChild(window, focus)) return false;
    if (!(SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) return false;
    SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

void KeepFocusAcrossActivation(HWND window, UINT state, BOOL minimized, HWND& remembered, HWND first) {
    if (state == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) remembered = focus;
    } else if (!minimized) {
        SetFocus(remembered != nullptr && IsChild(window, remembered) ? remembered : first);
    }
}

std::string WindowTextUtf8(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Utf8FromWide(text);
}

void SetWindowTextUtf8(HWND window, std::string_view text) { SetWindowTextW(window, WideFromUtf8(text).c_str()); }

}  // namespace tarvel::ui::win32
