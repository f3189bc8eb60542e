// The form's code: where it begins, its procedures with their bodies as
// written, what VB would refuse, and event handlers told apart into object and
// event; then every form of ../shared/corpus, each Sub found with its End Sub.
#include "form_code.h"

#include <gtest/gtest.h>

#include "corpus_forms.h"
#include "test_support.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;

const char* const kForm =
    "VERSION 5.00\n"
    "Object = \"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0\"; \"MSCOMCTL.OCX\"\n"
    "Begin VB.Form frmMain \n"
    "   Caption         =   \"End\"\n"
    "   BeginProperty Font \n"
    "      Name            =   \"MS Sans Serif\"\n"
    "   EndProperty\n"
    "   Begin VB.Frame Frame1 \n"
    "      Begin VB.CommandButton Command1 \n"
    "         Caption         =   \"Begin\"\n"
    "      End\n"
    "   End\n"
    "End\n"
    "Attribute VB_Name = \"frmMain\"\n"
    "Attribute VB_Exposed = False\n"
    "Option Explicit\n";

TEST(FormCode, BeginsAfterTheDefinitionAndItsAttributeLines) {
    for (const char* lineEnd : {"\r\n", "\n", "\r"}) {
        const std::string form = test::WithLineEnds(kForm, lineEnd);
        const CodeStart start = FindFormCode(form);
        EXPECT_EQ(start.line, 16u) << "line ends " << (lineEnd[0] == '\r' ? "CR" : "LF");
        EXPECT_EQ(form.substr(start.offset, 15), "Option Explicit");
    }
    const std::string noCode = test::WithLineEnds(std::string(kForm).substr(0, std::string(kForm).find("Option")));
    EXPECT_EQ(FindFormCode(noCode).offset, noCode.size());
    const std::string cutShort = test::WithLineEnds(std::string(kForm).substr(0, std::string(kForm).find("      End")));
    EXPECT_EQ(FindFormCode(cutShort).offset, cutShort.size());
}

const char* const kCode =
    "Option Explicit\n"                                                             // 20
    "Private Declare Function GetTickCount Lib \"kernel32\" () As Long\n"
    "Public Event Changed(ByVal Value As Long)\n"
    "Private Sub_Total As Long\n"
    "\n"
    "Private Sub mnuOpen_Click()\n"                                                 // 25
    "    If Sub_Total > 0 Then Exit Sub\n"
    "    MsgBox \"End Sub\" ' End Sub\n"
    "End Sub\n"
    "Sub Helper(ByVal a As Long, _\n"
    "      Optional b As String = \"(,)\") ' two lines\n"                           // 30
    "    Debug.Print a; b\n"
    "100 End Sub ' numbered\n"
    "Private Function Twice(x() As Long) As Long\n"
    "    Twice = x(0) * 2\n"
    "End Function\n"                                                                // 35
    "Friend Property Get Value() As Long\n"
    "End Property\n"
    "Public Property Let Value(ByVal v As Long)\n"
    "End Property\n"
    "Private Static Sub Zako\xF1" "cz_Click()\n"                                    // 40
    "    ' \xB3\xF3\xBF\n"
    "end sub\n";

