// Writes a Menu as the text of an RC MENU resource named Glowne, with the
// #define list of its items' names in front of it. Every item that a program
// can choose takes the next number; a MENU resource holds 16-bit numbers, so
// one that falls outside 0 to 65535 is an error before anything is written.
// Options add what a Win32 program needs beyond that (shortcuts, context
// menus, greyed sub-menus, the code page); without them the text is the
// window's, byte for byte.
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
    static constexpr int kAutoCodePage = -1;
    std::int32_t firstId = 100;  ///< the first menu item's number
    bool useDefines = true;      ///< names and a #define list, or numbers in place of names
    bool shortcuts = false;      ///< key names after a tab in captions, and a Glowne ACCELERATORS table
    bool contextMenus = false;   ///< hidden top-level menus as MENU resources of their own, after Glowne
    bool grayPopups = false;     ///< a disabled sub-menu's POPUP line says GRAYED
    int codePage = 0;            ///< "#pragma code_page(N)" first; 0 for none, kAutoCodePage to be chosen
    std::string includeFile;     ///< when not empty, #include "this" stands in place of the #define list
    bool dialog = false;         ///< the whole form as a DIALOGEX resource after the menu
};

/// What each item is called in the RC text.
struct MenuNumbers {
    static constexpr std::int32_t kNone = -1;
    std::vector<std::int32_t> number;            ///< per item: its number, or kNone (pop-ups, separators, no caption)
    std::vector<std::string_view> identifier;    ///< per item: its #defined name, or empty for its number
    TextStore names;                             ///< NAME_INDEX names of control arrays

    /// A hidden top-level menu written as a MENU resource of its own.
    struct ContextMenu {
        std::uint32_t item;        ///< its position in Menu::items
        std::string_view name;     ///< the resource's name, or empty for `number`
        std::int32_t number = 0;   ///< its place among the context menus, from 1
    };
    std::vector<ContextMenu> contextMenus;  ///< in the form's order, with RcOptions::contextMenus only
};

/// Numbers the items in writing order (the form's order; with context menus,
/// Glowne's items first, then each context menu's) and gives each usable name
/// (an identifier, with _INDEX in a control array, defined once) to its item.
/// A context menu is named the same way when its name is free, else numbered.
/// `form` names the form in an error.
Result<MenuNumbers> NumberMenu(const Menu& menu, const RcOptions& options, const std::string& form);

/// Does the item stand for a choice in the menu, and so take a number?
bool TakesNumber(const Menu& menu, std::size_t item);

/// Writes "#define NAME NUMBER" and a line end for every named item.
void WriteDefines(const Menu& menu, const MenuNumbers& numbers, TextSink& out);

/// A name the RC text #defines, and its number: what a C header or MASM file repeats.
struct NamedNumber {
    std::string_view name;
    std::int32_t number;
};
/// The named items of the menu, in the order of the #define list.
std::vector<NamedNumber> DefinedNames(const Menu& menu, const MenuNumbers& numbers);

/// The number that follows the menu's last one: where further resources go on numbering.
std::int64_t NextNumber(const MenuNumbers& numbers, const RcOptions& options);

/// Writes the "#pragma code_page" line when `options` asks for one (a number
/// here, never kAutoCodePage), and the #include of `options.includeFile`.
void WriteCodePage(const RcOptions& options, TextSink& out);
void WriteInclude(const RcOptions& options, TextSink& out);

/// Writes the MENU resource Glowne, the context menus and the accelerators.
void WriteMenuResources(const Menu& menu, const MenuNumbers& numbers, const RcOptions& options, TextSink& out);

/// Writes the code page line, the #define lines (or the #include), two line
/// ends, then the menu's resources.
void WriteRcMenu(const Menu& menu, const MenuNumbers& numbers, const RcOptions& options, TextSink& out);

}  // namespace tarvel
