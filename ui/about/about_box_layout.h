// What the About box holds and where, in twips from the top-left corner of its
// client area, in tab order, with the captions it has when loaded; and the
// engraved rule above the notice. Views build the box from this table.
#pragma once

#include <string_view>

#include "about_box.h"
#include "main_window_layout.h"

namespace tarvel::ui {

inline constexpr int kAboutBoxWidth = 5730;
inline constexpr int kAboutBoxHeight = 3555;

inline constexpr ControlPlace kAboutBoxControls[] = {
    // OK is the default and the cancel button: Enter and Escape press it.
    {"cmdOK", ControlKind::Button, "frmAbout", "OK", 4245, 2625, 1260, 345},
    // Sizes itself to its picture, the main window's 32 x 32 icon.
    {"picIcon", ControlKind::Picture, "frmAbout", "", 240, 240, 480, 480},
    {"cmdSysInfo", ControlKind::Button, "frmAbout", "WWW", 4260, 3075, 1245, 345},
    {"lblDescription", ControlKind::Label, "frmAbout", kAboutDescription, 1050, 1125, 3885, 1170},
    {"lblDisclaimer", ControlKind::Label, "frmAbout", kAboutDisclaimer, 255, 2625, 3870, 825},
    // In "MS Sans Serif", 13.5 point, bold, with the Central European character set.
    {"lblTitle", ControlKind::Label, "frmAbout", kAboutTitle, 1050, 240, 3885, 480},
    {"lblVersion", ControlKind::Label, "frmAbout", kVersionPlaceholder, 1050, 780, 3885, 225},
};

/// One line of the rule Line1: from `left` to `right` at `top` (twips),
/// `pixels` thick at 96 dpi, in `red`, `green`, `blue`.
struct RulePlace {
    int index;
    int left, right, top;
    int pixels;
    int red, green, blue;
};

/// A grey line with a white one just below it, so the rule looks cut into the box.
inline constexpr RulePlace kAboutBoxRule[] = {
    {1, 90, 5654, 2445, 1, 128, 128, 128},
    {0, 105, 5654, 2460, 2, 255, 255, 255},
};

inline constexpr std::string_view kAboutTitleFont = "MS Sans Serif";
inline constexpr int kCentralEuropeanCharset = 238;

}  // namespace tarvel::ui
