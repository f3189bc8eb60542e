// Lays a form out as an RC DIALOGEX resource: its caption, border and font
// as the dialog's header, and every control that shows something, in the
// form's tab order, placed where the form puts it. A control Windows has a
// counterpart for is written as that control; one that only resembles a
// standard control (a masked edit, a data-bound list, a grid, a third-party
// button) as the standard one, named in a warning; any other as a
// placeholder, an etched frame that keeps its place and its number, with a
// warning, and what lies inside it is placed from it as a Frame's contents
// are. A tabbed container is a tab control, and the controls of the tabs not
// shown are moved back onto it and hidden. Components that show nothing at
// run time (Timer, CommonDialog, ImageList, ...) are left out. The mapping of
// control types and the table of look-alikes are in dialog_layout.cpp. The
// numbers and names come from the name table and the text is written by the
// RC writer; this says only what each line holds.
//
// Units: Visual Basic places controls in twips; Windows dialogs in dialog
// units of the dialog's font. A twip is a fifteenth of a pixel at 96 dpi, and
// an 8-point MS Sans Serif (or Tahoma, MS Shell Dlg) is 6 x 13 pixels on
// average, scaled by point size for other sizes: x = px * 4 / 6, y = px * 8 / 13.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form.h"
#include "form_pictures.h"

namespace tarvel {

/// A rectangle in dialog units.
struct DialogRect {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
};

/// The dialog font's average character in pixels, and so the size of a dialog unit.
struct BaseUnits {
    double x = 6, y = 13;
};

/// The FONT statement's arguments; a form that names no font gets 8-point MS Sans Serif.
struct DialogFont {
    std::string_view name;  ///< empty: the form names none
    long points = 8, weight = 400, charset = 0;
    bool italic = false;
};

/// One control of the dialog's body.
struct DialogControlRef {
    std::uint32_t object = 0;  ///< in Form::objects
    bool placeholder = false;  ///< no Windows control: an etched frame in its place, after a comment naming its class
    bool startsGroup = false;  ///< the first of a run of option buttons, or the first control after one
};

struct DialogLayout {
    std::vector<std::string_view> styles, exStyles;
    std::optional<std::string_view> caption;
    DialogFont font;
    BaseUnits base;
    DialogRect rect;
    std::vector<DialogControlRef> controls;  ///< in the form's tab order

    /// Where each object lies, in pixels from the dialog's client area, and
    /// what its containers pass on to it.
    struct Place {
        double x = 0, y = 0;
        std::uint16_t kind = 0;  ///< its row of the mapping
        bool visible = true, enabled = true;
        std::uint8_t inset = 0;  ///< its children are placed this many pixels inside it (a picture box's border)
    };
    std::vector<Place> places;  ///< per object of Form::objects

    static constexpr std::uint32_t kNoImage = UINT32_MAX;
    /// Per object of Form::objects, the picture (an icon or a bitmap) that its
    /// Picture shows, as an index into the pictures; empty without pictures.
    std::vector<std::uint32_t> images;
    /// The image's type, for each of them.
    std::vector<ResourceImageType> imageTypes;
};

/// What one control's line holds.
struct ControlLine {
    std::string_view statement;            ///< "PUSHBUTTON", "LTEXT", "CONTROL", ...
    std::string_view windowClass;          ///< for CONTROL: "EDIT", "SysListView32", ...
    std::optional<std::string_view> text;  ///< its text, for the statements that take one
    std::vector<std::string_view> styles;  ///< joined with " | "; "NOT WS_VISIBLE" and the like included
    DialogRect rect;
    /// A static that shows a picture: its text is this picture's resource (an
    /// index into the pictures), not `text`.
    std::uint32_t image = DialogLayout::kNoImage;
};

/// Why the form gets no dialog (an MDI form), as a warning naming `formFile`;
/// nothing when it gets one.
std::optional<std::string> WhyNoDialog(const Form& form, const std::string& formFile);

/// Lays out the dialog of a form that gets one, read with its controls.
/// Look-alikes, placeholders, strings that could not be read, and a place or
/// size that a dialog cannot hold (brought into -32768 to 32767, a size to 0
/// or more) are reported in `warnings`.
/// With `pictures`, a PictureBox or Image whose Picture is an icon or a bitmap
/// is a static that shows it (SS_ICON, SS_BITMAP; SS_REALSIZECONTROL when it
/// stretches the picture), and a graphical CommandButton with one gets
/// BS_ICON or BS_BITMAP, for the program to give it its image.
DialogLayout LayOutDialog(const Form& form, const std::string& formFile, std::vector<std::string>& warnings,
                          const std::vector<FormPicture>* pictures = nullptr);

/// The most bytes of text a resource string may hold (Microsoft's RC takes
/// 4,097 characters), counted as the RC text writes them, escapes and all.
inline constexpr std::size_t kLongestTemplateText = 4096;

/// Whether a text fits a dialog template as a string of at most
/// kLongestTemplateText bytes: a longer Caption or Text (the form's own
/// caption too) is left out of the template, and a program of the form sets it.
bool FitsTemplate(std::string_view text);

/// The Caption or Text of a control of the dialog that its template leaves
/// out for its length; nothing when the template holds it (or it has none).
std::optional<std::string_view> TextLeftOut(const Form& form, const DialogLayout& dialog, std::uint32_t object);

/// The line of a control; `line` is reused from one control to the next.
void DescribeControl(const Form& form, const DialogLayout& dialog, const DialogControlRef& ref, ControlLine& line);

/// The captions of a tabbed container's tabs (TabCaption(n)) in the order of
/// their tabs, for a comment; empty for any other control.
std::vector<std::string_view> TabCaptions(const Form& form, std::uint32_t object);

}  // namespace tarvel
