// The Qt view of the main window on the offscreen platform: its controls as the
// layout table places them, every caption of both windows fitting its control in
// the font used, the greyed name box readable, the tab order and the hidden
// result box, and that each control's event reaches the behaviour and its
// answers show: the lists, the name box, a conversion to a file and to the
// clipboard, the real message box, the lists following the disk, a form named
// at start or dropped, the lists' focus frame, the About box and the Exit button.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <memory>

#include "file_lists.h"
#include "frm_about.h"
#include "frm_main.h"
#include "main_window_layout.h"
#include "test_files.h"
#include "test_platform.h"

namespace {

template <class Widget>
Widget* Control(QWidget& window, const char* name) {
    return window.findChild<Widget*>(QLatin1String(name));
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Why `control` cannot show its caption whole in the font it uses; empty when it can.
QString Clipped(QWidget& control) {
    const QFontMetrics metrics = control.fontMetrics();
    const auto tooWide = [&](const QString& text, int room) {
        const int needed = metrics.horizontalAdvance(text);
        return needed > room ? QStringLiteral("%1: \"%2\" needs %3 px, has %4")
                                   .arg(control.objectName(), text).arg(needed).arg(room)
                             : QString();
    };
    if (auto* label = qobject_cast<QLabel*>(&control)) {
        const QRect room = label->contentsRect();
        if (!label->wordWrap()) {
            if (metrics.height() > room.height()) return label->objectName() + ": too low for a line";
            return tooWide(label->text(), room.width());
        }
        const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 10000),
                                                  Qt::TextWordWrap | int(label->alignment()), label->text());
        return needed.height() > room.height() || needed.width() > room.width()
                   ? QStringLiteral("%1: wrapped text needs %2 x %3 px, has %4 x %5")
                         .arg(label->objectName()).arg(needed.width()).arg(needed.height())
                         .arg(room.width()).arg(room.height())
                   : QString();
    }
    if (auto* box = qobject_cast<QGroupBox*>(&control)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        option.textAlignment = box->alignment();
        const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        return tooWide(box->title(), box->width() - title.left());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QStyle::SubElement contents = qobject_cast<QCheckBox*>(button)      ? QStyle::SE_CheckBoxContents
                                            : qobject_cast<QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                                                  : QStyle::SE_PushButtonContents;
        return tooWide(button->text(), button->style()->subElementRect(contents, &option, button).width());
    }
    return control.objectName() + ": not a control with a caption";
}

// The width a line edit gives its text: its contents less the two pixels it keeps clear on each side.
int TextRoom(QLineEdit& box) {
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.lineWidth = box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box) : 0;
    const QMargins margins = box.textMargins();
    return box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box).width() - margins.left() -
           margins.right() - 2 * 2;
}

// Shows the window and waits for Form_Load, which runs once the window is on the screen.
void ShowLoaded(frmMain& window) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.findChild<QComboBox*>(QStringLiteral("Drive1"))->count() > 0);
}

