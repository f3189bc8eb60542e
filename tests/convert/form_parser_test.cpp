// Reading a form into its tree: where the definition ends, line ends of every
// kind and at every place in the read pieces, which blocks are the menus,
// which properties are kept, the line of every node, and the forms that
// cannot be read.
#include "form_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "test_support.h"

namespace tarvel {
namespace {

using test::ConvertText;
using test::TempDir;
using test::WithLineEnds;
using test::WriteBytes;

class NoFrx : public FrxSource {
public:
    Result<std::string> Caption(const FrxReference& reference) override {
        return FileError(ErrorKind::FrxUnreadable, reference.fileName);
    }
};

Result<Form> Parse(std::string_view bytes, bool controls = false) {
    FormReader reader = FormReader::FromBytes(bytes, "Form1.frm");
    NoFrx frx;
    return ParseForm(reader, frx, FormReading{.controls = controls});
}

// "name:caption@line" of every item, with a "(" after a parent and ")" after its last descendant.
std::string Outline(const Form& form) {
    std::string out;
    std::vector<std::uint32_t> open;
    for (std::size_t i = 0; i < form.menu.size(); ++i) {
        for (; !open.empty() && open.back() == i; open.pop_back()) out += ") ";
        const MenuItem& item = form.menu[i];
        out += std::string(item.name) + ":" + std::string(item.caption) + "@" + std::to_string(item.line) + " ";
        if (form.HasChildren(i)) {
            out += "( ";
            open.push_back(item.end);
        }
    }
    for (; !open.empty(); open.pop_back()) out += ") ";
    return out;
}

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

TEST(FormParser, TheDefinitionEndsAtTheFormsOwnEndOrAnAttributeLineWhateverTheLineEnds) {
    for (std::string_view lineEnd : {"\r\n", "\n", "\r"}) {
        const Result<Form> form = Parse(WithLineEnds(kForm, lineEnd));
        ASSERT_TRUE(form);
        EXPECT_EQ(Outline(form.value()), "mnuFile:&File@4 ( mnuOpen:&Open@6 ) ");
        EXPECT_EQ(form.value().objects[0].name, "Form1");
        EXPECT_EQ(form.value().objects[0].line, 2u);
    }
    // What follows the form's End is not read, not even a line longer than any form holds.
    const Result<Form> after = Parse("Begin VB.Form F\r\nEnd\r\nBegin VB.Menu late\r\n" + std::string(FormReader::kMaxLineLength + 1, 'x'));
    ASSERT_TRUE(after);
    EXPECT_TRUE(after.value().menu.empty());
    // Cut short: an Attribute line at the start of a line ends it, wherever the blocks stand; an indented one does not.
    const Result<Form> cut = Parse(
        "Begin VB.Form F\rBegin VB.Menu a\r\n Caption=\"A\"\n   Attribute x\nBegin VB.Menu b\n\r\r\nATTRIBUTE y\rBegin VB.Menu c\r\n");
    ASSERT_TRUE(cut);
    EXPECT_EQ(Outline(cut.value()), "a:A@2 ( b:@5 ) ");
}

Result<Form> ParseAskingNoCodePage(std::string_view bytes) {
    FormReader reader = FormReader::FromBytes(bytes, "Form1.frm");
    NoFrx frx;
    return ParseForm(reader, frx, FormReading{.codePage = false});
}

TEST(FormParser, MenusAreTheFormsOwnAndWhatLiesInsideThemIsPassedOverWhole) {
    // A control's lines: a tab and other control bytes before a line end, and lines ended by a lone CR and LF.
    std::string bytes = WithLineEnds(R"(Begin VB.Form Form1 
   Begin VB.PictureBox Picture1 
      Begin VB.Menu mnuInAControl 
         Caption         =   "not a menu"
      End
   End
	 bEgIn   vb.menu  mnuTools   'Begin VB.Menu
      Caption = "Tools"
      Enabled = 0   'False
      Visible = 0   'False
      Begin VB.Timer Timer1 
         Caption = "not the item's"
         Begin VB.Menu mnuInATimer 
         End
      End
      Begin VB.Menu mnuRecent 
         Caption = "File"
         Index = 2   'second
         Shortcut = ^{F3}
         Checked = -1  'True
         BeginProperty Font
            Caption = "not the item's"
         EndProperty
      End
      Caption = "after its children"
   End
End
)");
    bytes.insert(bytes.find("      Begin VB.Menu mnuInAControl"), "      Tag = \"a\tb\x0b\x01\"\t\r      BeginProperty Font\n      EndProperty\r\n");
    // Read alike whether or not the controls' texts are looked at for the code page.
    for (const bool codePage : {true, false}) {
        const Result<Form> form = codePage ? Parse(bytes) : ParseAskingNoCodePage(bytes);
        ASSERT_TRUE(form);
        EXPECT_EQ(Outline(form.value()), "mnuTools:Tools@10 ( mnuRecent:File@19 ) ");
        const MenuItem& tools = form.value().menu[0];
        EXPECT_FALSE(tools.enabled);
        EXPECT_FALSE(tools.visible);
        const MenuItem& recent = form.value().menu[1];
        EXPECT_EQ(recent.index, "2");
        EXPECT_EQ(recent.shortcut, "^{F3}");
        EXPECT_TRUE(recent.checked);
        EXPECT_TRUE(recent.enabled);
        EXPECT_TRUE(recent.visible);
        // Read without its controls, the form keeps only itself.
        EXPECT_EQ(form.value().objects.size(), 1u);
    }
}

TEST(FormParser, ControlsKeepTheirPlaceTheirLineAndOnlyThePropertiesAWriterReads) {
    const Result<Form> form = Parse(WithLineEnds(R"(Begin VB.Form frmMain 
   BeginProperty Font 
      Name            =   "Tahoma"
      Charset         =   238
   EndProperty
   Begin VB.Frame Frame1 
      Caption         =   "Ramka"
      ToolTipText     =   "not read by any writer"
      BeginProperty DataFormat 
         Type            =   1
      EndProperty
      Begin VB.CommandButton Command1 
         Left            =   120   'twips
         BeginProperty Font 
            Charset         =   128
         EndProperty
      End
   End
End
)"), true);
    ASSERT_TRUE(form);
    const std::vector<FormObject>& objects = form.value().objects;
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0].Property(Prop::FontBlockName), "Tahoma");
    EXPECT_EQ(objects[1].type, "VB.Frame");
    EXPECT_EQ(objects[1].line, 6u);
    EXPECT_EQ(objects[1].parent, 0u);
    EXPECT_EQ(objects[1].end, 3u);
    ASSERT_EQ(objects[1].properties.size(), 1u);
    EXPECT_EQ(objects[1].properties[0].value, "Ramka");
    EXPECT_EQ(objects[1].properties[0].line, 7u);
    EXPECT_EQ(objects[2].parent, 1u);
    EXPECT_EQ(objects[2].Property(Prop::Left), "120");
    // Every font's character set counts for the code page, kept or not.
    EXPECT_EQ(form.value().facts.charsets[238], 1u);
    EXPECT_EQ(form.value().facts.charsets[128], 1u);
    EXPECT_EQ(form.value().facts.formCharset, 238);
}

TEST(FormParser, ATabbedContainerKeepsItsCurrentTabAndWhatEachTabCallsAndHoldsAndNoOtherIndexedProperty) {
    const Result<Form> form = Parse(R"frm(Begin VB.Form frmMain 
   Begin TabDlg.SSTab SSTab1 
      Tabs            =   3
      Tab             =   2
      TabCaption(0)   =   "Og""lne"
      TabPicture(0)   =   "Form1.frx":0000
      Tab(0).ControlEnabled=   0   'False
      Tab(0).Control(0)=   "Label1"
      Tab(0).Control(0).Enabled=   0   'False
      Tab(0).ControlCount=   1
      TabCaption(12)  =   "Dwunasta"
      Tab(12).Control(7)=   "Image1(23)"
      Tab(70000).Control(0)=   "TooFar"
      Tab(1)          =   "NoControl"
      TabCaption      =   "NoTab"
      TabCaption(x)   =   "NoNumber"
      Tab(3).Control(1)x=   "TrailingWord"
   End
End
)frm", true);
    ASSERT_TRUE(form);
    const FormObject& tabs = form.value().objects[1];
    std::vector<std::string> kept;
    for (const FormProperty& property : tabs.properties)
        kept.push_back(std::string(PropertyName(property.property)) + "/" + std::to_string(property.tab) + "=" +
                       std::string(property.value) + "@" + std::to_string(property.line));
    EXPECT_EQ(kept, (std::vector<std::string>{"Tab/0=2@4", "TabCaption/0=Og\"lne@5", "TabPicture/0=\"Form1.frx\":0000@6",
                                              "Tab.Control/0=Label1@8",
                                              "TabCaption/12=Dwunasta@11", "Tab.Control/12=Image1(23)@12"}));
}

TEST(FormParser, WhatAProgramOfTheFormSetsIsKeptAndItsCodeAndControlFontsOnlyWhenAsked) {
    const std::string text = WithLineEnds(R"(VERSION 5.00
Begin VB.Form Form1 
   BackColor       =   &H8000000F&
   Begin VB.ListBox List1 
      ItemData        =   "Form1.frx":0010
      List            =   "Form1.frx":001C   'items
      BeginProperty Font 
         Name            =   "Courier New"
         Size            =   9.75
      EndProperty
   End
   Begin VB.HScrollBar HScroll1 
      Min             =   -5
      Max             =   50
      SmallChange     =   2
      LargeChange     =   10
      Value           =   7
   End
   Begin VB.Timer Timer1 
      Enabled         =   0   'False
      Interval        =   250
   End
   Begin VB.TextBox Text1 
      ForeColor       =   &H000000FF&
      MaxLength       =   12
   End
End
Attribute VB_Name = "Form1"
Attribute VB_Exposed = False
Private Sub Timer1_Timer()
  ' tick
End Sub
)", "\n");
    FormReader reader = FormReader::FromBytes(text, "Form1.frm");
    NoFrx frx;
    const Result<Form> asked = ParseForm(reader, frx, FormReading{.controls = true, .controlFonts = true, .code = true});
    ASSERT_TRUE(asked);
    const std::vector<FormObject>& objects = asked.value().objects;
    ASSERT_EQ(objects.size(), 5u);
    EXPECT_EQ(objects[0].Property(Prop::BackColor), "&H8000000F&");
    EXPECT_EQ(objects[1].Property(Prop::ItemData), "\"Form1.frx\":0010");
    EXPECT_EQ(objects[1].Property(Prop::List), "\"Form1.frx\":001C");
    EXPECT_EQ(objects[1].Property(Prop::FontBlockName), "Courier New");
    EXPECT_EQ(objects[1].Property(Prop::FontBlockSize), "9.75");
    for (const auto& [property, value] : {std::pair{Prop::Min, "-5"}, {Prop::Max, "50"}, {Prop::SmallChange, "2"},
                                          {Prop::LargeChange, "10"}, {Prop::Value, "7"}})
        EXPECT_EQ(objects[2].Property(property), value) << PropertyName(property);
    EXPECT_EQ(objects[3].Property(Prop::Enabled), "0");
    EXPECT_EQ(objects[3].Property(Prop::Interval), "250");
    EXPECT_EQ(objects[4].Property(Prop::ForeColor), "&H000000FF&");
    EXPECT_EQ(objects[4].Property(Prop::MaxLength), "12");
    // The code from the first line after the Attribute lines, every line ended by CR LF.
    EXPECT_EQ(asked.value().codeLine, 30u);
    EXPECT_EQ(asked.value().code, "Private Sub Timer1_Timer()\r\n  ' tick\r\nEnd Sub\r\n");

    // Not asked: no code, and only the form's own font.
    const Result<Form> plain = Parse(text, true);
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain.value().code.empty());
    EXPECT_FALSE(plain.value().objects[1].Property(Prop::FontBlockName));
    // A Font block's names mean nothing outside one, and a property's name inside one only there.
    EXPECT_FALSE(KeptProperty("Name", false));
    EXPECT_FALSE(KeptProperty("Value", true));
    EXPECT_EQ(KeptProperty("Size", true)->property, Prop::FontBlockSize);
}

