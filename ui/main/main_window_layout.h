// What the main window holds and where, in twips (1/1440 inch) from the
// top-left corner of the client area or of the containing frame, in tab
// order. Both views build their controls from this one table, so the two
// windows cannot drift apart.
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

inline constexpr ControlPlace kMainWindowControls[] = {
    {"Dir1", ControlKind::DirectoryList, "frmMain", "", 120, 120, 2655, 3465},
    {"Drive1", ControlKind::DriveList, "frmMain", "", 120, 3720, 2655, 315},
    {"File1", ControlKind::FileList, "frmMain", "", 2880, 120, 2535, 3990},
    {"Text1", ControlKind::TextBox, "frmMain", "", 120, 4560, 5295, 285},
    {"Label1", ControlKind::Label, "frmMain", "Nazwa pliku RES", 120, 4320, 1455, 255},
    {"Command1", ControlKind::Button, "frmMain", "Konwertuj", 5640, 120, 1575, 375},
    {"Command2", ControlKind::Button, "frmMain", "O programie", 5640, 600, 1575, 375},
    {"Command3", ControlKind::Button, "frmMain", "Koniec", 5640, 1080, 1575, 375},
    // Below the bottom edge of the fixed window: the result is delivered, never shown.
    {"Text2", ControlKind::ResultBox, "frmMain", "", 120, 5040, 6855, 2775},
    {"Frame1", ControlKind::Frame, "frmMain", "Opcje", 5520, 2160, 1815, 975},
    {"Text3", ControlKind::TextBox, "Frame1", "100", 1080, 200, 615, 285},
    {"Label2", ControlKind::Label, "Frame1", "Numeruj od:", 120, 240, 855, 255},
    {"chkDefine", ControlKind::CheckBox, "Frame1", "#define", 120, 600, 1575, 255},
    {"Frame2", ControlKind::Frame, "frmMain", "Konwertuj do:", 5520, 3240, 1815, 855},
    {"Option1", ControlKind::OptionButton, "Frame2", "pliku", 120, 240, 1455, 255},
    {"Option2", ControlKind::OptionButton, "Frame2", "schowka", 120, 480, 1335, 255},
};

}  // namespace tarvel::ui
