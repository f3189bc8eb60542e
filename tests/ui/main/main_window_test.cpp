// The main window's behaviour with a fake view, on real files: start-up, the
// file browser and dirPath, drives that are not ready and directories removed
// under the window, the proposed output name and the output options, and
// Convert to a file and to the clipboard, checked against tarvel-rc's bytes,
// with every way it can fail told in Polish.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>
#include <system_error>

#include "error_messages.h"
#include "main_window.h"
#include "test_files.h"
#include "test_platform.h"

namespace {

using namespace tarvel::ui;

struct Message {
    std::string text;
    std::string title;
    std::string directory;  ///< what Dir1 showed when the message came
};

// Holds what the behaviour shows, and answers what it reads, as a window's controls would.
class FakeView : public MainWindowView {
public:
    std::vector<std::string> drives;
    std::string drive;
    std::string directory;
    std::vector<DirectoryEntry> entries;
    std::vector<std::string> files;
    std::string selected;
    std::string outputName;
    bool outputEnabled = true;
    Colour outputBackground = kEnabledBackground;
    std::string firstIdText = "100";
    bool defines = true;
    OutputTarget output = OutputTarget::File;
    std::string result;
    std::vector<Message> messages;
    std::optional<std::string> clipboard;
    int aboutBoxes = 0;
    int ends = 0;
    std::function<void()> whenOutputNameIsRead;

    void ListDrives(const std::vector<std::string>& list) override { drives = list; }
    void ShowDrive(const std::string& shown) override { drive = shown; }
    void ShowDirectory(const std::string& path, const std::vector<DirectoryEntry>& lines) override {
        directory = path;
        entries = lines;
    }
    void ListFiles(const std::vector<std::string>& names) override {
        files = names;
        selected.clear();
    }
    std::string SelectedFileName() const override { return selected; }
    void SelectFile(const std::string& name) override { selected = name; }
    std::string OutputName() const override {
        if (whenOutputNameIsRead) whenOutputNameIsRead();
        return outputName;
    }
    void SetOutputName(const std::string& text) override { outputName = text; }
    void EnableOutputName(bool enabled, Colour background) override {
        outputEnabled = enabled;
        outputBackground = background;
    }
    std::string FirstIdText() const override { return firstIdText; }
    bool DefinesChecked() const override { return defines; }
    OutputTarget ChosenOutput() const override { return output; }
    void SetResultText(const std::string& text) override { result = text; }
    void ShowMessage(const std::string& text, const std::string& title) override {
        messages.push_back({text, title, directory});
    }
    void PutOnClipboard(const std::string& text) override { clipboard = text; }
    void ShowAboutBox() override { ++aboutBoxes; }
    void EndProgram() override { ++ends; }
};

std::string Reason(std::errc code) { return std::make_error_code(code).message(); }

class MainWindowTest : public ::testing::Test {
protected:
    void Open(const std::string& directory) {
        window_.OpenDirectory(directory);
        ASSERT_EQ(view_.directory, directory);
    }
    // A click on a name of the file list, as the view reports it.
    void Pick(const std::string& name) {
        ASSERT_NE(std::find(view_.files.begin(), view_.files.end(), name), view_.files.end()) << name;
        view_.selected = name;
        window_.PickFile(name);
    }
    void ExpectOneMessage(const std::string& text) {
        ASSERT_EQ(view_.messages.size(), 1u);
        EXPECT_EQ(view_.messages[0].text, text);
        EXPECT_EQ(view_.messages[0].title, "Błąd");
        view_.messages.clear();
    }