TEST(FormParser, ATabStripsTabsAreKeptAsItsTabCaptionsOnlyWhenAsked) {
    const std::string text = WithLineEnds(R"(Begin VB.Form Form1 
   Begin MSComctlLib.TabStrip tabTree 
      Caption         =   "not a tab"
      BeginProperty Tabs {1EFB6598-857C-11D1-B16A-00C0F0283628} 
         NumTabs         =   2
         BeginProperty Tab1 {1EFB659A-857C-11D1-B16A-00C0F0283628} 
            Caption         =   "Archivo"
            BeginProperty Picture 
               Caption         =   "inside a picture"
            EndProperty
         EndProperty
         BeginProperty Tab2 {1EFB659A-857C-11D1-B16A-00C0F0283628} 
            Caption         =   "Favo""ritos"
         EndProperty
      EndProperty
   End
   Begin VB.CommandButton Command1 
      Caption         =   "after"
   End
End
)");
    FormReader reader = FormReader::FromBytes(text, "Form1.frm");
    NoFrx frx;
    const Result<Form> asked = ParseForm(reader, frx, FormReading{.controls = true, .tabStripTabs = true});
    ASSERT_TRUE(asked);
    ASSERT_EQ(asked.value().objects.size(), 3u);
    std::vector<std::string> kept;
    for (const FormProperty& property : asked.value().objects[1].properties)
        kept.push_back(std::string(PropertyName(property.property)) + "/" + std::to_string(property.tab) + "=" +
                       std::string(property.value) + "@" + std::to_string(property.line));
    EXPECT_EQ(kept, (std::vector<std::string>{"Caption/0=not a tab@3", "TabCaption/0=Archivo@7", "TabCaption/1=Favo\"ritos@13"}));
    EXPECT_EQ(asked.value().objects[2].Property(Prop::Caption), "after");
    const Result<Form> plain = Parse(text, true);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain.value().objects[1].properties.size(), 1u);
}

