// The leading-number rule of the first-ID box. Letters after the number are
// not an error ("12abc" is 12); only a value the menu numbers cannot hold is.
#include "leading_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tarvel {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> FitInt32(double value) {
    if (std::isnan(value)) return std::nullopt;
    // Ties go to the even neighbour: 100.5 is 100 and 101.5 is 102.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

// &H and &O digits: the value is the digits' plain unsigned value.
std::optional<std::int32_t> ReadRadix(std::string_view digits, int radix) {
    double value = 0;  // exact up to 2^53, far beyond the range that is accepted
    for (char c : digits) {
        const int d = HexValue(c);
        if (d < 0 || d >= radix) break;
        value = value * radix + d;
        if (value > 4e18) return std::nullopt;
    }
    return FitInt32(value);
}

}  // namespace

std::optional<std::int32_t> ReadLeadingNumber(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s += c;

    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'h' || s[1] == 'H') return ReadRadix(std::string_view(s).substr(2), 16);
        if (s[1] == 'o' || s[1] == 'O') return ReadRadix(std::string_view(s).substr(2), 8);
        return 0;
    }

    // The longest prefix of the shape [sign] digits [. digits] [E|D [sign] digits].
    std::string number;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number += s[i++];
    bool anyDigit = false;
    while (i < s.size() && IsDigit(s[i])) number += s[i++], anyDigit = true;
    if (i < s.size() && s[i] == '.') {
        number += s[i++];
        while (i < s.size() && IsDigit(s[i])) number += s[i++], anyDigit = true;
    }
    if (!anyDigit) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) exponent += s[j++];
            number += exponent;
        }
    }

    // from_chars does not take a leading '+', and is independent of the locale.
    const char* first = number.data() + (number[0] == '+' ? 1 : 0);
    double value = 0;
    const auto [end, ec] = std::from_chars(first, number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // A huge exponent overflows; a tiny one is simply 0.
        const bool tiny = number.find("e-") != std::string::npos;
        return tiny ? std::optional<std::int32_t>(0) : std::nullopt;
    }
    if (ec != std::errc()) return 0;
    return FitInt32(value);
}

}  // namespace tarvel
