// Reads a form into its tree in one pass, streaming. The form's definition
// is the first block the file begins (VB.Form or VB.MDIForm; "Form" and
// "MDIForm" in the forms of Visual Basic 3), up to that block's own End; a
// line that begins with the word Attribute ends it early, and a form cut
// short is closed where it stops. In it, menu items (VB.Menu blocks in the
// form and in other menu items) become the menu subtree, with the properties
// given before an item's first child; every other block inside a menu item,
// and a menu inside a control, is passed over whole. Property blocks other
// than Font (and, when asked, a TabStrip's Tabs) are passed over; Caption
// and Text may name a .frx file, whose string is read from there (one that
// cannot be read is left empty and kept in Form::unreadable, never an
// error); the other properties that refer to the .frx (List, ItemData) keep
// the reference as written. When asked, the code after the definition and
// its Attribute lines is kept as well.
#pragma once

#include "form.h"
#include "form_reader.h"
#include "frx_captions.h"
#include "result.h"

namespace tarvel {

struct FormReading {
    /// Keep the controls and their properties (a dialog is written). Without
    /// them only the form object and its menus are kept, and what the
    /// controls' fonts and texts say of the code page.
    bool controls = false;
    /// Note what every text and font of the form says of its code page
    /// (Form::facts). Without it the controls that are not kept are passed
    /// over faster, and the facts tell only of the form and its menus.
    bool codePage = true;
    /// Keep each control's own Font block too (a program sets the fonts that
    /// differ from the form's), not only the form's, which the dialog's FONT is.
    bool controlFonts = false;
    /// Keep the form's code (Form::code), which a program of the form holds.
    bool code = false;
    /// Keep a TabStrip's tabs (the Caption of each "BeginProperty TabN" in its
    /// Tabs block, as TabCaption(N - 1)), which a program puts on its tab control.
    bool tabStripTabs = false;
};

/// The form that `reader` reads: NotAForm when the file begins no form.
Result<Form> ParseForm(FormReader& reader, FrxSource& frx, const FormReading& reading);

}  // namespace tarvel
