// The main window's behaviour, with no toolkit in it: what loading the window,
// choosing a drive or a directory, a change on the disk under the lists,
// picking a form, switching the output option and pressing Convert, About and
// Exit do. It holds MainFormState, the
// directory shown and the directory each drive was last left at, and talks to
// the window only through MainWindowView and to the system only through
// Platform. The views (Qt Widgets on Linux, Win32 on Windows) forward their
// controls' events here and show what they are told; they hold no behaviour.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "main_form_state.h"
#include "platform.h"

namespace tarvel::ui {

enum class OutputTarget { File, Clipboard };

struct Colour {
    int red, green, blue;
    bool operator==(const Colour&) const = default;
};

/// Text1's background while it is enabled and while the clipboard is chosen.
inline constexpr Colour kEnabledBackground{255, 255, 255};
inline constexpr Colour kDisabledBackground{192, 192, 192};
/// Text1's text while it is greyed, for both views to draw it in: 5.7:1 against
/// kDisabledBackground, where the systems' own grey for disabled text (about
/// 109 on Windows, 190 in Qt's Fusion) leaves it at 2.8:1 or unreadable.
inline constexpr Colour kDisabledText{64, 64, 64};

/// One line of the directory list: the directories from the root down to the
/// one shown (open folders, each one deeper), then its subdirectories (closed,
/// one deeper than the directory shown).
struct DirectoryEntry {
    std::string name;  ///< what the line shows: the root in full, otherwise the directory's own name
    std::string path;  ///< the full path that choosing the line opens
    int depth = 0;     ///< 0 for the root
    bool open = false;
    bool operator==(const DirectoryEntry&) const = default;
};

/// What a view offers the behaviour. Setters never raise the view's own change
/// events: the behaviour runs whatever follows from a change itself. All texts are UTF-8.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    /// Drive1: fills the list, and shows one drive as chosen.
    virtual void ListDrives(const std::vector<std::string>& drives) = 0;
    virtual void ShowDrive(const std::string& drive) = 0;

    /// Dir1: the directory `path` with the lines to show; the line of `path` is the current one.
    virtual void ShowDirectory(const std::string& path, const std::vector<DirectoryEntry>& entries) = 0;

    /// File1: the form names to list, in order, none selected; and the name selected now.
    virtual void ListFiles(const std::vector<std::string>& names) = 0;
    virtual std::string SelectedFileName() const = 0;
    /// File1: selects `name`, one of the names listed, raising no Click.
    virtual void SelectFile(const std::string& name) = 0;

    /// Text1, the output file name.
    virtual std::string OutputName() const = 0;
    virtual void SetOutputName(const std::string& text) = 0;
    virtual void EnableOutputName(bool enabled, Colour background) = 0;

    /// Text3, chkDefine (checked, not grey) and the chosen one of Option1 and Option2.
    virtual std::string FirstIdText() const = 0;
    virtual bool DefinesChecked() const = 0;
    virtual OutputTarget ChosenOutput() const = 0;

    /// Text2, the result box below the visible part of the window.
    virtual void SetResultText(const std::string& text) = 0;

    /// A modal warning with one OK button; returns when it is dismissed.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    /// Empties the clipboard, then puts `text` on it as plain text.
    virtual void PutOnClipboard(const std::string& text) = 0;
    /// Loads the one About box, gives it the window's icon and shows it modally.
    virtual void ShowAboutBox() = 0;
    /// Ends the program at once: every window closes, nothing is saved.
    virtual void EndProgram() = 0;
};

struct DirectoryContents;

class MainWindow {
public:
    /// Both must outlive the behaviour.
    MainWindow(MainWindowView& view, Platform& platform);

    /// Form_Load: the drives, the start drive, then its root directory. With
    /// `startName` (from the command line) the lists open there instead, as
    /// Open does; a name that cannot be opened is told once the lists stand
    /// where they would without it.
    void Load(const std::string& startName = {});

    /// A form or folder named at start or dropped on the window: the lists go
    /// to its drive and directory (for a form, its folder, with the form picked
    /// as a click on it picks it, so Text1 gets its proposed name). A name that
    /// is not there, is no *.frm form or lies in a directory that cannot be
    /// read is told, and nothing moves.
    void Open(const std::string& name);

    /// Drive1_Change: the drive's remembered directory, else where the drive
    /// opens; a drive that cannot be read is told, and the drive of the
    /// directory still shown comes back.
    void ChooseDrive(const std::string& drive);

    /// A line of Dir1 chosen: shows that directory (Dir1_Change follows).
    /// One that cannot be opened is told, with the system's reason, and the
    /// lists stay on the directory shown, read again; if that directory is
    /// gone meanwhile, the lists move up from it instead.
    void OpenDirectory(const std::string& path);

    /// Something changed in the directory shown, or it was removed. While it is
    /// there, both lists are read again, and the form selected in File1 stays
    /// selected if it is still there (Text1 is left as it is); once it is gone,
    /// the lists move up to the nearest directory that is left. Views call this
    /// when the system tells them of a change.
    void DirectoryMayBeGone();

    /// File1_Click: proposes the output file name for the form picked.
    void PickFile(const std::string& name);

    /// Option1_Click and Option2_Click: enables or greys Text1; its text stays.
    void ChooseOutput(OutputTarget target);

    /// Command1_Click: converts the selected form to a file or the clipboard.
    /// Every failure, an exception included, ends in a message box.
    void Convert();

    /// Command2_Click.
    void ShowAbout();

    /// Command3_Click.
    void Exit();

    const MainFormState& state() const { return state_; }
    const std::string& drive() const { return drive_; }
    /// The directory shown, in the system's spelling, without a final separator (but for a root).
    const std::string& directory() const { return directory_; }

private:
    std::string OpenNamed(const std::string& name);
    bool ShowDirectory(const std::string& path);
    bool ShowDirectory(const std::string& path, std::error_code& reason);
    std::optional<DirectoryContents> ReadContents(const std::string& directory, std::error_code& reason) const;
    void Show(const std::filesystem::path& directory, const DirectoryContents& contents);
    void ReadShownDirectoryAgain();
    void DirectoryChanged(const std::vector<std::string>& forms);
    void ConvertSelectedForm(std::string& form);
    void Tell(const std::string& text);

    MainWindowView& view_;
    Platform& platform_;
    MainFormState state_;
    std::string drive_;
    std::string directory_;
    // Each drive keeps the directory last shown on it, so coming back to a drive
    // (also after one that was not ready) returns to where the user was.
    std::map<std::string, std::string> driveDirectories_;
};

/// The output file name proposed for a form: the name less its last three
/// characters, then "rc" (Form1.frm gives Form1.rc, MENU.FRM gives MENU.rc).
std::string ProposedOutputName(const std::string& formName);

/// The names of `items` to list: subdirectories and *.frm files (any case), each sorted whatever the case.
struct DirectoryContents {
    std::vector<std::string> subdirectories;
    std::vector<std::string> forms;
};
DirectoryContents SortDirectory(const std::vector<DirectoryItem>& items);

}  // namespace tarvel::ui