// WCAG's contrast ratio of two colours, 1 to 21.
double Contrast(QColor a, QColor b) {
    const auto luminance = [](QColor colour) {
        const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

class FrmMainTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startStateMatchesTheLayout();
    void theListsAreFilledBeforeTheFirstPaint();
    void everyCaptionFitsItsControlInBothWindows();
    void theGreyedNameBoxStaysReadable();
    void tabVisitsTheControlsInOrder();
    void eventsReachTheBehaviourAndItsAnswersShow();
    void driveNotReadyShowsAModalWarningWithOneOk();
    void aDirectoryRemovedUnderTheWindowIsLeft();
    void formsCreatedAndDeletedInTheDirectoryShownComeAndGo();
    void aFormNamedAtStartOrDroppedIsPicked();
    void theFocusedListsShowAFocusFrame();
    void aboutButtonShowsTheAboutBoxWithTheWindowIcon();
    void exitButtonEndsTheProgram();

private:
    void Pick(const QString& fileName);
    DirListBox& Dir1() { return *Control<DirListBox>(*window_, "Dir1"); }
    FileListBox& File1() { return *Control<FileListBox>(*window_, "File1"); }
    QLineEdit& Text1() { return *Control<QLineEdit>(*window_, "Text1"); }

    std::unique_ptr<ScratchDirectory> work_;
    TestPlatform platform_;
    std::unique_ptr<frmMain> window_;
};

void FrmMainTest::init() {
    work_ = std::make_unique<ScratchDirectory>();
    platform_ = TestPlatform();
    window_ = std::make_unique<frmMain>(platform_);
    ShowLoaded(*window_);
}

void FrmMainTest::cleanup() {
    window_.reset();
    work_.reset();
}

void FrmMainTest::Pick(const QString& fileName) {
    const QList<QListWidgetItem*> found = File1().findItems(fileName, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    File1().scrollToItem(found.first());
    QTest::mouseClick(File1().viewport(), Qt::LeftButton, {}, File1().visualItemRect(found.first()).center());
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
        {"Label1", {8, 288, 177, 17}, "frmMain"},    {"Command1", {376, 8, 105, 25}, "frmMain"},
        {"Command2", {376, 40, 105, 25}, "frmMain"}, {"Command3", {376, 72, 105, 25}, "frmMain"},
        {"Text2", {8, 336, 457, 185}, "frmMain"},    {"Frame1", {368, 126, 121, 83}, "frmMain"},
        {"Text3", {8, 34, 105, 19}, "Frame1"},       {"Label2", {8, 16, 105, 17}, "Frame1"},
        {"chkDefine", {8, 58, 105, 17}, "Frame1"},   {"Frame2", {368, 216, 121, 57}, "frmMain"},
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
    QVERIFY(Text1().text().isEmpty());
    QVERIFY(Text1().isEnabled());
    QVERIFY(Control<QPlainTextEdit>(w, "Text2")->toPlainText().isEmpty());
    QVERIFY(Control<QPlainTextEdit>(w, "Text2")->visibleRegion().isEmpty());

    // Form_Load's answers, shown: the root drive, the root directory.
    QCOMPARE(Control<QComboBox>(w, "Drive1")->currentText(), QStringLiteral("/"));
    QCOMPARE(Dir1().path(), QStringLiteral("/"));
    QCOMPARE(Dir1().topLevelItem(0)->text(0), QStringLiteral("/"));
    QCOMPARE(Dir1().currentItem(), Dir1().topLevelItem(0));
}

void FrmMainTest::theListsAreFilledBeforeTheFirstPaint() {
    // Form_Load runs as the window is shown, before the event loop paints it: its first picture has the lists.
    frmMain fresh(platform_);
    fresh.show();
    QCOMPARE(Control<QComboBox>(fresh, "Drive1")->currentText(), QStringLiteral("/"));
    QCOMPARE(Control<DirListBox>(fresh, "Dir1")->path(), QStringLiteral("/"));
    QVERIFY(Control<DirListBox>(fresh, "Dir1")->topLevelItemCount() > 0);
}

void FrmMainTest::everyCaptionFitsItsControlInBothWindows() {
    // The window's font is the system's family at 8 points, which is what the layout was measured for.
    QCOMPARE(window_->font().family(), QApplication::font().family());
    QCOMPARE(window_->font().pointSizeF(), 8.0);
    QStringList clipped;
    int checked = 0;
    for (const tarvel::ui::ControlPlace& place : tarvel::ui::kMainWindowControls) {
        using Kind = tarvel::ui::ControlKind;
        if (place.kind != Kind::Label && place.kind != Kind::Button && place.kind != Kind::CheckBox &&
            place.kind != Kind::OptionButton && place.kind != Kind::Frame)
            continue;
        auto* control = Control<QWidget>(*window_, std::string(place.name).c_str());
        QCOMPARE(control->font().pointSizeF(), 8.0);
        if (const QString why = Clipped(*control); !why.isEmpty()) clipped << why;
        ++checked;
    }
    QCOMPARE(checked, 10);

    // The number box shows the longest numbers it takes whole, the sign and all.
    auto& text3 = *Control<QLineEdit>(*window_, "Text3");
    for (const QString& number : {QStringLiteral("&H7FFFFFFF"), QStringLiteral("-&H7FFFFFFF"), QStringLiteral("-2147483648")})
        if (text3.fontMetrics().horizontalAdvance(number) > TextRoom(text3)) clipped << "Text3: " + number;

    // The About box as its button shows it, with the version in place.
    frmAbout about(platform_);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    for (const char* name : {"cmdOK", "cmdSysInfo", "lblTitle", "lblVersion", "lblDescription", "lblDisclaimer"}) {
        auto* control = about.findChild<QWidget*>(QLatin1String(name));
        QVERIFY2(control, name);
        if (const QString why = Clipped(*control); !why.isEmpty()) clipped << why;
    }
    QVERIFY(about.findChild<QLabel*>(QStringLiteral("lblVersion"))->text().startsWith(QStringLiteral("Wersja ")));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("lblTitle"))->font().pointSizeF(), 13.5);
    QCOMPARE(about.findChild<QPushButton*>(QStringLiteral("cmdOK"))->font().pointSizeF(), 8.0);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
}

