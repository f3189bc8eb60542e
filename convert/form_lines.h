// How the conversion recognises the lines of a form file. Only ASCII is
// matched and only ASCII letters are folded, so captions and names in any
// code page (cp1250, cp932, UTF-8) are never touched.
#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>

namespace tarvel {

/// Finds the line ends of a text: a CR LF pair, a lone CR or a lone LF. Each of
/// CR and LF is searched for again only once the walk has passed where it was
/// last found, so a text with only one of them is still read through once.
class LineEnds {
public:
    /// Looks from `from` on; every later Find must start at or after it.
    explicit LineEnds(std::string_view text, std::size_t from = 0)
        : text_(text), cr_(Next('\r', from)), lf_(Next('\n', from)) {}

    /// The position of the first CR or LF at or after `from`, or the text's size.
    std::size_t Find(std::size_t from) {
        if (cr_ < from) cr_ = Next('\r', from);
        if (lf_ < from) lf_ = Next('\n', from);
        return std::min(cr_, lf_);
    }

    /// Where the line after the line end at `end` begins.
    std::size_t After(std::size_t end) const {
        if (end >= text_.size()) return text_.size();
        const bool crLf = text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n';
        return end + (crLf ? 2 : 1);
    }

private:
    std::size_t Next(char c, std::size_t from) const {
        if (from >= text_.size()) return text_.size();
        const void* found = std::memchr(text_.data() + from, c, text_.size() - from);
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data()) : text_.size();
    }

    std::string_view text_;
    std::size_t cr_, lf_;  ///< the next CR and LF from where each was last looked for
};

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

/// Spaces and tabs: the blanks that lines are trimmed of.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr std::string_view TrimBlanks(std::string_view s) {
    // Forms indent with long runs of spaces: eight at a time first.
    while (s.size() >= 8 && s.substr(0, 8) == "        ") s.remove_prefix(8);
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

/// Does `s` begin with `lowerPrefix`, ASCII letters compared without case?
constexpr bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
    if (s.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        if (LowerAscii(s[i]) != lowerPrefix[i]) return false;
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


}  // namespace tarvel
