// The Qt view of the About box as the main window's About button shows it: the
// layout, modal, loaded anew on every showing, closed by OK, Enter and Escape
// alike, and "WWW" reaching the behaviour. A plain QWidget with an icon stands
// in for the main window. Every showing is driven from inside its own modal loop.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "frm_about.h"
#include "tarvel_version.h"
#include "test_platform.h"

namespace {

// A 32 x 32 picture unlike the 16 x 16 one, so the test sees which size the box chose.
QIcon MakeIcon(QColor colour) {
    QIcon icon;
    QPixmap small(16, 16);
    small.fill(Qt::black);
    icon.addPixmap(small);
    QPixmap large(32, 32);
    large.fill(colour);
    QPainter painter(&large);
    painter.fillRect(4, 4, 10, 20, Qt::yellow);
    painter.fillRect(20, 8, 8, 8, Qt::blue);
    painter.end();
    icon.addPixmap(large);
    return icon;
}

TestPlatform platform;

QImage Rgb(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_ARGB32); }

template <typename T>
T* Child(frmAbout& box, const char* name) {
    return box.findChild<T*>(QString::fromLatin1(name));
}

struct Showing {
    bool ranWhileOpen = false;  // false: ShowAboutBox returned without a modal loop
    bool leftOpen = false;      // the steps did not close the box
};

// Presses the About button and runs `whileOpen` inside the box's modal loop.
// Whatever the steps leave open is closed here, so a failing check never hangs
// the test; a box that ignores even that is closed by a failsafe timer.
Showing ShowAndRun(QWidget& mainWindow, std::unique_ptr<frmAbout>& instance,
                   const std::function<void(frmAbout&)>& whileOpen) {
    Showing showing;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        auto* box = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
        showing.ranWhileOpen = true;
        if (box == nullptr) return;
        whileOpen(*box);
        if (box->isVisible()) {
            showing.leftOpen = true;
            box->done(QDialog::Rejected);
        }
    });
    QTimer::singleShot(20000, &guard, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->done(QDialog::Rejected);
    });
    ShowAboutBox(mainWindow, instance, platform);
    return showing;
}

QString ExpectedVersionText() { return QStringLiteral("Wersja ") + QString::fromLatin1(TARVEL_VERSION); }

}  // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT

private slots:
    void layoutFollowsTheTwipsTable_data();
    void layoutFollowsTheTwipsTable();
    void engravedRuleAndWindowFrame();
    void firstShowingHasVersionTitleAndMainWindowIcon();
    void keysCloseItAsOkDoes_data();
    void keysCloseItAsOkDoes();
    void reopeningGivesTheStartStateAgain();
};

void AboutBoxTest::layoutFollowsTheTwipsTable_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("cmdOK") << "cmdOK" << QRect(4245, 2625, 1260, 345);
    QTest::newRow("picIcon") << "picIcon" << QRect(240, 240, 480, 480);
    QTest::newRow("cmdSysInfo") << "cmdSysInfo" << QRect(4260, 3075, 1245, 345);
    QTest::newRow("lblDescription") << "lblDescription" << QRect(1050, 1125, 3885, 1170);
    QTest::newRow("lblDisclaimer") << "lblDisclaimer" << QRect(255, 2625, 3870, 825);
    QTest::newRow("lblTitle") << "lblTitle" << QRect(1050, 240, 3885, 480);
    QTest::newRow("lblVersion") << "lblVersion" << QRect(1050, 780, 3885, 225);
}

