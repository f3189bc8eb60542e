// The main window under hostile conditions, on the offscreen platform: a
// directory of 100,000 files of which 1,000 are forms, the directory shown
// being removed, the chosen form vanishing (or turning into a pipe) before
// Convert, and Convert pressed 200 times in a row.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "file_lists.h"
#include "frm_main.h"
#include "window_harness.h"

namespace {

QString SystemReason(std::errc code) {
    return QString::fromLocal8Bit(std::make_error_code(code).message());
}

QStringList Names(const FileListBox& list) {
    QStringList names;
    for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
    return names;
}

// The names Dir1 offers below the directory it shows.
QStringList Subdirectories(const DirListBox& tree) {
    QStringList names;
    if (QTreeWidgetItem* shown = tree.currentItem())
        for (int i = 0; i < shown->childCount(); ++i) names << shown->child(i)->text(0);
    return names;
}

}  // namespace

class HostileWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void crowdedDirectoryListsExactlyItsForms();
    void removedDirectoryIsLeftForWhatRemains();
    void removedDirectoryIsLeftAlsoBeforeTheNotice();
    void removedDirectoryOfADriveSendsTheDriveBack();
    void formDeletedBeforeConvertIsToldAndNothingIsDelivered();
    void formReplacedByAPipeIsRefusedWithoutWaiting();
    void convertPressedManyTimesGivesTheSameOutput();

private:
    void Open(const QString& directory);
    void Pick(const QString& fileName);
    void Convert();
    DirListBox& Dir1() { return *Control<DirListBox>(*window_, "Dir1"); }
    FileListBox& File1() { return *Control<FileListBox>(*window_, "File1"); }

    QTemporaryDir work_;
    TestPlatform platform_;
    std::unique_ptr<frmMain> window_;
};

