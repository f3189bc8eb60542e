// Reading a form into its menu tree: where the menu starts and stops, line
// ends of every kind and at every place in the read pieces, and which
// properties an item keeps.
#include "menu_parser.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

class NoFrx : public FrxSource {
public:
    Result<std::string> Caption(const FrxReference& reference) override {
        return FileError(ErrorKind::FrxUnreadable, reference.fileName);
    }
};

Result<Menu> Parse(std::string_view bytes) {
    FormReader reader = FormReader::FromBytes(bytes, "Form1.frm");
    NoFrx frx;
    return ParseMenu(reader, frx);
}

// "name:caption" of every item, with a "(" after a parent and ")" after its last descendant.
std::string Outline(const Menu& menu) {
    std::string out;
    std::vector<std::uint32_t> open;
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        for (; !open.empty() && open.back() == i; open.pop_back()) out += ") ";
        out += std::string(menu.items[i].name) + ":" + std::string(menu.items[i].caption) + " ";
        if (menu.HasChildren(i)) {
            out += "( ";
            open.push_back(menu.items[i].end);
        }
    }
    for (; !open.empty(); open.pop_back()) out += ") ";
    return out;
}

TEST(MenuParser, TakesTheItemsFromTheFirstMenuLineToTheFirstAttributeLine) {
    for (std::string_view lineEnd : {"\r\n", "\n", "\r"}) {
        const Result<Menu> menu = Parse(WithLineEnds(kForm, lineEnd));
        ASSERT_TRUE(menu);
        EXPECT_EQ(Outline(menu.value()), "mnuFile:&File ( mnuOpen:&Open ) ");
    }
    // Mixed line ends, an empty line made of CR then CR LF, and nothing after the Attribute line.
    const Result<Menu> mixed =
        Parse("Begin VB.Menu a\r\n Caption=\"A\"\rBegin VB.Menu b\n Caption=\"B\"\r\n\r\r\nEnd\rEnd\nAttribute x\rBegin VB.Menu c\r\n");
    ASSERT_TRUE(mixed);
    EXPECT_EQ(Outline(mixed.value()), "a:A ( b:B ) ");
    // Only at the very start of a line, in any case.
    const Result<Menu> indented = Parse(WithLineEnds("Begin VB.Menu a \n   Attribute x\nBegin VB.Menu b \nATTRIBUTE y\nBegin VB.Menu c\n"));
    ASSERT_TRUE(indented);
    EXPECT_EQ(Outline(indented.value()), "a: ( b: ) ");
}

TEST(MenuParser, OnlyALineThatBeginsWithBeginVbMenuStartsTheMenu) {
    const Result<Menu> menu = Parse(WithLineEnds(R"(Begin VB.Form Form1 
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
    ASSERT_TRUE(menu);
    EXPECT_EQ(Outline(menu.value()), "mnuFirst: ");

    for (std::string_view noMenu : {std::string_view(R"(Begin VB.Form Form1 
   Begin VB.Label Label1 
      Caption         =   "Begin VB.Menu"
   End
End
Attribute VB_Name = "Form1"
' Begin VB.Menu mnuLater
)"), std::string_view(""), std::string_view("one\r\nlast line")}) {
        const Result<Menu> none = Parse(noMenu);
        ASSERT_FALSE(none);
        EXPECT_EQ(none.error().kind, ErrorKind::NoMenu);
    }
}

TEST(MenuParser, LinesAndLineEndsThatCrossTheReadPieces) {
    // A caption line longer than a piece, a CR LF split between two pieces, a
    // menu line found only in the second piece, and a last line without its end.
    TempDir dir;
    const std::string caption(1536 * 1024, 'x');
    std::string form(1024 * 1024 - 1, ' ');
    form += "\r\nBegin VB.Menu a\r\n   Caption = \"" + caption + "\"\r\nEnd\r\nBegin VB.Menu b\nCaption=\"B\"";
    WriteBytes(dir / "Form1.frm", form);
    Result<FormReader> reader = FormReader::Open(dir / "Form1.frm");
    ASSERT_TRUE(reader);
    NoFrx frx;
    const Result<Menu> menu = ParseMenu(reader.value(), frx);
    ASSERT_TRUE(menu);
    EXPECT_EQ(Outline(menu.value()), "a:" + caption + " b:B ");
}

TEST(MenuParser, AnItemKeepsItsPropertiesUntilItsFirstChildBegins) {
    const Result<Menu> menu = Parse(WithLineEnds(R"(Begin VB.Menu mnuTools 
   Caption = "Tools"
   Enabled = 0   'False
   Visible = 0   'False
   Begin VB.Menu mnuRecent 
      Caption = "File"
      Index = 2
      Shortcut = ^{F3}
      Checked = -1  'True
      BeginProperty Font
         Caption = "not the item's"
      EndProperty
   End
   Caption = "after its children"
End
)"));
    ASSERT_TRUE(menu);
    const MenuItem& tools = menu.value().items[0];
    EXPECT_EQ(tools.caption, "Tools");
    EXPECT_FALSE(tools.enabled);
    EXPECT_FALSE(tools.visible);
    const MenuItem& recent = menu.value().items[1];
    EXPECT_EQ(recent.caption, "File");
    EXPECT_EQ(recent.index, "2");
    EXPECT_EQ(recent.shortcut, "^{F3}");
    EXPECT_TRUE(recent.checked);
    EXPECT_TRUE(recent.enabled);
    EXPECT_TRUE(recent.visible);
}

TEST(MenuParser, FormsThatCannotBeReadAreRefusedWithTheReason) {
    TempDir dir;
    Result<FormReader> missing = FormReader::Open(dir / "nope.frm");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind, ErrorKind::FormUnreadable);
    EXPECT_EQ(missing.error().system, std::errc::no_such_file_or_directory);

    Result<FormReader> directory = FormReader::Open(dir.path());
    ASSERT_FALSE(directory);
    EXPECT_EQ(directory.error().system, std::errc::is_a_directory);

    // A pipe would keep the reader waiting for ever: refused before it is opened.
    ASSERT_EQ(mkfifo((dir / "pipe.frm").c_str(), 0600), 0);
    Result<FormReader> pipe = FormReader::Open(dir / "pipe.frm");
    ASSERT_FALSE(pipe);
    EXPECT_EQ(pipe.error().kind, ErrorKind::FormUnreadable);

    // One line past any sane length is an error, not a reason to run out of memory.
    std::string endless(FormReader::kMaxLineLength + 2 * 1024 * 1024, 'x');
    endless.insert(0, "Begin VB.Menu a\r\n Caption = \"");
    const Result<std::string> text = ConvertText(endless);
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::FormLineTooLong);
}

}  // namespace
}  // namespace tarvel
