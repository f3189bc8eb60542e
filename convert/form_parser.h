// Reads a whole form into a Form: the first object the form begins (the
// VB.Form or VB.MDIForm; "Form" in the forms of Visual Basic 3) up to its own
// End or the first Attribute line, with every control inside it. Menu items
// and property blocks other than Font are passed over; Caption and Text may
// name a .frx file, whose string is read from there. A block cut short is
// closed where the form stops.
#pragma once

#include "form.h"
#include "form_reader.h"
#include "frx_captions.h"
#include "result.h"

namespace tarvel {

/// The form that `form` reads; a Form without objects when it begins none.
Result<Form> ParseForm(FormReader& form, FrxSource& frx);

}  // namespace tarvel
