#include "rc_menu_generator.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <limits>

#include "form_lines.h"

namespace tarvel {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// RC reads a backslash as an escape: a caption that ends in an odd number of
// them would escape its own closing quote and swallow the rest of the file.
void EvenOutTrailingBackslashes(std::string& caption) {
    std::size_t count = 0;
    while (count < caption.size() && caption[caption.size() - 1 - count] == '\\') ++count;
    if (count % 2 == 1) caption += '\\';
}

// RC writes a double quote inside a string as two.
std::string DoubleQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '"') out += '"';
    }
    return out;
}

// A caption taken from the form keeps its doubled quotes; a lone quote (from a
// value written by hand) is doubled, or it would end the RC string early.
void AssignDoublingLoneQuotes(std::string& out, std::string_view text) {
    out.clear();
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
        out.append(text.substr(0, quote + 1));
        out += '"';
        text.remove_prefix(quote + 1);
        if (!text.empty() && text.front() == '"') text.remove_prefix(1);
    }
    out.append(text);
}

// A name the C preprocessor and RC read as one identifier. Letters outside ASCII
// are kept as the form writes them; a name with a comma, a quote or another
// sign would break the RC text, so such an item gets its number instead.
bool IsIdentifier(std::string_view name) {
    if (name.empty() || (name.front() >= '0' && name.front() <= '9')) return false;
    for (const char c : name) {
        const bool ascii = static_cast<unsigned char>(c) < 0x80;
        if (ascii && c != '_' && !(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z'))
            return false;
    }
    return true;
}

class Walk {
public:
    Walk(MainFormState& state, bool useDefines, FrxSource& frx)
        : state_(state), useDefines_(useDefines), frx_(frx) {
        // Room for the whole RC text: pages that are never written cost no memory, and the
        // #define list can later move in front of the menu without a second copy of it.
        menu_.reserve(state.menuText.size() + 64);
        menu_ += "Glowne MENU\r\n{\r\n";
        // A #define line is shorter than the lines of the item it names, so the list
        // never outgrows the block and is never copied to grow.
        if (useDefines) state.defineText.reserve(state.menuText.size());
    }

    Status Line(std::string_view line) {
        // Most lines are properties: only one that begins with a B or an E can open or close a block.
        const char first = line.empty() ? ' ' : LowerAscii(line.front());
        if (first == 'b' && IsBlockBeginLine(line)) {
            if (g_.skipDepth > 0) ++g_.skipDepth;
            else if (IsMenuBeginLine(line)) return BeginItem(line);
            else g_.skipDepth = 1;
            return Done{};
        }
        if (first == 'e' && IsBlockEndLine(line)) {
            if (g_.skipDepth == 0) return EndItem();
            --g_.skipDepth;
            return Done{};
        }
        if (g_.skipDepth == 0 && g_.itemPending) return Property(line);
        return Done{};
    }

    Result<std::string> Finish() {
        // A form cut short still gives balanced braces.
        if (g_.itemPending) {
            Status written = WriteLeaf();
            if (!written) return written.error();
        }
        for (; g_.openPopups > 0; --g_.openPopups) menu_ += "}\r\n";
        menu_ += "}\r\n";

        // One move of the menu makes room for the #define list and the two line ends after it.
        const std::string& defines = state_.defineText;
        menu_.insert(0, defines.size() + kCrLf.size() * 2, '\n');
        defines.copy(menu_.data(), defines.size());
        menu_.replace(defines.size(), kCrLf.size() * 2, "\r\n\r\n");
        return std::move(menu_);
    }

private:
    Status BeginItem(std::string_view line) {
        if (g_.itemPending) {
            // The pending item has a child: it opens a sub-menu.
            menu_ += "\r\nPOPUP \"";
            menu_ += g_.caption;
            menu_ += "\"\r\n{\r\n";
            ++g_.openPopups;
        }
        g_.itemPending = true;
        g_.caption.clear();
        g_.itemEnabled = true;
        g_.itemChecked = false;
        // The name is the one word after "Begin VB.Menu"; whatever follows it is not part of it.
        std::string_view name = TrimBlanks(line.substr(std::string_view("begin vb.menu").size()));
        g_.itemName.assign(name.substr(0, std::min(name.find(' '), name.find('\t'))));
        g_.itemIndex.clear();
        ++state_.level;
        return Done{};
    }

    Status EndItem() {
        if (state_.level == 0) return Done{};  // the form's own End closes no menu item
        --state_.level;
        if (g_.itemPending) {
            g_.itemPending = false;
            return WriteLeaf();
        }
        --g_.openPopups;
        menu_ += "}\r\n";
        return Done{};
    }

    Status Property(std::string_view line) {
        // Only Caption, Checked, Enabled and Index matter; their first letters rule out the rest.
        if (line.empty() || (line.front() != 'C' && line.front() != 'E' && line.front() != 'I')) return Done{};
        const std::size_t equals = line.find('=');
        const std::string_view name = TrimBlanks(line.substr(0, equals));
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(equals + 1));
        if (name == "Caption") return SetCaption(value);
        if (name == "Enabled") g_.itemEnabled = value.empty() || value.front() != '0';
        else if (name == "Checked") g_.itemChecked = value.empty() || value.front() != '0';
        else if (name == "Index") {
            std::size_t digits = 0;
            while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9') ++digits;
            g_.itemIndex.assign(value.substr(0, digits));
        }
        return Done{};
    }

    Status SetCaption(std::string_view value) {
        if (const std::optional<FrxReference> reference = ParseFrxReference(value)) {
            Result<std::string> stored = frx_.Caption(*reference);
            if (!stored) return stored.error();
            g_.caption = DoubleQuotes(stored.value());
        } else {
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            AssignDoublingLoneQuotes(g_.caption, value);
        }
        EvenOutTrailingBackslashes(g_.caption);
        return Done{};
    }

    Status WriteLeaf() {
        if (g_.caption.empty()) return Done{};
        menu_.append(4 * g_.openPopups, ' ');
        if (g_.caption == "-") {
            menu_ += "MENUITEM SEPARATOR\r\n";
            return Done{};
        }
        if (g_.numbersExhausted) return ConvertError{ErrorKind::IdOutOfRange, "", {}};
        char digits[16];
        const std::string_view number(digits, static_cast<std::size_t>(
                                                  std::to_chars(digits, std::end(digits), state_.nextId).ptr - digits));
        if (state_.nextId == std::numeric_limits<std::int32_t>::max())
            g_.numbersExhausted = true;
        else
            ++state_.nextId;

        menu_ += "MENUITEM \"";
        menu_ += g_.caption;
        menu_ += "\", ";
        if (useDefines_ && IsIdentifier(g_.itemName)) {
            state_.defineText += "#define ";
            AppendIdentifier(state_.defineText);
            state_.defineText += ' ';
            state_.defineText += number;
            state_.defineText += kCrLf;
            AppendIdentifier(menu_);
        } else {
            menu_ += number;
        }
        if (!g_.itemEnabled) menu_ += ", GRAYED";
        if (g_.itemChecked) menu_ += ", CHECKED";
        menu_ += kCrLf;
        return Done{};
    }

    // Items of a control array share a name: NAME_INDEX keeps their #defines apart.
    void AppendIdentifier(std::string& out) const {
        out += g_.itemName;
        if (g_.itemIndex.empty()) return;
        out += '_';
        out += g_.itemIndex;
    }

    MainFormState& state_;
    const bool useDefines_;
    FrxSource& frx_;
    GeneratorState g_;
    std::string menu_;
};

}  // namespace

std::size_t WyłówLinię(std::string_view menuText, std::size_t from) {
    return LineEnds(menuText, from).Find(from);
}

Result<std::string> GenerateRcMenu(MainFormState& state, bool useDefines, FrxSource& frx) {
    Walk walk(state, useDefines, frx);
    const std::string_view text = state.menuText;
    // The same search as WyłówLinię, remembered from line to line.
    LineEnds ends(text);
    for (std::size_t p = 0; p < text.size();) {
        const std::size_t end = ends.Find(p);
        Status handled = walk.Line(TrimBlanks(text.substr(p, end - p)));
        if (!handled) return handled.error();
        p = ends.After(end);
    }
    return walk.Finish();
}

}  // namespace tarvel
