#include "frm_about.h"

#include <windowsx.h>

#include <cmath>
#include <cwchar>

#include "window_support.h"

namespace {

using tarvel::ui::ControlKind;
using tarvel::ui::ControlPlace;
using tarvel::ui::kAboutBoxControls;
using tarvel::ui::WideFromUtf8;
using namespace tarvel::ui::win32;

constexpr wchar_t kWindowClass[] = L"frmAbout";

HFONT CreateTitleFont(UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(tarvel::ui::kAboutTitleFontPoints * dpi / 72));
    font.lfWeight = FW_BOLD;
    font.lfCharSet = static_cast<BYTE>(tarvel::ui::kCentralEuropeanCharset);
    std::wcsncpy(font.lfFaceName, WideFromUtf8(tarvel::ui::kAboutTitleFont).c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

}  // namespace

frmAbout::frmAbout(HINSTANCE instance, tarvel::ui::Platform& platform)
    : instance_(instance), behaviour_(*this, platform) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &ForwardToView<frmAbout>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
}

frmAbout::~frmAbout() {
    if (window_ != nullptr) DestroyWindow(window_);
    for (HFONT font : {font_, titleFont_})
        if (font != nullptr) DeleteObject(font);
}

void frmAbout::ShowModal(HWND owner, HICON icon) {
    owner_ = owner;
    Load();
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    Static_SetIcon(picIcon, icon);

    EnableWindow(owner, FALSE);
    ShowWindow(window_, SW_SHOW);
    MSG message;
    while (window_ != nullptr) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the quit goes on to the main loop.
            PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 1);
            break;
        }
        if (!IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (window_ != nullptr) Close();
}

// Form_Load, on a new window each time: the box is unloaded when it closes.
void frmAbout::Load() {
    RECT ownerRect{};
    GetWindowRect(owner_, &ownerRect);
    // Created where the main window is, so that it takes that monitor's DPI.
    CreateWindowExW(WS_EX_DLGMODALFRAME, kWindowClass, WideFromUtf8(tarvel::ui::kAboutCaption).c_str(),
                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS, ownerRect.left, ownerRect.top, 0, 0, owner_,
                    nullptr, instance_, this);
    PlaceClientCentred(window_, Px(tarvel::ui::kAboutBoxWidth, dpi_), Px(tarvel::ui::kAboutBoxHeight, dpi_), dpi_);
    focusBeforeDeactivation_ = cmdOK;
    behaviour_.Load();
}

LRESULT frmAbout::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) window_ = hwnd;
    switch (message) {
        HANDLE_MSG(hwnd, WM_CREATE, OnCreate);
        HANDLE_MSG(hwnd, WM_COMMAND, OnCommand);
        HANDLE_MSG(hwnd, WM_ACTIVATE, OnActivate);
        HANDLE_MSG(hwnd, WM_PAINT, OnPaint);
        HANDLE_MSG(hwnd, WM_CTLCOLORSTATIC, OnCtlColor);
        HANDLE_MSG(hwnd, WM_CLOSE, OnClose);
        HANDLE_MSG(hwnd, WM_DESTROY, OnDestroy);
    }
    return HandleSharedMessage(hwnd, message, wParam, lParam, tarvel::ui::kAboutBoxWidth, tarvel::ui::kAboutBoxHeight,
                               [this](UINT dpi) { ApplyDpi(dpi); });
}

BOOL frmAbout::OnCreate(HWND hwnd, LPCREATESTRUCTW) {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlPlace& place = kAboutBoxControls[i];
        const wchar_t* className = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        int id = static_cast<int>(1000 + i);
        if (place.kind == ControlKind::Button) {
            className = L"BUTTON";
            style |= WS_TABSTOP;
            // OK is the default button, and Enter and Escape reach it as IDOK and IDCANCEL.
            if (place.name == "cmdOK") style |= BS_DEFPUSHBUTTON, id = IDOK;
        } else if (place.kind == ControlKind::Picture) {
            style |= SS_ICON;
        } else {
            style |= SS_LEFT | SS_NOPREFIX;
        }
        controls_[i] = CreateWindowExW(0, className, WideFromUtf8(place.text).c_str(), style, 0, 0, 0, 0, hwnd,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    }
    cmdOK = controls_[0];
    picIcon = controls_[1];
    cmdSysInfo = controls_[2];
    lblDescription = controls_[3];
    lblDisclaimer = controls_[4];
    lblTitle = controls_[5];
    lblVersion = controls_[6];
    ApplyDpi(WindowDpi(hwnd));
    return TRUE;
}

void frmAbout::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    for (HFONT font : {font_, titleFont_})
        if (font != nullptr) DeleteObject(font);
    font_ = CreateDialogFont(dpi);
    titleFont_ = CreateTitleFont(dpi);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlPlace& place = kAboutBoxControls[i];
        SetWindowFont(controls_[i], controls_[i] == lblTitle ? titleFont_ : font_, FALSE);
        // The picture box keeps its corner and takes its picture's size.
        const UINT sizing = place.kind == ControlKind::Picture ? SWP_NOSIZE : 0;
        SetWindowPos(controls_[i], nullptr, Px(place.left, dpi), Px(place.top, dpi), Px(place.width, dpi),
                     Px(place.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE | sizing);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void frmAbout::OnCommand(HWND hwnd, int id, HWND control, UINT code) {
    // Enter while "WWW" has the focus presses it; otherwise Enter and Escape press OK.
    if (id == IDOK && GetFocus() == cmdSysInfo) PressFocusedButton(hwnd);
    else if (id == IDOK || id == IDCANCEL) cmdOK_Click();
    else if (control == cmdSysInfo && code == BN_CLICKED) cmdSysInfo_Click();
}

void frmAbout::OnActivate(HWND hwnd, UINT state, HWND, BOOL minimized) {
    KeepFocusAcrossActivation(hwnd, state, minimized, focusBeforeDeactivation_, cmdOK);
}

// Line1: the engraved rule, drawn as strips so that the white one lies just below the grey one.
void frmAbout::OnPaint(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    for (const tarvel::ui::RulePlace& line : tarvel::ui::kAboutBoxRule) {
        const int top = Px(line.top, dpi_);
        const RECT strip{Px(line.left, dpi_), top, Px(line.right, dpi_), top + MulDiv(line.pixels, static_cast<int>(dpi_), 96)};
        HBRUSH brush = CreateSolidBrush(RGB(line.red, line.green, line.blue));
        FillRect(dc, &strip, brush);
        DeleteObject(brush);
    }
    EndPaint(hwnd, &paint);
}

HBRUSH frmAbout::OnCtlColor(HWND, HDC dc, HWND, int) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

// Closing the box with its close box unloads it, as OK does.
void frmAbout::OnClose(HWND) { Close(); }

void frmAbout::OnDestroy(HWND) { window_ = nullptr; }

void frmAbout::cmdOK_Click() { behaviour_.PressOk(); }

void frmAbout::cmdSysInfo_Click() { behaviour_.OpenHomePage(); }

void frmAbout::SetVersionText(const std::string& text) { SetWindowTextUtf8(lblVersion, text); }

void frmAbout::Close() {
    // The main window takes input again before the box goes, so that it, and
    // no other program, becomes the active window.
    if (owner_ != nullptr) EnableWindow(owner_, TRUE);
    if (window_ != nullptr) DestroyWindow(window_);
}
