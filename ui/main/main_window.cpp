#include "main_window.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>

#include "ascii.h"
#include "conversion_call.h"
#include "error_messages.h"
#include "leading_number.h"

namespace tarvel::ui {
namespace {

constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

void SortWhateverTheCase(std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) keyed.emplace_back(LowerAscii(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
}

// The directories from the root down to `directory`, worked out from the text
// alone: the directories on the way up may be gone, and asking the disk would
// then end the walk early.
std::vector<std::filesystem::path> RootDown(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> chain;
    for (std::filesystem::path up = directory;; up = up.parent_path()) {
        chain.push_back(up);
        if (up == up.root_path() || up.parent_path() == up || up.parent_path().empty()) break;
    }
    std::reverse(chain.begin(), chain.end());
    return chain;
}

// The full, normal spelling of a directory the lists are asked to show, without
// a final separator but for a root.
std::filesystem::path FullPath(const std::string& requested, const std::string& drive) {
    std::filesystem::path path = PathFromUtf8(requested);
    // "\" is the root of the drive chosen, as on Windows a path without a drive letter is.
    if (!path.has_root_name() && path.has_root_directory())
        path = PathFromUtf8(drive).root_name().concat(path.native());
    if (path.is_relative()) {
        std::error_code ignored;
        path = std::filesystem::absolute(path, ignored);
    }
    path = path.lexically_normal();
    if (!path.has_filename() && path != path.root_path()) path = path.parent_path();
    return path;
}

// Dir1's lines for `directory`: the way down from the root, open, then its subdirectories.
std::vector<DirectoryEntry> DirectoryLines(const std::filesystem::path& directory,
                                           const std::vector<std::string>& subdirectories) {
    std::vector<DirectoryEntry> entries;
    int depth = 0;
    for (const std::filesystem::path& step : RootDown(directory)) {
        const bool root = step == step.root_path();
        entries.push_back({Utf8FromPath(root ? step : step.filename()), Utf8FromPath(step), depth++, true});
    }
    for (const std::string& name : subdirectories)
        entries.push_back({name, Utf8FromPath(directory / PathFromUtf8(name)), depth, false});
    return entries;
}

bool IsFormName(const std::string& name) {
    return name.size() >= 4 && EqualNoCase(std::string_view(name).substr(name.size() - 4), ".frm");
}

// The name under which File1 lists the form at `path` in `directory`: its own,
// or where names are compared without case (Windows) the spelling on the disk;
// empty when the list leaves it out (a hidden file).
std::string ListedName(const std::vector<std::string>& forms, const std::filesystem::path& directory,
                       const std::filesystem::path& path) {
    const std::string own = Utf8FromPath(path.filename());
    if (std::find(forms.begin(), forms.end(), own) != forms.end()) return own;
    for (const std::string& form : forms) {
        std::error_code ignored;
        if (form.size() == own.size() && std::filesystem::equivalent(directory / PathFromUtf8(form), path, ignored))
            return form;
    }
    return {};
}

}  // namespace

MainWindow::MainWindow(MainWindowView& view, Platform& platform) : view_(view), platform_(platform) {}

void MainWindow::Load(const std::string& startName) {
    view_.ListDrives(platform_.Drives());
    std::string problem;
    // Straight to the name given: listing the start directory first would only cost time.
    if (!startName.empty() && (problem = OpenNamed(startName)).empty()) return;
    ChooseDrive(platform_.StartDrive());
    // The start drive mostly opens at the start directory already; listing it a second time would only cost time.
    if (Utf8FromPath(FullPath(platform_.StartDirectory(), drive_)) != directory_) ShowDirectory(platform_.StartDirectory());
    if (!problem.empty()) Tell(problem);
}

void MainWindow::Open(const std::string& name) {
    const std::string problem = OpenNamed(name);
    if (!problem.empty()) Tell(problem);
}

// Shows what `name` names; when it cannot, moves nothing and says why.
std::string MainWindow::OpenNamed(const std::string& name) {
    const std::filesystem::path path = FullPath(name, drive_);
    const std::string shown = Utf8FromPath(path);
    std::error_code reason;
    const std::filesystem::file_status status = std::filesystem::status(path, reason);
    if (!std::filesystem::exists(status)) {
        if (!reason) reason = std::make_error_code(std::errc::no_such_file_or_directory);
        return NothingToOpenMessage(shown, ReasonText(reason));
    }
    const bool folder = std::filesystem::is_directory(status);
    if (!folder && !std::filesystem::is_regular_file(status)) return ConversionFailureMessage({ErrorKind::NotARegularFile, shown});
    if (!folder && !IsFormName(Utf8FromPath(path.filename()))) return NotAFormMessage(shown);

    const std::filesystem::path directory = folder ? path : path.parent_path();
    const std::string directoryText = Utf8FromPath(directory);
    const std::optional<DirectoryContents> contents = ReadContents(directoryText, reason);
    if (!contents) return DirectoryUnreadableMessage(directoryText, ReasonText(reason));
    const std::string form = folder ? std::string() : ListedName(contents->forms, directory, path);
    if (!folder && form.empty()) return HiddenFormMessage(shown);

    // The drive list follows, as when the user picks the drive and then the directory.
    const std::string drive = platform_.DriveOf(directoryText);
    if (drive != drive_) {
        drive_ = drive;
        view_.ShowDrive(drive);
    }
    Show(directory, *contents);
    if (!folder) {
        view_.SelectFile(form);
        PickFile(form);  // File1_Click
    }
    return {};
}

void MainWindow::ChooseDrive(const std::string& drive) {
    drive_ = drive;
    view_.ShowDrive(drive);
    const auto remembered = driveDirectories_.find(drive);
    if (remembered != driveDirectories_.end() && ShowDirectory(remembered->second)) return;
    if (ShowDirectory(platform_.DriveDirectory(drive))) return;

    Tell(std::string(kDriveNotReadyMessage));
    // Back to the drive of the directory still shown, which opens there again.
    const std::string back = platform_.DriveOf(directory_);
    if (back != drive) ChooseDrive(back);
}

void MainWindow::OpenDirectory(const std::string& path) {
    std::error_code reason;
    if (ShowDirectory(path, reason)) return;
    // The directory shown went first, taking the one chosen with it: the lists just move up.
    if (!directory_.empty() && !platform_.IsDirectory(directory_)) return DirectoryMayBeGone();
    Tell(DirectoryUnreadableMessage(Utf8FromPath(FullPath(path, drive_)), ReasonText(reason)));
    // One removed after it was listed goes from the list now.
    ReadShownDirectoryAgain();
}

void MainWindow::DirectoryMayBeGone() {
    if (directory_.empty()) return;
    if (platform_.IsDirectory(directory_)) return ReadShownDirectoryAgain();
    for (std::filesystem::path up = PathFromUtf8(directory_).parent_path(); !ShowDirectory(Utf8FromPath(up));
         up = up.parent_path()) {
        if (up == up.root_path() || up.parent_path() == up) return;  // not even the root is left to show
    }
    // The drive list follows when the way up leaves the drive, as a pulled-out stick's.
    const std::string drive = platform_.DriveOf(directory_);
    if (drive != drive_) {
        drive_ = drive;
        view_.ShowDrive(drive);
    }
}

bool MainWindow::ShowDirectory(const std::string& requested) {
    std::error_code ignored;
    return ShowDirectory(requested, ignored);
}

bool MainWindow::ShowDirectory(const std::string& requested, std::error_code& reason) {
    const std::filesystem::path path = FullPath(requested, drive_);
    const std::optional<DirectoryContents> contents = ReadContents(Utf8FromPath(path), reason);
    if (!contents) return false;
    Show(path, *contents);
    return true;
}

std::optional<DirectoryContents> MainWindow::ReadContents(const std::string& directory, std::error_code& reason) const {
    const std::optional<std::vector<DirectoryItem>> items = platform_.ReadDirectory(directory, reason);
    if (!items) return std::nullopt;
    return SortDirectory(*items);
}

void MainWindow::Show(const std::filesystem::path& directory, const DirectoryContents& contents) {
    directory_ = Utf8FromPath(directory);
    view_.ShowDirectory(directory_, DirectoryLines(directory, contents.subdirectories));
    DirectoryChanged(contents.forms);
}

// The same directory with what the disk holds now; dirPath and Text1 stay, and
// so does the form picked, unless it went.
void MainWindow::ReadShownDirectoryAgain() {
    std::error_code reason;
    const std::optional<std::vector<DirectoryItem>> items = platform_.ReadDirectory(directory_, reason);
    if (!items) return;  // unreadable for the moment: the lists keep what they showed
    const DirectoryContents contents = SortDirectory(*items);
    view_.ShowDirectory(directory_, DirectoryLines(PathFromUtf8(directory_), contents.subdirectories));
    const std::string selected = view_.SelectedFileName();
    view_.ListFiles(contents.forms);
    if (!selected.empty() && std::find(contents.forms.begin(), contents.forms.end(), selected) != contents.forms.end())
        view_.SelectFile(selected);
}

// Dir1_Change: dirPath and the file list follow the directory shown.
void MainWindow::DirectoryChanged(const std::vector<std::string>& forms) {
    state_.dirPath = directory_;
    // A root such as C:\ already ends in one and gets none added.
    if (!state_.dirPath.ends_with(kSeparator)) state_.dirPath += kSeparator;
    view_.ListFiles(forms);
    driveDirectories_[platform_.DriveOf(directory_)] = directory_;
}

void MainWindow::PickFile(const std::string& name) {
    view_.SetOutputName(state_.dirPath + ProposedOutputName(name));
}

void MainWindow::ChooseOutput(OutputTarget target) {
    const bool toFile = target == OutputTarget::File;
    view_.EnableOutputName(toFile, toFile ? kEnabledBackground : kDisabledBackground);
}

void MainWindow::Convert() {
    std::string form;
    // The last guard: whatever escapes is told, and the window goes on.
    try {
        ConvertSelectedForm(form);
    } catch (const std::bad_alloc&) {
        Tell(ConversionFailureMessage(FileError(ErrorKind::OutOfMemory, form)));
    } catch (const std::filesystem::filesystem_error& error) {
        Tell(FileOperationFailedMessage(error.path1().empty() ? form : Utf8FromPath(error.path1()),
                                        ReasonText(error.code())));
    } catch (const std::exception& error) {
        Tell(ConversionFailedMessage(form, error.what()));
    }
}

void MainWindow::ConvertSelectedForm(std::string& form) {
    view_.SetResultText({});
    const std::string name = view_.SelectedFileName();
    form = state_.dirPath + name;
    if (name.empty()) return Tell(NoFormChosenMessage(state_.dirPath));
    const std::string firstIdText = view_.FirstIdText();
    const std::optional<std::int32_t> firstId = ReadLeadingNumber(firstIdText);
    if (!firstId) return Tell(FirstIdOutOfRangeMessage(firstIdText));

    ConversionOrder order;
    order.form = PathFromUtf8(form);
    order.rc.firstId = *firstId;
    order.rc.useDefines = view_.DefinesChecked();
    order.systemCodePage = platform_.AnsiCodePage();
    const OutputTarget target = view_.ChosenOutput();
    if (target == OutputTarget::File) {
        const std::string outputName = view_.OutputName();
        std::filesystem::path output = PathFromUtf8(outputName);
        // A name without a folder goes beside the forms shown, not wherever the program was started.
        if (!outputName.empty() && output.is_relative()) output = PathFromUtf8(state_.dirPath) / output;
        order.outputFile = output;
    }

    const ConversionOutcome outcome = RunConvert(order);
    if (outcome.failure) return Tell(ConversionFailureMessage(*outcome.failure));
    // The decoded text itself goes on the clipboard, not what a text box gives
    // back, which may be LF for CR LF and a space for a no-break space; it is
    // read in the code page the form's own text is in.
    const std::string text = DecodeText(outcome.text, outcome.codePage);
    view_.SetResultText(text);
    if (target == OutputTarget::Clipboard) view_.PutOnClipboard(text);
    if (!outcome.lost.empty()) Tell(LostStringsMessage(outcome.lost));
}

void MainWindow::ShowAbout() { view_.ShowAboutBox(); }

void MainWindow::Exit() { view_.EndProgram(); }

void MainWindow::Tell(const std::string& text) { view_.ShowMessage(text, std::string(kErrorTitle)); }

std::string ProposedOutputName(const std::string& formName) {
    // The last three characters go, whatever they are; a character may take several UTF-8 bytes.
    std::size_t end = formName.size();
    for (int characters = 0; characters < 3 && end > 0; ++characters) {
        do --end;
        while (end > 0 && (static_cast<unsigned char>(formName[end]) & 0xC0) == 0x80);
    }
    return formName.substr(0, end) + "rc";
}

DirectoryContents SortDirectory(const std::vector<DirectoryItem>& items) {
    DirectoryContents contents;
    for (const DirectoryItem& item : items) {
        if (item.isDirectory) contents.subdirectories.push_back(item.name);
        else if (IsFormName(item.name)) contents.forms.push_back(item.name);
    }
    SortWhateverTheCase(contents.subdirectories);
    SortWhateverTheCase(contents.forms);
    return contents;
}

}  // namespace tarvel::ui
