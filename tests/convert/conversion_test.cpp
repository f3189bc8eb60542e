// The conversion as the windows and tarvel-rc run it: from a form to a file or a text.
#include "convert_form.h"

#include <gtest/gtest.h>

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
    WriteBytes(dir / "Form1.frm", WithLineEnds(R"(Begin VB.Menu a 
   Caption = $"form1.frx":0004
End
Attribute VB_Name = "Form1"
)"));
    const Result<std::string> text = ToText(dir / "Form1.frm", 1, false);
    ASSERT_TRUE(text) << Describe(text.error());
    EXPECT_NE(text.value().find("MENUITEM \"Long \"\"quoted\"\" caption\", 1\r\n"), std::string::npos);
}

TEST(ConvertForm, AnUnreadableOrShortFrxStopsTheConversionAndNamesIt) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", WithLineEnds("Begin VB.Menu a \n Caption = $\"Form1.frx\":0002\nEnd\n"));
    WriteBytes(dir / "Form1.rc", "old");
    Result<ConversionReport> text = ToFile(dir / "Form1.frm", 1, false, dir / "Form1.rc");
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::FrxUnreadable);
    EXPECT_EQ(Describe(text.error()),
              test::PathUtf8(dir / "Form1.frx") + ": cannot read the caption file: No such file or directory");

    WriteBytes(dir / "Form1.frx", std::string("\0\0\x10\0\0\0abc", 9));  // 16 bytes promised, 3 there
    text = ToFile(dir / "Form1.frm", 1, false, dir / "Form1.rc");
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::FrxOutOfRange);
    EXPECT_EQ(Describe(text.error()),
              test::PathUtf8(dir / "Form1.frx") + ": a caption's offset or length runs past the end of the file");
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "old");
}

TEST(ConvertForm, AnFrxReferenceReadsOnlyAFileBesideTheForm) {
    TempDir dir;
    fs::create_directories(dir / "sub");
    WriteBytes(dir / "outside.frx", std::string("\x03\0\0\0abc", 7));
    fs::create_directories(dir / "sub" / "folder.frx");
    for (const std::string reference : {"/etc/hostname", "../outside.frx", "/dev/zero", "folder.frx", "..", ""}) {
        WriteBytes(dir / "sub" / "Form1.frm",
                   WithLineEnds("Begin VB.Menu a \n Caption = $\"" + reference + "\":0000\nEnd\n"));
        const Result<std::string> text = ToText(dir / "sub" / "Form1.frm", 1, false);
        if (reference.empty()) {
            // Not a reference at all: the caption is taken as written.
            ASSERT_TRUE(text);
            continue;
        }
        ASSERT_FALSE(text) << reference;
        EXPECT_EQ(text.error().kind, ErrorKind::FrxUnreadable) << reference;
    }
}

}  // namespace
}  // namespace tarvel
