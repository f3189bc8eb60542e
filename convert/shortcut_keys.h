// Keyboard shortcuts of menu items: the codes a form stores ("^O", "+{F5}"),
// the key's name that a Windows menu shows after a tab ("Ctrl+O"), and its
// virtual key for the RC ACCELERATORS table. Only the shortcuts the Visual
// Basic menu editor offers are known; any other code is left out with a
// warning, never guessed at.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "form.h"
#include "name_table.h"

namespace tarvel {

struct ShortcutKey {
    static constexpr unsigned kCtrl = 1, kShift = 2, kAlt = 4;
    std::string_view code;   ///< as the form stores it: "^O", "+^{F3}"
    std::string_view label;  ///< as a Windows menu shows it: "Ctrl+O", "Ctrl+Shift+F3"
    int virtualKey;          ///< the Windows virtual-key code
    unsigned modifiers;      ///< kCtrl, kShift, kAlt
};

/// The key a form's Shortcut code stands for (letters compared without case),
/// or null when the menu editor offers no such shortcut.
/// The name <windows.h> gives a key of the list that is no letter (VK_F1, VK_DELETE), empty for a letter.
std::string_view VirtualKeyName(int virtualKey);

const ShortcutKey* FindShortcutKey(std::string_view code);

/// One warning for every numbered item whose shortcut no key stands for,
/// naming `formFile`, the item and the code.
void WarnUnknownShortcuts(const Form& form, const NameTable& names, const std::string& formFile,
                          std::vector<std::string>& warnings);

}  // namespace tarvel
