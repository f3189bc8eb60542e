// Finding and reading the menu block: line ends, where the menu starts and stops.
#include "menu_block_reader.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tarvel {
namespace {

using test::ConvertText;
using test::TempDir;
using test::WithLineEnds;
using test::WriteBytes;

constexpr std::string_view kForm = R"(VERSION 5.00
Begin VB.Form Form1 
   Caption         =   "Form1"
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open"
      End
   End
End
Attribute VB_Name = "Form1"
Private Sub mnuOpen_Click()
End Sub
)";

struct Read {
    bool found = false;
    MainFormState state;
};

Read ReadBlock(std::string_view bytes) {
    TempDir dir;
    WriteBytes(dir / "f.frm", bytes);
    Result<FormFile> form = FormFile::Open(dir / "f.frm");
    EXPECT_TRUE(form);
    Read read;
    read.found = CzyJestMenu(read.state, form.value());
    if (read.found) {
        EXPECT_TRUE(CollectMenuBlock(read.state, form.value()));
    }
    return read;
}

TEST(MenuBlockReader, TakesTheBlockFromTheFirstMenuLineToTheFirstAttributeLine) {
    const Read read = ReadBlock(WithLineEnds(kForm));
    ASSERT_TRUE(read.found);
    EXPECT_EQ(read.state.firstMenuLine, "   Begin VB.Menu mnuFile \r\n");
    EXPECT_EQ(read.state.menuText, WithLineEnds(R"(   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open"
      End
   End
End
)"));
}

TEST(MenuBlockReader, EveryKindOfLineEndEndsALine) {
    // The block keeps the form's own line ends after the first menu line.
    constexpr std::string_view kBlockAfterFirstLine = R"(      Caption         =   "&File"
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open"
      End
   End
End
)";
    for (std::string_view lineEnd : {"\r\n", "\n", "\r"}) {
        const Read read = ReadBlock(WithLineEnds(kForm, lineEnd));
        ASSERT_TRUE(read.found);
        EXPECT_EQ(read.state.firstMenuLine, "   Begin VB.Menu mnuFile \r\n");
        EXPECT_EQ(read.state.menuText, read.state.firstMenuLine + WithLineEnds(kBlockAfterFirstLine, lineEnd));
    }

    // Mixed, and an empty line made of CR then CR LF: cut at the Attribute line.
    const Read mixed = ReadBlock("Begin VB.Menu a\r\n x\ry\n\r\nz\r\r\nAttribute");
    EXPECT_EQ(mixed.state.menuText, "Begin VB.Menu a\r\n x\ry\n\r\nz\r\r\n");

    // Each kind of line end ends a line in the RC text as well.
    const Result<std::string> crlf = ConvertText(R"(Begin VB.Menu a
 Caption = "A"
Begin VB.Menu b
 Caption="B"


End

End
Attribute x
Begin VB.Menu c
)");
    const Result<std::string> lineEnds = ConvertText(
        "Begin VB.Menu a\r\n Caption = \"A\"\rBegin VB.Menu b\n Caption=\"B\"\r\n\rEnd\r\rEnd\nAttribute x\rBegin VB.Menu c\r\n",
        true, "100", "\n");
    ASSERT_TRUE(crlf);
    ASSERT_TRUE(lineEnds);
    EXPECT_EQ(lineEnds.value(), crlf.value());
    EXPECT_NE(crlf.value().find("POPUP \"A\"\r\n{\r\n    MENUITEM \"B\", b\r\n}\r\n}\r\n"), std::string::npos) << crlf.value();
}

TEST(MenuBlockReader, AFormWithLfLineEndsConvertsLikeItsCrLfTwin) {
    for (bool useDefines : {true, false}) {
        const Result<std::string> crlf = ConvertText(kForm, useDefines, "100", "\r\n");
        const Result<std::string> lf = ConvertText(kForm, useDefines, "100", "\n");
        const Result<std::string> cr = ConvertText(kForm, useDefines, "100", "\r");
        ASSERT_TRUE(crlf);
        ASSERT_TRUE(lf);
        ASSERT_TRUE(cr);
        EXPECT_EQ(lf.value(), crlf.value());
        EXPECT_EQ(cr.value(), crlf.value());
        EXPECT_NE(lf.value().find("MENUITEM \"&Open\""), std::string::npos);
    }
}

