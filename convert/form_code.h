// The form's Visual Basic code: the text after the form's definition (its
// outermost Begin ... End) and the Attribute lines that follow it. This finds
// the procedures in it (Sub, Function, Property Get/Let/Set, with Public,
// Private, Friend or Static before them; a header continued over lines with
// " _"), each with its name, parameters, body as written and lines, and tells
// an event handler's object and event apart (Command1_Click,
// mnuRecent_Click(Index As Integer), Form_Load). It keeps every byte as the
// form has it, in whatever code page, and understands nothing inside a body.
// Declare, Event and variable lines are not procedures. Where #If ... #Else
// gives one body two headers, the second is kept as an alternative of the
// first. Code VB itself would refuse (a Sub never ended, an End Sub without a
// Sub) is read as far as it goes, with a warning; nothing is dropped.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvel {

/// Where a form's code begins.
struct CodeStart {
    std::size_t offset = 0;  ///< in the form's text; its size when the form has no code
    std::uint32_t line = 1;  ///< the line there, counted from 1
};

/// The first line after the form's definition and its Attribute lines.
CodeStart FindFormCode(std::string_view form);

enum class ProcedureKind { Sub, Function, PropertyGet, PropertyLet, PropertySet };

/// "Sub", "Function", "Property Get", ...: the words that open and, after End, close one.
std::string_view ProcedureKindName(ProcedureKind kind);

/// A procedure's name and parameters as one header line gives them.
struct ProcedureHeader {
    std::string name;
    std::string parameters;  ///< between the parentheses, continued lines joined by a space
    std::uint32_t line = 0;
};

struct Procedure {
    ProcedureKind kind = ProcedureKind::Sub;
    std::string access;  ///< "Private", "Public", "Friend" as written, or empty
    bool isStatic = false;
    ProcedureHeader header;
    std::vector<ProcedureHeader> alternatives;  ///< headers of the other #If branches, in order
    std::string text;    ///< the whole procedure as written, from its header to its End line
    std::string body;    ///< the lines between the header and the End line, with their line ends
    std::uint32_t endLine = 0;  ///< the End line's; for one never ended, the last line it takes
};

struct FormCode {
    std::vector<Procedure> procedures;  ///< in the form's order
    std::vector<std::string> warnings;  ///< "Form1.frm:42: ...", one for each place VB would refuse
};

/// The procedures of `code`, whose first line is line `firstLine` of `formFile`.
FormCode ScanFormCode(std::string_view code, std::uint32_t firstLine, const std::string& formFile);

/// One parameter of a parameter list.
struct Parameter {
    std::string name;  ///< without ByVal, ByRef, Optional, ParamArray or "()"
    std::string type;  ///< after As, or empty (a Variant)
};

/// The parameters of a list such as "Index As Integer, ByVal X As Single".
std::vector<Parameter> SplitParameters(std::string_view parameters);

/// A control or menu item of the form, as the event handlers name it.
struct NamedControl {
    std::string name;
    bool isArray = false;  ///< it has an Index: its handlers take the Index first
};

struct Form;

/// The controls and then the menu items of `form` (not the form itself), in
/// its order, as its event handlers may name them.
std::vector<NamedControl> NamedControlsOf(const Form& form);

/// The form's controls and menu items (not the form's own name), found
/// without regard to ASCII case, as VB finds them. It points into
/// `controls`, which must outlive it.
class ControlNames {
public:
    explicit ControlNames(std::span<const NamedControl> controls);
    /// The control as the form spells it, or nothing.
    const NamedControl* Find(std::string_view name) const;

private:
    std::unordered_map<std::string, const NamedControl*> byLowerName_;
};

/// What an event handler handles.
struct EventHandler {
    std::string object;    ///< the control as the form spells it, or "Form" / "MDIForm"
    std::string event;     ///< "Click", "Load", "QueryUnload"...
    bool ofForm = false;   ///< the form's own event (Form_Load)
    bool indexed = false;  ///< a control array's: its first parameter is the Index
};

/// The object and event of a Sub named OBJECT_EVENT, where OBJECT is one of
/// `names`, or Form or MDIForm. An event's name has no underscore, so the
/// object is all before the last one (cmd_Save_Click: cmd_Save, Click).
/// Nothing for a Function or Property, a Sub of no control, or a Sub of a
/// control array whose first parameter is not its Index (Print_it beside a
/// Print array is a plain Sub).
std::optional<EventHandler> ParseEventHandler(const Procedure& procedure, const ControlNames& names);

}  // namespace tarvel
