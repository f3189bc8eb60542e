// The main window on the offscreen platform: its start state, tab order and
// option boxes, the file browser and dirPath, the drive that is not ready, and
// Convert to a file and to the clipboard, checked against tarvel-rc's bytes.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <system_error>

#include "about_box.h"
#include "file_lists.h"
#include "frm_main.h"
#include "window_harness.h"

namespace {

QString SystemReason(std::errc code) {
    return QString::fromLocal8Bit(std::make_error_code(code).message());
}

}  // namespace

class FrmMainTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startStateMatchesTheLayout();
    void resultBoxIsNeverSeen();
    void tabVisitsTheControlsInOrder();
    void browsingKeepsDirPathAndFileListInStep();
    void pickingAFileProposesTheOutputName();
    void optionButtonsSwitchTheOutputNameBox();
    void driveNotReadyIsToldOnceThenThePreviousDriveIsBack();
    void convertToFileWritesWhatTarvelRcWrites();
    void convertToFileMatchesTarvelRcOnRealForms();
    void convertToClipboardPutsTheDecodedTextAndNoFile();
    void formWithoutMenuGetsTheMessageAndNothingIsDelivered();
    void eachFailureIsToldAndTheWindowGoesOn();
    void realMessageBoxIsAModalWarningWithOneOk();
    void aboutButtonShowsTheAboutBoxWithTheWindowIcon();
    void exitButtonEndsTheProgram();

private:
    void Open(const QString& directory);
    void Pick(const QString& fileName);
    void Convert();

    QTemporaryDir work_;
    TestPlatform platform_;
    std::unique_ptr<frmMain> window_;
};