TEST(FormCode, ProceduresWithTheirHeadersBodiesAndLines) {
    for (const char* lineEnd : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(lineEnd[0] == '\r' ? (lineEnd[1] ? "CR LF" : "CR") : "LF");
        const std::string code = test::WithLineEnds(kCode, lineEnd);
        const FormCode scanned = ScanFormCode(code, 20, "Form1.frm");
        EXPECT_TRUE(scanned.warnings.empty()) << scanned.warnings.front();
        ASSERT_EQ(scanned.procedures.size(), 6u);

        struct Expected {
            ProcedureKind kind;
            const char* access;
            bool isStatic;
            const char* name;
            const char* parameters;
            std::uint32_t line, endLine;
        };
        const Expected expected[] = {
            {ProcedureKind::Sub, "Private", false, "mnuOpen_Click", "", 25, 28},
            {ProcedureKind::Sub, "", false, "Helper", "ByVal a As Long, Optional b As String = \"(,)\"", 29, 32},
            {ProcedureKind::Function, "Private", false, "Twice", "x() As Long", 33, 35},
            {ProcedureKind::PropertyGet, "Friend", false, "Value", "", 36, 37},
            {ProcedureKind::PropertyLet, "Public", false, "Value", "ByVal v As Long", 38, 39},
            {ProcedureKind::Sub, "Private", true, "Zako\xF1" "cz_Click", "", 40, 42},
        };
        for (std::size_t i = 0; i < 6; ++i) {
            const Procedure& got = scanned.procedures[i];
            SCOPED_TRACE(expected[i].name);
            EXPECT_EQ(got.kind, expected[i].kind);
            EXPECT_EQ(got.access, expected[i].access);
            EXPECT_EQ(got.isStatic, expected[i].isStatic);
            EXPECT_EQ(got.header.name, expected[i].name);
            EXPECT_EQ(got.header.parameters, expected[i].parameters);
            EXPECT_EQ(got.header.line, expected[i].line);
            EXPECT_EQ(got.endLine, expected[i].endLine);
            EXPECT_TRUE(got.alternatives.empty());
        }
        const auto as = [&](std::string_view text) { return test::WithLineEnds(text, lineEnd); };
        EXPECT_EQ(scanned.procedures[0].body, as("    If Sub_Total > 0 Then Exit Sub\n    MsgBox \"End Sub\" ' End Sub\n"));
        EXPECT_EQ(scanned.procedures[0].text,
                  as("Private Sub mnuOpen_Click()\n    If Sub_Total > 0 Then Exit Sub\n"
                     "    MsgBox \"End Sub\" ' End Sub\nEnd Sub"));
        EXPECT_EQ(scanned.procedures[1].body, as("    Debug.Print a; b\n"));
        EXPECT_EQ(scanned.procedures[3].body, "");
        EXPECT_EQ(scanned.procedures[5].text, as("Private Static Sub Zako\xF1" "cz_Click()\n    ' \xB3\xF3\xBF\nend sub"));
    }
}

TEST(FormCode, WhatVbWouldRefuseIsReadAsFarAsItGoesWithAWarning) {
    const std::string code = test::WithLineEnds(
        "End Sub\n"                       // 10
        "Private Sub Command1_Click()\n"
        "    Beep\n"
        "Private Sub Text1_Change()\n"    // 13
        "End Function\n"
        "Public Function Broken() As Long\n"
        "    Broken = 1\n");
    const FormCode scanned = ScanFormCode(code, 10, "Form1.frm");
    EXPECT_EQ(scanned.warnings, (std::vector<std::string>{
                                    "Form1.frm:10: 'End Sub' without a procedure to end",
                                    "Form1.frm:13: 'Sub Command1_Click' (line 11) has no 'End Sub' before this next procedure",
                                    "Form1.frm:14: 'End Function' ends 'Sub Text1_Change' (line 13)",
                                    "Form1.frm:15: 'Function Broken' has no 'End Function'",
                                }));
    ASSERT_EQ(scanned.procedures.size(), 3u);
    EXPECT_EQ(scanned.procedures[0].body, "    Beep\r\n");
    EXPECT_EQ(scanned.procedures[0].endLine, 12u);
    EXPECT_EQ(scanned.procedures[1].text, "Private Sub Text1_Change()\r\nEnd Function");
    EXPECT_EQ(scanned.procedures[2].body, "    Broken = 1\r\n");
    EXPECT_EQ(scanned.procedures[2].text, "Public Function Broken() As Long\r\n    Broken = 1");
    EXPECT_EQ(scanned.procedures[2].endLine, 16u);
}