// "Name.Property/tab=value@line" of every kept property of every object but the form.
std::vector<std::string> KeptOfControls(const Form& form) {
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < form.objects.size(); ++i)
        for (const FormProperty& property : form.objects[i].properties)
            kept.push_back(std::string(form.objects[i].name) + "." + std::string(PropertyName(property.property)) + "/" +
                           std::to_string(property.tab) + "=" + std::string(property.value) + "@" +
                           std::to_string(property.line));
    return kept;
}

TEST(FormParser, PicturesKeepTheirFrxReferenceAndAnImageListKeepsEachImageByItsNumber) {
    const Result<Form> form = Parse(R"frm(Begin VB.Form frmMain 
   Icon            =   "Form1.frx":0000
   Begin MSComctlLib.ImageList ImageList1 
      BeginProperty Images {2C247F25-8591-11D1-B16A-00C0F0283628} 
         NumListImages   =   2
         BeginProperty ListImage1 {2C247F27-8591-11D1-B16A-00C0F0283628} 
            Picture         =   "Form1.frx":0A3C
            Key             =   ""
         EndProperty
         BeginProperty ListImage12 {2C247F27-8591-11D1-B16A-00C0F0283628} 
            Picture         =   "Form1.frx":0B00
         EndProperty
      EndProperty
      BeginProperty Other {00000000-0000-0000-0000-000000000000} 
         Picture         =   "Form1.frx":0C00
      EndProperty
      Begin VB.Menu mnuInside 
      End
   End
   Begin MSComctlLib.StatusBar StatusBar1 
      BeginProperty Panels {8E3867A5-8586-11D1-B16A-00C0F0283628} 
         NumPanels       =   2
         BeginProperty Panel1 {8E3867AB-8586-11D1-B16A-00C0F0283628} 
            Picture         =   "Form1.frx":0D00
            BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851} 
               Name            =   "Arial"
            EndProperty
         EndProperty
         BeginProperty Panel3 {8E3867AB-8586-11D1-B16A-00C0F0283628} 
            Picture         =   "Form1.frx":0E00
         EndProperty
      EndProperty
   End
   Begin VB.CommandButton Command1 
      Picture         =   "Form1.frx":1000
      DownPicture     =   "Form1.frx":2000
      DisabledPicture =   "Form1.frx":3000
      DragIcon        =   "Form1.frx":4000
      Style           =   1  'Graphical
      Text            =   "Form1.frx":5000
   End
   Begin VB.Image Image1 
      Picture         =   "Form1.frx":6000
      Stretch         =   -1  'True
   End
End
)frm", true);
    ASSERT_TRUE(form);
    EXPECT_EQ(KeptOfControls(form.value()),
              (std::vector<std::string>{"frmMain.Icon/0=\"Form1.frx\":0000@2", "ImageList1.ListImage/1=\"Form1.frx\":0A3C@7",
                                        "ImageList1.ListImage/12=\"Form1.frx\":0B00@11",
                                        "StatusBar1.PanelPicture/1=\"Form1.frx\":0D00@24",
                                        "StatusBar1.PanelPicture/3=\"Form1.frx\":0E00@30",
                                        "Command1.Picture/0=\"Form1.frx\":1000@35",
                                        "Command1.DownPicture/0=\"Form1.frx\":2000@36",
                                        "Command1.DisabledPicture/0=\"Form1.frx\":3000@37",
                                        "Command1.DragIcon/0=\"Form1.frx\":4000@38", "Command1.Style/0=1@39",
                                        "Command1.Text/0=@40", "Image1.Picture/0=\"Form1.frx\":6000@43",
                                        "Image1.Stretch/0=-1@44"}));
    EXPECT_TRUE(form.value().menu.empty());
    // Read without the controls, only the form's own pictures are kept.
    const Result<Form> menusOnly = Parse("Begin VB.Form F\r\n Icon = \"F.frx\":0010\r\n Begin VB.Image I\r\n  Picture = \"F.frx\":0\r\n End\r\nEnd\r\n");
    ASSERT_TRUE(menusOnly);
    EXPECT_EQ(KeptOfControls(menusOnly.value()), (std::vector<std::string>{"F.Icon/0=\"F.frx\":0010@2"}));
}

