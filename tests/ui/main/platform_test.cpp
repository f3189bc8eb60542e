// The platform layer on its own: the ANSI code page a locale's language gives,
// reading RC bytes back as text without losing a character, and the drives.
#include <QDir>
#include <QStringEncoder>
#include <QTest>

#include "window_harness.h"

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void localeLanguagesGiveTheirWindowsCodePage_data();
    void localeLanguagesGiveTheirWindowsCodePage();
    void everyAnsiCodePageReadsItsOwnTextBack_data();
    void everyAnsiCodePageReadsItsOwnTextBack();
    void validUtf8IsReadAsUtf8();
    void theInnermostMountHoldsADirectory();
    void realDrivesAreRootFirstAndBrowsable();
};

void PlatformTest::localeLanguagesGiveTheirWindowsCodePage_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("codePage");
    QTest::newRow("Polish") << "pl_PL" << 1250;
    QTest::newRow("Czech") << "cs_CZ" << 1250;
    QTest::newRow("Romanian") << "ro_RO" << 1250;
    QTest::newRow("Russian") << "ru_RU" << 1251;
    QTest::newRow("Serbian") << "sr_RS" << 1251;
    QTest::newRow("Greek") << "el_GR" << 1253;
    QTest::newRow("Turkish") << "tr_TR" << 1254;
    QTest::newRow("Hebrew") << "he_IL" << 1255;
    QTest::newRow("Arabic") << "ar_EG" << 1256;
    QTest::newRow("Lithuanian") << "lt_LT" << 1257;
    QTest::newRow("Vietnamese") << "vi_VN" << 1258;
    QTest::newRow("Thai") << "th_TH" << 874;
    QTest::newRow("Japanese") << "ja_JP" << 932;
    QTest::newRow("Chinese, China") << "zh_CN" << 936;
    QTest::newRow("Chinese, Singapore") << "zh_SG" << 936;
    QTest::newRow("Korean") << "ko_KR" << 949;
    QTest::newRow("Chinese, Taiwan") << "zh_TW" << 950;
    QTest::newRow("Chinese, Hong Kong") << "zh_HK" << 950;
    QTest::newRow("German") << "de_DE" << 1252;
    QTest::newRow("English") << "en_US" << 1252;
    QTest::newRow("C") << "C" << 1252;
}

void PlatformTest::localeLanguagesGiveTheirWindowsCodePage() {
    QFETCH(QString, locale);
    QFETCH(int, codePage);
    QCOMPARE(tarvel::CodePageForLocale(QLocale(locale)), codePage);
}

void PlatformTest::everyAnsiCodePageReadsItsOwnTextBack_data() {
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1250") << 1250 << QStringLiteral("&Zażółć gęślą jaźń ŁŚŹ");
    QTest::newRow("1251") << 1251 << QStringLiteral("&Файл Правка Ўў Ђђ");
    QTest::newRow("1252") << 1252 << QStringLiteral("&Fichier Öffnen naïve €");
    QTest::newRow("1253") << 1253 << QStringLiteral("&Αρχείο ΆΈΉ");
    QTest::newRow("1254") << 1254 << QStringLiteral("&Dosya Ğğ İı Şş");
    QTest::newRow("1255") << 1255 << QStringLiteral("&קובץ");
    QTest::newRow("1256") << 1256 << QStringLiteral("&ملف تحرير");
    QTest::newRow("1257") << 1257 << QStringLiteral("&Failas Ąą Ėė Šš");
    QTest::newRow("1258") << 1258 << QStringLiteral("&T\u00E2\u0323p tin Đđ Ơơ Ưư");
    QTest::newRow("874") << 874 << QStringLiteral("&แฟ้ม");
    QTest::newRow("932") << 932 << QStringLiteral("&ファイル 編集");
    QTest::newRow("936") << 936 << QStringLiteral("&文件 编辑");
    QTest::newRow("949") << 949 << QStringLiteral("&파일 편집");
    QTest::newRow("950") << 950 << QStringLiteral("&檔案 編輯");
}

void PlatformTest::everyAnsiCodePageReadsItsOwnTextBack() {
    QFETCH(int, codePage);
    QFETCH(QString, caption);
    const QString rc = QStringLiteral("MENUITEM \"") + caption + QStringLiteral("\", 100\r\n");
    QStringEncoder encoder(QByteArray("windows-" + QByteArray::number(codePage)).constData());
    QVERIFY(encoder.isValid());
    const QByteArray bytes = encoder.encode(rc);
    QVERIFY(!encoder.hasError());
    QCOMPARE(tarvel::DecodeRcText(bytes.toStdString(), codePage), rc);
}

void PlatformTest::validUtf8IsReadAsUtf8() {
    const QString rc = QStringLiteral("MENUITEM \"&Plik ✓ Файл 文件\", 100\r\n");
    QCOMPARE(tarvel::DecodeRcText(rc.toUtf8().toStdString(), 1250), rc);
    // One stray byte of another code page and the whole text is that code page.
    QCOMPARE(tarvel::DecodeRcText(std::string("\xAF\xF3\xB3w"), 1250), QStringLiteral("Żółw"));
}

void PlatformTest::theInnermostMountHoldsADirectory() {
    TestPlatform platform;
    platform.drives = {"/", "/home", "/media/ann/USB"};
    QCOMPARE(platform.DriveOf("/home/ann/work"), QStringLiteral("/home"));
    QCOMPARE(platform.DriveOf("/home"), QStringLiteral("/home"));
    QCOMPARE(platform.DriveOf("/homework"), QStringLiteral("/"));
    QCOMPARE(platform.DriveOf("/media/ann/USB/forms"), QStringLiteral("/media/ann/USB"));
    QCOMPARE(platform.DriveOf("/media/ann"), QStringLiteral("/"));
    QCOMPARE(platform.DriveOf("/"), QStringLiteral("/"));
}

void PlatformTest::realDrivesAreRootFirstAndBrowsable() {
    const tarvel::Platform platform;
    const QStringList drives = platform.Drives();
    QVERIFY(!drives.isEmpty());
    QCOMPARE(drives.first(), platform.StartDrive());
    QStringList unique = drives;
    QCOMPARE(unique.removeDuplicates(), 0);
    for (const QString& drive : drives) {
        QVERIFY2(QDir(platform.DriveDirectory(drive)).exists(), qPrintable(drive));
        for (const char* system : {"/proc", "/sys", "/dev", "/run/user"})
            QVERIFY2(!drive.startsWith(QLatin1String(system)), qPrintable(drive));
    }
}

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