void HostileWindowTest::init() {
    QVERIFY(work_.isValid());
    platform_ = TestPlatform();
    window_ = std::make_unique<frmMain>(platform_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void HostileWindowTest::cleanup() {
    window_.reset();
    QDir(work_.path()).removeRecursively();
    QDir().mkpath(work_.path());
}

void HostileWindowTest::Open(const QString& directory) {
    QVERIFY(Dir1().setPath(directory));
}

void HostileWindowTest::Pick(const QString& fileName) {
    const QList<QListWidgetItem*> found = File1().findItems(fileName, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    File1().scrollToItem(found.first());
    QTest::mouseClick(File1().viewport(), Qt::LeftButton, {}, File1().visualItemRect(found.first()).center());
}

void HostileWindowTest::Convert() {
    QTest::mouseClick(Control<QPushButton>(*window_, "Command1"), Qt::LeftButton);
}

void HostileWindowTest::crowdedDirectoryListsExactlyItsForms() {
    const QString crowded = work_.filePath("Crowded");
    QVERIFY(QDir().mkpath(crowded));
    // 99,000 other files, among them names that only look like forms.
    static const char* const kDecoys[] = {".txt", ".frx", ".frm.bak", ".frmx", "_frm", ".fr", ".rc", ""};
    QStringList forms;
    for (int i = 0; i < 100'000; ++i) {
        QString name;
        if (i % 100 == 0) {
            static const char* const kFormEnds[] = {".frm", ".FRM", ".Frm"};
            name = QStringLiteral("Form%1%2").arg(i, 6, 10, QLatin1Char('0')).arg(QLatin1String(kFormEnds[(i / 100) % 3]));
            forms << name;
        } else {
            name = QStringLiteral("data%1%2").arg(i, 6, 10, QLatin1Char('0')).arg(QLatin1String(kDecoys[i % 8]));
        }
        QFile file(crowded + '/' + name);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(name));
        if (i % 100 == 0) file.write(MenuForm("&Formularz"));
    }
    QCOMPARE(QDir(crowded).entryList(QDir::Files).size(), 100'000);
    QCOMPARE(forms.size(), 1'000);
    std::sort(forms.begin(), forms.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });

    // Opened from Dir1 with the keyboard, as a user would; a timer queued before
    // the opening must still run, so the event loop goes on after the listing.
    Open(work_.path());
    const QList<QTreeWidgetItem*> found = Dir1().findItems("Crowded", Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    Dir1().setCurrentItem(found.first());
    bool queuedTimerRan = false;
    QTimer::singleShot(0, this, [&] { queuedTimerRan = true; });
    QTest::keyClick(&Dir1(), Qt::Key_Return);
    QCOMPARE(Dir1().path(), crowded);
    QCOMPARE(Names(File1()), forms);
    QVERIFY(Subdirectories(Dir1()).isEmpty());
    QTRY_VERIFY(queuedTimerRan);

    // The last of the thousand is reachable and converts.
    const QString last = forms.last();
    Pick(last);
    const QString output = work_.filePath("last.rc");
    Control<QLineEdit>(*window_, "Text1")->setText(output);
    Convert();
    QVERIFY(platform_.messages.empty());
    QCOMPARE(ReadBytes(output), CliBytes(crowded + '/' + last, {}));
}

void HostileWindowTest::removedDirectoryIsLeftForWhatRemains() {
    QVERIFY(QDir(work_.path()).mkpath("Keep/Gone/Deeper"));
    const QString keep = work_.filePath("Keep");
    WriteBytes(keep + "/Top.frm", MenuForm("a"));
    WriteBytes(keep + "/Gone/Inner.frm", MenuForm("b"));

    Open(keep + "/Gone");
    QCOMPARE(Names(File1()), QStringList{"Inner.frm"});
    QVERIFY(QDir(keep + "/Gone").removeRecursively());

    // The window notices by itself and shows the directory above, in step.
    QTRY_COMPARE(Dir1().path(), keep);
    QCOMPARE(window_->state().dirPath, (keep + "/").toStdString());
    QCOMPARE(File1().path(), keep);
    QCOMPARE(Names(File1()), QStringList{"Top.frm"});
    QVERIFY(Subdirectories(Dir1()).isEmpty());
    QVERIFY(platform_.messages.empty());

    // A whole branch removed at once: up to the first directory that is left.
    QVERIFY(QDir(keep).mkpath("A/B/C"));
    Open(keep + "/A/B/C");
    QVERIFY(QDir(keep).removeRecursively());
    QTRY_COMPARE(Dir1().path(), work_.path());
    QCOMPARE(window_->state().dirPath, (work_.path() + "/").toStdString());
    QVERIFY(Names(File1()).isEmpty());
    QCOMPARE(Dir1().topLevelItem(0)->text(0), QStringLiteral("/"));

    // And the window goes on working there.
    WriteBytes(work_.filePath("Form1.frm"), MenuForm("c"));
    Open(QStringLiteral("/"));
    Open(work_.path());
    QCOMPARE(Names(File1()), QStringList{"Form1.frm"});
    Pick("Form1.frm");
    Convert();
    QVERIFY(platform_.messages.empty());
    QCOMPARE(ReadBytes(work_.filePath("Form1.rc")), CliBytes(work_.filePath("Form1.frm"), {}));
}

void HostileWindowTest::removedDirectoryIsLeftAlsoBeforeTheNotice() {
    QVERIFY(QDir(work_.path()).mkpath("Keep/Gone"));
    const QString keep = work_.filePath("Keep");
    WriteBytes(keep + "/Gone/Inner.frm", MenuForm("b"));
    Open(keep + "/Gone");
    Pick("Inner.frm");
    QVERIFY(QDir(keep + "/Gone").removeRecursively());

    // Convert before any event has been handled: the form is told missing.
    Convert();
    QCOMPARE(platform_.messages.size(), std::size_t{1});
    QVERIFY(platform_.messages[0].text.contains(keep + "/Gone/Inner.frm"));
    QVERIFY(platform_.messages[0].text.contains(SystemReason(std::errc::no_such_file_or_directory)));
    QVERIFY(!QFileInfo::exists(keep + "/Gone/Inner.rc"));

    // Enter on the vanished directory itself, still before the notice, leaves it at once.
    QTreeWidgetItem* shown = Dir1().currentItem();
    QCOMPARE(shown->data(0, Qt::UserRole).toString(), keep + "/Gone");
    QTest::keyClick(&Dir1(), Qt::Key_Return);
    QCOMPARE(Dir1().path(), keep);
    QCOMPARE(window_->state().dirPath, (keep + "/").toStdString());
    QVERIFY(Names(File1()).isEmpty());
}

void HostileWindowTest::removedDirectoryOfADriveSendsTheDriveBack() {
    // The work folder stands in for a removable drive that is pulled out.
    const QString stick = work_.filePath("Stick");
    QVERIFY(QDir(stick).mkpath("Sub"));
    platform_.drives = {QStringLiteral("/"), stick};
    window_ = std::make_unique<frmMain>(platform_);
    window_->show();
    auto* drive1 = Control<QComboBox>(*window_, "Drive1");

    drive1->setCurrentText(stick);
    Open(stick + "/Sub");
    QVERIFY(QDir(stick).removeRecursively());
    QTRY_COMPARE(Dir1().path(), work_.path());
    QVERIFY(platform_.messages.empty());

    // Choosing the vanished drive again: told once, and the drive of what is shown comes back.
    drive1->setCurrentText(QStringLiteral("/"));
    drive1->setCurrentText(stick);
    QCOMPARE(platform_.messages.size(), std::size_t{1});
    QCOMPARE(platform_.messages[0].text, QStringLiteral("Włóż dyskietkę"));
    QCOMPARE(drive1->currentText(), QStringLiteral("/"));
    QCOMPARE(Dir1().path(), work_.path());
    QCOMPARE(window_->state().dirPath, (work_.path() + "/").toStdString());
}

void HostileWindowTest::formDeletedBeforeConvertIsToldAndNothingIsDelivered() {
    const QString form = work_.filePath("Form1.frm");
    WriteBytes(form, MenuForm("a"));
    const QByteArray expected = CliBytes(form, {});
    Open(work_.path());
    auto* text2 = Control<QPlainTextEdit>(*window_, "Text2");
    const QString output = work_.filePath("Form1.rc");

    for (const bool toClipboard : {false, true}) {
        platform_.messages.clear();
        WriteBytes(form, MenuForm("a"));
        WriteBytes(output, "previous output");
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
        QTest::mouseClick(Control<QRadioButton>(*window_, toClipboard ? "Option2" : "Option1"), Qt::LeftButton);
        Pick("Form1.frm");
        QCOMPARE(Control<QLineEdit>(*window_, "Text1")->text(), output);
        QVERIFY(QFile::remove(form));

        Convert();
        QCOMPARE(platform_.messages.size(), std::size_t{1});
        QCOMPARE(platform_.messages[0].title, QStringLiteral("Błąd"));
        QCOMPARE(platform_.messages[0].text, QStringLiteral("Nie można odczytać pliku formularza „%1”: %2.")
                                                 .arg(form, SystemReason(std::errc::no_such_file_or_directory)));
        QVERIFY(text2->toPlainText().isEmpty());
        QCOMPARE(ReadBytes(output), QByteArray("previous output"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    }

    // Put back under the same name, the form converts again.
    QTest::mouseClick(Control<QRadioButton>(*window_, "Option1"), Qt::LeftButton);
    WriteBytes(form, MenuForm("a"));
    platform_.messages.clear();
    Convert();
    QVERIFY(platform_.messages.empty());
    QCOMPARE(ReadBytes(output), expected);
}

void HostileWindowTest::formReplacedByAPipeIsRefusedWithoutWaiting() {
#ifdef Q_OS_UNIX
    const QString form = work_.filePath("Form1.frm");
    WriteBytes(form, MenuForm("a"));
    Open(work_.path());
    Pick("Form1.frm");
    QVERIFY(QFile::remove(form));
    QCOMPARE(mkfifo(QFile::encodeName(form).constData(), 0600), 0);

    // Reading the pipe would wait for a writer that never comes; the message comes instead.
    Convert();
    QCOMPARE(platform_.messages.size(), std::size_t{1});
    QCOMPARE(platform_.messages[0].text,
             QStringLiteral("Nie można odczytać pliku formularza „%1”: to nie jest zwykły plik, "
                            "lecz potok, gniazdo lub urządzenie.")
                 .arg(form));
    QVERIFY(!QFileInfo::exists(work_.filePath("Form1.rc")));

    // A directory in its place is the conversion's to refuse, with the system's reason.
    QVERIFY(QFile::remove(form));
    QVERIFY(QDir().mkdir(form));
    platform_.messages.clear();
    Convert();
    QCOMPARE(platform_.messages.size(), std::size_t{1});
    QVERIFY(platform_.messages[0].text.contains(form));
    QVERIFY(!QFileInfo::exists(work_.filePath("Form1.rc")));
#else
    QSKIP("pipes in the file system are a Unix matter");
#endif
}

void HostileWindowTest::convertPressedManyTimesGivesTheSameOutput() {
    const QString form = work_.filePath("Form1.frm");
    // A caption outside ASCII, in code page 1250, so the decoding is exercised each time.
    QStringEncoder cp1250("windows-1250");
    WriteBytes(form, MenuForm(cp1250.encode(QStringLiteral("Zażółć"))));
    const QByteArray expected = CliBytes(form, {});
    QVERIFY(!expected.isEmpty());
    Open(work_.path());
    Pick("Form1.frm");
    const QString output = work_.filePath("Form1.rc");
    auto* text2 = Control<QPlainTextEdit>(*window_, "Text2");

    for (int press = 0; press < 200; ++press) {
        Convert();
        QVERIFY2(platform_.messages.empty(), qPrintable(QString::number(press)));
        QVERIFY2(ReadBytes(output) == expected, qPrintable(QString::number(press)));
    }
    // No temporary file from the 200 atomic writes stays behind.
    QCOMPARE(QDir(work_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList({"Form1.frm", "Form1.rc"}));

    QTest::mouseClick(Control<QRadioButton>(*window_, "Option2"), Qt::LeftButton);
    QByteArray cli = expected;
    cli.chop(2);  // the file's extra CR LF
    QStringDecoder fromCp1250("windows-1250");
    const QString clipText = fromCp1250.decode(cli);
    const QString firstResult = text2->toPlainText();
    QVERIFY(firstResult.contains(QStringLiteral("Zażółć")));
    for (int press = 0; press < 200; ++press) {
        QGuiApplication::clipboard()->clear();
        Convert();
        QVERIFY2(platform_.messages.empty(), qPrintable(QString::number(press)));
        QVERIFY2(QGuiApplication::clipboard()->text() == clipText, qPrintable(QString::number(press)));
        QVERIFY2(text2->toPlainText() == firstResult, qPrintable(QString::number(press)));
    }
    QCOMPARE(ReadBytes(output), expected);
}

QTEST_MAIN(HostileWindowTest)
#include "hostile_window_test.moc"