TEST(FormParser, LinesAndLineEndsThatCrossTheReadPieces) {
    // A caption line longer than a piece, a CR LF split between two pieces, a
    // menu line found only in the second piece, and a last line without its
    // end: from the file shown in memory, and from the same file as a stream.
    TempDir dir;
    const std::string caption(1536 * 1024, 'x');
    std::string form = "Begin VB.Form F\r\n" + std::string(1024 * 1024 - 18, ' ');
    form += "\r\nBegin VB.Menu a\r\n   Caption = \"" + caption + "\"\r\nEnd\r\nBegin VB.Menu b\nCaption=\"B\"";
    WriteBytes(dir / "Form1.frm", form);
    Result<FormReader> reader = FormReader::Open(dir / "Form1.frm", "Form1.frm");
    ASSERT_TRUE(reader);
    NoFrx frx;
    const Result<Form> parsed = ParseForm(reader.value(), frx, {});
    ASSERT_TRUE(parsed);
    EXPECT_EQ(Outline(parsed.value()), "a:" + caption + "@3 b:B@6 ");

    std::FILE* const stream = std::fopen((dir / "Form1.frm").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    FormReader streamed = FormReader::FromStream(stream, "Form1.frm");
    const Result<Form> fromStream = ParseForm(streamed, frx, {});
    std::fclose(stream);
    ASSERT_TRUE(fromStream);
    EXPECT_EQ(Outline(fromStream.value()), "a:" + caption + "@3 b:B@6 ");
}

TEST(FormParser, AFileCutShorterOrGrownWhileItIsReadIsReadAsItIsThen) {
    // Cut shorter after its first line is read, the file gives the lines it
    // still holds (the last without its line end), as reading it would, and no
    // fault: within the piece being read, at the end of one, and past it. Grown,
    // it gives the lines added too.
    TempDir dir;
    std::string form = "Begin VB.Form F\r\n";
    while (form.size() < 5u * 1024 * 1024) form += "   Begin VB.Label Label" + std::to_string(form.size()) + "\r\n   End\r\n";
    const auto linesOf = [](std::string_view text) {
        std::vector<std::string> lines;
        FormReader reader = FormReader::FromBytes(text, "Form1.frm");
        while (const std::optional<std::string_view> line = reader.NextLine()) lines.emplace_back(*line);
        return lines;
    };
    for (const std::size_t size : {std::size_t{512 * 1024 + 100}, std::size_t{1024 * 1024 - 100}, std::size_t{3 * 1024 * 1024 + 7},
                                   form.size() + 4000}) {
        std::string expected = form;
        if (size > form.size()) {
            while (expected.size() < size) expected += "End\r\n";
        }
        expected.resize(size);
        WriteBytes(dir / "Form1.frm", form);
        Result<FormReader> reader = FormReader::Open(dir / "Form1.frm", "Form1.frm");
        ASSERT_TRUE(reader);
        std::vector<std::string> lines;
        lines.emplace_back(reader.value().NextLine().value());
        if (size < form.size()) std::filesystem::resize_file(dir / "Form1.frm", size);
        else std::ofstream(dir / "Form1.frm", std::ios::binary | std::ios::app) << expected.substr(form.size());
        while (const std::optional<std::string_view> line = reader.value().NextLine()) lines.emplace_back(*line);
        EXPECT_FALSE(reader.value().error()) << size;
        EXPECT_EQ(lines, linesOf(expected)) << size;
    }
}

TEST(FormParser, LinesOfAControlPassedOverAcrossTheReadPiecesAreCountedOnce) {
    // A control's line whose line end (CR LF, CR or LF) lies just before,
    // across or just after the end of the first piece: the item after the control keeps its line.
    TempDir dir;
    for (const std::string lineEnd : {"\r\n", "\r", "\n"}) {
        for (const std::size_t shift : {0, 1, 2}) {
            const std::string head = "Begin VB.Form F" + lineEnd + "Begin VB.TextBox T" + lineEnd + "   Tag = \"";
            std::string form = head + std::string(1024 * 1024 - 3 + shift - head.size(), 'x') + "\"";
            for (const char* line : {"   Tag = 2", "End", "Begin VB.Menu a", "Caption=\"A\"", "End"}) form += lineEnd + line;
            WriteBytes(dir / "Form1.frm", form);
            Result<FormReader> reader = FormReader::Open(dir / "Form1.frm", "Form1.frm");
            ASSERT_TRUE(reader);
            NoFrx frx;
            const Result<Form> parsed = ParseForm(reader.value(), frx, {.codePage = false});
            ASSERT_TRUE(parsed);
            EXPECT_EQ(Outline(parsed.value()), "a:A@6 ") << shift << " " << lineEnd.size();
        }
    }
}

TEST(FormParser, ABlockLinePassedOverCountsOnceWhereverItsLineEndFalls) {
    // The lines of a control are looked at 64 bytes at a time: a BeginProperty
    // line whose line end lies at every place around the end of such a piece,
    // and near the end of the form, still opens one block, with either scan.
    for (const BlockScan scan : {BlockScan::Narrow, BlockScan::Widest})
    for (const std::string lineEnd : {"\r\n", "\n", "\r"}) {
        UseBlockScan(scan);
        for (std::size_t padding = 20; padding < 50; ++padding) {
            std::string form = "Begin VB.Form F" + lineEnd + "Begin VB.TextBox T" + lineEnd + "   Tag = \"" +
                               std::string(padding, 'x') + "\"";
            for (const char* line : {"   BeginProperty Font", "Name=1", "EndProperty", "End", "Begin VB.Menu m",
                                     "Caption=\"M\"", "End"})
                form += lineEnd + line;
            const Result<Form> parsed = ParseAskingNoCodePage(form + lineEnd);
            ASSERT_TRUE(parsed);
            EXPECT_EQ(Outline(parsed.value()), "m:M@8 ") << padding << " " << lineEnd.size();
        }
    }
}

TEST(FormParser, TheWideAndTheNarrowScanPassOverTheSameLines) {
    // Controls passed over whole, made of lines that open and close blocks,
    // may end the definition or only look so, in every case and with every
    // line end, and blanks before them: each scan gives the same menu, lines
    // and all, and so does reading them a line at a time.
    if (!HasWiderBlockScan()) GTEST_SKIP() << "this processor runs only the narrow scan";
    const std::vector<std::string> words = {"Begin VB.Label L", "BeginProperty Font", "EndProperty", "End", "END", "eNd",
                                            "Tag = \"End\"", "Attribute VB_Name = \"F\"", "attributes", "bEGIN x",
                                            "Endless", "BeginPropertyX", "a", "E", "b", "", "Begin VB.Menu m"};
    const std::vector<std::string> lineEnds = {"\r\n", "\n", "\r"};
    std::mt19937 random(16);
    const auto pick = [&](std::size_t count) { return static_cast<std::size_t>(random() % count); };
    for (int round = 0; round < 400; ++round) {
        std::string form = "Begin VB.Form F\r\n Begin VB.TextBox T\r\n";
        for (std::size_t line = 0, lines = pick(300); line < lines; ++line)
            form += std::string(pick(4) * (pick(2) ? 1 : 3), pick(5) ? ' ' : '\t') + words[pick(words.size())] +
                    lineEnds[pick(lineEnds.size())];
        form += "End\r\nBegin VB.Menu last\r\nCaption=\"L\"\r\nEnd\r\nEnd\r\n";
        UseBlockScan(BlockScan::Narrow);
        const Result<Form> narrow = ParseAskingNoCodePage(form);
        UseBlockScan(BlockScan::Widest);
        const Result<Form> wide = ParseAskingNoCodePage(form);
        ASSERT_EQ(static_cast<bool>(narrow), static_cast<bool>(wide)) << form;
        if (narrow) {
            ASSERT_EQ(Outline(narrow.value()), Outline(wide.value())) << form;
            // Read a line at a time, as when what the controls say of the code page is noted: the same menu.
            const Result<Form> lineByLine = Parse(form);
            ASSERT_TRUE(lineByLine);
            ASSERT_EQ(Outline(lineByLine.value()), Outline(wide.value())) << form;
        }
    }
}

TEST(FormParser, FormsThatCannotBeReadAreRefusedWithTheReasonAndTheLine) {
    TempDir dir;
    Result<FormReader> missing = FormReader::Open(dir / "nope.frm", "nope.frm");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind, ErrorKind::FormUnreadable);
    EXPECT_EQ(missing.error().system, std::errc::no_such_file_or_directory);

    Result<FormReader> directory = FormReader::Open(dir.path(), "dir");
    ASSERT_FALSE(directory);
    EXPECT_EQ(directory.error().system, std::errc::is_a_directory);

    // One line past any sane length is an error, not a reason to run out of memory.
    std::string endless(FormReader::kMaxLineLength + 2 * 1024 * 1024, 'x');
    endless.insert(0, "Begin VB.Form F\nBegin VB.Menu a\n Caption = \"");
    const Result<std::string> text = ConvertText(endless);
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::FormLineTooLong);
    EXPECT_EQ(text.error().line, 3u);
    EXPECT_TRUE(Describe(text.error()).ends_with("Form1.frm:3: cannot read the form: the line is longer than 16 MiB"));
}

}  // namespace
}  // namespace tarvel