void AboutBoxTest::layoutFollowsTheTwipsTable() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    frmAbout box(platform);
    QWidget* control = box.findChild<QWidget*>(name);
    QVERIFY2(control != nullptr, qPrintable(name));
    // 15 twips to a pixel; a pixel off from rounding is accepted.
    const QRect expected(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0), qRound(twips.width() / 15.0),
                         qRound(twips.height() / 15.0));
    const QRect actual = control->geometry();
    QVERIFY2(qAbs(actual.x() - expected.x()) <= 1 && qAbs(actual.y() - expected.y()) <= 1 &&
                 qAbs(actual.width() - expected.width()) <= 1 && qAbs(actual.height() - expected.height()) <= 1,
             qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                            .arg(name)
                            .arg(actual.x())
                            .arg(actual.y())
                            .arg(actual.width())
                            .arg(actual.height())));
    QVERIFY(control->isVisibleTo(&box));
    if (auto* label = qobject_cast<QLabel*>(control); label != nullptr && name != QLatin1String("picIcon")) {
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    }
}

void AboutBoxTest::engravedRuleAndWindowFrame() {
    frmAbout box(platform);
    QCOMPARE(box.size(), QSize(382, 237));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QVERIFY(!(box.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
    QCOMPARE(box.windowTitle(), QStringLiteral("O programie"));

    const QList<QWidget*> lines = box.findChildren<QWidget*>(QStringLiteral("Line1"));
    QCOMPARE(lines.size(), 2);
    for (QWidget* line : lines) {
        const int index = line->property("index").toInt();
        QVERIFY(index == 0 || index == 1);
        const QColor colour = line->palette().color(QPalette::Window);
        if (index == 1) {
            QCOMPARE(colour, QColor(128, 128, 128));
            QCOMPARE(line->geometry(), QRect(6, 163, 371, 1));
        } else {
            QCOMPARE(colour, QColor(255, 255, 255));
            QCOMPARE(line->geometry(), QRect(7, 164, 370, 2));
        }
        QCOMPARE(line->focusPolicy(), Qt::NoFocus);
    }
    QVERIFY(lines[0]->property("index") != lines[1]->property("index"));

    // The tab order: OK first, then WWW; the labels and the picture take no focus.
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    auto* ok = Child<QPushButton>(box, "cmdOK");
    auto* www = Child<QPushButton>(box, "cmdSysInfo");
    QCOMPARE(box.focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Tab);
    QCOMPARE(box.focusWidget(), www);
    QTest::keyClick(www, Qt::Key_Tab);
    QCOMPARE(box.focusWidget(), ok);
}

void AboutBoxTest::firstShowingHasVersionTitleAndMainWindowIcon() {
    QWidget mainWindow;
    const QIcon icon = MakeIcon(Qt::darkGreen);
    mainWindow.setWindowIcon(icon);
    std::unique_ptr<frmAbout> instance;

    frmAbout* seen = nullptr;
    const Showing showing = ShowAndRun(mainWindow, instance, [&](frmAbout& box) {
        seen = &box;
        QVERIFY(box.isVisible());
        QVERIFY(box.isModal());
        QCOMPARE(box.parentWidget(), nullptr);
        QCOMPARE(box.windowTitle(), QStringLiteral("O programie"));
        QCOMPARE(Child<QLabel>(box, "lblVersion")->text(), ExpectedVersionText());
        QCOMPARE(Child<QLabel>(box, "lblTitle")->text(), QStringLiteral("Tarvel to RC file"));
        const QFont title = Child<QLabel>(box, "lblTitle")->font();
        QCOMPARE(title.family(), QApplication::font().family());  // the windows' family, larger and bold
        QCOMPARE(title.pointSizeF(), 13.5);
        QCOMPARE(title.weight(), QFont::Bold);
        QVERIFY(Child<QLabel>(box, "lblDescription")->text().startsWith(
            QStringLiteral("Program ten konwertuje menu z plików FRM do pliku RC.")));
        QVERIFY(!Child<QLabel>(box, "lblDisclaimer")->text().isEmpty());
        QCOMPARE(Child<QPushButton>(box, "cmdOK")->text(), QStringLiteral("OK"));
        QCOMPARE(Child<QPushButton>(box, "cmdSysInfo")->text(), QStringLiteral("WWW"));

        auto* picIcon = Child<QLabel>(box, "picIcon");
        const QImage expected = Rgb(icon.pixmap(QSize(32, 32)));
        QCOMPARE(Rgb(picIcon->pixmap()), expected);
        QCOMPARE(picIcon->size(), QSize(32, 32));
        QCOMPARE(Rgb(box.windowIcon().pixmap(QSize(32, 32))), expected);

        // WWW goes to the behaviour, which leaves the box open.
        platform.openedPages.clear();
        QTest::mouseClick(Child<QPushButton>(box, "cmdSysInfo"), Qt::LeftButton);
        QCOMPARE(platform.openedPages.size(), std::size_t{1});
        QVERIFY(box.isVisible());
        QTest::mouseClick(Child<QPushButton>(box, "cmdOK"), Qt::LeftButton);
    });
    QVERIFY(showing.ranWhileOpen);
    QVERIFY(!showing.leftOpen);
    QVERIFY(instance != nullptr);
    QCOMPARE(instance.get(), seen);
    QVERIFY(!instance->isVisible());
    QCOMPARE(instance->result(), int(QDialog::Accepted));
}

void AboutBoxTest::keysCloseItAsOkDoes_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

void AboutBoxTest::keysCloseItAsOkDoes() {
    QFETCH(int, key);
    QWidget mainWindow;
    mainWindow.setWindowIcon(MakeIcon(Qt::red));
    std::unique_ptr<frmAbout> instance;
    bool okPressed = false;
    const Showing showing = ShowAndRun(mainWindow, instance, [&](frmAbout& box) {
        auto* ok = Child<QPushButton>(box, "cmdOK");
        QObject::connect(ok, &QPushButton::clicked, &box, [&okPressed] { okPressed = true; });
        QWidget* target = box.focusWidget() != nullptr ? box.focusWidget() : &box;
        QTest::keyClick(target, Qt::Key(key));
    });
    QVERIFY(showing.ranWhileOpen);
    QVERIFY2(!showing.leftOpen, "the key did not close the box");
    QVERIFY(okPressed);
    // Closed the way OK closes it, not rejected as a plain dialog's Escape would be.
    QCOMPARE(instance->result(), int(QDialog::Accepted));
}

void AboutBoxTest::reopeningGivesTheStartStateAgain() {
    QWidget mainWindow;
    mainWindow.setWindowIcon(MakeIcon(Qt::darkGreen));
    std::unique_ptr<frmAbout> instance;

    QPoint firstPosition;
    Showing showing = ShowAndRun(mainWindow, instance, [&](frmAbout& box) {
        firstPosition = box.pos();
        // Disturb what a user or a later handler could change.
        Child<QLabel>(box, "lblVersion")->setText(QStringLiteral("zmieniony"));
        Child<QPushButton>(box, "cmdSysInfo")->setFocus();
        box.move(firstPosition + QPoint(40, 30));
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    QVERIFY(showing.ranWhileOpen);
    QVERIFY(!showing.leftOpen);
    frmAbout* first = instance.get();

    // The icon is copied in at every showing, so a changed main window icon shows.
    const QIcon second = MakeIcon(Qt::magenta);
    mainWindow.setWindowIcon(second);
    showing = ShowAndRun(mainWindow, instance, [&](frmAbout& box) {
        QCOMPARE(&box, first);
        QCOMPARE(Child<QLabel>(box, "lblVersion")->text(), ExpectedVersionText());
        QCOMPARE(box.focusWidget(), Child<QPushButton>(box, "cmdOK"));
        QCOMPARE(box.pos(), firstPosition);
        QCOMPARE(Rgb(Child<QLabel>(box, "picIcon")->pixmap()), Rgb(second.pixmap(QSize(32, 32))));
        QTest::mouseClick(Child<QPushButton>(box, "cmdOK"), Qt::LeftButton);
    });
    QVERIFY(showing.ranWhileOpen);
    QVERIFY(!showing.leftOpen);
    QCOMPARE(instance.get(), first);
}

QTEST_MAIN(AboutBoxTest)
#include "frm_about_test.moc"
