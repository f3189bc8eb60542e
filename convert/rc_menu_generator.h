// Turns the menu block into the text of an RC MENU resource named Glowne,
// with an optional #define list in front of it.
//
// The block is walked line by line and no tree is built: an item is pending
// from its Begin line until either its End line (it was a leaf: a MENUITEM,
// a separator, or nothing for an empty caption) or the Begin line of its first
// child (it opens a POPUP). The End line of a POPUP item writes its "}" at
// once, so braces always balance, whatever the form's last entries are.
// Blocks of other controls (Begin VB.Timer, BeginProperty) are skipped whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "frx_captions.h"
#include "main_form_state.h"
#include "result.h"

namespace tarvel {

/// The generator's working state over one conversion.
struct GeneratorState {
    bool itemPending = false;  ///< an item has begun, and whether it is a leaf is not known yet
    std::string caption;       ///< Caption of the pending item, ready for the RC text
    bool itemEnabled = false;  ///< Enabled of the pending item
    bool itemChecked = false;  ///< Checked of the pending item
    std::string itemName;      ///< control name of the pending item
    std::string itemIndex;     ///< Index of the pending item in its control array, empty if none
    std::size_t openPopups = 0;  ///< POPUP blocks written and not yet closed
    std::size_t skipDepth = 0;   ///< nesting inside a block of some other control
    bool numbersExhausted = false;  ///< the last number handed out was the largest there is
};

/// Where the line that starts at `from` ends: the position of its CR or LF,
/// or the text's size when neither follows.
std::size_t WyłówLinię(std::string_view menuText, std::size_t from);

/// Walks `menuText`, fills `defineText` (with `useDefines`) and advances `nextId`;
/// gives the whole RC text: the #define lines, two line ends, then the MENU.
/// Referenced captions come from `frx`.
Result<std::string> GenerateRcMenu(MainFormState& state, bool useDefines, FrxSource& frx);

}  // namespace tarvel
