// The conversion command as the window and tarvel-rc run it.
#include "conversion_command.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WithLineEnds;
using test::WriteBytes;

constexpr std::string_view kForm = "Begin VB.Form F\n Begin VB.Menu mnuA \n  Caption = \"&A\"\n"
                                   "  Begin VB.Menu mnuB \n   Caption = \"&B\"\n  End\n End\nEnd\n";

TEST(ConversionCommand, FileGetsTheTextPlusOneMoreLineEnd) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", WithLineEnds(kForm));
    MainFormState state;
    const Result<std::string> text =
        RunConversion(state, {dir / "Form1.frm", "7", true, Target::File, dir / "Form1.rc"});
    ASSERT_TRUE(text);
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), text.value() + "\r\n");
    EXPECT_TRUE(text.value().ends_with("}\r\n}\r\n"));
    EXPECT_EQ(state.defineText, "#define mnuB 7\r\n");
    EXPECT_EQ(state.nextId, 8);
    EXPECT_EQ(state.level, 0);
    EXPECT_TRUE(state.menuText.empty());
}

TEST(ConversionCommand, ConvertingTwiceGivesTheSameText) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", WithLineEnds(kForm));
    MainFormState state;
    state.dirPath = "/kept/";
    const ConversionRequest request{dir / "Form1.frm", "100", true, Target::Clipboard, {}};
    const Result<std::string> first = RunConversion(state, request);
    const Result<std::string> second = RunConversion(state, request);
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_EQ(first.value(), second.value());
    EXPECT_EQ(state.defineText, "#define mnuB 100\r\n");
    EXPECT_EQ(state.dirPath, "/kept/");
}

TEST(ConversionCommand, ClipboardTargetWritesNoFile) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", WithLineEnds(kForm));
    MainFormState state;
    const Result<std::string> text =
        RunConversion(state, {dir / "Form1.frm", "100", false, Target::Clipboard, dir / "Form1.rc"});
    ASSERT_TRUE(text);
    EXPECT_FALSE(std::filesystem::exists(dir / "Form1.rc"));
    EXPECT_TRUE(text.value().starts_with("\r\n\r\nGlowne MENU\r\n"));
}

TEST(ConversionCommand, FirstIdOutOfRangeStopsBeforeTheFormIsOpened) {
    TempDir dir;
    MainFormState state;
    // The form does not exist: had it been opened, the error would say so.
    const Result<std::string> text =
        RunConversion(state, {dir / "missing.frm", "&H80000000", true, Target::File, dir / "x.rc"});
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::FirstIdOutOfRange);
    EXPECT_EQ(Describe(text.error()), "first ID \"&H80000000\" does not fit a signed 32-bit integer");
    EXPECT_FALSE(std::filesystem::exists(dir / "x.rc"));
}

TEST(ConversionCommand, NoMenuTouchesNoFile) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", "Begin VB.Form F\r\nEnd\r\nAttribute VB_Name = \"F\"\r\n");
    WriteBytes(dir / "Form1.rc", "old");
    MainFormState state;
    const Result<std::string> text =
        RunConversion(state, {dir / "Form1.frm", "100", true, Target::File, dir / "Form1.rc"});
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::NoMenu);
    EXPECT_EQ(Describe(text.error()), test::PathUtf8(dir / "Form1.frm") + ": no menu");
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "old");
}

TEST(ConversionCommand, ADirectoryInPlaceOfAFormIsAClearError) {
    TempDir dir;
    MainFormState state;
    const Result<std::string> text = RunConversion(state, {dir.path(), "100", true, Target::File, dir / "x.rc"});
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::FormUnreadable);
    EXPECT_EQ(Describe(text.error()), test::PathUtf8(dir.path()) + ": cannot read the form: Is a directory");
}

TEST(ConversionCommand, CaptionsFromTheFrxBesideTheForm) {
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
    MainFormState state;
    const Result<std::string> text =
        RunConversion(state, {dir / "Form1.frm", "1", false, Target::Clipboard, {}});
    ASSERT_TRUE(text) << Describe(text.error());
    EXPECT_NE(text.value().find("MENUITEM \"Long \"\"quoted\"\" caption\", 1\r\n"), std::string::npos);
}

TEST(ConversionCommand, AnUnreadableOrShortFrxStopsTheConversionAndNamesIt) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", WithLineEnds("Begin VB.Menu a \n Caption = $\"Form1.frx\":0002\nEnd\n"));
    WriteBytes(dir / "Form1.rc", "old");
    MainFormState state;
    const ConversionRequest request{dir / "Form1.frm", "1", false, Target::File, dir / "Form1.rc"};

    Result<std::string> text = RunConversion(state, request);
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::FrxUnreadable);
    EXPECT_EQ(Describe(text.error()),
              test::PathUtf8(dir / "Form1.frx") + ": cannot read the caption file: No such file or directory");

    WriteBytes(dir / "Form1.frx", std::string("\0\0\x10\0\0\0abc", 9));  // 16 bytes promised, 3 there
    text = RunConversion(state, request);
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::FrxOutOfRange);
    EXPECT_EQ(Describe(text.error()),
              test::PathUtf8(dir / "Form1.frx") + ": a caption's offset or length runs past the end of the file");
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "old");
}

TEST(ConversionCommand, AnFrxReferenceReadsOnlyAFileBesideTheForm) {
    TempDir dir;
    fs::create_directories(dir / "sub");
    WriteBytes(dir / "outside.frx", std::string("\x03\0\0\0abc", 7));
    fs::create_directories(dir / "sub" / "folder.frx");
    MainFormState state;
    for (const std::string reference : {"/etc/hostname", "../outside.frx", "/dev/zero", "folder.frx", "..", ""}) {
        WriteBytes(dir / "sub" / "Form1.frm",
                   WithLineEnds("Begin VB.Menu a \n Caption = $\"" + reference + "\":0000\nEnd\n"));
        const Result<std::string> text =
            RunConversion(state, {dir / "sub" / "Form1.frm", "1", false, Target::Clipboard, {}});
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