void FrmMainTest::theGreyedNameBoxStaysReadable() {
    Text1().setText(QStringLiteral("/home/ania/Formularze/Form1.rc"));
    QTest::mouseClick(Control<QRadioButton>(*window_, "Option2"), Qt::LeftButton);
    QVERIFY(!Text1().isEnabled());
    const QColor background = Text1().palette().color(QPalette::Disabled, QPalette::Base);
    const QColor text = Text1().palette().color(QPalette::Disabled, QPalette::Text);
    QCOMPARE(background, QColor(192, 192, 192));
    QVERIFY2(Contrast(text, background) >= 4.5, qPrintable(QString::number(Contrast(text, background))));

    // And as drawn: the background where no text is, and the darkest pixel of the text on it.
    const QImage drawn = Text1().grab().toImage();
    const QColor clear = drawn.pixelColor(drawn.width() - 6, drawn.height() / 2);
    QCOMPARE(clear, background);
    QColor darkest = clear;
    for (int y = 3; y < drawn.height() - 3; ++y)
        for (int x = 3; x < drawn.width() - 3; ++x)
            if (drawn.pixelColor(x, y).lightness() < darkest.lightness()) darkest = drawn.pixelColor(x, y);
    QVERIFY2(Contrast(darkest, clear) >= 4.5, qPrintable(darkest.name() + " on " + clear.name()));
}