void FrmMainTest::init() {
    QVERIFY(work_.isValid());
    platform_ = TestPlatform();
    window_ = std::make_unique<frmMain>(platform_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void FrmMainTest::cleanup() {
    window_.reset();
    QDir(work_.path()).removeRecursively();
    QDir().mkpath(work_.path());
}

void FrmMainTest::Open(const QString& directory) {
    QVERIFY(Control<DirListBox>(*window_, "Dir1")->setPath(directory));
}

void FrmMainTest::Pick(const QString& fileName) {
    auto* list = Control<FileListBox>(*window_, "File1");
    const QList<QListWidgetItem*> found = list->findItems(fileName, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    list->scrollToItem(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
}

void FrmMainTest::Convert() {
    QTest::mouseClick(Control<QPushButton>(*window_, "Command1"), Qt::LeftButton);
}

void FrmMainTest::startStateMatchesTheLayout() {
    frmMain& w = *window_;
    QCOMPARE(w.windowTitle(), QStringLiteral("Tarvel to RC file"));
    QCOMPARE(w.size(), QSize(495, 329));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
    const QList<QSize> iconSizes = w.windowIcon().availableSizes();
    QVERIFY(iconSizes.contains(QSize(16, 16)));
    QVERIFY(iconSizes.contains(QSize(32, 32)));

    struct Place { const char* name; QRect rect; const char* parent; };
    const Place places[] = {
        {"Dir1", {8, 8, 177, 231}, "frmMain"},       {"Drive1", {8, 248, 177, 21}, "frmMain"},
        {"File1", {192, 8, 169, 266}, "frmMain"},    {"Text1", {8, 304, 353, 19}, "frmMain"},
        {"Label1", {8, 288, 97, 17}, "frmMain"},     {"Command1", {376, 8, 105, 25}, "frmMain"},
        {"Command2", {376, 40, 105, 25}, "frmMain"}, {"Command3", {376, 72, 105, 25}, "frmMain"},
        {"Text2", {8, 336, 457, 185}, "frmMain"},    {"Frame1", {368, 144, 121, 65}, "frmMain"},
        {"Text3", {72, 13, 41, 19}, "Frame1"},       {"Label2", {8, 16, 57, 17}, "Frame1"},
        {"chkDefine", {8, 40, 105, 17}, "Frame1"},   {"Frame2", {368, 216, 121, 57}, "frmMain"},
        {"Option1", {8, 16, 97, 17}, "Frame2"},      {"Option2", {8, 32, 89, 17}, "Frame2"},
    };
    for (const Place& place : places) {
        auto* control = Control<QWidget>(w, place.name);
        QVERIFY2(control, place.name);
        QCOMPARE(control->geometry(), place.rect);
        QCOMPARE(control->parentWidget()->objectName(), QLatin1String(place.parent));
    }

    QCOMPARE(Control<QLabel>(w, "Label1")->text(), QStringLiteral("Nazwa pliku RES"));
    QCOMPARE(Control<QLabel>(w, "Label2")->text(), QStringLiteral("Numeruj od:"));
    QCOMPARE(Control<QPushButton>(w, "Command1")->text(), QStringLiteral("Konwertuj"));
    QCOMPARE(Control<QPushButton>(w, "Command2")->text(), QStringLiteral("O programie"));
    QCOMPARE(Control<QPushButton>(w, "Command3")->text(), QStringLiteral("Koniec"));
    QCOMPARE(Control<QGroupBox>(w, "Frame1")->title(), QStringLiteral("Opcje"));
    QCOMPARE(Control<QGroupBox>(w, "Frame2")->title(), QStringLiteral("Konwertuj do:"));
    QCOMPARE(Control<QCheckBox>(w, "chkDefine")->text(), QStringLiteral("#define"));
    QCOMPARE(Control<QRadioButton>(w, "Option1")->text(), QStringLiteral("pliku"));
    QCOMPARE(Control<QRadioButton>(w, "Option2")->text(), QStringLiteral("schowka"));
    for (const char* name : {"Command1", "Command2", "Command3"}) {
        QVERIFY(!Control<QPushButton>(w, name)->isDefault());
        QVERIFY(!Control<QPushButton>(w, name)->autoDefault());
    }

    QCOMPARE(Control<QLineEdit>(w, "Text3")->text(), QStringLiteral("100"));
    QCOMPARE(Control<QCheckBox>(w, "chkDefine")->checkState(), Qt::Checked);
    QVERIFY(Control<QRadioButton>(w, "Option1")->isChecked());
    QVERIFY(!Control<QRadioButton>(w, "Option2")->isChecked());
    QVERIFY(Control<QLineEdit>(w, "Text1")->text().isEmpty());
    QVERIFY(Control<QLineEdit>(w, "Text1")->isEnabled());
    QVERIFY(Control<QPlainTextEdit>(w, "Text2")->toPlainText().isEmpty());
    QCOMPARE(Control<FileListBox>(w, "File1")->pattern(), QStringLiteral("*.frm"));

    // Form_Load's chain: the root drive, the root directory, dirPath with its one separator.
    QCOMPARE(Control<QComboBox>(w, "Drive1")->currentText(), QStringLiteral("/"));
    QCOMPARE(Control<DirListBox>(w, "Dir1")->path(), QStringLiteral("/"));
    QCOMPARE(w.state().dirPath, std::string("/"));
    QCOMPARE(Control<FileListBox>(w, "File1")->path(), QStringLiteral("/"));
}

void FrmMainTest::resultBoxIsNeverSeen() {
    auto* text2 = Control<QPlainTextEdit>(*window_, "Text2");
    QVERIFY(text2->visibleRegion().isEmpty());
    WriteBytes(work_.filePath("Form1.frm"), MenuForm("&Nowy"));
    Open(work_.path());
    Pick(QStringLiteral("Form1.frm"));
    Convert();
    QVERIFY(!text2->toPlainText().isEmpty());
    QVERIFY(text2->visibleRegion().isEmpty());
}

void FrmMainTest::tabVisitsTheControlsInOrder() {
    QApplication::setActiveWindow(window_.get());
    auto* dir1 = Control<QWidget>(*window_, "Dir1");
    dir1->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), dir1);
    // The option group is one stop: Tab lands on the selected button only.
    const QStringList expected = {"Drive1", "File1",  "Text1", "Command1",  "Command2", "Command3",
                                  "Text2",  "Text3",  "chkDefine", "Option1", "Dir1"};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void FrmMainTest::browsingKeepsDirPathAndFileListInStep() {
    QDir(work_.path()).mkpath("Work/Sub");
    const QString workDir = work_.filePath("Work");
    WriteBytes(workDir + "/Form1.frm", MenuForm("a"));
    WriteBytes(workDir + "/MENU.FRM", MenuForm("b"));
    WriteBytes(workDir + "/notes.txt", "x");
    WriteBytes(workDir + "/form.frx", "x");

    Open(work_.path());
    QCOMPARE(window_->state().dirPath, (work_.path() + "/").toStdString());

    // Opening a subdirectory from the list with the keyboard, as a user would.
    auto* dir1 = Control<DirListBox>(*window_, "Dir1");
    const QList<QTreeWidgetItem*> found = dir1->findItems("Work", Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    dir1->setCurrentItem(found.first());
    QTest::keyClick(dir1, Qt::Key_Return);
    QCOMPARE(dir1->path(), workDir);
    QCOMPARE(window_->state().dirPath, (workDir + "/").toStdString());

    auto* file1 = Control<FileListBox>(*window_, "File1");
    QCOMPARE(file1->path(), workDir);
    QStringList names;
    for (int i = 0; i < file1->count(); ++i) names << file1->item(i)->text();
    QCOMPARE(names, QStringList({"Form1.frm", "MENU.FRM"}));
    QVERIFY(!dir1->findItems("Sub", Qt::MatchExactly | Qt::MatchRecursive).isEmpty());

    // Back up to the root by double-clicking it: one separator, not two.
    QTreeWidgetItem* root = dir1->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("/"));
    // A real double-click is a click followed by the double-click event.
    const QPoint onRoot = dir1->visualItemRect(root).center();
    QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, onRoot);
    QCOMPARE(dir1->path(), workDir);
    QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, onRoot);
    QCOMPARE(dir1->path(), QStringLiteral("/"));
    QCOMPARE(window_->state().dirPath, std::string("/"));
}

void FrmMainTest::pickingAFileProposesTheOutputName() {
    WriteBytes(work_.filePath("Form1.frm"), MenuForm("a"));
    WriteBytes(work_.filePath("MENU.FRM"), MenuForm("b"));
    Open(work_.path());
    auto* text1 = Control<QLineEdit>(*window_, "Text1");

    Pick(QStringLiteral("Form1.frm"));
    QCOMPARE(text1->text(), work_.filePath("Form1.rc"));

    // Moving the selection with the keyboard is a pick too.
    QTest::keyClick(Control<FileListBox>(*window_, "File1"), Qt::Key_Down);
    QCOMPARE(text1->text(), work_.filePath("MENU.rc"));

    // Picking the selected name again proposes the name again after an edit.
    text1->setText("edited.rc");
    Pick(QStringLiteral("MENU.FRM"));
    QCOMPARE(text1->text(), work_.filePath("MENU.rc"));

    // Changing directory leaves the proposal alone.
    Open(QStringLiteral("/"));
    QCOMPARE(text1->text(), work_.filePath("MENU.rc"));
}

void FrmMainTest::optionButtonsSwitchTheOutputNameBox() {
    WriteBytes(work_.filePath("Form1.frm"), MenuForm("a"));
    WriteBytes(work_.filePath("Two.frm"), MenuForm("b"));
    Open(work_.path());
    Pick(QStringLiteral("Form1.frm"));
    auto* text1 = Control<QLineEdit>(*window_, "Text1");
    auto* option1 = Control<QRadioButton>(*window_, "Option1");
    auto* option2 = Control<QRadioButton>(*window_, "Option2");

    QTest::mouseClick(option2, Qt::LeftButton);
    QVERIFY(option2->isChecked());
    QVERIFY(!option1->isChecked());
    QVERIFY(!text1->isEnabled());
    QCOMPARE(text1->palette().color(QPalette::Base), QColor(192, 192, 192));
    QCOMPARE(text1->text(), work_.filePath("Form1.rc"));

    Pick(QStringLiteral("Two.frm"));
    QCOMPARE(text1->text(), work_.filePath("Two.rc"));

    QTest::mouseClick(option1, Qt::LeftButton);
    QVERIFY(option1->isChecked());
    QVERIFY(!option2->isChecked());
    QVERIFY(text1->isEnabled());
    QCOMPARE(text1->palette().color(QPalette::Base), QColor(255, 255, 255));
    QCOMPARE(text1->text(), work_.filePath("Two.rc"));
}

void FrmMainTest::driveNotReadyIsToldOnceThenThePreviousDriveIsBack() {
    QDir(work_.path()).mkpath("disk/inner");
    const QString disk = work_.filePath("disk");
    WriteBytes(disk + "/inner/Form1.frm", MenuForm("a"));
    const QString missing = work_.filePath("no-medium");  // its root cannot be listed
    platform_.drives = {QStringLiteral("/"), disk, missing};
    window_ = std::make_unique<frmMain>(platform_);
    window_->show();
    auto* drive1 = Control<QComboBox>(*window_, "Drive1");
    auto* dir1 = Control<DirListBox>(*window_, "Dir1");
    auto* file1 = Control<FileListBox>(*window_, "File1");

    drive1->setCurrentIndex(drive1->findText(disk));
    QCOMPARE(dir1->path(), disk);
    Open(disk + "/inner");

    drive1->setCurrentIndex(drive1->findText(missing));
    QCOMPARE(platform_.messages.size(), std::size_t{1});
    QCOMPARE(platform_.messages[0].text, QStringLiteral("Włóż dyskietkę"));
    QCOMPARE(platform_.messages[0].title, QStringLiteral("Błąd"));
    QCOMPARE(drive1->currentText(), disk);
    QCOMPARE(dir1->path(), disk + "/inner");
    QCOMPARE(window_->state().dirPath, (disk + "/inner/").toStdString());
    QCOMPARE(file1->path(), disk + "/inner");
    QCOMPARE(file1->count(), 1);

    // Another drive and back again: each drive comes back at the directory last shown on it.
    drive1->setCurrentIndex(drive1->findText("/"));
    QCOMPARE(dir1->path(), QStringLiteral("/"));
    drive1->setCurrentIndex(drive1->findText(disk));
    QCOMPARE(dir1->path(), disk + "/inner");
    QCOMPARE(platform_.messages.size(), std::size_t{1});
}

void FrmMainTest::convertToFileWritesWhatTarvelRcWrites() {
    QVERIFY(QFile::copy(QStringLiteral(TARVEL_EXAMPLES_DIR "/Form1.frm"), work_.filePath("Form1.frm")));
    const QString form = work_.filePath("Form1.frm");
    Open(work_.path());
    Pick(QStringLiteral("Form1.frm"));
    const QString output = work_.filePath("Form1.rc");
    QCOMPARE(Control<QLineEdit>(*window_, "Text1")->text(), output);

    Convert();
    QVERIFY(platform_.messages.empty());
    const QByteArray first = ReadBytes(output);
    QCOMPARE(first, CliBytes(form, {}));
    QVERIFY(first.endsWith("}\r\n\r\n"));
    const QString text2 = Control<QPlainTextEdit>(*window_, "Text2")->toPlainText();
    QVERIFY(text2.contains(QStringLiteral("MENUITEM")));

    // Twice on the same form: the same text and the same file.
    Convert();
    QCOMPARE(ReadBytes(output), first);
    QCOMPARE(Control<QPlainTextEdit>(*window_, "Text2")->toPlainText(), text2);

    // The options are read when the button is pressed.
    Control<QLineEdit>(*window_, "Text3")->setText(QStringLiteral("&H10"));
    QTest::mouseClick(Control<QCheckBox>(*window_, "chkDefine"), Qt::LeftButton);
    Convert();
    QVERIFY(platform_.messages.empty());
    QCOMPARE(ReadBytes(output), CliBytes(form, {"--no-define", "-n", "&H10"}));
    QVERIFY(ReadBytes(output) != first);
}

void FrmMainTest::convertToFileMatchesTarvelRcOnRealForms() {
    const QDir corpus(QStringLiteral(TARVEL_CORPUS_DIR "/menu"));
    if (!corpus.exists()) QSKIP("the folder of real forms is absent");
    const QString output = work_.filePath("out.rc");
    int compared = 0;
    for (const QString& directory : {corpus.path(), corpus.filePath("lavolpe-submenus")}) {
        Open(directory);
        const QStringList forms = QDir(directory).entryList({"*.frm"}, QDir::Files);
        for (const QString& name : forms) {
            Pick(name);
            Control<QLineEdit>(*window_, "Text1")->setText(output);
            QFile::remove(output);
            Convert();
            if (!platform_.messages.empty()) QFAIL(qPrintable(name + ": " + platform_.messages.front().text));
            QVERIFY2(ReadBytes(output) == CliBytes(QDir(directory).filePath(name), {}), qPrintable(name));
            ++compared;
        }
    }
    QVERIFY(compared > 100);
}

void FrmMainTest::convertToClipboardPutsTheDecodedTextAndNoFile() {
    // Polish captions in code page 1250, which is not UTF-8.
    const QString polish = QStringLiteral("Zażółć gęślą jaźń");
    QStringEncoder cp1250("windows-1250");
    const QByteArray encoded = cp1250.encode(polish);
    WriteBytes(work_.filePath("Pl.frm"), MenuForm(encoded));
    WriteBytes(work_.filePath("Utf.frm"), MenuForm(QStringLiteral("Файл 文件 ✓").toUtf8()));
    Open(work_.path());

    QTest::mouseClick(Control<QRadioButton>(*window_, "Option2"), Qt::LeftButton);
    Pick(QStringLiteral("Pl.frm"));
    // The name box is not read for the clipboard: whatever it names stays unwritten.
    const QString unwritten = work_.filePath("never.rc");
    Control<QLineEdit>(*window_, "Text1")->setText(unwritten);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    Convert();
    QVERIFY(platform_.messages.empty());
    const QString clip = QGuiApplication::clipboard()->text();
    QVERIFY(clip.contains(polish));
    QByteArray cli = CliBytes(work_.filePath("Pl.frm"), {});
    cli.chop(2);  // the file's extra CR LF
    QStringDecoder fromCp1250("windows-1250");
    const QString expected = fromCp1250.decode(cli);
    QCOMPARE(clip, expected);
    QVERIFY(clip.endsWith(QStringLiteral("}\r\n")));
    QVERIFY(!QFileInfo::exists(unwritten));
    QVERIFY(!QFileInfo::exists(work_.filePath("Pl.rc")));

    // Valid UTF-8 stays UTF-8, whatever the ANSI code page.
    platform_.codePage = 1251;
    Pick(QStringLiteral("Utf.frm"));
    Convert();
    QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("Файл 文件 ✓")));
    QVERIFY(!QFileInfo::exists(work_.filePath("Utf.rc")));
}

