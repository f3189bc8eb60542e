// What the main window holds and where, in twips (1/1440 inch) from the
// top-left corner of the client area or of the containing frame, in tab
// order, and the font the places were measured for. Both views build their
// controls from this one table, so the two windows cannot drift apart.
#pragma once

#include <string_view>

namespace tarvel::ui {

enum class ControlKind {
    DirectoryList, DriveList, FileList, TextBox, Label, Button, ResultBox, Frame, CheckBox, OptionButton, Picture
};

struct ControlPlace {
    std::string_view name;       ///< the control's name, also its object name in the views
    ControlKind kind;
    std::string_view container;  ///< the window ("frmMain", "frmAbout"), or the frame it sits in
    std::string_view text;       ///< caption or start text; empty for none
    int left, top, width, height;
};

inline constexpr std::string_view kMainWindowCaption = "Tarvel to RC file";
inline constexpr int kMainWindowWidth = 7425;
inline constexpr int kMainWindowHeight = 4935;
inline constexpr std::string_view kFormPattern = "*.frm";

/// The font both windows are drawn for: the system's default user-interface
/// family at 8 points, Windows' dialog font size, which at 96 dpi (15 twips a
/// pixel) is 10.67 pixels high. Every caption fits its control at this size;
/// the larger default of a Linux desktop (9 or 10 points) clips them. Each view
/// sets it on both windows and everything in them; only the About box's title
/// has a font of its own (about_box.h).
inline constexpr double kWindowFontPoints = 8;

inline constexpr ControlPlace kMainWindowControls[] = {
    {"Dir1", ControlKind::DirectoryList, "frmMain", "", 120, 120, 2655, 3465},
    {"Drive1", ControlKind::DriveList, "frmMain", "", 120, 3720, 2655, 315},
    {"File1", ControlKind::FileList, "frmMain", "", 2880, 120, 2535, 3990},
    {"Text1", ControlKind::TextBox, "frmMain", "", 120, 4560, 5295, 285},
    // As wide as the lists above, so that a wider system font cannot clip the caption.
    {"Label1", ControlKind::Label, "frmMain", "Nazwa pliku RES", 120, 4320, 2655, 255},
    {"Command1", ControlKind::Button, "frmMain", "Konwertuj", 5640, 120, 1575, 375},
    {"Command2", ControlKind::Button, "frmMain", "O programie", 5640, 600, 1575, 375},
    {"Command3", ControlKind::Button, "frmMain", "Koniec", 5640, 1080, 1575, 375},
    // Below the bottom edge of the fixed window: the result is delivered, never shown.
    {"Text2", ControlKind::ResultBox, "frmMain", "", 120, 5040, 6855, 2775},
    // The number box sits under its caption, the frame's full width, so that it shows
    // the longest number it takes (-2147483648, &H7FFFFFFF) whole; the frame grows
    // upwards into the free space under the buttons to make room for it.
    {"Frame1", ControlKind::Frame, "frmMain", "Opcje", 5520, 1890, 1815, 1245},
    {"Text3", ControlKind::TextBox, "Frame1", "100", 120, 510, 1575, 285},
    {"Label2", ControlKind::Label, "Frame1", "Numeruj od:", 120, 240, 1575, 255},
    {"chkDefine", ControlKind::CheckBox, "Frame1", "#define", 120, 870, 1575, 255},
    {"Frame2", ControlKind::Frame, "frmMain", "Konwertuj do:", 5520, 3240, 1815, 855},
    {"Option1", ControlKind::OptionButton, "Frame2", "pliku", 120, 240, 1455, 255},
    {"Option2", ControlKind::OptionButton, "Frame2", "schowka", 120, 480, 1335, 255},
};

}  // namespace tarvel::ui
