// What the user asks of the RC text: the window sets the first two, tarvel-rc
// any of them. Without the options for Win32 programs the text is the
// window's, byte for byte.
#pragma once

#include <cstdint>
#include <string>

namespace tarvel {

struct RcOptions {
    static constexpr int kAutoCodePage = -1;
    std::int32_t firstId = 100;  ///< the first menu item's number
    bool useDefines = true;      ///< names and a #define list, or numbers in place of names
    bool shortcuts = false;      ///< key names after a tab in captions, and a Glowne ACCELERATORS table
    bool contextMenus = false;   ///< hidden top-level menus as MENU resources of their own, after Glowne
    bool grayPopups = false;     ///< a disabled sub-menu's POPUP line says GRAYED
    int codePage = 0;            ///< "#pragma code_page(N)" first; 0 for none, kAutoCodePage for the form's own
    std::string menuName = "Glowne";  ///< the main menu's resource (and its accelerators'), as the window names it
    std::string definePrefix;    ///< put before every name that is #defined (IDM_: #define IDM_mnuOpen 100)
    std::string includeFile;     ///< when not empty, #include "this" stands in place of the #define list
    bool dialog = false;         ///< the whole form as a DIALOGEX resource after the menu
    /// The form's pictures as ICON and BITMAP resources, their files written beside the RC file.
    bool pictures = false;
    bool tidy = false;           ///< every block indented by its depth, no empty line before a POPUP nor at the start
    /// A number standing where the form's name could not be used (exit, IDOK, a name taken twice) is
    /// followed by a comment naming it, for the reader of a program's sources (tarvel-rc: with a dialog, header or MASM file).
    bool numberComments = false;
    /// The form is also written as a C program (Destination::program): it needs the dialog and a header.
    bool program = false;
};

}  // namespace tarvel