void FrmMainTest::formWithoutMenuGetsTheMessageAndNothingIsDelivered() {
    WriteBytes(work_.filePath("Menu.frm"), MenuForm("a"));
    WriteBytes(work_.filePath("Bare.frm"), kNoMenuForm);
    Open(work_.path());
    auto* text2 = Control<QPlainTextEdit>(*window_, "Text2");

    Pick(QStringLiteral("Menu.frm"));
    Convert();
    QVERIFY(!text2->toPlainText().isEmpty());
    const QString previous = work_.filePath("Bare.rc");
    WriteBytes(previous, "previous output");

    Pick(QStringLiteral("Bare.frm"));
    Convert();
    QCOMPARE(platform_.messages.size(), std::size_t{1});
    QCOMPARE(platform_.messages[0].text, QStringLiteral("Podany plik (formularz) nie posiada menu"));
    QCOMPARE(platform_.messages[0].title, QStringLiteral("Błąd"));
    QVERIFY(text2->toPlainText().isEmpty());
    QCOMPARE(ReadBytes(previous), QByteArray("previous output"));

    QTest::mouseClick(Control<QRadioButton>(*window_, "Option2"), Qt::LeftButton);
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    Convert();
    QCOMPARE(platform_.messages.size(), std::size_t{2});
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
}