    ScratchDirectory work_;
    TestPlatform platform_;
    FakeView view_;
    MainWindow window_{view_, platform_};
};

TEST_F(MainWindowTest, LoadPutsTheListsOnTheStartDriveAndItsRoot) {
    window_.Load();
    EXPECT_EQ(view_.drives, std::vector<std::string>{"/"});
    EXPECT_EQ(view_.drive, "/");
    EXPECT_EQ(view_.directory, "/");
    EXPECT_EQ(window_.state().dirPath, "/");
    ASSERT_FALSE(view_.entries.empty());
    EXPECT_EQ(view_.entries[0], (DirectoryEntry{"/", "/", 0, true}));
    for (const std::string& name : view_.files) EXPECT_TRUE(name.ends_with(".frm")) << name;
    EXPECT_TRUE(view_.outputName.empty());
    EXPECT_TRUE(view_.messages.empty());

    window_.ShowAbout();
    window_.Exit();
    EXPECT_EQ(view_.aboutBoxes, 1);
    EXPECT_EQ(view_.ends, 1);
}

TEST_F(MainWindowTest, AFormNamedAtStartIsPickedAsIfClickedThere) {
    const fs::path disk = work_.path() / "disk";
    fs::create_directories(disk / "Forms/Sub");
    for (const char* name : {"A.frm", "Form1.frm"}) WriteBytes(disk / "Forms" / name, MenuForm("&Nowy"));
    const std::string forms = (disk / "Forms").string();
    platform_.drives = {"/", disk.string()};

    window_.Load(forms + "/Form1.frm");
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_EQ(view_.drives, (std::vector<std::string>{"/", disk.string()}));
    EXPECT_EQ(view_.drive, disk.string());
    EXPECT_EQ(view_.directory, forms);
    EXPECT_EQ(view_.entries.back(), (DirectoryEntry{"Sub", forms + "/Sub", view_.entries.back().depth, false}));
    EXPECT_EQ(window_.state().dirPath, forms + "/");
    EXPECT_EQ(view_.files, (std::vector<std::string>{"A.frm", "Form1.frm"}));
    EXPECT_EQ(view_.selected, "Form1.frm");
    EXPECT_EQ(view_.outputName, forms + "/Form1.rc");
    window_.Convert();
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_EQ(ReadBytes(forms + "/Form1.rc"), CliBytes(disk / "Forms/Form1.frm"));

    // The drive remembers the directory, as after browsing there.
    window_.ChooseDrive("/");
    window_.ChooseDrive(disk.string());
    EXPECT_EQ(view_.directory, forms);

    // A name relative to the directory the program was started in, and a folder.
    const fs::path started = fs::current_path();
    fs::current_path(disk);
    MainWindow relative(view_, platform_);
    relative.Load("Forms/A.frm");
    fs::current_path(started);
    EXPECT_EQ(view_.directory, forms);
    EXPECT_EQ(view_.outputName, forms + "/A.rc");
    MainWindow folder(view_, platform_);
    view_.outputName.clear();
    folder.Load(forms + "/Sub/");
    EXPECT_EQ(view_.directory, forms + "/Sub");
    EXPECT_EQ(folder.state().dirPath, forms + "/Sub/");
    EXPECT_TRUE(view_.selected.empty());
    EXPECT_TRUE(view_.outputName.empty());
    EXPECT_TRUE(view_.messages.empty());
}

TEST_F(MainWindowTest, ANameThatCannotBeOpenedAtStartIsToldOverTheUsualStart) {
    fs::create_directories(work_.path() / "Locked");
    const std::string locked = work_ / "Locked";
    WriteBytes(work_.path() / "Locked/Form1.frm", MenuForm("a"));
    platform_.refused[locked] = std::make_error_code(std::errc::permission_denied);
    WriteBytes(work_.path() / "notes.txt", "text");
    WriteBytes(work_.path() / ".hidden.frm", MenuForm("a"));
    mkfifo((work_ / "pipe.frm").c_str(), 0600);

    const std::vector<std::pair<std::string, std::string>> cases = {
        {work_ / "missing.frm", "Nie można otworzyć pliku ani katalogu „" + work_ / "missing.frm" + "”: " +
                                    Reason(std::errc::no_such_file_or_directory) + "."},
        {work_ / "missing/", "Nie można otworzyć pliku ani katalogu „" + work_ / "missing" + "”: " +
                                 Reason(std::errc::no_such_file_or_directory) + "."},
        {work_ / "notes.txt",
         "Plik „" + work_ / "notes.txt" + "” nie jest formularzem: lista plików pokazuje tylko pliki *.frm."},
        {work_ / ".hidden.frm",
         "Formularz „" + work_ / ".hidden.frm" + "” jest plikiem ukrytym, więc nie ma go na liście plików."},
        {work_ / "pipe.frm", "Nie można odczytać pliku formularza „" + work_ / "pipe.frm" +
                                 "”: to nie jest zwykły plik, lecz potok, gniazdo lub urządzenie."},
        {locked + "/Form1.frm",
         "Nie można otworzyć katalogu „" + locked + "”: " + Reason(std::errc::permission_denied) + "."},
    };
    for (const auto& [name, message] : cases) {
        FakeView view;
        MainWindow window(view, platform_);
        window.Load(name);
        ASSERT_EQ(view.messages.size(), 1u) << name;
        EXPECT_EQ(view.messages[0].text, message);
        EXPECT_EQ(view.messages[0].title, "Błąd");
        // Told once the window stands where it starts without a name.
        EXPECT_EQ(view.messages[0].directory, "/") << name;
        EXPECT_EQ(view.drive, "/");
        EXPECT_EQ(window.state().dirPath, "/");
        EXPECT_TRUE(view.selected.empty());
        EXPECT_TRUE(view.outputName.empty());
    }
}

TEST_F(MainWindowTest, AFormDroppedOnTheWindowIsPickedAndAFolderOpened) {
    fs::create_directories(work_.path() / "Here");
    fs::create_directories(work_.path() / "There");
    WriteBytes(work_.path() / "Here/Mine.frm", MenuForm("a"));
    WriteBytes(work_.path() / "There/Dropped.FRM", MenuForm("b"));
    window_.Load();
    Open(work_ / "Here");
    Pick("Mine.frm");

    window_.Open(work_ / "There/Dropped.FRM");
    EXPECT_EQ(view_.directory, work_ / "There");
    EXPECT_EQ(view_.selected, "Dropped.FRM");
    EXPECT_EQ(view_.outputName, work_ / "There/Dropped.rc");

    // A folder moves the lists and leaves the proposed name, as browsing does.
    window_.Open(work_ / "Here");
    EXPECT_EQ(view_.directory, work_ / "Here");
    EXPECT_TRUE(view_.selected.empty());
    EXPECT_EQ(view_.outputName, work_ / "There/Dropped.rc");

    // One that cannot be opened is told and moves nothing.
    Pick("Mine.frm");
    window_.Open(work_ / "gone.frm");
    ExpectOneMessage("Nie można otworzyć pliku ani katalogu „" + work_ / "gone.frm" + "”: " +
                     Reason(std::errc::no_such_file_or_directory) + ".");
    EXPECT_EQ(view_.directory, work_ / "Here");
    EXPECT_EQ(view_.selected, "Mine.frm");
    EXPECT_EQ(view_.outputName, work_ / "Here/Mine.rc");
}

TEST_F(MainWindowTest, BrowsingKeepsDirPathAndTheFileListInStep) {
    fs::create_directories(work_.path() / "Work/sub");
    fs::create_directories(work_.path() / "Work/Alpha");
    fs::create_directories(work_.path() / "Work/.hidden");
    const std::string workDir = work_ / "Work";
    for (const char* name : {"Form1.frm", "MENU.FRM", "b.Frm", "notes.txt", "form.frx", "x.frm.bak", ".secret.frm"})
        WriteBytes(work_.path() / "Work" / name, MenuForm("a"));
    fs::create_directory(work_.path() / "Work/folder.frm");

    Open(work_.path().string());
    EXPECT_EQ(window_.state().dirPath, work_ / "");
    window_.OpenDirectory(workDir + "/");  // shown, and kept, without the final separator
    EXPECT_EQ(window_.directory(), workDir);
    EXPECT_EQ(window_.state().dirPath, workDir + "/");
    EXPECT_EQ(view_.files, (std::vector<std::string>{"b.Frm", "Form1.frm", "MENU.FRM"}));

    // From the root down to the directory shown, then its subdirectories one deeper.
    std::vector<DirectoryEntry> expected;
    int depth = 0;
    for (fs::path up = workDir;; up = up.parent_path()) {
        expected.insert(expected.begin(), {up == "/" ? "/" : up.filename().string(), up.string(), 0, true});
        if (up == "/") break;
    }
    for (DirectoryEntry& entry : expected) entry.depth = depth++;
    for (const char* name : {"Alpha", "folder.frm", "sub"}) expected.push_back({name, workDir + "/" + name, depth, false});
    EXPECT_EQ(view_.entries, expected);

    // A directory that cannot be opened is told, and leaves everything as it was.
    window_.OpenDirectory(work_ / "missing");
    ExpectOneMessage("Nie można otworzyć katalogu „" + work_ / "missing" + "”: " +
                     Reason(std::errc::no_such_file_or_directory) + ".");
    EXPECT_EQ(window_.directory(), workDir);
    EXPECT_EQ(view_.files.size(), 3u);

    // The root gets one separator, not two.
    Open("/");
    EXPECT_EQ(window_.state().dirPath, "/");
}

TEST_F(MainWindowTest, PickingAFormProposesTheOutputName) {
    for (const char* name : {"Form1.frm", "MENU.FRM", "Żółw.frm"}) WriteBytes(work_.path() / name, MenuForm("a"));
    Open(work_.path().string());

    Pick("Form1.frm");
    EXPECT_EQ(view_.outputName, work_ / "Form1.rc");
    Pick("MENU.FRM");
    EXPECT_EQ(view_.outputName, work_ / "MENU.rc");
    Pick("Żółw.frm");
    EXPECT_EQ(view_.outputName, work_ / "Żółw.rc");
    // The last three characters go whatever they are, also letters of several bytes.
    EXPECT_EQ(ProposedOutputName("menu.żół"), "menu.rc");
    EXPECT_EQ(ProposedOutputName("ab"), "rc");

    // Another directory leaves the proposal alone; a pick while the clipboard is chosen still fills it.
    Open("/");
    EXPECT_EQ(view_.outputName, work_ / "Żółw.rc");
    Open(work_.path().string());
    window_.ChooseOutput(OutputTarget::Clipboard);
    Pick("Form1.frm");
    EXPECT_EQ(view_.outputName, work_ / "Form1.rc");
}

TEST_F(MainWindowTest, OutputOptionsEnableOrGreyTheNameBoxAndKeepItsText) {
    view_.outputName = "keep.rc";
    window_.ChooseOutput(OutputTarget::Clipboard);
    EXPECT_FALSE(view_.outputEnabled);
    EXPECT_EQ(view_.outputBackground, (Colour{192, 192, 192}));
    window_.ChooseOutput(OutputTarget::File);
    EXPECT_TRUE(view_.outputEnabled);
    EXPECT_EQ(view_.outputBackground, (Colour{255, 255, 255}));
    EXPECT_EQ(view_.outputName, "keep.rc");
}

TEST_F(MainWindowTest, DriveNotReadyIsToldOnceThenThePreviousDriveIsBack) {
    fs::create_directories(work_.path() / "disk/inner");
    const std::string disk = work_ / "disk";
    WriteBytes(work_.path() / "disk/inner/Form1.frm", MenuForm("a"));
    const std::string missing = work_ / "no-medium";  // its root cannot be listed
    platform_.drives = {"/", disk, missing};
    window_.Load();

    window_.ChooseDrive(disk);
    EXPECT_EQ(view_.directory, disk);
    Open(disk + "/inner");

    window_.ChooseDrive(missing);
    ExpectOneMessage("Włóż dyskietkę");
    EXPECT_EQ(view_.drive, disk);
    EXPECT_EQ(view_.directory, disk + "/inner");
    EXPECT_EQ(window_.state().dirPath, disk + "/inner/");
    EXPECT_EQ(view_.files, std::vector<std::string>{"Form1.frm"});

    // Another drive and back again: each drive comes back at the directory last shown on it.
    window_.ChooseDrive("/");
    EXPECT_EQ(view_.directory, "/");
    window_.ChooseDrive(disk);
    EXPECT_EQ(view_.directory, disk + "/inner");
    EXPECT_TRUE(view_.messages.empty());
}

TEST_F(MainWindowTest, ARemovedDirectoryIsLeftForTheNearestOneLeft) {
    fs::create_directories(work_.path() / "Keep/Gone/Deeper");
    const std::string keep = work_ / "Keep";
    WriteBytes(work_.path() / "Keep/Top.frm", MenuForm("a"));
    WriteBytes(work_.path() / "Keep/Gone/Inner.frm", MenuForm("b"));

    Open(keep + "/Gone");
    window_.DirectoryMayBeGone();  // a notice while it is there changes nothing
    EXPECT_EQ(view_.directory, keep + "/Gone");
    fs::remove_all(keep + "/Gone");
    window_.DirectoryMayBeGone();
    EXPECT_EQ(view_.directory, keep);
    EXPECT_EQ(window_.state().dirPath, keep + "/");
    EXPECT_EQ(view_.files, std::vector<std::string>{"Top.frm"});
    EXPECT_EQ(view_.entries.back().path, keep);  // no subdirectory is offered any more

    // A whole branch at once, and the user opening the vanished directory before any notice.
    fs::create_directories(keep + "/A/B/C");
    Open(keep + "/A/B/C");
    fs::remove_all(keep);
    window_.OpenDirectory(keep + "/A/B/C");
    EXPECT_EQ(view_.directory, work_.path().string());
    EXPECT_TRUE(view_.files.empty());
    EXPECT_TRUE(view_.messages.empty());

    // A removable drive pulled out: the lists move to what is left, on its drive;
    // choosing the vanished drive again is told once, and that drive comes back.
    const std::string stick = work_ / "Stick";
    fs::create_directories(stick + "/Sub");
    platform_.drives = {"/", stick};
    window_.ChooseDrive(stick);
    Open(stick + "/Sub");
    fs::remove_all(stick);
    window_.DirectoryMayBeGone();
    EXPECT_EQ(view_.directory, work_.path().string());
    EXPECT_EQ(view_.drive, "/");
    EXPECT_TRUE(view_.messages.empty());
    window_.ChooseDrive(stick);
    ExpectOneMessage("Włóż dyskietkę");
    EXPECT_EQ(view_.drive, "/");
    EXPECT_EQ(view_.directory, work_.path().string());
    EXPECT_EQ(window_.state().dirPath, work_ / "");
}

TEST_F(MainWindowTest, ADirectoryThatCannotBeOpenedIsToldAndTheListsStay) {
    fs::create_directories(work_.path() / "Secret");
    WriteBytes(work_.path() / "Form1.frm", MenuForm("a"));
    const std::string secret = work_ / "Secret";
    platform_.refused[secret] = std::make_error_code(std::errc::permission_denied);
    Open(work_.path().string());
    Pick("Form1.frm");
    const std::vector<DirectoryEntry> entries = view_.entries;

    window_.OpenDirectory(secret);
    ExpectOneMessage("Nie można otworzyć katalogu „" + secret + "”: " + Reason(std::errc::permission_denied) + ".");
    EXPECT_EQ(window_.directory(), work_.path().string());
    EXPECT_EQ(window_.state().dirPath, work_ / "");
    EXPECT_EQ(view_.entries, entries);
    EXPECT_EQ(view_.files, std::vector<std::string>{"Form1.frm"});
    EXPECT_EQ(view_.selected, "Form1.frm");
    EXPECT_EQ(view_.outputName, work_ / "Form1.rc");
}

TEST_F(MainWindowTest, AThousandFormsAmongAHundredThousandFilesAreListedExactly) {
    const fs::path crowded = work_.path() / "Crowded";
    fs::create_directory(crowded);
    static const char* const kDecoys[] = {".txt", ".frx", ".frm.bak", ".frmx", "_frm", ".fr", ".rc", ""};
    static const char* const kFormEnds[] = {".frm", ".FRM", ".Frm"};
    std::vector<std::string> forms;
    for (int i = 0; i < 100'000; ++i) {
        char name[32];
        if (i % 100 == 0) {
            std::snprintf(name, sizeof name, "Form%06d%s", i, kFormEnds[(i / 100) % 3]);
            forms.push_back(name);
        } else {
            std::snprintf(name, sizeof name, "data%06d%s", i, kDecoys[i % 8]);
        }
        std::ofstream(crowded / name).put('x');
    }
    Open(crowded.string());
    EXPECT_EQ(view_.files, forms);  // already in order: only the case of the ends differs

    const std::string last = forms.back();
    Pick(last);
    WriteBytes(crowded / last, MenuForm("&Formularz"));
    view_.outputName = work_ / "last.rc";
    window_.Convert();
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_EQ(ReadBytes(work_ / "last.rc"), CliBytes(crowded / last));
}

TEST_F(MainWindowTest, ConvertToAFileWritesWhatTarvelRcWrites) {
    const fs::path form = work_.path() / "Form1.frm";
    fs::copy_file(TARVEL_EXAMPLES_DIR "/Form1.frm", form);
    Open(work_.path().string());
    Pick("Form1.frm");
    const std::string output = work_ / "Form1.rc";
    ASSERT_EQ(view_.outputName, output);

    window_.Convert();
    EXPECT_TRUE(view_.messages.empty());
    const std::string first = ReadBytes(output);
    EXPECT_EQ(first, CliBytes(form));
    EXPECT_TRUE(first.ends_with("}\r\n\r\n"));
    EXPECT_EQ(view_.result + "\r\n", first);  // the file has one CR LF more
    EXPECT_FALSE(view_.clipboard);

    // Pressed again and again: the same file each time, and no temporary file left behind.
    for (int press = 0; press < 200; ++press) {
        window_.Convert();
        ASSERT_TRUE(view_.messages.empty()) << press;
        ASSERT_EQ(ReadBytes(output), first) << press;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(work_.path()), fs::directory_iterator()), 2);

