// The About box as a native Win32 view: a window with a dialog frame, built
// from the About box's layout table at the monitor's DPI, shown modally over
// the main window with a message loop of its own. "OK" (also Enter and Escape)
// and "WWW" go to the behaviour (tarvel::ui::AboutBox); the box only shows.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "about_box.h"
#include "about_box_layout.h"
#include "platform.h"

class frmAbout : public tarvel::ui::AboutBoxView {
public:
    /// `platform` must outlive the box.
    frmAbout(HINSTANCE instance, tarvel::ui::Platform& platform);
    ~frmAbout() override;
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    /// Loads the box (Form_Load), gives it `icon` as its own and as picIcon's
    /// picture, and shows it over `owner`, which takes no input until it closes.
    void ShowModal(HWND owner, HICON icon);

    void SetVersionText(const std::string& text) override;
    void Close() override;

    /// The window's messages, from its window procedure.
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Load();
    void ApplyDpi(UINT dpi);

    BOOL OnCreate(HWND hwnd, LPCREATESTRUCTW create);
    void OnCommand(HWND hwnd, int id, HWND control, UINT code);
    void OnActivate(HWND hwnd, UINT state, HWND other, BOOL minimized);
    void OnPaint(HWND hwnd);
    HBRUSH OnCtlColor(HWND hwnd, HDC dc, HWND control, int type);
    void OnClose(HWND hwnd);
    void OnDestroy(HWND hwnd);

    void cmdOK_Click();
    void cmdSysInfo_Click();

    HINSTANCE instance_;
    tarvel::ui::AboutBox behaviour_;
    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    HFONT titleFont_ = nullptr;
    HWND focusBeforeDeactivation_ = nullptr;

    std::array<HWND, std::size(tarvel::ui::kAboutBoxControls)> controls_{};
    HWND cmdOK = nullptr;
    HWND picIcon = nullptr;
    HWND cmdSysInfo = nullptr;
    HWND lblDescription = nullptr;
    HWND lblDisclaimer = nullptr;
    HWND lblTitle = nullptr;
    HWND lblVersion = nullptr;
};
