// The RC text a menu gives, whole and byte for byte.
#include "rc_menu_generator.h"

#include <gtest/gtest.h>

#include <map>

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

std::string Converted(std::string_view form, bool useDefines = true, std::string firstId = "100") {
    Result<std::string> text = ConvertText(form, useDefines, std::move(firstId));
    if (!text) return "error: " + Describe(text.error());
    return text.value();
}

TEST(RcMenuGenerator, FileAndViewWithDefines) {
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

TEST(RcMenuGenerator, WithoutDefinesEveryItemTakesTheNextNumber) {
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

TEST(RcMenuGenerator, SubMenuAsLastEntryIsClosedRightAfterIt) {
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

TEST(RcMenuGenerator, SeparatorAsLastEntryStillClosesItsPopup) {
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

TEST(RcMenuGenerator, TopLevelItemsWithoutChildrenStandInTheMenuItself) {
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

TEST(RcMenuGenerator, IndentsFourSpacesForEachEnclosingPopup) {
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

TEST(RcMenuGenerator, FirstItemKeepsTheCaseOfItsName) {
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

TEST(RcMenuGenerator, ControlArrayItemsGetTheirIndexInTheName) {
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

TEST(RcMenuGenerator, ANameIsTheOneWordAfterBeginAndOnlyAnIdentifierBecomesADefine) {
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
                 "#define mnu_\xC5\x81\xB3 104\n"
                 "\n\nGlowne MENU\n{\n"
                 "MENUITEM \"A\", mnuSpaced\n"
                 "MENUITEM \"B\", 101\n"
                 "MENUITEM \"C\", 102\n"
                 "MENUITEM \"D\", 103\n"
                 "MENUITEM \"E\", mnu_\xC5\x81\xB3\n"
                 "}\n"));
}

TEST(RcMenuGenerator, EmptyCaptionsWriteNothingForLeavesAndAnEmptyPopupForParents) {
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

TEST(RcMenuGenerator, CaptionsAreTrimmedAndLoseOnePairOfQuotes) {
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

TEST(RcMenuGenerator, OddTrailingBackslashesGetOneMoreSoTheQuoteStaysClosed) {
    const std::string text = Converted(R"(Begin VB.Menu m1 
   Caption = "\"
End
Begin VB.Menu m2 
   Caption = "C:\Dir\\"
End
Begin VB.Menu m3 
   Caption = "Open\tCtrl+O\\\"
End
)", false);
    EXPECT_NE(text.find("MENUITEM \"\\\\\", 100\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MENUITEM \"C:\\Dir\\\\\", 101\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MENUITEM \"Open\\tCtrl+O\\\\\\\\\", 102\r\n"), std::string::npos) << text;
}

TEST(RcMenuGenerator, CaptionsAndNamesPassThroughByteForByte) {
    // cp1250 "Plik" with ł (0xB3), Shift-JIS 0x83 0x5C (whose second byte is a backslash), UTF-8 "Ż".
    const std::string form = "Begin VB.Menu mnu\xB3\n   Caption = \"Pli\xB3k \x83\x5C\"\nEnd\n"
                             "Begin VB.Menu mnuZ\n   Caption = \"\xC5\xBB\xC3\xB3\xC5\x82w\"\nEnd\n";
    const std::string text = Converted(form);
    EXPECT_NE(text.find("#define mnu\xB3 100\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MENUITEM \"Pli\xB3k \x83\x5C\\\", mnu\xB3\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MENUITEM \"\xC5\xBB\xC3\xB3\xC5\x82w\", mnuZ\r\n"), std::string::npos) << text;
}

TEST(RcMenuGenerator, NumbersAreUniqueAndStopAtTheTopOfTheRange) {
    const std::string threeItems = R"(Begin VB.Menu a 
   Caption = "A"
End
Begin VB.Menu b 
   Caption = "B"
End
Begin VB.Menu c 
   Caption = "C"
End
)";
    const std::string fromNegative = Converted(threeItems, true, "-1");
    EXPECT_NE(fromNegative.find("#define a -1\r\n#define b 0\r\n#define c 1\r\n"), std::string::npos);

    EXPECT_NE(Converted(threeItems, false, "2147483645").find("\"C\", 2147483647"), std::string::npos);
    const Result<std::string> past = ConvertText(threeItems, false, "2147483646");
    ASSERT_FALSE(past);
    EXPECT_EQ(past.error().kind, ErrorKind::IdOutOfRange);
}

TEST(RcMenuGenerator, OtherControlsInsideTheBlockAreSkippedWhole) {
    EXPECT_EQ(Converted(R"(   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open"
      End
   End
   Begin VB.Timer Timer1 
      Enabled         =   0   'False
      Caption         =   "not a menu"
      BeginProperty Font 
         Name            =   "Arial"
      EndProperty
      Begin VB.Label Inner 
         Caption         =   "nested"
      End
   End
   Begin VB.Menu mnuHelp 
      Caption         =   "&Help"
   End
End
)", false), Rc(R"(

Glowne MENU
{

POPUP "&File"
{
    MENUITEM "&Open", 100
}
MENUITEM "&Help", 101
}
)"));
}

TEST(RcMenuGenerator, AFormCutShortStillClosesEveryPopup) {
    EXPECT_EQ(Converted(R"(Begin VB.Menu a 
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
        if (found == captions.end()) return ConvertError{ErrorKind::FrxOutOfRange, reference.fileName, {}};
        return found->second;
    }
    std::string lastFile;
};

TEST(RcMenuGenerator, CaptionsKeptBesideTheFormComeFromTheFrxWithQuotesDoubled) {
    MainFormState state;
    state.nextId = 1;
    state.menuText = WithLineEnds(R"(Begin VB.Menu a 
   Caption = $"Form1.frx":1A2B
End
Begin VB.Menu b 
   Caption = $"Form1.frx":0
End
)");
    FakeFrx frx;
    frx.captions[0x1A2B] = "Say \"hi\" \\";
    frx.captions[0] = "Plain";
    Result<std::string> text = GenerateRcMenu(state, false, frx);
    ASSERT_TRUE(text);
    EXPECT_NE(text.value().find("MENUITEM \"Say \"\"hi\"\" \\\\\", 1\r\n"), std::string::npos) << text.value();
    EXPECT_NE(text.value().find("MENUITEM \"Plain\", 2\r\n"), std::string::npos) << text.value();
    EXPECT_EQ(frx.lastFile, "Form1.frx");
}

TEST(RcMenuGenerator, AMissingFrxCaptionStopsTheConversion) {
    MainFormState state;
    state.menuText = WithLineEnds("Begin VB.Menu a \n   Caption = $\"Form1.frx\":10\nEnd\n");
    FakeFrx frx;
    Result<std::string> text = GenerateRcMenu(state, true, frx);
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, ErrorKind::FrxOutOfRange);
    EXPECT_EQ(text.error().file, "Form1.frx");
}

TEST(RcMenuGenerator, LineFinderStopsAtTheNextCarriageReturn) {
    const std::string text = "ab\r\ncd\r\nef";
    EXPECT_EQ(WyłówLinię(text, 0), 2u);
    EXPECT_EQ(WyłówLinię(text, 4), 6u);
    EXPECT_EQ(WyłówLinię(text, 8), text.size());
    EXPECT_EQ(WyłówLinię(text, 42), text.size());
}

}  // namespace
}  // namespace tarvel