void FrmMainTest::tabVisitsTheControlsInOrder() {
    QApplication::setActiveWindow(window_.get());
    Dir1().setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), &Dir1());
    // The option group is one stop: Tab lands on the selected button only. The
    // result box, never seen, is never a stop, also not after "Koniec".
    QCOMPARE(Control<QPlainTextEdit>(*window_, "Text2")->focusPolicy(), Qt::NoFocus);
    const QStringList expected = {"Drive1", "File1",     "Text1",   "Command1", "Command2", "Command3",
                                  "Text3",  "chkDefine", "Option1", "Dir1"};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void FrmMainTest::eventsReachTheBehaviourAndItsAnswersShow() {
    fs::create_directories(work_->path() / "Work/Sub");
    const QString workDir = Q(*work_ / "Work");
    fs::copy_file(TARVEL_EXAMPLES_DIR "/Form1.frm", work_->path() / "Work/Form1.frm");
    WriteBytes(work_->path() / "Work/MENU.FRM", MenuForm("&Nowy"));

    // A line of Dir1 opened with the keyboard, as a user would.
    emit Dir1().Opened(Q(work_->path().string()));
    const QList<QTreeWidgetItem*> found = Dir1().findItems("Work", Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    Dir1().setCurrentItem(found.first());
    QTest::keyClick(&Dir1(), Qt::Key_Return);
    QCOMPARE(Dir1().path(), workDir);
    QCOMPARE(window_->behaviour().state().dirPath, (workDir + "/").toStdString());
    QCOMPARE(File1().count(), 2);
    QVERIFY(!Dir1().findItems("Sub", Qt::MatchExactly | Qt::MatchRecursive).isEmpty());

    // Picks by mouse and by keyboard propose the name.
    Pick(QStringLiteral("Form1.frm"));
    QCOMPARE(Text1().text(), workDir + "/Form1.rc");
    QTest::keyClick(&File1(), Qt::Key_Down);
    QCOMPARE(Text1().text(), workDir + "/MENU.rc");

    QTest::mouseClick(Control<QRadioButton>(*window_, "Option2"), Qt::LeftButton);
    QVERIFY(!Text1().isEnabled());
    QCOMPARE(Text1().palette().color(QPalette::Base), QColor(192, 192, 192));
    QTest::mouseClick(Control<QRadioButton>(*window_, "Option1"), Qt::LeftButton);
    QVERIFY(Text1().isEnabled());
    QCOMPARE(Text1().palette().color(QPalette::Base), QColor(255, 255, 255));

    // Konwertuj with the options as the boxes hold them.
    Pick(QStringLiteral("Form1.frm"));
    Control<QLineEdit>(*window_, "Text3")->setText(QStringLiteral("&H10"));
    QTest::mouseClick(Control<QCheckBox>(*window_, "chkDefine"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(*window_, "Command1"), Qt::LeftButton);
    const fs::path form = work_->path() / "Work/Form1.frm";
    QVERIFY(ReadBytes(work_->path() / "Work/Form1.rc") == CliBytes(form, {"--no-define", "-n", "&H10"}));
    auto* text2 = Control<QPlainTextEdit>(*window_, "Text2");
    QVERIFY(text2->toPlainText().contains(QStringLiteral("MENUITEM")));
    QVERIFY(text2->visibleRegion().isEmpty());

    // And to the clipboard, with no file written.
    fs::remove(work_->path() / "Work/Form1.rc");
    QTest::mouseClick(Control<QRadioButton>(*window_, "Option2"), Qt::LeftButton);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::mouseClick(Control<QPushButton>(*window_, "Command1"), Qt::LeftButton);
    std::string cli = CliBytes(form, {"--no-define", "-n", "&H10"});
    cli.resize(cli.size() - 2);  // the file's extra CR LF
    QCOMPARE(QGuiApplication::clipboard()->text(), Q(cli));
    QVERIFY(!fs::exists(work_->path() / "Work/Form1.rc"));
}

void FrmMainTest::driveNotReadyShowsAModalWarningWithOneOk() {
    const QString missing = Q(*work_ / "no-medium");
    platform_.drives = {"/", missing.toStdString()};
    window_ = std::make_unique<frmMain>(platform_);
    ShowLoaded(*window_);
    QVERIFY(!QTest::currentTestFailed());
    auto* drive1 = Control<QComboBox>(*window_, "Drive1");

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
    drive1->setCurrentIndex(drive1->findText(missing));
    QVERIFY(seen);
    QCOMPARE(drive1->currentText(), QStringLiteral("/"));
    QCOMPARE(Dir1().path(), QStringLiteral("/"));
}

void FrmMainTest::aDirectoryRemovedUnderTheWindowIsLeft() {
    fs::create_directories(work_->path() / "Keep/Gone");
    WriteBytes(work_->path() / "Keep/Top.frm", MenuForm("a"));
    emit Dir1().Opened(Q(*work_ / "Keep/Gone"));
    QCOMPARE(Dir1().path(), Q(*work_ / "Keep/Gone"));
    fs::remove_all(work_->path() / "Keep/Gone");

    // The window notices by itself and shows the directory above, in step.
    QTRY_COMPARE(Dir1().path(), Q(*work_ / "Keep"));
    QCOMPARE(File1().count(), 1);
    QCOMPARE(File1().item(0)->text(), QStringLiteral("Top.frm"));
}

void FrmMainTest::formsCreatedAndDeletedInTheDirectoryShownComeAndGo() {
    fs::create_directories(work_->path() / "Work");
    for (const char* name : {"A.frm", "B.frm"}) WriteBytes(work_->path() / "Work" / name, MenuForm("a"));
    const QString workDir = Q(*work_ / "Work");
    emit Dir1().Opened(workDir);
    Pick(QStringLiteral("B.frm"));
    const QString proposed = workDir + "/B.rc";
    QCOMPARE(Text1().text(), proposed);
    const auto listed = [this] {
        QStringList names;
        for (int i = 0; i < File1().count(); ++i) names << File1().item(i)->text();
        return names;
    };

    // The window notices by itself; the form picked stays picked, its proposed name stays.
    WriteBytes(work_->path() / "Work/C.frm", MenuForm("c"));
    fs::create_directory(work_->path() / "Work/New");
    QTRY_COMPARE(listed(), QStringList({"A.frm", "B.frm", "C.frm"}));
    QTRY_VERIFY(!Dir1().findItems("New", Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
    QCOMPARE(File1().fileName(), QStringLiteral("B.frm"));
    fs::remove(work_->path() / "Work/A.frm");
    QTRY_COMPARE(listed(), QStringList({"B.frm", "C.frm"}));
    QCOMPARE(File1().fileName(), QStringLiteral("B.frm"));
    QCOMPARE(Dir1().path(), workDir);
    QCOMPARE(Text1().text(), proposed);

    // The form picked deleted: nothing is picked, and nothing else moves.
    fs::remove(work_->path() / "Work/B.frm");
    QTRY_COMPARE(listed(), QStringList({"C.frm"}));
    QVERIFY(File1().fileName().isEmpty());
    QCOMPARE(Text1().text(), proposed);
    QCOMPARE(window_->behaviour().state().dirPath, (workDir + "/").toStdString());
}

void FrmMainTest::aFormNamedAtStartOrDroppedIsPicked() {
    fs::create_directories(work_->path() / "Start");
    fs::create_directories(work_->path() / "Dropped");
    WriteBytes(work_->path() / "Start/Form1.frm", MenuForm("a"));
    WriteBytes(work_->path() / "Dropped/Menu.frm", MenuForm("b"));
    window_ = std::make_unique<frmMain>(platform_, *work_ / "Start/Form1.frm");
    ShowLoaded(*window_);
    QCOMPARE(Dir1().path(), Q(*work_ / "Start"));
    QCOMPARE(File1().fileName(), QStringLiteral("Form1.frm"));
    QCOMPARE(Text1().text(), Q(*work_ / "Start/Form1.rc"));

    // A drag from a file manager carries file URLs; only one with a local file is taken.
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://tarvel.example.org/Menu.frm"))});
    QDragEnterEvent webEnter(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton, {});
    QApplication::sendEvent(window_.get(), &webEnter);
    QVERIFY(!webEnter.isAccepted());

    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(Q(*work_ / "Dropped/Menu.frm"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(window_.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(window_.get(), &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(Dir1().path(), Q(*work_ / "Dropped"));
    QCOMPARE(File1().fileName(), QStringLiteral("Menu.frm"));
    QCOMPARE(Text1().text(), Q(*work_ / "Dropped/Menu.rc"));
}

void FrmMainTest::theFocusedListsShowAFocusFrame() {
    QApplication::setActiveWindow(window_.get());
    auto& konwertuj = *Control<QPushButton>(*window_, "Command1");
    for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(&Dir1()), static_cast<QAbstractItemView*>(&File1())}) {
        list->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(list->hasFocus());
        const QImage focused = list->grab().toImage();
        konwertuj.setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(konwertuj.hasFocus());
        const QImage unfocused = list->grab().toImage();
        // The frame's top edge, where no line of the list is drawn, and its colour when focused.
        int differing = 0;
        for (int x = 2; x < focused.width() - 2; ++x) differing += focused.pixel(x, 0) != unfocused.pixel(x, 0);
        QVERIFY2(differing > focused.width() / 2, qPrintable(list->objectName()));
        QCOMPARE(focused.pixelColor(focused.width() / 2, 0), list->palette().color(QPalette::Highlight));
    }
}

void FrmMainTest::aboutButtonShowsTheAboutBoxWithTheWindowIcon() {
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
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
    Text1().setText("holds text");
    QTimer::singleShot(0, this, [this] { QTest::mouseClick(Control<QPushButton>(*window_, "Command3"), Qt::LeftButton); });
    QTimer failsafe;
    failsafe.setSingleShot(true);
    connect(&failsafe, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    failsafe.start(10000);
    QCOMPARE(QApplication::exec(), 0);
}

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
