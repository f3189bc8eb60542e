// The RC text a menu gives, whole and byte for byte: the writer, its string
// rule and its name rule, over forms converted from end to end.
#include "rc_writer.h"

#include <gtest/gtest.h>

#include <map>

#include "convert_form.h"
#include "name_table.h"
#include "test_support.h"

namespace tarvel {
namespace {

using test::ConvertText;
using test::WithLineEnds;

constexpr std::string_view kFileAndView = R"(VERSION 5.00
Begin VB.Form Form1 
   Caption         =   "Form1"
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open"
         Shortcut        =   ^O
      End
      Begin VB.Menu mnuSep 
         Caption         =   "-"
      End
      Begin VB.Menu mnuExit 
         Caption         =   "E&xit"
         Enabled         =   0   'False
      End
   End
   Begin VB.Menu mnuView 
      Caption         =   "&View"
      Begin VB.Menu mnuBar 
         Caption         =   "Tool&bar"
         Checked         =   -1  'True
      End
   End
End
Attribute VB_Name = "Form1"
)";

constexpr std::string_view kViewZoomHelp = R"(Begin VB.Form Form1 
   Begin VB.Menu mnuView 
      Caption         =   "&View"
      Begin VB.Menu mnuBar 
         Caption         =   "Tool&bar"
      End
      Begin VB.Menu mnuZoom 
         Caption         =   "&Zoom"
         Begin VB.Menu mnuIn 
            Caption         =   "Zoom &in"
         End
         Begin VB.Menu mnuOut 
            Caption         =   "Zoom &out"
         End
      End
   End
   Begin VB.Menu mnuHelp 
      Caption         =   "&Help"
      Begin VB.Menu mnuAbout 
         Caption         =   "&About"
      End
   End
End
Attribute VB_Name = "Form1"
)";

std::string Rc(std::string_view text) { return WithLineEnds(text); }

std::string Converted(std::string_view form, bool useDefines = true, std::int32_t firstId = 100) {
    Result<std::string> text = ConvertText(test::InForm(form), useDefines, firstId);
    if (!text) return "error: " + Describe(text.error());
    return text.value();
}

