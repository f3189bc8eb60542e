// Reads the number at the front of a text the way the first-ID box is read:
// blanks, tabs and line feeds anywhere are ignored; then an optional sign,
// digits, a decimal point with digits and an exponent (E or D), or &H hex /
// &O octal digits, up to the first character that cannot continue the number.
// Text without a number is 0. The value is rounded half to even and must fit
// a signed 32-bit integer.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvel {

/// The rounded number, or nothing when it falls outside the signed 32-bit range.
std::optional<std::int32_t> ReadLeadingNumber(std::string_view text);

}  // namespace tarvel
