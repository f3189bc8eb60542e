// Reads a form's menu into a Menu. The menu is the block from the form's
// first "Begin VB.Menu" line up to its first Attribute line; in it, blocks of
// other controls (Begin VB.Timer, BeginProperty) are skipped whole, an End
// that closes no menu item (the form's own) is passed over, and a block cut
// short is closed where it stops. An item's properties count until its first
// child begins; Caption may name a .frx file, whose caption is read from there.
#pragma once

#include "form_reader.h"
#include "frx_captions.h"
#include "menu.h"
#include "result.h"

namespace tarvel {

/// The menu of the form `form` reads; NoMenu when it has none.
Result<Menu> ParseMenu(FormReader& form, FrxSource& frx);

}  // namespace tarvel
