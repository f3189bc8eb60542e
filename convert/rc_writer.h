// Writes a Menu as the text of an RC MENU resource named Glowne, with the
// #define list of its items' names in front of it. Every item that a program
// can choose takes the next number; a MENU resource holds 16-bit numbers, so
// one that falls outside 0 to 65535 is an error before anything is written.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "menu.h"
#include "result.h"
#include "text_sink.h"

namespace tarvel {

/// How the RC text is written.
struct RcOptions {
    std::int32_t firstId = 100;  ///< the first menu item's number
    bool useDefines = true;      ///< names and a #define list, or numbers in place of names
    bool dialog = false;         ///< the whole form as a DIALOGEX resource after the menu
};

/// What each item is called in the RC text.
struct MenuNumbers {
    static constexpr std::int32_t kNone = -1;
    std::vector<std::int32_t> number;            ///< per item: its number, or kNone (pop-ups, separators, no caption)
    std::vector<std::string_view> identifier;    ///< per item: its #defined name, or empty for its number
    TextStore names;                             ///< NAME_INDEX names of control arrays
};

/// Numbers the items in the form's order and gives each usable name (an
/// identifier, with _INDEX in a control array, defined once) to its item.
/// `form` names the form in an error.
Result<MenuNumbers> NumberMenu(const Menu& menu, const RcOptions& options, const std::string& form);

/// Does the item stand for a choice in the menu, and so take a number?
bool TakesNumber(const Menu& menu, std::size_t item);

/// The number that follows the menu's last one: where further resources go on numbering.
std::int64_t NextNumber(const MenuNumbers& numbers, const RcOptions& options);

/// Writes the #define lines, two line ends, then the MENU.
void WriteRcMenu(const Menu& menu, const MenuNumbers& numbers, TextSink& out);

/// The two parts of WriteRcMenu, for a text that holds more than the menu:
/// the #define lines, and the MENU resource itself.
void WriteMenuDefines(const Menu& menu, const MenuNumbers& numbers, TextSink& out);
void WriteMenuResource(const Menu& menu, const MenuNumbers& numbers, TextSink& out);

}  // namespace tarvel
