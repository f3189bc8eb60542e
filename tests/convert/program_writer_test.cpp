// The form as a C program, through ConvertForm: nothing of the form's code is
// lost and nothing in it ends a comment early, handlers are named and reached
// by the header's rules, list items come from the .frx in the form's order,
// and a form without a dialog gets no program. That the programs compile and
// run is proved by tests/cli/program_test.py and tests/windows/program_check.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "convert_form.h"
#include "test_support.h"

namespace tarvel {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WithLineEnds;
using test::WriteBytes;
using namespace std::string_literals;

std::string Le32(std::uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

// 1 x 1 pixel, 24-bit.
const std::string kBitmap = "BM"s + Le32(58) + Le32(0) + Le32(54) + Le32(40) + Le32(1) + Le32(1) + "\x01\0\x18\0"s +
                            std::string(24, '\0') + "\x10\x20\x30\0"s;
// One 1 x 1 image, 32-bit.
const std::string kIcon = "\0\0\x01\0\x01\0"s + "\x01\x01\0\0\x01\0\x20\0"s + Le32(48) + Le32(22) + Le32(40) + Le32(1) +
                          Le32(2) + "\x01\0\x20\0"s + std::string(24, '\0') + "\xFF\0\0\xFF"s + Le32(0);

// A picture as VB stores one of its own controls' (`activeX`: as an ActiveX control stores one).
std::string Stored(const std::string& image, bool activeX = false) {
    const auto size = static_cast<std::uint32_t>(image.size());
    if (activeX) return Le32(size + 24) + std::string(16, '\x11') + "lt\0\0"s + Le32(size) + image;
    return Le32(size + 8) + "lt\0\0"s + Le32(size) + image;
}

struct Written {
    Result<ConversionReport> report;
    std::string program;
};

Written WriteProgramOf(const TempDir& dir, std::string_view form, RcOptions options = {}) {
    WriteBytes(dir / "Form1.frm", WithLineEnds(form));
    ConversionRequest request;
    request.form = dir / "Form1.frm";
    request.rc = options;
    request.rc.dialog = request.rc.program = true;
    Destination destination;
    destination.file = dir / "Form1.rc";
    destination.header = dir / "Form1.h";
    destination.program = dir / "Form1.c";
    destination.programHeader = "Form1.h";
    Written written{ConvertForm(request, destination), {}};
    if (std::filesystem::exists(dir / "Form1.c")) written.program = ReadBytes(dir / "Form1.c");
    return written;
}

constexpr std::string_view kCodeForm = R"(VERSION 5.00
Begin VB.Form Form1 
   Caption         =   "Code"
   Begin VB.CommandButton Command1 
      Caption         =   "Go"
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open"
      End
   End
End
Attribute VB_Name = "Form1"
Option Explicit
' A path like C:/*.txt and a comment's end */ in the code, and a trigraph ??/
Dim names(3) As String

Private Sub Command1_Click()
    MsgBox "done */ and /* again"
End Sub

Private Sub Command1_KeyPress(KeyAscii As Integer)
    KeyAscii = 0
End Sub

Public Function Twice(n As Integer) As Integer
    Twice = 2 * n
End Function

Private Sub mnuOpen_Click()
End Sub

#If DEBUG Then
Private Sub Command1_Click()
    Debug.Print "a second handler, in another branch"
End Sub
#End If
' A star and a backslash at the end *\
/ and a slash that begins the next line
)";

// The comments of a C text, in order, each checked to close before another opens.
std::vector<std::string> Comments(const std::string& c, bool& balanced) {
    std::vector<std::string> comments;
    balanced = true;
    for (std::size_t at = 0; (at = c.find("/*", at)) != std::string::npos;) {
        const std::size_t close = c.find("*/", at + 2);
        if (close == std::string::npos) {
            balanced = false;
            break;
        }
        comments.push_back(c.substr(at + 2, close - at - 2));
        if (comments.back().find("/*") != std::string::npos) balanced = false;
        at = close + 2;
    }
    return comments;
}

TEST(ProgramWriter, EveryLineOfTheFormsCodeIsKeptInACommentThatNothingInItEnds) {
    TempDir dir;
    const Written written = WriteProgramOf(dir, kCodeForm);
    ASSERT_TRUE(written.report) << Describe(written.report.error());
    bool balanced = false;
    const std::vector<std::string> comments = Comments(written.program, balanced);
    EXPECT_TRUE(balanced);
    std::string commented;
    for (const std::string& comment : comments) commented += comment;
    // Each line as written, but for what would end or open a comment or make a trigraph.
    for (const std::string_view line : {"Option Explicit", "' A path like C:/ *.txt and a comment's end * / in the code, and a trigraph ? ?/",
                                        "Dim names(3) As String", "    MsgBox \"done * / and / * again\"",
                                        "Private Sub Command1_KeyPress(KeyAscii As Integer)", "    KeyAscii = 0",
                                        "Public Function Twice(n As Integer) As Integer", "    Twice = 2 * n",
                                        "End Function", "Private Sub mnuOpen_Click()"})
        EXPECT_NE(commented.find(std::string(line) + "\r\n"), std::string::npos) << line;
    // A handler with a Windows counterpart is a function; one without is named at the end.
    EXPECT_NE(written.program.find("static void Command1_Click(void)\r\n{\r\n"), std::string::npos);
    EXPECT_NE(written.program.find("            if (HIWORD(wParam) == BN_CLICKED) Command1_Click();\r\n"), std::string::npos);
    EXPECT_NE(written.program.find("        case mnuOpen:\r\n            mnuOpen_Click();\r\n"), std::string::npos);
    EXPECT_NE(written.program.find("     Command1_KeyPress (line 23)\r\n"), std::string::npos);
    // A second handler of one name (VB takes the one its #If chooses) is kept as code, not called.
    EXPECT_NE(commented.find("    Debug.Print \"a second handler, in another branch\"\r\n"), std::string::npos);
    // The backslash joins the next line to its own (C does so in comments too): the star is parted from it.
    EXPECT_NE(commented.find("' A star and a backslash at the end * \\\r\n/ and a slash"), std::string::npos);
    EXPECT_EQ(written.program.find("*\\\r\n/"), std::string::npos);
    EXPECT_EQ(written.program.find("static void Id"), std::string::npos);
    EXPECT_EQ(written.program.find("BN_CLICKED)"), written.program.rfind("BN_CLICKED)"));
    EXPECT_EQ(written.program.find("static void Command1_KeyPress"), std::string::npos);
    // The RC text is the dialog's, as without the program.
    EXPECT_NE(ReadBytes(dir / "Form1.rc").find("Form1 DIALOGEX"), std::string::npos);
}

TEST(ProgramWriter, HandlersAndIdsFollowTheHeadersNamesAndTheProgramsOwnNamesStayItsOwn) {
    TempDir dir;
    RcOptions options;
    options.definePrefix = "IDC_";
    const Written written = WriteProgramOf(dir, "Begin VB.Form Form1 \n"
                                                "   Begin VB.CommandButton Command1 \n   End\n"
                                                "   Begin VB.CommandButton text \n   End\n"
                                                "   Begin VB.CommandButton Przycisk\xb9 \n   End\n"
                                                "End\n"
                                                "Attribute VB_Name = \"Form1\"\n"
                                                "Private Sub Command1_Click()\nEnd Sub\n"
                                                "Private Sub text_Click()\nEnd Sub\n"
                                                "Private Sub Przycisk\xb9_Click()\nEnd Sub\n",
                                           options);
    ASSERT_TRUE(written.report);
    const std::string& c = written.program;
    EXPECT_NE(c.find("        case IDC_Command1:\r\n            if (HIWORD(wParam) == BN_CLICKED) Command1_Click();"), std::string::npos);
    EXPECT_NE(c.find("        case IDC_text:\r\n            if (HIWORD(wParam) == BN_CLICKED) text_Click();"), std::string::npos);
    // A name that cannot be a C name: the handler is named from the control's number.
    EXPECT_NE(c.find("        case 102:\r\n            if (HIWORD(wParam) == BN_CLICKED) Id102_Click();"), std::string::npos);
    EXPECT_NE(c.find("static void Id102_Click(void)"), std::string::npos);
    EXPECT_NE(c.find("    tarvelTrace(\"Id102_Click\", -1);"), std::string::npos);

    // Without the prefix "text" is the header's #define and a name of the program's own: it is
    // #undefined after the header, and the control is reached by its number.
    TempDir plain;
    const Written own = WriteProgramOf(plain, "Begin VB.Form Form1 \n   Begin VB.CommandButton text \n   End\nEnd\n"
                                              "Attribute VB_Name = \"Form1\"\nPrivate Sub text_Click()\nEnd Sub\n");
    ASSERT_TRUE(own.report);
    EXPECT_NE(ReadBytes(plain / "Form1.h").find("#define text 100"), std::string::npos);
    EXPECT_NE(own.program.find("#include \"Form1.h\"\r\n\r\n/* Names this program gives its own code; it uses their numbers "
                               "instead. */\r\n#undef text\r\n"),
              std::string::npos);
    EXPECT_NE(own.program.find("        case 100:\r\n            if (HIWORD(wParam) == BN_CLICKED) text_Click();"), std::string::npos);
}

TEST(ProgramWriter, ListItemsComeFromTheFrxInTheFormsOrderAndOneThatCannotBeReadIsAWarning) {
    TempDir dir;
    // Two items with their ItemData, then a list whose count runs past the file.
    std::string frx("\x02\x00\x05\x00\x03\x00" "Red" "\x05\x00" "Green"
                    "\x02\x00\x03\x00\x02\x00" "10" "\x03\x00" "-30"
                    "\x09\x00\x03\x00", 33);
    WriteBytes(dir / "Form1.frx", frx);
    const Written written = WriteProgramOf(dir, "Begin VB.Form Form1 \n"
                                                "   Begin VB.ComboBox Combo1 \n"
                                                "      ItemData        =   \"Form1.frx\":0010\n"
                                                "      List            =   \"Form1.frx\":0000\n"
                                                "   End\n"
                                                "   Begin VB.ListBox List1 \n"
                                                "      List            =   \"Form1.frx\":001D\n"
                                                "   End\n"
                                                "   Begin VB.ListBox List2 \n"
                                                "      List            =   \"Other.frx\":0000\n"
                                                "   End\n"
                                                "End\n");
    ASSERT_TRUE(written.report);
    const std::string& c = written.program;
    const std::size_t red = c.find("tarvelAddItem(GetDlgItem(dialog, Combo1), TRUE, \"Red\", TRUE, 10);");
    const std::size_t green = c.find("tarvelAddItem(GetDlgItem(dialog, Combo1), TRUE, \"Green\", TRUE, -30);");
    EXPECT_NE(red, std::string::npos);
    EXPECT_NE(green, std::string::npos);
    EXPECT_LT(red, green);
    EXPECT_EQ(c.find("GetDlgItem(dialog, List1), FALSE"), std::string::npos);
    const std::vector<std::string>& warnings = written.report.value().warnings;
    ASSERT_EQ(warnings.size(), 2u) << ::testing::PrintToString(warnings);
    EXPECT_EQ(warnings[0].rfind((dir / "Form1.frm").string() + ":7: the List of List1 is left out of the program: ", 0), 0u)
        << warnings[0];
    EXPECT_NE(warnings[0].find("claims 9 items"), std::string::npos) << warnings[0];
    EXPECT_EQ(warnings[1].rfind((dir / "Form1.frm").string() + ":10: the List of List2 is left out of the program: ", 0), 0u)
        << warnings[1];
}

TEST(ProgramWriter, OnlyColoursThatDifferFromTheSystemsArePaintedAndATransparentLabelTakesItsContainers) {
    TempDir dir;
    const Written written = WriteProgramOf(dir, "Begin VB.Form Form1 \n"
                                                "   BackColor       =   &H00C0FFFF&\n"
                                                "   Begin VB.Label Label1 \n      BackStyle = 0 'Transparent\n"
                                                "      ForeColor = &H000000FF&\n   End\n"
                                                "   Begin VB.Label Label2 \n      Caption = \"opaque\"\n   End\n"
                                                "   Begin VB.TextBox Text1 \n      BackColor = &H80000005&\n   End\n"
                                                "   Begin VB.ListBox List1 \n      BackColor = -2147483633\n   End\n"
                                                "End\n");
    ASSERT_TRUE(written.report);
    const std::string& c = written.program;
    const std::size_t table = c.find("tarvelColours[] = {\r\n");
    ASSERT_NE(table, std::string::npos);
    EXPECT_EQ(c.substr(table, c.find("};", table) - table),
              "tarvelColours[] = {\r\n    {Label1, 0xFFu, 0xC0FFFFu},\r\n    {List1, 0x80000008u, 0x8000000Fu},\r\n");
    EXPECT_NE(c.find("    case WM_CTLCOLORDLG:\r\n        return (INT_PTR)tarvelFormBrush;"), std::string::npos);
    EXPECT_NE(c.find("tarvelFormBrush = CreateSolidBrush(tarvelColour(0xC0FFFFu));"), std::string::npos);
}

TEST(ProgramWriter, WithItsPicturesTheFormGetsItsIconAndEachGraphicalButtonItsImage) {
    const std::string frx = Stored(kIcon) + Stored(kBitmap);
    char bitmapAt[5];
    std::snprintf(bitmapAt, sizeof bitmapAt, "%04X", static_cast<unsigned>(Stored(kIcon).size()));
    const std::string form = "Begin VB.Form frmMain \n   Icon = \"Form1.frx\":0000\n"
                             "   Begin VB.CommandButton cmdGo \n      Picture = \"Form1.frx\":"s + bitmapAt +
                             "\n      Style = 1 'Graphical\n   End\n"
                             "   Begin VB.CommandButton cmdIcon \n      Picture = \"Form1.frx\":0000\n      Style = 1\n   End\n"
                             "   Begin VB.CommandButton cmdPlain \n      Picture = \"Form1.frx\":" + bitmapAt + "\n   End\n"
                             "   Begin VB.PictureBox picLogo \n      Picture = \"Form1.frx\":" + bitmapAt + "\n   End\n"
                             "   Begin VB.CheckBox chkBold \n      Picture = \"Form1.frx\":" + bitmapAt + "\n      Style = 1\n"
                             "      Value = 1\n   End\n"
                             "   Begin VB.OptionButton optBig \n      Picture = \"Form1.frx\":0000\n      Style = 1\n   End\n"
                             "   Begin VB.CheckBox chkPlain \n      Picture = \"Form1.frx\":0000\n   End\n"
                             "End\n";
    RcOptions options;
    options.pictures = true;
    {
        TempDir dir;
        WriteBytes(dir / "Form1.frx", frx);
        const Written written = WriteProgramOf(dir, form, options);
        ASSERT_TRUE(written.report);
        const std::string& c = written.program;
        const std::size_t init = c.find("    case WM_INITDIALOG:\r\n");
        ASSERT_NE(init, std::string::npos);
        EXPECT_EQ(c.substr(init, c.find("        return TRUE;", init) - init),
                  "    case WM_INITDIALOG:\r\n"
                  "        CheckDlgButton(dialog, chkBold, BST_CHECKED);\r\n"  // pushed in like any check box that is checked
                  "        tarvelImages[0] = tarvelImage(dialog, frmMain_Icon, IMAGE_ICON, GetSystemMetrics(SM_CXICON), "
                  "GetSystemMetrics(SM_CYICON));\r\n"
                  "        SendMessageW(dialog, WM_SETICON, ICON_BIG, (LPARAM)tarvelImages[0]);\r\n"
                  "        tarvelImages[1] = tarvelImage(dialog, frmMain_Icon, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), "
                  "GetSystemMetrics(SM_CYSMICON));\r\n"
                  "        SendMessageW(dialog, WM_SETICON, ICON_SMALL, (LPARAM)tarvelImages[1]);\r\n"
                  "        tarvelImages[2] = tarvelImage(dialog, cmdGo_Picture, IMAGE_BITMAP, 0, 0);\r\n"
                  "        SendDlgItemMessageW(dialog, cmdGo, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)tarvelImages[2]);\r\n"
                  "        tarvelImages[3] = tarvelImage(dialog, cmdIcon_Picture, IMAGE_ICON, 0, 0);\r\n"
                  "        SendDlgItemMessageW(dialog, cmdIcon, BM_SETIMAGE, IMAGE_ICON, (LPARAM)tarvelImages[3]);\r\n"
                  "        tarvelImages[4] = tarvelImage(dialog, chkBold_Picture, IMAGE_BITMAP, 0, 0);\r\n"
                  "        SendDlgItemMessageW(dialog, chkBold, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)tarvelImages[4]);\r\n"
                  "        tarvelImages[5] = tarvelImage(dialog, optBig_Picture, IMAGE_ICON, 0, 0);\r\n"
                  "        SendDlgItemMessageW(dialog, optBig, BM_SETIMAGE, IMAGE_ICON, (LPARAM)tarvelImages[5]);\r\n");
        EXPECT_NE(c.find("static HANDLE tarvelImages[6];"), std::string::npos);
        // In the dialog a graphical check box or option button is push-like, with its image's style.
        const std::string rc = ReadBytes(dir / "Form1.rc");
        EXPECT_NE(rc.find("chkBold, 0, 0, 0, 0, BS_AUTOCHECKBOX | BS_BITMAP | BS_PUSHLIKE | WS_TABSTOP\r\n"), std::string::npos) << rc;
        EXPECT_NE(rc.find("optBig, 0, 0, 0, 0, BS_AUTORADIOBUTTON | BS_ICON | BS_PUSHLIKE | WS_TABSTOP"), std::string::npos);
        EXPECT_NE(rc.find("chkPlain, 0, 0, 0, 0, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP\r\n"), std::string::npos);
        // Each is let go with the window, as what it is.
        EXPECT_NE(c.find("        if (tarvelImages[1] != NULL) DestroyIcon((HICON)tarvelImages[1]);\r\n"
                         "        if (tarvelImages[2] != NULL) DeleteObject(tarvelImages[2]);\r\n"
                         "        if (tarvelImages[3] != NULL) DestroyIcon((HICON)tarvelImages[3]);\r\n"),
                  std::string::npos);
    }
    {
        // Without the pictures the RC text has no such resources, and the program loads none.
        TempDir dir;
        WriteBytes(dir / "Form1.frx", frx);
        const Written written = WriteProgramOf(dir, form);
        ASSERT_TRUE(written.report);
        EXPECT_EQ(written.program.find("tarvelImage"), std::string::npos);
        EXPECT_EQ(written.program.find("WM_SETICON"), std::string::npos);
    }
}

TEST(ProgramWriter, AControlWhoseMousePointerIs99ShowsItsMouseIconAndNoOtherDoes) {
    std::string cursor = kIcon;
    cursor[2] = 2;
    const std::string frx = Stored(kIcon) + Stored(cursor);
    char cursorAt[5];
    std::snprintf(cursorAt, sizeof cursorAt, "%04X", static_cast<unsigned>(Stored(kIcon).size()));
    const std::string form = "Begin VB.Form frmMain \n   MouseIcon = \"Form1.frx\":"s + cursorAt + "\n   MousePointer = 99\n"
                             "   Begin VB.Label lblLink \n      Caption = \"Link\"\n      MouseIcon = \"Form1.frx\":0000\n"
                             "      MousePointer = 99 'Custom\n   End\n"
                             "   Begin VB.CommandButton cmdGo \n      MouseIcon = \"Form1.frx\":0000\n      MousePointer = 3\n   End\n"
                             "End\n";
    TempDir dir;
    WriteBytes(dir / "Form1.frx", frx);
    RcOptions options;
    options.pictures = true;
    const Written written = WriteProgramOf(dir, form, options);
    ASSERT_TRUE(written.report) << Describe(written.report.error());
    const std::string& c = written.program;
    // Loaded at their own size, a cursor as a cursor, an icon as an icon; cmdGo's MousePointer is not 99.
    EXPECT_NE(c.find("        tarvelImages[0] = tarvelImage(dialog, frmMain_MouseIcon, IMAGE_CURSOR, 0, 0);\r\n"
                     "        tarvelImages[1] = tarvelImage(dialog, lblLink_MouseIcon, IMAGE_ICON, 0, 0);\r\n"),
              std::string::npos) << c;
    EXPECT_EQ(c.find("cmdGo_MouseIcon, IMAGE"), std::string::npos);
    EXPECT_NE(c.find("tarvelPointers[] = {\r\n    {0, 0},\r\n    {lblLink, 1},\r\n};"), std::string::npos);
    EXPECT_NE(c.find("    case WM_SETCURSOR:\r\n        if (LOWORD(lParam) == HTCLIENT) {\r\n"
                     "            HCURSOR pointer = tarvelPointer(dialog, (HWND)wParam);\r\n"),
              std::string::npos);
    EXPECT_NE(c.find("        if (tarvelImages[0] != NULL) DestroyCursor((HCURSOR)tarvelImages[0]);\r\n"
                     "        if (tarvelImages[1] != NULL) DestroyIcon((HICON)tarvelImages[1]);\r\n"),
              std::string::npos);
}

TEST(ProgramWriter, TheFormsPictureIsPaintedAtItsOwnSizeInTheTopLeftCornerOverItsColour) {
    RcOptions options;
    options.pictures = true;
    {
        TempDir dir;
        WriteBytes(dir / "Form1.frx", Stored(kBitmap));
        const Written written = WriteProgramOf(dir, "Begin VB.Form frmMain \n   Picture = \"Form1.frx\":0000\n"
                                                    "   Begin VB.CommandButton cmdGo \n   End\nEnd\n", options);
        ASSERT_TRUE(written.report) << Describe(written.report.error());
        const std::string& c = written.program;
        EXPECT_NE(c.find("        tarvelImages[0] = tarvelImage(dialog, frmMain_Picture, IMAGE_BITMAP, 0, 0);\r\n"), std::string::npos);
        EXPECT_NE(c.find("    case WM_ERASEBKGND: {\r\n        HDC dc = (HDC)wParam;\r\n        RECT client;\r\n"
                         "        if (tarvelImages[0] == NULL) break;\r\n        GetClientRect(dialog, &client);\r\n"
                         "        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));\r\n"),
                  std::string::npos) << c;
        EXPECT_NE(c.find("BitBlt(dc, 0, 0, bitmap.bmWidth, bitmap.bmHeight, source, 0, 0, SRCCOPY);"), std::string::npos);
    }
    {
        // An icon is drawn, over the form's own colour.
        TempDir dir;
        WriteBytes(dir / "Form1.frx", Stored(kIcon));
        const Written written = WriteProgramOf(dir, "Begin VB.Form frmMain \n   BackColor = &H00FF0000&\n"
                                                    "   Picture = \"Form1.frx\":0000\n   Begin VB.CommandButton cmdGo \n   End\nEnd\n",
                                               options);
        ASSERT_TRUE(written.report) << Describe(written.report.error());
        const std::string& c = written.program;
        EXPECT_NE(c.find("        FillRect(dc, &client, tarvelFormBrush);\r\n"
                         "        DrawIconEx(dc, 0, 0, (HICON)tarvelImages[0], 0, 0, 0, NULL, DI_NORMAL);\r\n"),
                  std::string::npos) << c;
    }
}

TEST(ProgramWriter, ATabsPictureGoesInItsTabControlsImageList) {
    const std::string frx = Stored(kIcon, true);
    TempDir dir;
    WriteBytes(dir / "Form1.frx", frx);
    RcOptions options;
    options.pictures = true;
    // Tab 5 has a picture but no caption, so no tab to show it on.
    const Written written = WriteProgramOf(dir, "Begin VB.Form frmMain \n   Begin TabDlg.SSTab SSTab1 \n      Tabs = 2\n"
                                                "      TabCaption(0) = \"A\"\n      TabCaption(1) = \"B\"\n"
                                                "      TabPicture(1) = \"Form1.frx\":0000\n      TabPicture(5) = \"Form1.frx\":0000\n"
                                                "   End\n   Begin TabDlg.SSTab SSTab2 \n      TabCaption(0) = \"C\"\n   End\nEnd\n",
                                           options);
    ASSERT_TRUE(written.report) << Describe(written.report.error());
    const std::string& c = written.program;
    EXPECT_NE(c.find("        tarvelAddTab(GetDlgItem(dialog, SSTab1), 1, \"B\");\r\n"
                     "        tarvelTabImages[0] = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), "
                     "ILC_COLOR32 | ILC_MASK, 1, 0);\r\n"
                     "        SendDlgItemMessageW(dialog, SSTab1, TCM_SETIMAGELIST, 0, (LPARAM)tarvelTabImages[0]);\r\n"
                     "        tarvelTabPicture(dialog, SSTab1, tarvelTabImages[0], 1, SSTab1_TabPicture1, IMAGE_ICON);\r\n"),
              std::string::npos) << c;
    EXPECT_NE(c.find("static HIMAGELIST tarvelTabImages[1];"), std::string::npos);
    EXPECT_EQ(c.find("SSTab1_TabPicture5, IMAGE"), std::string::npos);
    EXPECT_EQ(c.find("SendDlgItemMessageW(dialog, SSTab2, TCM_SETIMAGELIST"), std::string::npos);
    EXPECT_NE(c.find("        if (tarvelTabImages[0] != NULL) ImageList_Destroy(tarvelTabImages[0]);\r\n"), std::string::npos);
}

TEST(ProgramWriter, AMultiLineTextKeptInTheFrxIsSetWholeWithItsLineBreaks) {
    TempDir dir;
    // A text with a lone LF, as a hand-made .frx may have, and one too long for a dialog template.
    std::string longText;
    for (int n = 0; n < 400; ++n) longText += "line " + std::to_string(n) + "\r\n";
    const std::string frx = "\x03" "a\nb" "\xFF" + std::string{static_cast<char>(longText.size() & 0xFF),
                                                                static_cast<char>(longText.size() >> 8)} + longText;
    WriteBytes(dir / "Form1.frx", frx);
    const Written written = WriteProgramOf(dir, R"(VERSION 5.00
Begin VB.Form Form1 
   Caption         =   "Notes"
   Begin VB.TextBox Text1 
      MultiLine       =   -1  'True
      Text            =   "Form1.frx":0000
   End
   Begin VB.TextBox Text2 
      MultiLine       =   -1  'True
      Text            =   "Form1.frx":0004
   End
End
)");
    ASSERT_TRUE(written.report) << Describe(written.report.error());
    // The template holds the short text with its line break, the long one not at all.
    const std::string rc = ReadBytes(dir / "Form1.rc");
    EXPECT_NE(rc.find("CONTROL \"a\\nb\", Text1, \"EDIT\""), std::string::npos) << rc;
    EXPECT_NE(rc.find("CONTROL \"\", Text2, \"EDIT\""), std::string::npos) << rc;
    const std::vector<std::string>& warnings = written.report.value().warnings;
    EXPECT_NE(std::find(warnings.begin(), warnings.end(),
                        test::PathUtf8(dir / "Form1.frm") + ":10: the Text of Text2 (" + std::to_string(longText.size()) +
                            " bytes) is longer than a dialog template holds: the dialog leaves it empty, and a program "
                            "of the form (--program) sets it"),
              warnings.end());
    // The program sets both whole, one C string for each line, every line break as CR LF.
    EXPECT_NE(written.program.find("        tarvelSetText(GetDlgItem(dialog, Text1),\r\n"
                                   "            \"a\\015\\012\"\r\n"
                                   "            \"b\");\r\n"),
              std::string::npos);
    EXPECT_NE(written.program.find("            \"line 0\\015\\012\"\r\n            \"line 1\\015\\012\"\r\n"),
              std::string::npos);
    EXPECT_NE(written.program.find("            \"line 399\\015\\012\");\r\n"), std::string::npos);
}

TEST(ProgramWriter, CaptionsTooLongForTheTemplateAreSetWholeInPieces) {
    TempDir dir;
    // Two captions of 5,200 bytes: the form's at 0, Label1's at 4 + 5,200 = 0x1454.
    const std::string caption(5200, 'x');
    WriteBytes(dir / "Form1.frx", Le32(5200) + caption + Le32(5200) + caption);
    const Written written = WriteProgramOf(dir, "Begin VB.Form Form1 \n   Caption = $\"Form1.frx\":0000\n"
                                                "   Begin VB.Label Label1 \n      Caption = $\"Form1.frx\":1454\n   End\n"
                                                "   Begin VB.Label Label2 \n      Caption = \"Short\"\n   End\nEnd\n");
    ASSERT_TRUE(written.report) << Describe(written.report.error());
    const std::string rc = ReadBytes(dir / "Form1.rc");
    EXPECT_NE(rc.find("CAPTION \"\"\r\n"), std::string::npos) << rc;
    EXPECT_NE(rc.find("LTEXT \"\", Label1,"), std::string::npos) << rc;
    // Both set whole, in literals of 512 bytes that every C compiler takes; the short one stays in the template.
    const std::string piece = "            \"" + std::string(512, 'x') + "\"\r\n";
    EXPECT_NE(written.program.find("        tarvelSetText(dialog,\r\n" + piece + piece), std::string::npos) << written.program;
    EXPECT_NE(written.program.find("        tarvelSetText(GetDlgItem(dialog, Label1),\r\n" + piece), std::string::npos);
    EXPECT_NE(written.program.find("            \"" + std::string(5200 - 10 * 512, 'x') + "\");\r\n"), std::string::npos);
    EXPECT_EQ(written.program.find("Label2),"), std::string::npos);
    const std::vector<std::string>& warnings = written.report.value().warnings;
    EXPECT_NE(std::find(warnings.begin(), warnings.end(),
                        test::PathUtf8(dir / "Form1.frm") + ":4: the Caption of Label1 (5200 bytes) is longer than a dialog "
                                                            "template holds: the dialog leaves it empty, and a program of "
                                                            "the form (--program) sets it"),
              warnings.end());
}

TEST(ProgramWriter, AFormWithoutADialogGetsNoProgramAndAWarning) {
    TempDir dir;
    const Written written = WriteProgramOf(dir, "Begin VB.MDIForm Main \n   Begin VB.Menu mnuFile \n      Caption = \"File\"\n"
                                                "   End\nEnd\n");
    ASSERT_TRUE(written.report);
    EXPECT_FALSE(std::filesystem::exists(dir / "Form1.c"));
    const std::vector<std::string>& warnings = written.report.value().warnings;
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), (dir / "Form1.frm").string() + ": it has no dialog, so no program is written"),
              warnings.end());
}

}  // namespace
}  // namespace tarvel