    // The options are read when the button is pressed.
    view_.firstIdText = " &H10 items";
    view_.defines = false;
    window_.Convert();
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_EQ(ReadBytes(output), CliBytes(form, {"--no-define", "-n", "&H10"}));
}

TEST_F(MainWindowTest, ConvertMatchesTarvelRcOnRealForms) {
    const fs::path corpus = (fs::path(TARVEL_CORPUS_DIR) / "menu").lexically_normal();
    if (!fs::exists(corpus)) GTEST_SKIP() << "the folder of real forms is absent";
    const std::string output = work_ / "out.rc";
    int compared = 0;
    for (const fs::path& directory : {corpus, corpus / "lavolpe-submenus"}) {
        Open(directory.string());
        for (const std::string& name : std::vector<std::string>(view_.files)) {
            Pick(name);
            view_.outputName = output;
            fs::remove(output);
            window_.Convert();
            ASSERT_TRUE(view_.messages.empty()) << name << ": " << view_.messages.front().text;
            ASSERT_EQ(ReadBytes(output), CliBytes(directory / name)) << name;
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
}

TEST_F(MainWindowTest, AnOutputNameWithoutAFolderIsSavedInTheDirectoryShown) {
    const fs::path forms = work_.path() / "Forms";
    fs::create_directories(forms / "out");
    WriteBytes(forms / "Form1.frm", MenuForm("&Nowy"));
    const std::string expected = CliBytes(forms / "Form1.frm");
    Open(forms.string());
    Pick("Form1.frm");
    ASSERT_NE(fs::current_path(), forms);

    for (const std::string name : {"menu.rc", "out/menu.rc"}) {
        view_.outputName = name;
        window_.Convert();
        EXPECT_TRUE(view_.messages.empty());
        EXPECT_EQ(ReadBytes(forms / name), expected) << name;
        EXPECT_FALSE(fs::exists(fs::current_path() / name)) << name;
    }
}

TEST_F(MainWindowTest, ConvertToTheClipboardPutsTheDecodedTextAndWritesNoFile) {
    const std::string polish = "Zażółć gęślą jaźń";
    const std::string cp1250 = "\x5A\x61\xBF\xF3\xB3\xE6\x20\x67\xEA\x9C\x6C\xB9\x20\x6A\x61\x9F\xF1";
    WriteBytes(work_.path() / "Pl.frm", MenuForm(cp1250));
    WriteBytes(work_.path() / "Utf.frm", MenuForm("Файл 文件 ✓"));
    Open(work_.path().string());
    view_.output = OutputTarget::Clipboard;

    Pick("Pl.frm");
    view_.outputName = work_ / "never.rc";  // not looked at for the clipboard
    window_.Convert();
    EXPECT_TRUE(view_.messages.empty());
    ASSERT_TRUE(view_.clipboard);
    std::string cli = CliBytes(work_.path() / "Pl.frm");
    cli.resize(cli.size() - 2);  // the file's extra CR LF
    EXPECT_EQ(*view_.clipboard, DecodeAnsi(cli, 1250));
    EXPECT_NE(view_.clipboard->find(polish), std::string::npos);
    EXPECT_TRUE(view_.clipboard->ends_with("}\r\n"));
    EXPECT_EQ(view_.result, *view_.clipboard);

    // Valid UTF-8 stays UTF-8, whatever the ANSI code page.
    platform_.codePage = 1251;
    Pick("Utf.frm");
    window_.Convert();
    EXPECT_NE(view_.clipboard->find("Файл 文件 ✓"), std::string::npos);

    // A form whose font says Shift-JIS is read as Shift-JIS, whatever the ANSI code page.
    std::string japanese = MenuForm("\x83\x74\x83\x40\x83\x43\x83\x8B");
    japanese.insert(japanese.find("   Begin VB.Menu"), "   BeginProperty Font \r\n      Charset = 128\r\n   EndProperty\r\n");
    WriteBytes(work_.path() / "Ja.frm", japanese);
    Open(work_.path().string());
    Pick("Ja.frm");
    window_.Convert();
    EXPECT_NE(view_.clipboard->find("ファイル"), std::string::npos) << *view_.clipboard;
    EXPECT_EQ(std::distance(fs::directory_iterator(work_.path()), fs::directory_iterator()), 3);
}

TEST_F(MainWindowTest, AFormWithoutAMenuIsToldAndNothingIsDelivered) {
    WriteBytes(work_.path() / "Menu.frm", MenuForm("a"));
    WriteBytes(work_.path() / "Bare.frm", kNoMenuForm);
    WriteBytes(work_.path() / "Bare.rc", "previous output");
    Open(work_.path().string());
    Pick("Menu.frm");
    window_.Convert();
    ASSERT_FALSE(view_.result.empty());

    Pick("Bare.frm");
    window_.Convert();
    ExpectOneMessage("Podany plik (formularz) nie posiada menu");
    EXPECT_TRUE(view_.result.empty());
    EXPECT_EQ(ReadBytes(work_ / "Bare.rc"), "previous output");

    view_.output = OutputTarget::Clipboard;
    window_.Convert();
    ExpectOneMessage("Podany plik (formularz) nie posiada menu");
    EXPECT_FALSE(view_.clipboard);
}

TEST_F(MainWindowTest, EveryFailureIsToldAndTheWindowGoesOn) {
    const std::string form = work_ / "Form1.frm";
    WriteBytes(form, MenuForm("a"));
    const std::string output = work_ / "Form1.rc";
    WriteBytes(output, "previous output");
    const std::string missingDir = work_ / "missing/out.rc";

    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string message;  // the whole text, or what it must contain when `whole` is false
        bool whole = true;
    };
    const std::vector<Case> cases = {
        {"no form selected", [&] { view_.selected.clear(); },
         "Nie wybrano pliku formularza w katalogu „" + work_ / "" + "”."},
        {"first ID out of range", [&] { view_.firstIdText = "99999999999"; },
         "Numer pierwszej pozycji „99999999999” nie mieści się w zakresie od -2147483648 do 2147483647."},
        {"empty output name", [&] { view_.outputName.clear(); },
         "Nie podano nazwy pliku wynikowego: pole „Nazwa pliku RES” jest puste."},
        {"missing folder", [&] { view_.outputName = missingDir; },
         "Nie można zapisać pliku „" + missingDir + "”: " + Reason(std::errc::no_such_file_or_directory) + "."},
        {"output is a folder", [&] { view_.outputName = work_.path().string(); }, work_.path().string(), false},
        {"output is the form", [&] { view_.outputName = form; },
         "Plik wynikowy „" + form + "” to sam formularz; zapis zniszczyłby go."},
        {"form vanished", [&] { fs::rename(form, form + ".away"); },
         "Nie można odczytać pliku formularza „" + form + "”: " + Reason(std::errc::no_such_file_or_directory) + "."},
        {"form became a folder", [&] { fs::rename(form, form + ".away"); fs::create_directory(form); }, form, false},
        // Reading a pipe would wait for a writer that never comes; the message comes instead.
        {"form became a pipe", [&] { fs::rename(form, form + ".away"); mkfifo(form.c_str(), 0600); },
         "Nie można odczytać pliku formularza „" + form + "”: to nie jest zwykły plik, lecz potok, gniazdo lub urządzenie."},
        {"form is no form", [&] { fs::rename(form, form + ".away"); WriteBytes(form, "Type=Exe\r\n"); },
         "Plik „" + form + "” nie jest formularzem Visual Basic: nie ma w nim bloku „Begin VB.Form” ani „Begin VB.MDIForm”."},
    };
    Open(work_.path().string());
    for (const Case& failure : cases) {
        view_.firstIdText = "100";
        view_.selected = "Form1.frm";
        view_.outputName = output;
        failure.arrange();
        window_.Convert();
        ASSERT_EQ(view_.messages.size(), 1u) << failure.what;
        EXPECT_EQ(view_.messages[0].title, "Błąd");
        if (failure.whole) EXPECT_EQ(view_.messages[0].text, failure.message) << failure.what;
        else EXPECT_NE(view_.messages[0].text.find(failure.message), std::string::npos) << view_.messages[0].text;
        view_.messages.clear();
        EXPECT_TRUE(view_.result.empty()) << failure.what;
        EXPECT_EQ(ReadBytes(output), "previous output") << failure.what;
        if (fs::exists(form + ".away")) {
            fs::remove(form);
            fs::rename(form + ".away", form);
        }
    }

    // And the window still converts.
    view_.outputName = output;
    window_.Convert();
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_EQ(ReadBytes(output), CliBytes(form));

    // Nor may it overwrite the .frx file the form's captions came from, by any name.
    const std::string frx = work_ / "Form1.frx";
    WriteBytes(form, "VERSION 5.00\r\nBegin VB.Form Form1\r\n   Begin VB.Menu mnuA\r\n      Caption = $\"Form1.frx\":0000\r\n"
                     "   End\r\nEnd\r\n");
    WriteBytes(frx, std::string("\1\0\0\0a", 5));
    fs::create_symlink(frx, work_ / "alias.rc");
    for (const std::string& name : {frx, work_ / "alias.rc"}) {
        view_.outputName = name;
        window_.Convert();
        ASSERT_EQ(view_.messages.size(), 1u) << name;
        EXPECT_EQ(view_.messages[0].text,
                  "Plik wynikowy „" + name + "” to plik „" + frx + "”, z którego konwersja czyta; zapis zniszczyłby go.");
        view_.messages.clear();
    }
    EXPECT_EQ(ReadBytes(frx), std::string("\1\0\0\0a", 5));
}

TEST_F(MainWindowTest, AnExceptionInConvertBecomesAMessageNotAnAbort) {
    const std::string form = work_ / "Form1.frm";
    WriteBytes(form, MenuForm("a"));
    Open(work_.path().string());
    Pick("Form1.frm");

    view_.whenOutputNameIsRead = [] { throw std::bad_alloc(); };
    window_.Convert();
    ExpectOneMessage("Zabrakło pamięci na konwersję pliku „" + form + "”.");
    view_.whenOutputNameIsRead = [] {
        throw fs::filesystem_error("status", fs::path("/locked/x.rc"), std::make_error_code(std::errc::permission_denied));
    };
    window_.Convert();
    ExpectOneMessage("Operacja na pliku „/locked/x.rc” nie powiodła się: " + Reason(std::errc::permission_denied) + ".");
    view_.whenOutputNameIsRead = [] { throw std::runtime_error("coś się stało"); };
    window_.Convert();
    ExpectOneMessage("Konwersja pliku „" + form + "” nie powiodła się: coś się stało.");

    view_.whenOutputNameIsRead = nullptr;
    window_.Convert();
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_EQ(ReadBytes(work_ / "Form1.rc"), CliBytes(form));
}

}  // namespace
