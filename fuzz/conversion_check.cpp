#include "conversion_check.h"

#include <cstdio>
#include <limits>
#include <optional>
#include <set>
#include <utility>
#include <variant>
#include <vector>

#include "frx_captions.h"
#include "convert_form.h"
#include "result.h"

namespace tarvel::check {
namespace {

// A line as a message can show it: short, and with control bytes visible.
std::string Shown(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size() && i < 120; ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (line.size() > 120) out += "...";
    return out;
}

std::string AtLine(std::size_t index, std::string_view line, const std::string& what) {
    return "line " + std::to_string(index + 1) + " \"" + Shown(line) + "\": " + what;
}

std::optional<std::int64_t> Number(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 11) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

bool ConsumeSuffix(std::string_view& text, std::string_view suffix) {
    if (text.size() < suffix.size() || text.substr(text.size() - suffix.size()) != suffix) return false;
    text.remove_suffix(suffix.size());
    return true;
}

// The quoted caption at the front of `text`: RC reads a doubled quote as one
// quote inside the string; any single quote ends it. Gives the length of the
// whole quoted string, or a reason.
std::variant<std::size_t, std::string> QuotedLength(std::string_view text) {
    if (text.empty() || text.front() != '"') return std::string("no opening quote");
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x20) return std::string("a control byte inside the caption");
        if (text[i] == '\\') {
            // Only escapes that give back the caption's own byte: \\, \r, \n, \t, or three octal digits.
            const std::string_view next = text.substr(i + 1, 3);
            if (!next.empty() && (next[0] == '\\' || next[0] == 'r' || next[0] == 'n' || next[0] == 't')) {
                ++i;
                continue;
            }
            if (next.size() == 3 && next.find_first_not_of("01234567") == std::string_view::npos) {
                i += 3;
                continue;
            }
            return std::string("a backslash that starts no escape of the caption's own byte");
        }
        if (text[i] != '"') continue;
        if (i + 1 < text.size() && text[i + 1] == '"') {
            ++i;
            continue;
        }
        return i + 1;
    }
    return std::string("caption's quote is never closed");
}

