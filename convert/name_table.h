// The one numbering stage: every menu item, context menu, dialog control and
// the dialog get their number and the name the RC text calls them by, once,
// and every writer (the RC text, its #define list, the C header, the MASM
// file, the accelerators, the dialog) reads them from here. Numbers are
// given in writing order: Glowne's items, then each context menu's, then the
// dialog's controls in tab order; each must fit the 16 bits of a resource id.
// The pictures' ICON and BITMAP resources are numbered on their own, from 1.
// A name is #defined only when the one identifier rule allows it and no
// earlier entry has it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "dialog_layout.h"
#include "form.h"
#include "form_pictures.h"
#include "rc_options.h"
#include "result.h"

namespace tarvel {

enum class NameKind : std::uint8_t {
    MenuItem,         ///< an item of Glowne
    ContextMenuItem,  ///< an item of a context menu
    ContextMenu,      ///< a context menu's own MENU resource
    Control,          ///< a control of the dialog
    Dialog,           ///< the DIALOGEX resource
    Picture,          ///< an ICON or BITMAP resource of one of the form's pictures
};

struct NameEntry {
    NameKind kind{};
    std::uint32_t node = 0;   ///< in Form::menu for items and context menus, in Form::objects for controls and the
                              ///< dialog, in the pictures for a picture
    std::string_view name;    ///< what the RC text calls it; empty: its number stands in its place
    std::int32_t number = 0;
    std::uint32_t line = 0;   ///< where the form begins it
    std::string_view formName;  ///< what the form calls it (NAME_INDEX in a control array), also when `name` is empty
};

/// Is `name` an ASCII C identifier that no resource compiler or preprocessor
/// reads as a word of its own (MENU, POPUP, HELP, ..., compared without case)?
/// And does it pass IsFreeCName? Only such a name may be #defined or name a resource.
bool IsUsableRcName(std::string_view name);

/// Is `name` free in a C or C++ build of a Win32 program: no keyword of C or
/// C++, no function or macro of the C standard library (exit, errno, NULL),
/// no macro of <windows.h> (IDOK, WS_TABSTOP)? Compared with case, as C does.
bool IsFreeCName(std::string_view name);

/// Does the menu item stand for a choice in the menu, and so take a number?
bool TakesNumber(const Form& form, std::size_t item);

class NameTable {
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    /// Every entry: menu items in the form's order, the context menus, then
    /// the dialog's controls in tab order and the dialog itself. Names that
    /// are #defined (entries other than context menus and the dialog, with a
    /// name) are #defined in this order.
    const std::vector<NameEntry>& entries() const { return entries_; }

    /// The entry of a menu item, or null when it takes no number.
    const NameEntry* Item(std::size_t item) const {
        return itemEntries_[item] == kNone ? nullptr : &entries_[itemEntries_[item]];
    }
    /// The context menus in the form's order, as indexes into entries().
    const std::vector<std::uint32_t>& contextMenus() const { return contextMenus_; }
    /// The entry of the dialog's k-th control.
    const NameEntry* Control(std::size_t k) const {
        return controlEntries_[k] == kNone ? nullptr : &entries_[controlEntries_[k]];
    }
    /// The entry of the i-th picture, or null when it is named in no resource (a metafile).
    const NameEntry* Picture(std::size_t i) const {
        return i >= pictureEntries_.size() || pictureEntries_[i] == kNone ? nullptr : &entries_[pictureEntries_[i]];
    }
    /// The dialog's entry, or null without a dialog.
    const NameEntry* Dialog() const { return dialog_ == kNone ? nullptr : &entries_[dialog_]; }
    /// Is there a Glowne? Not when the form has no menu, nor with context
    /// menus when every top-level menu is hidden: a MENU holds at least one entry.
    bool HasMainMenu() const { return hasMainMenu_; }
    /// The items without a caption or items of their own that the RC text leaves out, in numbering order.
    const std::vector<std::uint32_t>& leftOut() const { return leftOut_; }
    /// The items without a caption that are kept as MENUITEM "" all the same: each is the first
    /// entry of a sub-menu (or Glowne) whose every entry would be left out, which no compiler takes empty.
    const std::vector<std::uint32_t>& placeholders() const { return placeholders_; }

    /// Is this entry's name in the #define list?
    static bool IsDefined(const NameEntry& entry) {
        return !entry.name.empty() && entry.kind != NameKind::ContextMenu && entry.kind != NameKind::Dialog;
    }

private:
    friend Result<NameTable> NameForm(const Form&, const DialogLayout*, const RcOptions&, const std::string&,
                                      const std::vector<FormPicture>*);
    std::vector<NameEntry> entries_;
    std::vector<std::uint32_t> itemEntries_;     // per menu item
    std::vector<std::uint32_t> contextMenus_;
    std::vector<std::uint32_t> controlEntries_;  // per line of the dialog
    std::vector<std::uint32_t> pictureEntries_;  // per picture
    std::uint32_t dialog_ = kNone;
    bool hasMainMenu_ = false;
    std::vector<std::uint32_t> leftOut_;
    std::vector<std::uint32_t> placeholders_;
    TextStore names_;                            // NAME_INDEX names of control arrays
};

/// Numbers and names the form's menus and, with `dialog`, its dialog. With
/// `options.contextMenus`, a hidden top-level menu with items is a context
/// menu, named after its item when that name is free, else numbered 1, 2, ...
/// in the form's order. With `pictures`, each that a resource holds (all but
/// metafiles) is numbered from 1 in their order, the form's icon first, and
/// named after its control and property: frmMain_Icon, picLogo_Picture,
/// Command1_DownPicture, ImageList1_ListImage3. `formFile` names the form in an error.
Result<NameTable> NameForm(const Form& form, const DialogLayout* dialog, const RcOptions& options,
                           const std::string& formFile, const std::vector<FormPicture>* pictures = nullptr);

}  // namespace tarvel
