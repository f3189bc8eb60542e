// How the conversion reads the ASCII of a form file and of the names it meets:
// only ASCII is matched and only ASCII letters are folded, so captions and
// names in any code page (cp1250, cp932, UTF-8) are never touched. Every
// layer that folds or matches ASCII (the form reader, the names, the command
// line, the window's drive list) uses these and no copy of its own.
#pragma once

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace tarvel {

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = LowerAscii(c);
    return lower;
}

constexpr bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

/// The value of a hexadecimal digit in either case, or -1.
constexpr int HexDigitValue(char c) {
    if (IsAsciiDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/// Spaces and tabs: the blanks that lines are trimmed of.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

/// How many blanks `s` begins with. A form's lines are indented with
/// spaces, which are passed over eight at a time.
constexpr std::size_t LeadingBlanks(std::string_view s) {
    std::size_t n = 0;
    if (!std::is_constant_evaluated() && std::endian::native == std::endian::little) {
        while (s.size() - n >= 8) {
            std::uint64_t word;
            std::memcpy(&word, s.data() + n, 8);
            const std::uint64_t other = word ^ 0x2020202020202020u;  // a space gives a zero byte
            if (!other) {
                n += 8;
                continue;
            }
            n += static_cast<std::size_t>(std::countr_zero(other)) / 8;
            if (s[n] != '\t') return n;
            ++n;
        }
    }
    while (n < s.size() && IsBlank(s[n])) ++n;
    return n;
}

constexpr std::string_view TrimBlanks(std::string_view s) {
    std::size_t begin = LeadingBlanks(s), end = s.size();
    while (end > begin && IsBlank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

/// Are `a` and `b` the same, ASCII letters compared without case?
constexpr bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

/// Does `s` begin with `lowerPrefix`, ASCII letters compared without case?
constexpr bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
    return s.size() >= lowerPrefix.size() && EqualNoCase(s.substr(0, lowerPrefix.size()), lowerPrefix);
}

/// Does the line begin with the word `lowerWord`, followed by a blank or its end?
constexpr bool StartsWithWord(std::string_view line, std::string_view lowerWord) {
    return StartsWithNoCase(line, lowerWord) && (line.size() == lowerWord.size() || IsBlank(line[lowerWord.size()]));
}

/// The first word of `text` (up to a blank) and the rest, trimmed.
constexpr std::pair<std::string_view, std::string_view> SplitWord(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    return {text.substr(0, end), TrimBlanks(text.substr(end))};
}

/// Appends `number` in decimal, as every writer writes numbers.
inline void AppendDecimal(std::string& out, std::int64_t number) {
    char digits[24];
    out.append(digits, std::to_chars(digits, std::end(digits), number).ptr);
}

}  // namespace tarvel
