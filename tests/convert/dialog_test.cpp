// The whole form as a dialog, in-process: the exact text for a small form,
// what a form without a menu, an MDI form and a form of Visual Basic 3 give,
// numbers that do not fit, and strings that cannot be read. Compiling the
// dialogs and their layout on screen are tested by tests/cli/dialog_test.py
// and tests/windows/dialog_layout.py.
#include <gtest/gtest.h>

#include "test_support.h"

namespace tarvel {
namespace {

using test::TempDir;
using test::WithLineEnds;
using test::WriteBytes;

struct Converted {
    Result<ConversionReport> report;
    std::string text;
};

Converted ConvertDialog(const TempDir& dir, std::string_view form, std::int32_t firstId = 100) {
    WriteBytes(dir / "Form1.frm", WithLineEnds(form));
    ConversionRequest request;
    request.form = dir / "Form1.frm";
    request.rc.firstId = firstId;
    request.rc.dialog = true;
    Converted converted{ConversionReport{}, {}};
    Destination destination;
    destination.text = &converted.text;
    converted.report = ConvertForm(request, destination);
    return converted;
}

TEST(Dialog, AFormWithoutMenuGivesTheDialogAlone) {
    TempDir dir;
    WriteBytes(dir / "Form1.frx", std::string("\x05\0\0\0Pe\"\\k", 9));
    const Converted got = ConvertDialog(dir, R"(VERSION 5.00
Begin VB.Form frmOne 
   BorderStyle     =   4  'Fixed ToolWindow
   Caption         =   "One"
   ClientHeight    =   1950
   ClientWidth     =   3000
   ControlBox      =   0   'False
   BeginProperty Font 
      Name            =   "Tahoma"
      Size            =   9.75
      Charset         =   238
      Weight          =   700
      Italic          =   -1  'True
   EndProperty
   Begin VB.Frame fraBox 
      Caption         =   $"Form1.frx":0000
      Height          =   975
      Left            =   150
      TabIndex        =   1
      Top             =   300
      Width           =   1500
      Begin VB.OptionButton optA 
         Caption         =   "&A"
         Height          =   300
         Index           =   3
         Left            =   150
         TabIndex        =   0
         Top             =   300
         Width           =   900
      End
   End
End
Attribute VB_Name = "frmOne"
)");
    ASSERT_TRUE(got.report.ok()) << Describe(got.report.error());
    EXPECT_TRUE(got.report.value().warnings.empty());
    // 10 points: 7.5 x 16.25 pixels a character; 150 twips = 10 px = 5 units across, 5 down.
    EXPECT_EQ(got.text, WithLineEnds(R"(#include <windows.h>

#define optA_3 100
#define fraBox 101


frmOne DIALOGEX 0, 0, 107, 64
STYLE DS_SETFONT | WS_POPUP | WS_CAPTION
EXSTYLE WS_EX_TOOLWINDOW
CAPTION "One"
FONT 10, "Tahoma", 700, 1, 238
{
    AUTORADIOBUTTON "&A", optA_3, 11, 20, 32, 10, BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP
    GROUPBOX "Pe""\\k", fraBox, 5, 10, 53, 32, BS_GROUPBOX | WS_GROUP
}
)"));
}

TEST(Dialog, AnMdiFormKeepsItsMenuAloneAndSaysWhy) {
    TempDir dir;
    const Converted got = ConvertDialog(dir, "Begin VB.MDIForm mdiMain\n Begin VB.Menu mnuA\n  Caption = \"A\"\n End\nEnd\n");
    ASSERT_TRUE(got.report.ok());
    EXPECT_EQ(got.text, WithLineEnds("#include <windows.h>\n\n#define mnuA 100\n\n\nGlowne MENU\n{\nMENUITEM \"A\", mnuA\n}\n"));
    ASSERT_EQ(got.report.value().warnings.size(), 1u);
    EXPECT_EQ(got.report.value().warnings[0], test::PathUtf8(dir / "Form1.frm") + ": an MDI form has no dialog; only its menu is written");

    const Converted bare = ConvertDialog(dir, "Begin VB.MDIForm mdiMain\nEnd\n");
    ASSERT_FALSE(bare.report.ok());
    EXPECT_EQ(bare.report.error().kind, ErrorKind::NoMenu);
}

// The styles of the one control named in the dialog's line for it.
std::string StylesOf(const std::string& text, const std::string& name) {
    const std::size_t at = text.find(", " + name + ", ");
    if (at == std::string::npos) return "(no line for " + name + ")";
    const std::size_t end = text.find("\r\n", at);
    return text.substr(text.rfind(", ", end) + 2, end - text.rfind(", ", end) - 2);
}

TEST(Dialog, CaptionsWrapWhereVisualBasicWrapsThem) {
    TempDir dir;
    WriteBytes(dir / "Form1.frx", std::string("\x08\0\0\0Two\r\nrow", 12));
    const Converted got = ConvertDialog(dir, R"(Begin VB.Form frmWrap
   Begin VB.CommandButton cmdTall
      Caption = "Update data in current file"
      Height = 495
   End
   Begin VB.CommandButton cmdShort
      Caption = "OK"
      Height = 375
   End
   Begin VB.CheckBox chkLarge
      Caption = "Large"
      Height = 615
      BeginProperty Font
         Name = "Arial"
         Size = 12
      EndProperty
   End
   Begin VB.CheckBox chkLarger
      Caption = "Larger"
      Height = 615
      BeginProperty Font
         Name = "Arial"
         Size = 14.25
      EndProperty
   End
   Begin VB.OptionButton optBroken
      Caption = $"Form1.frx":0000
      Height = 255
   End
   Begin VB.Label lblWraps
      Caption = "Wraps"
   End
   Begin VB.Label lblGrows
      AutoSize = -1  'True
      Caption = "Grows"
   End
   Begin VB.Label lblGrowsDown
      AutoSize = -1  'True
      Caption = "Grows down"
      WordWrap = -1  'True
   End
   Begin VB.Label lblUnwrapped
      Caption = "Unwrapped"
      WordWrap = 0  'False
   End
   Begin VB.Label lblRight
      Alignment = 1  'Right Justify
      AutoSize = -1  'True
      Caption = "Right"
   End
End
)");
    ASSERT_TRUE(got.report.ok()) << Describe(got.report.error());
    // Two lines of 8.25 points are 26.8 pixels: 495 twips (33 px) hold them, 375 (25 px) do not; of 12 points
    // 39 px, within 615 twips (41 px); of 14.25 points 46.3 px, past them.
    EXPECT_EQ(StylesOf(got.text, "cmdTall"), "BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP");
    EXPECT_EQ(StylesOf(got.text, "cmdShort"), "BS_PUSHBUTTON | WS_TABSTOP");
    EXPECT_EQ(StylesOf(got.text, "chkLarge"), "BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP");
    EXPECT_EQ(StylesOf(got.text, "chkLarger"), "BS_AUTOCHECKBOX | WS_TABSTOP");
    EXPECT_EQ(StylesOf(got.text, "optBroken"), "BS_AUTORADIOBUTTON | BS_MULTILINE | WS_TABSTOP | WS_GROUP");
    EXPECT_EQ(StylesOf(got.text, "lblWraps"), "SS_LEFT | WS_GROUP");
    EXPECT_EQ(StylesOf(got.text, "lblGrows"), "SS_LEFT | WS_GROUP | SS_LEFTNOWORDWRAP");
    EXPECT_EQ(StylesOf(got.text, "lblGrowsDown"), "SS_LEFT | WS_GROUP");
    EXPECT_EQ(StylesOf(got.text, "lblUnwrapped"), "SS_LEFT | WS_GROUP | SS_LEFTNOWORDWRAP");
    EXPECT_EQ(StylesOf(got.text, "lblRight"), "SS_RIGHT | WS_GROUP");
}

TEST(Dialog, AControlNumberPast65535IsRefusedByName) {
    TempDir dir;
    const Converted got = ConvertDialog(dir, "Begin VB.Form f\n Begin VB.Label lblA\n End\n Begin VB.Label lblB\n End\nEnd\n", 65535);
    ASSERT_FALSE(got.report.ok());
    EXPECT_EQ(Describe(got.report.error()), test::PathUtf8(dir / "Form1.frm") +
                                                ":4: control 'lblB' would get number 65536, outside the 0 to 65535 of a dialog's controls");
}

TEST(Dialog, AStringThatCannotBeReadIsLeftEmptyWithAWarning) {
    TempDir dir;
    const Converted got = ConvertDialog(dir, "Begin Form Form1\n FontName = \"Arial\"\n FontSize = 12\n"
                                             " Begin CommandButton cmdGo\n  Caption = $\"Gone.frx\":0000\n End\nEnd\n");
    ASSERT_TRUE(got.report.ok());
    EXPECT_NE(got.text.find("FONT 12, \"Arial\", 400, 0, 0\r\n"), std::string::npos) << got.text;
    EXPECT_NE(got.text.find("    PUSHBUTTON \"\", cmdGo, 0, 0, 0, 0, BS_PUSHBUTTON | WS_TABSTOP\r\n"), std::string::npos)
        << got.text;
    ASSERT_EQ(got.report.value().warnings.size(), 1u);
    EXPECT_TRUE(got.report.value().warnings[0].starts_with(test::PathUtf8(dir / "Form1.frm") +
                                                           ":5: the Caption of cmdGo is left empty: "))
        << got.report.value().warnings[0];
}

}  // namespace
}  // namespace tarvel
