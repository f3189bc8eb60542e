// The platform layer on its own: the ANSI code page of a locale's language,
// reading RC bytes back as text without losing a character, the drives, a
// directory as the file browser reads it, and starting the web opener.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "code_page.h"
#include "platform.h"
#include "test_files.h"
#include "test_platform.h"

namespace {

using namespace tarvel::ui;

TEST(Platform, LocaleLanguagesGiveTheirWindowsCodePage) {
    const std::pair<const char*, int> cases[] = {
        {"pl_PL.UTF-8", 1250}, {"cs_CZ", 1250},  {"ro_RO.UTF-8", 1250}, {"ru_RU.KOI8-R", 1251}, {"sr_RS@latin", 1251},
        {"el_GR", 1253},       {"tr_TR", 1254},  {"he_IL", 1255},       {"ar_EG", 1256},        {"lt_LT", 1257},
        {"vi_VN", 1258},       {"th_TH", 874},   {"ja_JP.UTF-8", 932},  {"zh_CN.GB18030", 936}, {"zh_SG", 936},
        {"ko_KR", 949},        {"zh_TW", 950},   {"zh_HK.UTF-8", 950},  {"de_DE", 1252},        {"en_US.UTF-8", 1252},
        {"C", 1252},           {"POSIX", 1252},  {"", 1252},
    };
    for (const auto& [locale, codePage] : cases) EXPECT_EQ(tarvel::AnsiCodePageForLocale(locale), codePage) << locale;
}

TEST(Platform, EveryAnsiCodePageReadsItsOwnTextBack) {
    struct Case {
        int codePage;
        const char* bytes;
        const char* text;
    };
    const Case cases[] = {
        {1250, "\x5A\x61\xBF\xF3\xB3\xE6\x20\x67\xEA\x9C\x6C\xB9\x20\x6A\x61\x9F\xF1\x20\xA3\x8C\x8F", "Zażółć gęślą jaźń ŁŚŹ"},
        {1251, "\xD4\xE0\xE9\xEB\x20\xCF\xF0\xE0\xE2\xEA\xE0\x20\xA1\xA2\x20\x80\x90", "Файл Правка Ўў Ђђ"},
        {1252, "\xD6\x66\x66\x6E\x65\x6E\x20\x6E\x61\xEF\x76\x65\x20\x80", "Öffnen naïve €"},
        {1253, "\xC1\xF1\xF7\xE5\xDF\xEF\x20\xA2\xB8\xB9", "Αρχείο ΆΈΉ"},
        {1254, "\x44\x6F\x73\x79\x61\x20\xD0\xF0\x20\xDD\xFD\x20\xDE\xFE", "Dosya Ğğ İı Şş"},
        {1255, "\xF7\xE5\xE1\xF5", "קובץ"},
        {1256, "\xE3\xE1\xDD\x20\xCA\xCD\xD1\xED\xD1", "ملف تحرير"},
        {1257, "\x46\x61\x69\x6C\x61\x73\x20\xC0\xE0\x20\xCB\xEB\x20\xD0\xF0", "Failas Ąą Ėė Šš"},
        {1258, "\xD0\xF0\x20\xD5\xF5\x20\xDD\xFD", "Đđ Ơơ Ưư"},
        {874, "\xE1\xBF\xE9\xC1", "แฟ้ม"},
        {932, "\x83\x74\x83\x40\x83\x43\x83\x8B\x20\x95\xD2\x8F\x57", "ファイル 編集"},
        {936, "\xCE\xC4\xBC\xFE\x20\xB1\xE0\xBC\xAD", "文件 编辑"},
        {949, "\xC6\xC4\xC0\xCF\x20\xC6\xED\xC1\xFD", "파일 편집"},
        {950, "\xC0\xC9\xAE\xD7\x20\xBD\x73\xBF\xE8", "檔案 編輯"},
    };
    for (const Case& c : cases) {
        const std::string rc = std::string("MENUITEM \"&") + c.bytes + "\", 100\r\n";
        EXPECT_EQ(DecodeText(rc, c.codePage), std::string("MENUITEM \"&") + c.text + "\", 100\r\n") << c.codePage;
    }
}

TEST(Platform, Utf8IsReadAsItselfAndAByteACodePageLacksIsTold) {
    const std::string utf8 = "MENUITEM \"&Plik ✓ Файл 文件\", 100\r\n";
    EXPECT_EQ(DecodeText(utf8, 65001), utf8);
    // A byte that is no UTF-8, a byte the code page leaves undefined, or a lead byte at the very end: told, not dropped.
    EXPECT_EQ(DecodeText("Zo\xB3w", 65001), "Zo\xEF\xBF\xBDw");
    EXPECT_EQ(DecodeText("a\x81" "b", 1252), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(DecodeText("a\x83", 932), "a\xEF\xBF\xBD");
}

TEST(Platform, TheInnermostMountHoldsADirectory) {
    TestPlatform platform;
    platform.drives = {"/", "/home", "/media/ann/USB"};
    EXPECT_EQ(platform.DriveOf("/home/ann/work"), "/home");
    EXPECT_EQ(platform.DriveOf("/home"), "/home");
    EXPECT_EQ(platform.DriveOf("/homework"), "/");
    EXPECT_EQ(platform.DriveOf("/media/ann/USB/forms"), "/media/ann/USB");
    EXPECT_EQ(platform.DriveOf("/media/ann"), "/");
    EXPECT_EQ(platform.DriveOf("/"), "/");
}

TEST(Platform, RealDrivesAreRootFirstAndBrowsable) {
    const Platform platform;
    const std::vector<std::string> drives = platform.Drives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front(), platform.StartDrive());
    for (std::size_t i = 0; i < drives.size(); ++i) {
        std::error_code reason;
        EXPECT_TRUE(platform.ReadDirectory(platform.DriveDirectory(drives[i]), reason)) << drives[i] << reason.message();
        for (std::size_t k = 0; k < i; ++k) EXPECT_NE(drives[i], drives[k]);
        for (const char* system : {"/proc", "/sys", "/dev", "/run/user"}) EXPECT_FALSE(drives[i].starts_with(system)) << drives[i];
    }
}

TEST(Platform, ADirectoryIsReadAsAUserBrowsesIt) {
    ScratchDirectory work;
    fs::create_directory(work.path() / "Sub");
    fs::create_directory(work.path() / ".hidden");
    WriteBytes(work.path() / "Form1.frm", "x");
    WriteBytes(work.path() / ".secret.frm", "x");
    fs::create_directory_symlink(work.path() / "Sub", work.path() / "LinkedSub");
    fs::create_symlink(work.path() / "Form1.frm", work.path() / "Linked.frm");
    fs::create_symlink(work.path() / "nowhere", work.path() / "Broken.frm");
    ASSERT_EQ(mkfifo((work / "Pipe.frm").c_str(), 0600), 0);

    const Platform platform;
    std::error_code reason;
    const auto items = platform.ReadDirectory(work.path().string(), reason);
    ASSERT_TRUE(items);
    EXPECT_FALSE(reason);
    std::vector<std::pair<std::string, bool>> seen;
    for (const DirectoryItem& item : *items) seen.emplace_back(item.name, item.isDirectory);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>>{
                        {"Form1.frm", false}, {"Linked.frm", false}, {"LinkedSub", true}, {"Sub", true}}));
    EXPECT_FALSE(platform.ReadDirectory(work / "missing", reason));
    EXPECT_EQ(reason, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(platform.ReadDirectory(work / "Form1.frm", reason));
    EXPECT_EQ(reason, std::errc::not_a_directory);
    EXPECT_TRUE(platform.IsDirectory(work / "LinkedSub"));
    EXPECT_FALSE(platform.IsDirectory(work / "Form1.frm"));
}

TEST(Platform, TheWebOpenerGetsTheAddressAsItsOneArgument) {
    ScratchDirectory record;
    setenv("TARVEL_OPENER_RECORD", record.path().c_str(), 1);
    const std::string address = "https://tarvel.example.org/?a=1&b=$(false);x";
    ASSERT_TRUE(StartOpener(TARVEL_RECORD_OPENER, address));
    ASSERT_TRUE(StartOpener(TARVEL_RECORD_OPENER, address));  // each press starts it once more
    // The opener is not waited for, so its record arrives later.
    std::vector<fs::path> calls;
    for (int wait = 0; wait < 200 && calls.size() < 2; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        calls.clear();
        for (const auto& entry : fs::directory_iterator(record.path()))
            if (entry.path().extension() == ".call") calls.push_back(entry.path());
    }
    ASSERT_EQ(calls.size(), 2u);
    for (const fs::path& call : calls) EXPECT_EQ(ReadBytes(call), "1\n" + address + "\n");

    EXPECT_FALSE(StartOpener(record / "no-such-opener", address));
}

}  // namespace