// An ASCII C identifier: what every resource compiler and preprocessor reads as one name.
bool OneWord(std::string_view identifier) {
    if (identifier.empty() || (identifier[0] >= '0' && identifier[0] <= '9')) return false;
    for (const char c : identifier)
        if (!(c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    return true;
}

}  // namespace

namespace {

std::string CheckRcText(std::string_view rc, bool useDefines, std::int32_t firstId, std::size_t& items) {
    std::vector<std::string_view> lines;
    for (std::size_t p = 0; p < rc.size();) {
        const std::size_t end = rc.find("\r\n", p);
        if (end == std::string_view::npos) return "the text does not end with CR LF";
        lines.push_back(rc.substr(p, end - p));
        p = end + 2;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find_first_of("\r\n") != std::string_view::npos)
            return AtLine(i, lines[i], "a line end other than CR LF");
    }

    std::size_t i = 0;
    std::vector<std::pair<std::string_view, std::int64_t>> defines;
    for (; i < lines.size() && lines[i].substr(0, 8) == "#define "; ++i) {
        if (!useDefines) return AtLine(i, lines[i], "#define without the #define option");
        const std::string_view rest = lines[i].substr(8);
        const std::size_t space = rest.rfind(' ');
        const std::optional<std::int64_t> value =
            space == std::string_view::npos ? std::nullopt : Number(rest.substr(space + 1));
        if (!value || space == 0) return AtLine(i, lines[i], "not \"#define NAME NUMBER\"");
        if (!OneWord(rest.substr(0, space))) return AtLine(i, lines[i], "a name that is no ASCII identifier");
        for (const auto& earlier : defines)
            if (earlier.first == rest.substr(0, space)) return AtLine(i, lines[i], "a name defined twice");
        defines.emplace_back(rest.substr(0, space), *value);
    }
    if (lines.size() < i + 5 || lines[i] != "" || lines[i + 1] != "" || lines[i + 2] != "Glowne MENU" ||
        lines[i + 3] != "{")
        return "the #define list is not followed by two empty lines, \"Glowne MENU\" and \"{\"";
    const std::size_t menuStart = i + 2;

    std::size_t depth = 0;
    std::size_t nextDefine = 0;
    std::vector<std::int64_t> numbers;
    for (i = menuStart + 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const bool afterPopup = lines[i - 1].substr(0, 6) == "POPUP " || lines[i - 1] == "Glowne MENU";
        if (line == "{") {
            if (!afterPopup) return AtLine(i, line, "\"{\" that follows no POPUP");
            ++depth;
            continue;
        }
        if (afterPopup) return AtLine(i, line, "a POPUP without its \"{\"");
        if (line == "}") {
            if (depth == 0) return AtLine(i, line, "\"}\" that closes nothing");
            if (--depth == 0 && i + 1 != lines.size()) return AtLine(i, line, "the menu is closed before its end");
            continue;
        }
        if (depth == 0) return AtLine(i, line, "text outside the menu");
        if (line.empty()) {
            if (i + 1 >= lines.size() || lines[i + 1].substr(0, 6) != "POPUP ")
                return AtLine(i, line, "an empty line that comes before no POPUP");
            continue;
        }
        if (line.substr(0, 6) == "POPUP ") {
            if (lines[i - 1] != "") return AtLine(i, line, "a POPUP without the empty line before it");
            const auto quoted = QuotedLength(line.substr(6));
            if (const std::string* why = std::get_if<std::string>(&quoted)) return AtLine(i, line, *why);
            if (6 + std::get<std::size_t>(quoted) != line.size())
                return AtLine(i, line, "text after the POPUP's caption");
            continue;
        }
        const std::size_t indent = line.find_first_not_of(' ');
        const std::string_view body = line.substr(indent == std::string_view::npos ? line.size() : indent);
        if (body.substr(0, 9) != "MENUITEM ") return AtLine(i, line, "neither MENUITEM, POPUP nor a brace");
        if (indent != 4 * (depth - 1))
            return AtLine(i, line, "indented by " + std::to_string(indent) + " for " + std::to_string(depth - 1) +
                                       " enclosing POPUPs");
        if (body == "MENUITEM SEPARATOR") continue;
        const auto quoted = QuotedLength(body.substr(9));
        if (const std::string* why = std::get_if<std::string>(&quoted)) return AtLine(i, line, *why);
        std::string_view rest = body.substr(9 + std::get<std::size_t>(quoted));
        if (rest.substr(0, 2) != ", ") return AtLine(i, line, "no \", \" after the caption");
        rest.remove_prefix(2);
        ConsumeSuffix(rest, ", CHECKED");
        ConsumeSuffix(rest, ", GRAYED");
        if (rest.find('"') != std::string_view::npos) return AtLine(i, line, "a quote after the caption");
        if (!OneWord(rest) && !Number(rest)) return AtLine(i, line, "neither an ASCII identifier nor a number");

        std::optional<std::int64_t> number;
        if (useDefines && nextDefine < defines.size() && defines[nextDefine].first == rest)
            number = defines[nextDefine++].second;
        else
            number = Number(rest);
        if (!number) return AtLine(i, line, "an identifier without its #define");
        numbers.push_back(*number);
    }
    if (depth != 0) return std::to_string(depth) + " \"{\" never closed";
    if (nextDefine != defines.size())
        return "#define " + Shown(defines[nextDefine].first) + " names no MENUITEM in order";

    std::set<std::int64_t> seen;
    for (std::int64_t n : numbers) {
        if (n < 0 || n > 65535) return "the number " + std::to_string(n) + " does not fit a MENU resource";
        if (!seen.insert(n).second) return "the number " + std::to_string(n) + " is given to two items";
    }
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        if (numbers[k] != std::int64_t{firstId} + static_cast<std::int64_t>(k))
            return "item " + std::to_string(k + 1) + " has the number " + std::to_string(numbers[k]) +
                   ", not the next one";
    }
    items = numbers.size();
    return {};
}

}  // namespace

std::string CheckRcText(std::string_view rc, bool useDefines, std::int32_t firstId) {
    std::size_t items = 0;
    return CheckRcText(rc, useDefines, firstId, items);
}

