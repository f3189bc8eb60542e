// The one writer of the resource script: it alone writes the RC file's
// lines, from the form's tree, its name table and its dialog's layout. The
// layout, in this order: the code page pragma, <windows.h> for a dialog, the
// #define list (or the #include of the header that holds it), the pictures'
// ICON and BITMAP resources (the form's icon first), the MENU resource
// Glowne, the context menus, the accelerators, the DIALOGEX. Texts
// become RC strings by one rule: the bytes in whatever code page, a quote and
// a backslash doubled, control bytes and a trigraph's "?" as escapes.
#pragma once

#include <string>
#include <string_view>

#include "dialog_layout.h"
#include "form.h"
#include "form_pictures.h"
#include "name_table.h"
#include "rc_options.h"
#include "text_sink.h"

namespace tarvel {

/// Appends `text` as the inside of an RC string (without the quotes around
/// it): a quote doubled, a backslash doubled, a byte below 0x20 as an escape
/// that resource compilers read back as that byte, and the second "?" of a
/// trigraph ("??/", "??=", ...) as \077, so that no preprocessor makes another
/// character of it. Every other byte, in whatever code page, is kept as it is.
void AppendRcString(std::string& out, std::string_view text);

/// How many bytes AppendRcString writes for `text`, and for its byte at `i`.
std::size_t RcStringLength(std::string_view text);
std::size_t RcWrittenLength(std::string_view text, std::size_t i);

/// Writes the whole RC text: the menus when the form has any, the dialog
/// when `dialog` is given, the pictures' resources when `pictures` are given
/// (their files beside the RC file). `options.codePage` is a number here (0: no pragma).
void WriteResourceScript(const Form& form, const NameTable& names, const DialogLayout* dialog, const RcOptions& options,
                         TextSink& out, const std::vector<FormPicture>* pictures = nullptr);

}  // namespace tarvel