TEST(MenuBlockReader, OnlyALineThatBeginsWithBeginVbMenuStartsTheMenu) {
    const Read read = ReadBlock(WithLineEnds(R"(Begin VB.Form Form1 
   Begin VB.Label Label1 
      Caption         =   "Use Begin VB.Menu to add a menu"
   End
   Begin VB.MenuBar NotAMenu 
   End
	 bEgIn vb.menu  mnuFirst 
   End
End
Attribute VB_Name = "Form1"
)"));
    ASSERT_TRUE(read.found);
    EXPECT_EQ(read.state.firstMenuLine, "\t bEgIn vb.menu  mnuFirst \r\n");
}

TEST(MenuBlockReader, AMentionOutsideAMenuLineIsNoMenu) {
    const Result<std::string> text = ConvertText(R"(Begin VB.Form Form1 
   Begin VB.Label Label1 
      Caption         =   "Begin VB.Menu"
   End
End
Attribute VB_Name = "Form1"
' Begin VB.Menu mnuLater
Private Const s = "Begin VB.Menu x"
)");
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::NoMenu);
}

TEST(MenuBlockReader, EmptyFileHasNoMenu) {
    const Read read = ReadBlock("");
    EXPECT_FALSE(read.found);
    EXPECT_EQ(read.state.firstMenuLine, "\r\n");
    const Read last = ReadBlock("one\r\nlast line");
    EXPECT_FALSE(last.found);
    EXPECT_EQ(last.state.firstMenuLine, "last line\r\n");
}

TEST(MenuBlockReader, AttributeStopsOnlyAtTheStartOfALine) {
    const Read read = ReadBlock(WithLineEnds(R"(Begin VB.Menu a 
   Attribute x
ATTRIBUTE VB_Name = "Form1"
Begin VB.Menu after 
)"));
    EXPECT_EQ(read.state.menuText, WithLineEnds("Begin VB.Menu a \n   Attribute x\n"));
}

TEST(MenuBlockReader, AFormWithoutAttributeLinesIsTakenToItsEnd) {
    const Read read = ReadBlock("Begin VB.Menu a\r\nEnd\r\nlast");
    EXPECT_EQ(read.state.menuText, "Begin VB.Menu a\r\nEnd\r\nlast");
    // The last line counts although no line end follows it.
    const Result<std::string> text = ConvertText("Begin VB.Menu a\nCaption=\"A\"", false);
    ASSERT_TRUE(text);
    EXPECT_NE(text.value().find("MENUITEM \"A\", 100\r\n"), std::string::npos) << text.value();
}

TEST(MenuBlockReader, LongLinesCrossTheReadBuffer) {
    // Lines longer than the reader's buffer, and a CR LF split between two reads.
    const std::string caption(300 * 1024, 'x');
    const std::string form = "Begin VB.Menu a\r\n   Caption = \"" + caption + "\"\r\nEnd\r\n";
    const Result<std::string> text = ConvertText(form, false);
    ASSERT_TRUE(text);
    EXPECT_NE(text.value().find("MENUITEM \"" + caption + "\", 100\r\n"), std::string::npos);

    std::string split(256 * 1024 - 1, ' ');
    split += "\r\nBegin VB.Menu b\r\nCaption=\"B\"\r\nEnd\r\n";
    const Read read = ReadBlock(split);
    EXPECT_EQ(read.state.menuText, "Begin VB.Menu b\r\nCaption=\"B\"\r\nEnd\r\n");
}

TEST(MenuBlockReader, MissingFormsAndDirectoriesAreUnreadable) {
    TempDir dir;
    Result<FormFile> missing = FormFile::Open(dir / "nope.frm");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind, ErrorKind::FormUnreadable);
    EXPECT_EQ(missing.error().system, std::errc::no_such_file_or_directory);

    Result<FormFile> directory = FormFile::Open(dir.path());
    ASSERT_FALSE(directory);
    EXPECT_EQ(directory.error().system, std::errc::is_a_directory);
}

}  // namespace
}  // namespace tarvel