namespace {

// Captions "kept in a .frx file" come from the form's own bytes.
class FormBytesAsFrx : public FrxSource {
public:
    explicit FormBytesAsFrx(std::string_view bytes) : bytes_(bytes) {}
    Result<std::string> Caption(const FrxReference& reference) override {
        return CaptionAt(bytes_, reference.offset, reference.fileName);
    }

private:
    std::string_view bytes_;
};

struct Run {
    bool ok = false;
    ErrorKind error{};
    std::string text;
};

Run Convert(std::string_view form, bool useDefines, std::int32_t firstId) {
    FormBytesAsFrx frx(form);
    ConversionRequest request;
    request.form = "Form1.frm";
    request.formBytes = form;
    request.frx = &frx;
    request.rc.firstId = firstId;
    request.rc.useDefines = useDefines;
    Result<std::string> text = ConvertFormToText(request);
    if (!text) return Run{false, text.error().kind, {}};
    return Run{true, {}, std::move(text.value())};
}

// The MENU part of a text, with every item's identifier cut out: the same
// form with and without #define must give the same menu.
std::vector<std::string> Shape(std::string_view rc) {
    std::vector<std::string> shape;
    const std::size_t start = rc.find("\r\nGlowne MENU\r\n");
    for (std::size_t p = start == std::string_view::npos ? rc.size() : start + 2; p < rc.size();) {
        std::size_t end = rc.find("\r\n", p);
        if (end == std::string_view::npos) end = rc.size();
        std::string line(rc.substr(p, end - p));
        const std::size_t item = line.find_first_not_of(' ');
        if (item != std::string::npos && line.compare(item, 10, "MENUITEM \"") == 0) {
            const auto quoted = QuotedLength(std::string_view(line).substr(item + 9));
            if (const std::size_t* length = std::get_if<std::size_t>(&quoted)) {
                std::string_view rest = std::string_view(line).substr(item + 9 + *length);
                std::string flags;
                if (ConsumeSuffix(rest, ", CHECKED")) flags = ", CHECKED";
                if (ConsumeSuffix(rest, ", GRAYED")) flags = ", GRAYED" + flags;
                line = line.substr(0, item + 9 + *length) + ", #" + flags;
            }
        }
        shape.push_back(std::move(line));
        p = end + 2;
    }
    return shape;
}

const char* KindName(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::FormUnreadable: return "FormUnreadable";
        case ErrorKind::FormLineTooLong: return "FormLineTooLong";
        case ErrorKind::NoMenu: return "NoMenu";
        case ErrorKind::FrxUnreadable: return "FrxUnreadable";
        case ErrorKind::FrxOutOfRange: return "FrxOutOfRange";
        case ErrorKind::ItemNumberOutOfRange: return "ItemNumberOutOfRange";
        case ErrorKind::ControlNumberOutOfRange: return "ControlNumberOutOfRange";
        case ErrorKind::OutputNameEmpty: return "OutputNameEmpty";
        case ErrorKind::OutputIsForm: return "OutputIsForm";
        case ErrorKind::OutputUnwritable: return "OutputUnwritable";
        case ErrorKind::OutputLinkRefused: return "OutputLinkRefused";
        case ErrorKind::OutputIncomplete: return "OutputIncomplete";
        case ErrorKind::OutputFolderNotFlushed: return "OutputFolderNotFlushed";
        case ErrorKind::OutOfMemory: return "OutOfMemory";
    }
    return "?";
}

}  // namespace

std::string CheckConversion(std::string_view form) {
    constexpr std::int32_t kFirst = 100;
    // Three numbers left: a form with more items must be refused, not wrap round.
    constexpr std::int32_t kNearEnd = 65535 - 2;
    const Run named = Convert(form, true, kFirst);
    const Run numbered = Convert(form, false, kFirst);
    const Run nearEnd = Convert(form, true, kNearEnd);

    if (named.ok != numbered.ok || (!named.ok && named.error != numbered.error))
        return std::string("with #define: ") + (named.ok ? "converted" : KindName(named.error)) +
               "; without: " + (numbered.ok ? "converted" : KindName(numbered.error));
    if (!named.ok) {
        if (named.error != ErrorKind::NoMenu && named.error != ErrorKind::FrxOutOfRange &&
            named.error != ErrorKind::ItemNumberOutOfRange)
            return std::string("refused with ") + KindName(named.error);
        return {};
    }
    std::size_t items = 0;
    if (std::string why = CheckRcText(named.text, true, kFirst, items); !why.empty()) return "with #define: " + why;
    if (std::string why = CheckRcText(numbered.text, false, kFirst, items); !why.empty())
        return "without #define: " + why;
    if (Shape(named.text) != Shape(numbered.text)) return "the menu differs with and without #define";

    if (items > 3) {
        if (nearEnd.ok || nearEnd.error != ErrorKind::ItemNumberOutOfRange)
            return std::to_string(items) + " items from " + std::to_string(kNearEnd) +
                   " were not refused for running past the largest number";
    } else {
        if (!nearEnd.ok) return std::string("near the end of the numbers: refused with ") + KindName(nearEnd.error);
        if (std::string why = CheckRcText(nearEnd.text, true, kNearEnd); !why.empty())
            return "near the end of the numbers: " + why;
    }
    return {};
}

}  // namespace tarvel::check
