// How the conversion recognises the lines of a form file. Only ASCII is
// matched and only ASCII letters are folded, so captions and names in any
// code page (cp1250, cp932, UTF-8) are never touched.
#pragma once

#include <string_view>

namespace tarvel {

/// Spaces and tabs: the blanks that lines are trimmed of.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

/// Does `s` begin with `lowerPrefix`, ASCII letters compared without case?
constexpr bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
    if (s.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerPrefix[i]) return false;
    }
    return true;
}

/// Does the trimmed line begin with the word `lowerWord`, followed by a blank or its end?
constexpr bool StartsWithWord(std::string_view trimmed, std::string_view lowerWord) {
    return StartsWithNoCase(trimmed, lowerWord) &&
           (trimmed.size() == lowerWord.size() || IsBlank(trimmed[lowerWord.size()]));
}

/// "Begin VB.Menu name": opens a menu item.
constexpr bool IsMenuBeginLine(std::string_view trimmed) {
    return StartsWithWord(trimmed, "begin vb.menu");
}

/// "Begin ..." or "BeginProperty ...": opens a block that ends at its End line.
constexpr bool IsBlockBeginLine(std::string_view trimmed) {
    return StartsWithWord(trimmed, "begin") || StartsWithWord(trimmed, "beginproperty");
}

/// "End" or "EndProperty": closes the innermost open block.
constexpr bool IsBlockEndLine(std::string_view trimmed) {
    return StartsWithWord(trimmed, "end") || StartsWithWord(trimmed, "endproperty");
}

/// The Attribute lines that follow a form's definition; only at the very start of a line.
constexpr bool IsAttributeLine(std::string_view untrimmed) {
    return StartsWithNoCase(untrimmed, "attribute");
}

}  // namespace tarvel
