// The conversion as the windows and tarvel-rc run it: from a form to a file or a text.
#include "convert_form.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "test_support.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WithLineEnds;
using test::WriteBytes;

Result<ConversionReport> ToFile(const fs::path& form, std::int32_t firstId, bool useDefines, const fs::path& output) {
    ConversionRequest request;
    request.form = form;
    request.rc.firstId = firstId;
    request.rc.useDefines = useDefines;
    Destination destination;
    destination.file = output;
    return ConvertForm(request, destination);
}

Result<std::string> ToText(const fs::path& form, std::int32_t firstId, bool useDefines) {
    ConversionRequest request;
    request.form = form;
    request.rc.firstId = firstId;
    request.rc.useDefines = useDefines;
    return ConvertFormToText(request);
}

constexpr std::string_view kForm = "Begin VB.Form F\n Begin VB.Menu mnuA \n  Caption = \"&A\"\n"
                                   "  Begin VB.Menu mnuB \n   Caption = \"&B\"\n  End\n End\nEnd\n";

TEST(ConvertForm, TheFileGetsTheTextPlusOneMoreLineEnd) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", WithLineEnds(kForm));
    ASSERT_TRUE(ToFile(dir / "Form1.frm", 7, true, dir / "Form1.rc"));
    const Result<std::string> text = ToText(dir / "Form1.frm", 7, true);
    ASSERT_TRUE(text);
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), text.value() + "\r\n");
    EXPECT_TRUE(text.value().starts_with("#define mnuB 7\r\n\r\n\r\nGlowne MENU\r\n"));
    EXPECT_TRUE(text.value().ends_with("}\r\n}\r\n"));
}

TEST(ConvertForm, BytesFromStandardInputConvertLikeTheFileAndFindTheirFrxInTheFolderNamed) {
    TempDir dir;
    const std::string form = WithLineEnds(kForm);
    WriteBytes(dir / "Form1.frm", form);
    ConversionRequest request;
    request.form = dir / "-";
    request.formBytes = form;
    const Result<std::string> text = ConvertFormToText(request);
    ASSERT_TRUE(text);
    EXPECT_EQ(text.value(), ToText(dir / "Form1.frm", 100, true).value());
}

TEST(ConvertForm, NoMenuTouchesNoFile) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", "Begin VB.Form F\r\nEnd\r\nAttribute VB_Name = \"F\"\r\n");
    WriteBytes(dir / "Form1.rc", "old");
    const Result<ConversionReport> text = ToFile(dir / "Form1.frm", 100, true, dir / "Form1.rc");
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::NoMenu);
    EXPECT_EQ(Describe(text.error()), test::PathUtf8(dir / "Form1.frm") + ": no menu");
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "old");
}

TEST(ConvertForm, ADirectoryInPlaceOfAFormIsAClearError) {
    TempDir dir;
    const Result<ConversionReport> text = ToFile(dir.path(), 100, true, dir / "x.rc");
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::FormUnreadable);
    EXPECT_EQ(Describe(text.error()), test::PathUtf8(dir.path()) + ": cannot read the form: Is a directory");
}

TEST(ConvertForm, CaptionsFromTheFrxBesideTheForm) {
    TempDir dir;
    std::string frx = "junk";
    const std::string caption = "Long \"quoted\" caption";
    frx += static_cast<char>(caption.size());
    frx += std::string(3, '\0');
    frx += caption;
    WriteBytes(dir / "Form1.FRX", frx);
    WriteBytes(dir / "Form1.frm", WithLineEnds(R"(Begin VB.Form Form1
Begin VB.Menu a 
   Caption = $"form1.frx":0004
End
End
Attribute VB_Name = "Form1"
)"));
    const Result<std::string> text = ToText(dir / "Form1.frm", 1, false);
    ASSERT_TRUE(text) << Describe(text.error());
    EXPECT_NE(text.value().find("MENUITEM \"Long \"\"quoted\"\" caption\", 1\r\n"), std::string::npos);
}

TEST(ConvertForm, AMenuCaptionTooLongForAnRcStringIsCutAtAWholeCharacter) {
    TempDir dir;
    // 3,000 characters: in UTF-8 the euro sign's three bytes, and in code page 932 a lead byte and a trail
    // byte that looks like ASCII ("\x81\x5C", which must stay together).
    const auto cutOf = [&](const std::string& unit, int codePage, std::size_t bytesKept) {
        std::string caption;
        for (int n = 0; n < 3000; ++n) caption += unit;
        WriteBytes(dir / "Form1.frx", std::string{static_cast<char>(caption.size() & 0xFF), static_cast<char>(caption.size() >> 8), 0, 0} + caption);
        WriteBytes(dir / "Form1.frm", WithLineEnds("Begin VB.Form Form1\nBegin VB.Menu mnuLong \n   Caption = $\"Form1.frx\":0000\nEnd\nEnd\n"));
        ConversionRequest request;
        request.form = dir / "Form1.frm";
        request.rc.useDefines = false;
        request.rc.codePage = codePage;
        std::string rc;
        Destination destination;
        destination.text = &rc;
        const Result<ConversionReport> report = ConvertForm(request, destination);
        EXPECT_TRUE(report) << Describe(report.error());
        const std::vector<std::string>& warnings = report.value().warnings;
        const std::size_t begin = rc.find("MENUITEM \"") + 10, end = rc.find("\", 100");
        EXPECT_EQ(warnings, std::vector<std::string>{test::PathUtf8(dir / "Form1.frm") +
                                                     ":2: the Caption of menu item 'mnuLong' (" + std::to_string(caption.size()) + " bytes) is longer than a "
                                                     "resource compiler takes in one string: it is cut to its first " +
                                                     std::to_string(bytesKept) + " bytes"});
        return rc.substr(begin, end - begin);
    };
    std::string kept = cutOf("\xE2\x82\xAC", 0, 4092);
    EXPECT_EQ(kept.size(), 4092u);
    EXPECT_EQ(kept.substr(4089), "\xE2\x82\xAC");
    kept = cutOf("\x81\x5C", 932, 2728);
    // The trail byte is a backslash, written as two bytes: 1,364 whole characters fit in 4,094.
    EXPECT_EQ(kept, [] { std::string s; for (int n = 0; n < 1364; ++n) s += "\x81\\\\"; return s; }());
}

TEST(ConvertForm, AnUnreadableOrShortFrxLeavesItsCaptionEmptyAndIsTold) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", WithLineEnds("Begin VB.Form F\n Begin VB.Menu a \n  Caption = $\"Form1.frx\":0002\n End\n"
                                               " Begin VB.Menu b \n  Caption = \"B\"\n End\nEnd\n"));
    const auto lostWhy = [&] {
        const Result<ConversionReport> report = ToFile(dir / "Form1.frm", 1, false, dir / "Form1.rc");
        EXPECT_TRUE(report);
        EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "\r\n\r\nGlowne MENU\r\n{\r\nMENUITEM \"B\", 1\r\n}\r\n\r\n");
        return report ? report.value().warnings.at(0) : std::string();
    };
    EXPECT_EQ(lostWhy(), test::PathUtf8(dir / "Form1.frm") + ":3: the Caption of a is left empty: " +
                             test::PathUtf8(dir / "Form1.frx") + ": cannot read the caption file: No such file or directory");
    WriteBytes(dir / "Form1.frx", std::string("\0\0\x10\0\0\0abc", 9));  // 16 bytes promised, 3 there
    EXPECT_EQ(lostWhy(), test::PathUtf8(dir / "Form1.frm") + ":3: the Caption of a is left empty: " +
                             test::PathUtf8(dir / "Form1.frx") + ": a caption's offset or length runs past the end of the file");
}