void FrmMainTest::eachFailureIsToldAndTheWindowGoesOn() {
    const QString form = work_.filePath("Form1.frm");
    WriteBytes(form, MenuForm("a"));
    const QByteArray formBytes = ReadBytes(form);
    Open(work_.path());
    auto* text1 = Control<QLineEdit>(*window_, "Text1");
    auto* text2 = Control<QPlainTextEdit>(*window_, "Text2");
    auto* text3 = Control<QLineEdit>(*window_, "Text3");
    const QString output = work_.filePath("Form1.rc");
    WriteBytes(output, "previous output");

    struct Case {
        const char* what;
        std::function<void()> arrange;
        QStringList mentions;  // what the message must name
    };
    const QString missingDir = work_.filePath("missing/out.rc");
    const std::vector<Case> cases = {
        {"no file selected", [&] { Control<FileListBox>(*window_, "File1")->clearSelection(); text1->setText(output); },
         {work_.path() + "/"}},
        {"first ID out of range", [&] { Pick("Form1.frm"); text3->setText("99999999999"); }, {"99999999999"}},
        {"empty output name", [&] { Pick("Form1.frm"); text1->clear(); }, {"Nazwa pliku RES"}},
        {"missing directory", [&] { Pick("Form1.frm"); text1->setText(missingDir); },
         {missingDir, SystemReason(std::errc::no_such_file_or_directory)}},
        {"output is a directory", [&] { Pick("Form1.frm"); text1->setText(work_.path()); }, {work_.path()}},
        {"output is the form", [&] { Pick("Form1.frm"); text1->setText(form); }, {form}},
        {"form vanished", [&] { Pick("Form1.frm"); text1->setText(output); QFile::rename(form, form + ".away"); },
         {form, SystemReason(std::errc::no_such_file_or_directory)}},
    };
    for (const Case& failure : cases) {
        text3->setText("100");
        platform_.messages.clear();
        failure.arrange();
        Convert();
        QVERIFY2(platform_.messages.size() == 1, failure.what);
        QCOMPARE(platform_.messages[0].title, QStringLiteral("Błąd"));
        for (const QString& mention : failure.mentions)
            QVERIFY2(platform_.messages[0].text.contains(mention), qPrintable(failure.what + (": " + platform_.messages[0].text)));
        QVERIFY2(text2->toPlainText().isEmpty(), failure.what);
        QCOMPARE(ReadBytes(output), QByteArray("previous output"));
        QFile::rename(form + ".away", form);
        Open(work_.path());
    }
    QCOMPARE(ReadBytes(form), formBytes);

    // And the window still converts.
    platform_.messages.clear();
    Pick("Form1.frm");
    text1->setText(output);
    Convert();
    QVERIFY(platform_.messages.empty());
    QCOMPARE(ReadBytes(output), CliBytes(form, {}));
}

