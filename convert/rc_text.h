// The two rules every RC writer follows: how text becomes an RC string, and
// which names may stand for a number. Each lives here and nowhere else.
#pragma once

#include <string>
#include <string_view>

namespace tarvel {

/// Appends `text` as the inside of an RC string (without the quotes around
/// it): a quote doubled, a backslash doubled, a byte below 0x20 as an escape
/// that resource compilers read back as that byte. Every other byte, in
/// whatever code page, is kept as it is.
void AppendRcString(std::string& out, std::string_view text);

/// Is `name` an ASCII C identifier that no resource compiler or preprocessor
/// reads as a word of its own (MENU, POPUP, HELP, ..., compared without case)?
/// Only such a name may be #defined; other items are written with their number.
bool IsUsableRcName(std::string_view name);

}  // namespace tarvel