TEST(FormCode, ASecondHeaderInAnotherIfBranchIsAnAlternative) {
    const std::string code = test::WithLineEnds(
        "#If Win16 Then\n"
        "Private Sub Old()\n"
        "End Sub\n"
        "Private Sub Timer1_Tick()\n"     // 4
        "#Else\n"
        "  #If Debug Then\n"
        "  #End If\n"
        "Private Sub Timer1_Timer()\n"    // 8
        "#End If\n"
        "    Beep\n"
        "End Sub\n"
        "#If A Then\n"
        "Sub One()\n"                     // 13
        "#If B Then\n"
        "Sub Two()\n"                     // 15: not a branch of One's #If
        "#End If\n"
        "End Sub\n"
        "#End If\n");
    const FormCode scanned = ScanFormCode(code, 1, "Form1.frm");
    ASSERT_EQ(scanned.procedures.size(), 4u);
    const Procedure& timer = scanned.procedures[1];
    EXPECT_EQ(timer.header.name, "Timer1_Tick");
    ASSERT_EQ(timer.alternatives.size(), 1u);
    EXPECT_EQ(timer.alternatives[0].name, "Timer1_Timer");
    EXPECT_EQ(timer.alternatives[0].line, 8u);
    EXPECT_EQ(timer.endLine, 11u);
    EXPECT_EQ(timer.body, test::WithLineEnds("#Else\n  #If Debug Then\n  #End If\nPrivate Sub Timer1_Timer()\n#End If\n    Beep\n"));
    EXPECT_EQ(scanned.warnings,
              (std::vector<std::string>{"Form1.frm:15: 'Sub One' (line 13) has no 'End Sub' before this next procedure"}));
}

TEST(FormCode, ParametersWithoutTheirKeywords) {
    const std::vector<Parameter> split =
        SplitParameters("Index As Integer, ByVal X As Single, Optional ByRef s As String = \"a, b\", "
                        "ParamArray rest() As Variant, plain, Optional n As Long = (1 + 2)");
    ASSERT_EQ(split.size(), 6u);
    const std::pair<const char*, const char*> expected[] = {
        {"Index", "Integer"}, {"X", "Single"}, {"s", "String"}, {"rest", "Variant"}, {"plain", ""}, {"n", "Long"}};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(split[i].name, expected[i].first);
        EXPECT_EQ(split[i].type, expected[i].second);
    }
    EXPECT_TRUE(SplitParameters("").empty());
}

TEST(FormCode, EventHandlersByObjectAndEvent) {
    const NamedControl controls[] = {{"Command1"}, {"mnuRecent", true}, {"Timer1"},   {"Text1"},   {"List1"},
                                     {"cmd_Save"}, {"Check1"},          {"txtField", true}, {"Print", true},
                                     {"Toolbar1"}};
    const ControlNames names(controls);
    auto handler = [&](const char* header) {
        const FormCode scanned = ScanFormCode(std::string(header) + "\r\nEnd Sub\r\nEnd Function\r\n", 1, "Form1.frm");
        EXPECT_EQ(scanned.procedures.size(), 1u) << header;
        return scanned.procedures.empty() ? std::nullopt : ParseEventHandler(scanned.procedures[0], names);
    };
    struct Case {
        const char* header;
        const char* object;
        const char* event;
        bool ofForm, indexed;
    };
    const Case cases[] = {
        {"Private Sub Command1_Click()", "Command1", "Click", false, false},
        {"Private Sub mnuRecent_Click(Index As Integer)", "mnuRecent", "Click", false, true},
        {"Private Sub Form_Load()", "Form", "Load", true, false},
        {"Private Sub Form_QueryUnload(Cancel As Integer, UnloadMode As Integer)", "Form", "QueryUnload", true, false},
        {"Private Sub MDIForm_Unload(Cancel As Integer)", "MDIForm", "Unload", true, false},
        {"Private Sub Timer1_Timer()", "Timer1", "Timer", false, false},
        {"Private Sub Text1_Change()", "Text1", "Change", false, false},
        {"Private Sub List1_DblClick()", "List1", "DblClick", false, false},
        {"Private Sub cmd_Save_Click()", "cmd_Save", "Click", false, false},
        {"Private Sub check1_click()", "Check1", "click", false, false},
        {"Public Sub TXTFIELD_KeyPress(index As Integer, KeyAscii As Integer)", "txtField", "KeyPress", false, true},
        // A control's own event may have an Index that is no array's.
        {"Private Sub Toolbar1_ButtonClick(ByVal Index As Long)", "Toolbar1", "ButtonClick", false, false},
    };
    for (const Case& c : cases) {
        const std::optional<EventHandler> got = handler(c.header);
        ASSERT_TRUE(got) << c.header;
        EXPECT_EQ(got->object, c.object) << c.header;
        EXPECT_EQ(got->event, c.event) << c.header;
        EXPECT_EQ(got->ofForm, c.ofForm) << c.header;
        EXPECT_EQ(got->indexed, c.indexed) << c.header;
    }
    for (const char* none : {"Private Sub Helper_Thing()", "Private Sub Helper()", "Private Sub Command1_()",
                             "Private Sub _Click()", "Private Function Command1_Click() As Long",
                             "Private Sub mainTimer_Timer()", "Private Sub Print_it()",
                             "Private Sub mnuRecent_Click(Cancel As Integer)"})
        EXPECT_FALSE(handler(none)) << none;
}