void FrmMainTest::realMessageBoxIsAModalWarningWithOneOk() {
    tarvel::Platform real;
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        seen = true;
        QCOMPARE(box->windowTitle(), QStringLiteral("Błąd"));
        QCOMPARE(box->text(), QStringLiteral("Włóż dyskietkę"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(box->isModal());
        box->button(QMessageBox::Ok)->click();
    });
    real.ShowMessage(*window_, QStringLiteral("Włóż dyskietkę"), QStringLiteral("Błąd"));
    QVERIFY(seen);
}

void FrmMainTest::aboutButtonShowsTheAboutBoxWithTheWindowIcon() {
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* about = qobject_cast<frmAbout*>(modal);
        QVERIFY(about);
        seen = true;
        QCOMPARE(about->windowIcon().availableSizes(), window_->windowIcon().availableSizes());
        about->reject();
    });
    QTest::mouseClick(Control<QPushButton>(*window_, "Command2"), Qt::LeftButton);
    QVERIFY(seen);
    QVERIFY(window_->isVisible());
}

void FrmMainTest::exitButtonEndsTheProgram() {
    Control<QLineEdit>(*window_, "Text1")->setText("holds text");
    QTest::mouseClick(Control<QPushButton>(*window_, "Command3"), Qt::LeftButton);
    QCOMPARE(platform_.endCalls, 1);
}

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
