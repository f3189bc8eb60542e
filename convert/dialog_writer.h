// Writes a form as an RC DIALOGEX resource: its caption, border and font as
// the dialog's header, and every control Windows has a counterpart for as a
// control statement, in the form's tab order, placed where the form puts it.
// A control with no Windows counterpart is written as a comment and named in
// a warning, and what lies inside it is left out with it. Components that
// show nothing at run time (Timer, CommonDialog, ImageList, ...) are left out.
//
// Units: Visual Basic places controls in twips; Windows dialogs in dialog
// units of the dialog's font. A twip is a fifteenth of a pixel at 96 dpi, and
// an 8-point MS Sans Serif (or Tahoma, MS Shell Dlg) is 6 x 13 pixels on
// average, scaled by point size for other sizes: x = px * 4 / 6, y = px * 8 / 13.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form.h"
#include "rc_writer.h"
#include "result.h"
#include "text_sink.h"

namespace tarvel {

/// A rectangle in dialog units.
struct DialogRect {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
};

/// One line of the dialog's body: a control, or a comment for one left out.
struct DialogControl {
    std::uint32_t object = 0;          ///< in Form::objects
    std::string_view statement;        ///< "PUSHBUTTON", "LTEXT", "CONTROL", ...; empty: a comment
    std::string_view windowClass;      ///< for CONTROL: "EDIT", "SysListView32", ...
    std::optional<std::string_view> text;  ///< its text, for the statements that take one
    std::vector<std::string_view> styles;  ///< joined with " | "; "NOT WS_VISIBLE" and the like included
    DialogRect rect;
    std::int32_t number = 0;
    std::string_view identifier;       ///< its #defined name, or empty for its number
};

/// The dialog as it will be written.
struct Dialog {
    std::string_view name;             ///< the form's name, or empty when only `number` may stand for it
    std::int32_t number = 0;
    std::vector<std::string_view> styles, exStyles;
    std::optional<std::string_view> caption;
    std::string font;                  ///< the FONT statement's arguments
    DialogRect rect;
    std::vector<DialogControl> controls;
    TextStore names;                   ///< NAME_INDEX names of control arrays
};

/// Why the form gets no dialog (an MDI form, or no form object at all), as a
/// warning naming `formFile`; nothing when it gets one.
std::optional<std::string> WhyNoDialog(const Form& form, const std::string& formFile);

/// Lays out the dialog of a form that gets one. Controls are numbered from
/// where the menu's numbers end (`menu` null: from the first number) and given
/// the #define names that the menu has not taken. Controls left out and
/// strings that could not be read are reported in `warnings`.
Result<Dialog> PlanDialog(const Form& form, const MenuNumbers* menu, const RcOptions& options,
                          const std::string& formFile, std::vector<std::string>& warnings);

/// Writes the #define lines of the dialog's controls.
void WriteDialogDefines(const Dialog& dialog, TextSink& out);

/// Writes the DIALOGEX resource; `withMenu` gives it the menu "Glowne".
void WriteDialogResource(const Form& form, const Dialog& dialog, bool withMenu, TextSink& out);

}  // namespace tarvel