TEST(ConvertForm, AnFrxReferenceReadsOnlyAFileBesideTheForm) {
    TempDir dir;
    fs::create_directories(dir / "sub");
    WriteBytes(dir / "outside.frx", std::string("\x03\0\0\0abc", 7));
    fs::create_directories(dir / "sub" / "folder.frx");
    for (const std::string reference : {"/etc/hostname", "../outside.frx", "/dev/zero", "folder.frx", ".."}) {
        WriteBytes(dir / "sub" / "Form1.frm",
                   WithLineEnds("Begin VB.Form F\nBegin VB.Menu a \n Caption = $\"" + reference + "\":0000\nEnd\nEnd\n"));
        ConversionRequest request;
        request.form = dir / "sub" / "Form1.frm";
        std::string text;
        Destination destination;
        destination.text = &text;
        const Result<ConversionReport> report = ConvertForm(request, destination);
        ASSERT_TRUE(report) << reference;
        ASSERT_EQ(report.value().lost.size(), 1u) << reference;
        EXPECT_EQ(report.value().lost[0].frxError->kind, ErrorKind::FrxUnreadable) << reference;
    }
}

TEST(ConvertForm, WhatIsNoFormIsRefusedAndSaysWhy) {
    TempDir dir;
    const std::string name = test::PathUtf8(dir / "Form1.frm");
    const struct {
        std::string bytes;
        std::string message;
    } cases[] = {
        {"", name + ": not a form: no Begin VB.Form or Begin VB.MDIForm line"},
        {"Type=Exe\nForm=Form1.frm\n", name + ": not a form: no Begin VB.Form or Begin VB.MDIForm line"},
        {"VERSION 5.00\nAttribute VB_Name = \"x\"\nBegin VB.Form F\nEnd\n", name + ": not a form: no Begin VB.Form or Begin VB.MDIForm line"},
        // A form whose first lines were lost: its first block is one of its controls.
        {"VERSION 5.00\n   Begin VB.Frame Frame1\n   End\nEnd\n", name + ":2: not a form: it begins VB.Frame, not VB.Form or VB.MDIForm"},
        {"Begin VB.UserControl uc\nBegin VB.Menu m\nCaption = \"M\"\nEnd\nEnd\n", name + ":1: not a form: it begins VB.UserControl, not VB.Form or VB.MDIForm"},
    };
    for (const auto& c : cases) {
        WriteBytes(dir / "Form1.frm", WithLineEnds(c.bytes));
        const Result<std::string> text = ToText(dir / "Form1.frm", 100, true);
        ASSERT_FALSE(text) << c.bytes;
        EXPECT_EQ(text.error().kind, ErrorKind::NotAForm);
        EXPECT_EQ(Describe(text.error()), c.message);
    }
    // Forms of Visual Basic 3 begin "Form" and "MDIForm": forms, here without a menu.
    for (const char* form : {"Begin Form F\nEnd\n", "Begin MDIForm F\nEnd\n"}) {
        WriteBytes(dir / "Form1.frm", WithLineEnds(form));
        EXPECT_EQ(ToText(dir / "Form1.frm", 100, false).error().kind, ErrorKind::NoMenu) << form;
    }
}

TEST(ConvertForm, APipeInPlaceOfTheFormIsRefusedBeforeItIsOpened) {
    // Reading it would wait for ever.
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "pipe.frm").c_str(), 0600), 0);
    const Result<std::string> text = ToText(dir / "pipe.frm", 100, true);
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::NotARegularFile);
    EXPECT_EQ(Describe(text.error()), test::PathUtf8(dir / "pipe.frm") +
                                          ": cannot read the form: it is not a regular file but a pipe, a socket or a device");
}

}  // namespace
}  // namespace tarvel