TEST(RcWriter, FileAndViewWithDefines) {
    EXPECT_EQ(Converted(kFileAndView), Rc(R"(#define mnuOpen 100
#define mnuExit 101
#define mnuBar 102


Glowne MENU
{

POPUP "&File"
{
    MENUITEM "&Open", mnuOpen
    MENUITEM SEPARATOR
    MENUITEM "E&xit", mnuExit, GRAYED
}

POPUP "&View"
{
    MENUITEM "Tool&bar", mnuBar, CHECKED
}
}
)"));
}

TEST(RcWriter, WithoutDefinesEveryItemTakesTheNextNumber) {
    EXPECT_EQ(Converted(kFileAndView, false), Rc(R"(

Glowne MENU
{

POPUP "&File"
{
    MENUITEM "&Open", 100
    MENUITEM SEPARATOR
    MENUITEM "E&xit", 101, GRAYED
}

POPUP "&View"
{
    MENUITEM "Tool&bar", 102, CHECKED
}
}
)"));
}

TEST(RcWriter, SubMenuAsLastEntryIsClosedRightAfterIt) {
    EXPECT_EQ(Converted(kViewZoomHelp, false), Rc(R"(

Glowne MENU
{

POPUP "&View"
{
    MENUITEM "Tool&bar", 100

POPUP "&Zoom"
{
        MENUITEM "Zoom &in", 101
        MENUITEM "Zoom &out", 102
}
}

POPUP "&Help"
{
    MENUITEM "&About", 103
}
}
)"));
}

TEST(RcWriter, SeparatorAsLastEntryStillClosesItsPopup) {
    EXPECT_EQ(Converted(R"(   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open"
      End
      Begin VB.Menu mnuSep 
         Caption         =   "-"
      End
   End
   Begin VB.Menu mnuQuit 
      Caption         =   "&Quit"
   End
   Begin VB.Menu mnuTools 
      Caption         =   "&Tools"
      Begin VB.Menu mnuSep2 
         Caption         =   "-"
      End
   End
End
)", false), Rc(R"(

Glowne MENU
{

POPUP "&File"
{
    MENUITEM "&Open", 100
    MENUITEM SEPARATOR
}
MENUITEM "&Quit", 101

POPUP "&Tools"
{
    MENUITEM SEPARATOR
}
}
)"));
}

TEST(RcWriter, TopLevelItemsWithoutChildrenStandInTheMenuItself) {
    EXPECT_EQ(Converted(R"(   Begin VB.Menu mnuFirst 
      Caption         =   "&First"
   End
   Begin VB.Menu mnuEdit 
      Caption         =   "&Edit"
      Begin VB.Menu mnuCut 
         Caption         =   "Cu&t"
      End
   End
   Begin VB.Menu mnuLast 
      Caption         =   "&Last"
      Enabled         =   0   'False
      Checked         =   -1  'True
   End
End
)"), Rc(R"(#define mnuFirst 100
#define mnuCut 101
#define mnuLast 102


Glowne MENU
{
MENUITEM "&First", mnuFirst

POPUP "&Edit"
{
    MENUITEM "Cu&t", mnuCut
}
MENUITEM "&Last", mnuLast, GRAYED, CHECKED
}
)"));
}

TEST(RcWriter, IndentsFourSpacesForEachEnclosingPopup) {
    const std::string text = Converted(R"(   Begin VB.Menu a 
      Caption         =   "A"
      Begin VB.Menu b 
         Caption         =   "B"
         Begin VB.Menu c 
            Caption         =   "C"
            Begin VB.Menu d 
               Caption         =   "D"
            End
            Begin VB.Menu sep 
               Caption         =   "-"
            End
         End
      End
      Begin VB.Menu e 
         Caption         =   "E"
      End
   End
End
)", false);
    EXPECT_EQ(text, Rc(R"(

Glowne MENU
{

POPUP "A"
{

POPUP "B"
{

POPUP "C"
{
            MENUITEM "D", 100
            MENUITEM SEPARATOR
}
}
    MENUITEM "E", 101
}
}
)"));
}

TEST(RcWriter, FirstItemKeepsTheCaseOfItsName) {
    EXPECT_EQ(Converted(R"(Begin VB.Menu mnuAbout 
   Caption = "&About"
End
)"), Rc(R"(#define mnuAbout 100


Glowne MENU
{
MENUITEM "&About", mnuAbout
}
)"));
}

TEST(RcWriter, ControlArrayItemsGetTheirIndexInTheName) {
    const std::string form = R"(   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuRecent 
         Caption         =   "One"
         Index           =   0
      End
      Begin VB.Menu mnuRecent 
         Caption         =   "Two"
         Index           =   2
      End
   End
)";
    EXPECT_EQ(Converted(form), Rc(R"(#define mnuRecent_0 100
#define mnuRecent_2 101


Glowne MENU
{

POPUP "&File"
{
    MENUITEM "One", mnuRecent_0
    MENUITEM "Two", mnuRecent_2
}
}
)"));
    EXPECT_NE(Converted(form, false).find("MENUITEM \"Two\", 101\r\n"), std::string::npos);
}

TEST(RcWriter, ANameIsTheOneWordAfterBeginAndOnlyAnIdentifierBecomesADefine) {
    EXPECT_EQ(Converted(R"(Begin VB.Menu   mnuSpaced   'a comment
   Caption = "A"
End
Begin VB.Menu mnuPop, GRAYED
   Caption = "B"
End
Begin VB.Menu mnu"x"
   Caption = "C"
End
Begin VB.Menu 9lives
   Caption = "D"
End
)"
                        "Begin VB.Menu mnu_\xC5\x81\xB3\n   Caption = \"E\"\nEnd\n"),
              Rc("#define mnuSpaced 100\n"
                 "\n\nGlowne MENU\n{\n"
                 "MENUITEM \"A\", mnuSpaced\n"
                 "MENUITEM \"B\", 101\n"
                 "MENUITEM \"C\", 102\n"
                 "MENUITEM \"D\", 103\n"
                 "MENUITEM \"E\", 104\n"
                 "}\n"));
}

TEST(RcWriter, OnlyAnAsciiNameThatNoCompilerReadsAsAWordAndThatIsNotTakenIsDefined) {
    // Polish and accented letters, a word of the RC language in any case, and
    // a name that an earlier item (here through its control array) defined already.
    EXPECT_EQ(Converted("Begin VB.Menu mnuZako\xC5\x84" "cz\n Caption = \"Z\"\nEnd\n"
                        "Begin VB.Menu Help\n Caption = \"H\"\nEnd\n"
                        "Begin VB.Menu glowne\n Caption = \"G\"\nEnd\n"
                        "Begin VB.Menu mnuRecent\n Caption = \"R2\"\n Index = 2\nEnd\n"
                        "Begin VB.Menu mnuRecent_2\n Caption = \"Other\"\nEnd\n"
                        "Begin VB.Menu mnuRecent_2\n Caption = \"Again\"\nEnd\n"),
              Rc("#define mnuRecent_2 103\n"
                 "\n\nGlowne MENU\n{\n"
                 "MENUITEM \"Z\", 100\n"
                 "MENUITEM \"H\", 101\n"
                 "MENUITEM \"G\", 102\n"
                 "MENUITEM \"R2\", mnuRecent_2\n"
                 "MENUITEM \"Other\", 104\n"
                 "MENUITEM \"Again\", 105\n"
                 "}\n"));
}

TEST(RcWriter, ANameThatCOrCxxOrWindowsHAlreadyHasKeepsItsNumber) {
    // A keyword of C++ (new) or C23 (_BitInt is no VB name, bool is), a function or macro of the C
    // library (exit, EOF), a macro of <windows.h> (IDOK, CreateWindow); C compares with case.
    EXPECT_EQ(Converted("Begin VB.Menu new\n Caption = \"N\"\nEnd\n"
                        "Begin VB.Menu bool\n Caption = \"B\"\nEnd\n"
                        "Begin VB.Menu exit\n Caption = \"X\"\nEnd\n"
                        "Begin VB.Menu EOF\n Caption = \"E\"\nEnd\n"
                        "Begin VB.Menu IDOK\n Caption = \"O\"\nEnd\n"
                        "Begin VB.Menu CreateWindow\n Caption = \"C\"\nEnd\n"
                        "Begin VB.Menu Exit\n Caption = \"Y\"\nEnd\n"),
              Rc("#define Exit 106\n"
                 "\n\nGlowne MENU\n{\n"
                 "MENUITEM \"N\", 100\n"
                 "MENUITEM \"B\", 101\n"
                 "MENUITEM \"X\", 102\n"
                 "MENUITEM \"E\", 103\n"
                 "MENUITEM \"O\", 104\n"
                 "MENUITEM \"C\", 105\n"
                 "MENUITEM \"Y\", Exit\n"
                 "}\n"));
    for (const std::string_view name : {"printf", "errno", "NULL", "abort", "WS_TABSTOP", "WM_COMMAND", "MAKEINTRESOURCE",
                                        "LoadMenu", "char8_t", "co_await", "typeof"})
        EXPECT_FALSE(IsUsableRcName(name)) << name;
    for (const std::string_view name : {"mnuFile", "Printf", "idok", "New", "cmdOK"}) EXPECT_TRUE(IsUsableRcName(name)) << name;
}

TEST(RcWriter, EmptyCaptionsWriteNothingForLeavesAndAnEmptyPopupForParents) {
    EXPECT_EQ(Converted(R"(   Begin VB.Menu mnuHidden 
      Caption         =   ""
   End
   Begin VB.Menu mnuPopup 
      Caption         =   ""
      Begin VB.Menu mnuItem 
         Caption         =   "Item"
      End
      Begin VB.Menu mnuBlank 
      End
   End
)"), Rc(R"(#define mnuItem 100


Glowne MENU
{

POPUP ""
{
    MENUITEM "Item", mnuItem
}
}
)"));
}

TEST(RcWriter, CaptionsAreTrimmedAndLoseOnePairOfQuotes) {
    const std::string text = Converted(R"(Begin VB.Menu m1 
   Caption = "Say ""hi"""   
End
Begin VB.Menu m2 
   Caption	=	Bare words	
End
Begin VB.Menu m3 
   Caption = "x
End
Begin VB.Menu m4 
   Caption = "
End
)", false);
    EXPECT_NE(text.find("MENUITEM \"Say \"\"hi\"\"\", 100\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MENUITEM \"Bare words\", 101\r\n"), std::string::npos) << text;
    // A lone quote would end the RC string early; it is doubled.
    EXPECT_NE(text.find("MENUITEM \"\"\"x\", 102\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MENUITEM \"\"\"\", 103\r\n"), std::string::npos) << text;
}

TEST(RcWriter, EveryBackslashIsDoubledSoTheMenuShowsWhatTheFormShows) {
    const std::string text = Converted(R"(Begin VB.Menu m1 
   Caption = "\"
End
Begin VB.Menu m2 
   Caption = "C:\new\tab"
End
Begin VB.Menu m3 
   Caption = "\\SERVER\_SCAN"
End
)", false);
    EXPECT_NE(text.find("MENUITEM \"\\\\\", 100\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MENUITEM \"C:\\\\new\\\\tab\", 101\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MENUITEM \"\\\\\\\\SERVER\\\\_SCAN\", 102\r\n"), std::string::npos) << text;
}

TEST(RcWriter, ControlBytesInACaptionBecomeEscapesOfThemselves) {
    // As a .frx caption or a form edited by hand can hold them: a raw CR LF would break the RC line.
    const std::string text = Converted("Begin VB.Menu m\n Caption = \"a\tb\x01" "c\x1f\"\nEnd\n", false, 100);
    EXPECT_NE(text.find("MENUITEM \"a\\tb\\001c\\037\", 100\r\n"), std::string::npos) << text;
}

TEST(RcWriter, TheQuestionMarkThatEndsATrigraphIsEscapedAndNoOther) {
    // Every trigraph, one in a run of three, one across the eight bytes read at a time, and lone or paired
    // question marks before other characters, which stay as they are (written "?\?" here, where the compiler
    // reads trigraphs too).
    std::string rc;
    AppendRcString(rc, "a?\?=b?\?/c?\?(d?\?)e?\?'f?\?<g?\?>h?\?!i?\?-j??\?=k?=??x?? ?");
    EXPECT_EQ(rc, "a?\\077=b?\\077/c?\\077(d?\\077)e?\\077'f?\\077<g?\\077>h?\\077!i?\\077-j??\\077=k?=??x?? ?");
    rc.clear();
    AppendRcString(rc, "1234567?\?/");
    EXPECT_EQ(rc, "1234567?\\077/");
    EXPECT_EQ(RcStringLength("1234567?\?/"), rc.size());
    const std::string text = Converted("Begin VB.Menu m\n Caption = \"What?\?/ ok?\?!\"\nEnd\n", false, 100);
    EXPECT_NE(text.find("MENUITEM \"What?\\077/ ok?\\077!\", 100\r\n"), std::string::npos) << text;
}

TEST(RcWriter, CaptionsAndNamesPassThroughByteForByte) {
    // cp1250 "Plik" with ł (0xB3), Shift-JIS 0x83 0x5C (whose second byte resource compilers
    // read as a backslash: doubled, it comes back as the one byte), UTF-8 "Ż".
    const std::string form = "Begin VB.Menu mnu\xB3\n   Caption = \"Pli\xB3k \x83\x5C\"\nEnd\n"
                             "Begin VB.Menu mnuZ\n   Caption = \"\xC5\xBB\xC3\xB3\xC5\x82w\"\nEnd\n";
    const std::string text = Converted(form);
    EXPECT_NE(text.find("MENUITEM \"Pli\xB3k \x83\x5C\\\", 100\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MENUITEM \"\xC5\xBB\xC3\xB3\xC5\x82w\", mnuZ\r\n"), std::string::npos) << text;
}

TEST(RcWriter, NumbersAreSixteenBitAndOneOutsideIsAnErrorThatNamesItAndTheItem) {
    const std::string threeItems = R"(Begin VB.Menu a 
   Caption = "A"
End
Begin VB.Menu b 
   Caption = "-"
End
Begin VB.Menu c 
   Caption = "C"
End
Begin VB.Menu d 
   Caption = "D"
End
)";
    EXPECT_NE(Converted(threeItems, true, 0).find("#define a 0\r\n#define c 1\r\n#define d 2\r\n"), std::string::npos);
    EXPECT_NE(Converted(threeItems, false, 65533).find("\"D\", 65535"), std::string::npos);
    // The error names the line where the form begins the item, as a compiler would.
    for (const auto& [first, item, line, number] :
         {std::tuple{65534, "d", 11, 65536}, std::tuple{-1, "a", 2, -1}, std::tuple{70000, "a", 2, 70000}}) {
        const Result<std::string> refused = ConvertText(test::InForm(threeItems), true, first);
        ASSERT_FALSE(refused) << first;
        EXPECT_EQ(refused.error().kind, ErrorKind::ItemNumberOutOfRange);
        EXPECT_EQ(refused.error().detail, item);
        EXPECT_EQ(refused.error().number, number);
        EXPECT_TRUE(Describe(refused.error()).ends_with("Form1.frm:" + std::to_string(line) + ": menu item '" + item +
                                                        "' would get number " + std::to_string(number) +
                                                        ", outside the 0 to 65535 of a MENU resource"))
            << Describe(refused.error());
    }
}

TEST(RcWriter, AFormCutShortStillClosesEveryPopup) {
    EXPECT_EQ(Converted(R"(Begin VB.Form Form1
Begin VB.Menu a 
   Caption = "A"
   Begin VB.Menu b 
      Caption = "B"
      Begin VB.Menu c 
         Caption = "C"
)", false), Rc(R"(

Glowne MENU
{

POPUP "A"
{

POPUP "B"
{
        MENUITEM "C", 100
}
}
}
)"));
}

class FakeFrx : public FrxSource {
public:
    std::map<std::uint32_t, std::string> captions;
    Result<std::string> Caption(const FrxReference& reference) override {
        lastFile = reference.fileName;
        auto found = captions.find(reference.offset);
        if (found == captions.end()) return FileError(ErrorKind::FrxOutOfRange, reference.fileName);
        return found->second;
    }
    std::string lastFile;
};

Result<ConversionReport> ConvertWith(FakeFrx& frx, std::string_view form, std::string& text) {
    const std::string bytes = WithLineEnds(test::InForm(form));
    ConversionRequest request;
    request.form = "Form1.frm";
    request.formBytes = bytes;
    request.frx = &frx;
    request.rc.firstId = 1;
    request.rc.useDefines = false;
    Destination destination;
    destination.text = &text;
    return ConvertForm(request, destination);
}

TEST(RcWriter, CaptionsKeptBesideTheFormComeFromTheFrxWritten) {
    FakeFrx frx;
    frx.captions[0x1A2B] = "Say \"hi\" \\ \r\n";
    frx.captions[0] = "Plain";
    std::string text;
    ASSERT_TRUE(ConvertWith(frx, R"(Begin VB.Menu a 
   Caption = $"Form1.frx":1A2B
End
Begin VB.Menu b 
   Caption = $"Form1.frx":0
End
)", text));
    EXPECT_NE(text.find("MENUITEM \"Say \"\"hi\"\" \\\\ \\r\\n\", 1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MENUITEM \"Plain\", 2\r\n"), std::string::npos) << text;
    EXPECT_EQ(frx.lastFile, "Form1.frx");
}

TEST(RcWriter, ACaptionTheFrxCannotGiveIsLeftEmptyWithAWarningNamingTheLine) {
    // With and without a dialog alike: the item has no caption, and so no line of its own.
    FakeFrx empty;
    std::string text;
    const Result<ConversionReport> report =
        ConvertWith(empty, "Begin VB.Menu a \n   Caption = $\"Form1.frx\":10\nEnd\nBegin VB.Menu b\n Caption = \"B\"\nEnd\n", text);
    ASSERT_TRUE(report);
    EXPECT_NE(text.find("{\r\nMENUITEM \"B\", 1\r\n}"), std::string::npos) << text;
    ASSERT_EQ(report.value().warnings.size(), 2u);
    EXPECT_EQ(report.value().warnings[0],
              "Form1.frm:3: the Caption of a is left empty: Form1.frx: a caption's offset or length runs past the end of the file");
    EXPECT_EQ(report.value().warnings[1], "Form1.frm:2: menu item 'a' has no caption and no items; it is left out");
    ASSERT_EQ(report.value().lost.size(), 1u);
    EXPECT_EQ(report.value().lost[0].owner, "a");
    EXPECT_EQ(report.value().lost[0].line, 3u);
    EXPECT_EQ(report.value().lost[0].frxError->kind, ErrorKind::FrxOutOfRange);
}

}  // namespace
}  // namespace tarvel
