// The main window as a native Win32 view: it creates and places the controls
// of the shared layout table at the monitor's DPI, forwards each control's
// event to the behaviour (tarvel::ui::MainWindow) and shows what the behaviour
// tells it. The handlers carry the names of the events they answer; none
// decides anything itself. It also watches the directory shown, so that the
// behaviour hears when it changes on the disk, and takes forms and folders
// dropped on it from Explorer. Folders and drives have the shell's icons.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "main_window.h"
#include "main_window_layout.h"
#include "platform.h"

class frmAbout;

class frmMain : public tarvel::ui::MainWindowView {
public:
    /// Loads the window hidden, centred on its monitor, its controls not made
    /// yet (Show makes them); `platform` must outlive it.
    frmMain(HINSTANCE instance, tarvel::ui::Platform& platform);
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    HWND hwnd() const { return window_; }

    /// Shows the window as ShowWindow does, then makes its controls, which are
    /// painted with it the first time the message loop runs: under Wine every
    /// control costs its share of the start, and this way it comes after the
    /// window is on the screen rather than before.
    void Show(int showCommand);

    /// Form_Load, on `startName` (a form or folder) when one is given, from
    /// the message loop: call it once the window is shown, and it runs when the
    /// window is on the screen, before its first paint; a message about the
    /// name comes over the window, not before it.
    void Load(const std::string& startName);

    /// The change notification of the directory shown, for the message loop to
    /// wait on; null while none is watched.
    HANDLE DirectoryWatch() const { return directoryWatch_; }
    /// The message loop saw DirectoryWatch() signalled.
    void DirectoryWatchSignalled();

    void ListDrives(const std::vector<std::string>& drives) override;
    void ShowDrive(const std::string& drive) override;
    void ShowDirectory(const std::string& path, const std::vector<tarvel::ui::DirectoryEntry>& entries) override;
    void ListFiles(const std::vector<std::string>& names) override;
    void SelectFile(const std::string& name) override;
    std::string SelectedFileName() const override;
    std::string OutputName() const override;
    void SetOutputName(const std::string& text) override;
    void EnableOutputName(bool enabled, tarvel::ui::Colour background) override;
    std::string FirstIdText() const override;
    bool DefinesChecked() const override;
    tarvel::ui::OutputTarget ChosenOutput() const override;
    void SetResultText(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    void PutOnClipboard(const std::string& text) override;
    void ShowAboutBox() override;
    void EndProgram() override;

    /// The window's messages, from its window procedure.
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void CreateControls();
    void PlaceControls();
    void ApplyDpi(UINT dpi);
    /// The window's own icons at its DPI, given to it in place of the class's.
    void LoadIcons();
    void MeasureLines();
    void WatchDirectory(const std::string& path);
    void StopWatching();

    BOOL OnCreate(HWND hwnd, LPCREATESTRUCTW create);
    void OnCommand(HWND hwnd, int id, HWND control, UINT code);
    void OnActivate(HWND hwnd, UINT state, HWND other, BOOL minimized);
    void OnMeasureItem(HWND hwnd, MEASUREITEMSTRUCT* item);
    void OnDrawItem(HWND hwnd, const DRAWITEMSTRUCT* item);
    void OnDropFiles(HWND hwnd, HDROP drop);
    HBRUSH OnCtlColor(HWND hwnd, HDC dc, HWND control, int type);
    void OnDestroy(HWND hwnd);

    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Option1_Click();
    void Option2_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    HINSTANCE instance_;
    tarvel::ui::Platform& platform_;
    tarvel::ui::MainWindow behaviour_;
    std::unique_ptr<frmAbout> aboutBox_;
    std::string startName_;

    HWND window_ = nullptr;
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HICON openFolder_ = nullptr;
    HICON closedFolder_ = nullptr;
    std::vector<HICON> driveIcons_;  // the shell's, one for each line of Drive1
    HWND focusBeforeDeactivation_ = nullptr;

    std::vector<tarvel::ui::DirectoryEntry> directoryLines_;
    HANDLE directoryWatch_ = nullptr;
    std::string watchedDirectory_;

    tarvel::ui::Colour text1Background_ = tarvel::ui::kEnabledBackground;
    HBRUSH text1Brush_ = nullptr;

    // The controls in the order of the layout table, which is the tab order.
    std::array<HWND, std::size(tarvel::ui::kMainWindowControls)> controls_{};
    HWND Dir1 = nullptr;
    HWND Drive1 = nullptr;
    HWND File1 = nullptr;
    HWND Text1 = nullptr;
    HWND Label1 = nullptr;
    HWND Command1 = nullptr;
    HWND Command2 = nullptr;
    HWND Command3 = nullptr;
    HWND Text2 = nullptr;
    HWND Frame1 = nullptr;
    HWND Text3 = nullptr;
    HWND Label2 = nullptr;
    HWND chkDefine = nullptr;
    HWND Frame2 = nullptr;
    HWND Option1 = nullptr;
    HWND Option2 = nullptr;
};
