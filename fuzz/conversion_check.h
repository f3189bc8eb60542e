// The rules every RC text the converter gives must keep, whatever form it was
// fed: shared by the fuzz target, the replay of its old findings and the tests
// of hostile forms, so that all three judge the output by the same rulebook.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvel::check {

/// What went wrong with `rc`, or empty when it is sound: every line ends with
/// CR LF; "{" and "}" lines balance and never close more than was opened;
/// every MENUITEM and POPUP line holds one quoted caption (doubled quotes
/// inside) and no stray quote after it; every item's number (literal, or
/// through its #define) is different, given in order from `firstId`.
std::string CheckRcText(std::string_view rc, bool useDefines, std::int32_t firstId);

/// Feeds `form` (the bytes of a form file; bytes that begin no form are put
/// inside one) through the conversion, with and without #define and near the
/// end of the number range, and once with every option and the dialog, and
/// checks every result. Captions kept in a .frx file are read from the form's own bytes,
/// so arbitrary offsets and lengths are exercised without touching the disk.
/// Gives what went wrong, or empty.
std::string CheckConversion(std::string_view form);

}  // namespace tarvel::check