TEST(FormCodeCorpus, EverySubOfTheRealFormsIsFoundWithItsEnd) {
    SKIP_WITHOUT_CORPUS(test::CorpusDir());
    int forms = 0, procedures = 0, handlers = 0, arrayHandlers = 0, alternatives = 0;
    for (const auto& entry : fs::recursive_directory_iterator(test::CorpusDir())) {
        std::string extension = entry.path().extension().string();
        for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (extension != ".frm") continue;
        const std::string form = test::ReadBytes(entry.path());
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(entry.path().string());
        ++forms;

        const CodeStart start = FindFormCode(form);
        const FormCode scanned = ScanFormCode(std::string_view(form).substr(start.offset), start.line, name);
        EXPECT_TRUE(scanned.warnings.empty()) << scanned.warnings.front();
        // The test's own count: the lines that end a procedure.
        int ends = 0;
        std::size_t at = start.offset;
        std::uint32_t line = start.line;
        std::vector<std::uint32_t> endLines;
        while (at < form.size()) {
            std::size_t end = form.find_first_of("\r\n", at);
            if (end == std::string::npos) end = form.size();
            std::string text = form.substr(at, end - at);
            text.erase(0, text.find_first_not_of(" \t"));
            for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (text.rfind("end sub", 0) == 0 || text.rfind("end function", 0) == 0 || text.rfind("end property", 0) == 0) {
                ++ends;
                endLines.push_back(line);
            }
            at = end + (form.compare(end, 2, "\r\n") == 0 ? 2 : 1);
            ++line;
        }
        ASSERT_EQ(static_cast<int>(scanned.procedures.size()), ends);
        const test::WalkedForm walked = test::WalkForm(form);
        std::vector<NamedControl> controls;
        for (const test::FormControl& control : walked.controls) controls.push_back({control.name, control.inArray});
        const ControlNames names(controls);
        for (std::size_t i = 0; i < scanned.procedures.size(); ++i) {
            const Procedure& procedure = scanned.procedures[i];
            SCOPED_TRACE(procedure.header.name);
            EXPECT_EQ(procedure.endLine, endLines[i]);
            // The text is the header's lines, the body and the End line, as the form has them.
            const std::string_view text = procedure.text;
            EXPECT_NE(text.find(procedure.header.name), std::string_view::npos);
            const std::size_t endLine = text.find_last_of("\r\n") + 1;
            ASSERT_GE(endLine, procedure.body.size());
            EXPECT_EQ(text.substr(endLine - procedure.body.size(), procedure.body.size()), procedure.body);
            alternatives += static_cast<int>(procedure.alternatives.size());
            if (const std::optional<EventHandler> handler = ParseEventHandler(procedure, names)) {
                ++handlers;
                arrayHandlers += handler->indexed;
            }
        }
        procedures += static_cast<int>(scanned.procedures.size());
    }
    EXPECT_EQ(forms, 234);
    EXPECT_EQ(procedures, 11717);
    EXPECT_EQ(handlers, 8039);
    EXPECT_EQ(arrayHandlers, 1662);  // as many as the Subs with an Index of an array the form has
    EXPECT_EQ(alternatives, 1);
}

}  // namespace
}  // namespace tarvel
