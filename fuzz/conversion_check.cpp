#include "conversion_check.h"

#include <array>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <variant>
#include <vector>

#include "convert_form.h"
#include "form_code.h"
#include "form_parser.h"
#include "frx_captions.h"
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

using NamedNumbers = std::vector<std::pair<std::string, std::int64_t>>;

// The text's lines, or why it is not made of CR LF lines.
std::variant<std::vector<std::string_view>, std::string> CrLfLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t p = 0; p < text.size();) {
        const std::size_t end = text.find("\r\n", p);
        if (end == std::string_view::npos) return std::string("the text does not end with CR LF");
        lines.push_back(text.substr(p, end - p));
        if (lines.back().find_first_of("\r\n") != std::string_view::npos)
            return AtLine(lines.size() - 1, lines.back(), "a line end other than CR LF");
        p = end + 2;
    }
    return lines;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordByte(char c) { return c == '_' || IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// "NAME NUMBER" as #define and equ give it: an ASCII identifier, once, and a number a resource can have.
std::string NamedNumber(std::string_view name, std::string_view number, NamedNumbers& seen) {
    if (!OneWord(name)) return "a name that is no ASCII identifier";
    const std::optional<std::int64_t> value = Number(number);
    if (!value) return "no number after the name";
    if (*value < 0 || *value > 65535) return "the number " + std::to_string(*value) + " fits no resource";
    for (const auto& earlier : seen)
        if (earlier.first == name) return "a name defined twice";
    seen.emplace_back(std::string(name), *value);
    return {};
}

std::string PreprocessorLine(std::string_view line, NamedNumbers& defines) {
    if (line.starts_with("#pragma code_page(") && line.ends_with(")")) {
        const std::optional<std::int64_t> page = Number(line.substr(18, line.size() - 19));
        if (!page || *page < 1 || *page > 65535) return "a code page that is no number from 1 to 65535";
        return {};
    }
    if (line == "#include <windows.h>") return {};
    if (line.starts_with("#include \"") && line.ends_with("\"") && line.size() > 11) {
        for (const char c : line.substr(10, line.size() - 11))
            if (c == '"' || static_cast<unsigned char>(c) < 0x20) return "an #include name with a quote or a control byte";
        return {};
    }
    if (line.starts_with("#define ")) {
        const std::string_view rest = line.substr(8);
        const std::size_t space = rest.find(' ');
        if (space == std::string_view::npos) return "not \"#define NAME NUMBER\"";
        return NamedNumber(rest.substr(0, space), rest.substr(space + 1), defines);
    }
    return "a preprocessor line no resource script of ours has";
}

// A DIALOGEX's place and size: the last four numbers of its line.
std::string DialogRect(const std::vector<std::int64_t>& numbers) {
    if (numbers.size() < 4) return "fewer than four numbers for a place and a size";
    const std::int64_t* rect = numbers.data() + numbers.size() - 4;
    for (int k = 0; k < 4; ++k) {
        const std::int64_t lowest = k < 2 ? -32768 : 0;
        if (rect[k] < lowest || rect[k] > 32767)
            return std::string(k < 2 ? "a place" : "a size") + " of " + std::to_string(rect[k]) +
                   ", outside the " + std::to_string(lowest) + " to 32767 a dialog holds";
    }
    return {};
}

}  // namespace

std::string CheckResourceScript(std::string_view rc) {
    const auto split = CrLfLines(rc);
    if (const std::string* why = std::get_if<std::string>(&split)) return *why;
    const std::vector<std::string_view>& lines = std::get<0>(split);
    NamedNumbers defines;
    std::size_t depth = 0;
    bool inComment = false;
    bool dialogHeaderSeen = false;    // a DIALOGEX line whose block has not opened yet
    std::size_t dialogDepth = 0;      // the depth of the open dialog's block, 0 when none is open
    std::vector<std::int64_t> numbers;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (!inComment && line.starts_with("#")) {
            if (std::string why = PreprocessorLine(line, defines); !why.empty()) return AtLine(i, line, why);
            continue;
        }
        numbers.clear();
        bool dialogHeader = false;
        for (std::size_t j = 0; j < line.size();) {
            if (inComment) {
                const std::size_t close = line.find("*/", j);
                if (close == std::string_view::npos) break;
                inComment = false;
                j = close + 2;
                continue;
            }
            const char c = line[j];
            if (c == ' ' || c == '\t' || c == ',' || c == '|' || c == '(' || c == ')' || c == '+') {
                ++j;
            } else if (line.substr(j, 2) == "//") {
                break;
            } else if (line.substr(j, 2) == "/*") {
                inComment = true;
                j += 2;
            } else if (c == '"') {
                const auto quoted = QuotedLength(line.substr(j));
                if (const std::string* why = std::get_if<std::string>(&quoted)) return AtLine(i, line, *why);
                j += std::get<std::size_t>(quoted);
            } else if (c == '{') {
                ++depth;
                if (dialogHeaderSeen && dialogDepth == 0) dialogDepth = depth;
                dialogHeaderSeen = false;
                ++j;
            } else if (c == '}') {
                if (depth == 0) return AtLine(i, line, "\"}\" that closes nothing");
                if (depth == dialogDepth) dialogDepth = 0;
                --depth;
                ++j;
            } else if (IsDigit(c) || (c == '-' && j + 1 < line.size() && IsDigit(line[j + 1]))) {
                std::size_t end = j + 1;
                while (end < line.size() && IsWordByte(line[end])) ++end;
                const std::string_view token = line.substr(j, end - j);
                if (token.starts_with("0x") || token.starts_with("0X")) {
                    if (token.size() < 3 || token.size() > 10 ||
                        token.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string_view::npos)
                        return AtLine(i, line, "a hex number that is none, or wider than 32 bits");
                } else {
                    const std::optional<std::int64_t> value = Number(token);
                    if (!value) return AtLine(i, line, "a number with letters in it");
                    if (*value < -32768 || *value > 65535)
                        return AtLine(i, line, "the number " + std::to_string(*value) + " fits no resource statement");
                    numbers.push_back(*value);
                }
                j = end;
            } else if (IsWordByte(c)) {
                std::size_t end = j + 1;
                while (end < line.size() && IsWordByte(line[end])) ++end;
                if (line.substr(j, end - j) == "DIALOGEX") dialogHeader = dialogHeaderSeen = true;
                j = end;
            } else {
                return AtLine(i, line, "a byte that a resource compiler reads as no token");
            }
        }
        const bool control = dialogDepth != 0 && depth == dialogDepth && !numbers.empty();
        if (dialogHeader || control)
            if (std::string why = DialogRect(numbers); !why.empty()) return AtLine(i, line, why);
    }
    if (inComment) return "a comment never closed";
    if (depth != 0) return std::to_string(depth) + " \"{\" never closed";
    return {};
}

std::string CheckHeaderText(std::string_view header, NamedNumbers* defines) {
    const auto split = CrLfLines(header);
    if (const std::string* why = std::get_if<std::string>(&split)) return *why;
    const std::vector<std::string_view>& lines = std::get<0>(split);
    NamedNumbers found;
    bool inComment = false;
    std::string_view guard;
    bool ended = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (ended) return AtLine(i, line, "a line after the #endif");
        if (inComment || line.starts_with("/*")) {
            const std::size_t close = line.find("*/", inComment ? 0 : 2);
            inComment = close == std::string_view::npos;
            if (!inComment && close + 2 != line.size()) return AtLine(i, line, "text after a comment");
            continue;
        }
        if (line.empty()) continue;
        if (line.starts_with("#ifndef ")) {
            guard = line.substr(8);
            if (!found.empty() || !OneWord(guard) || i + 1 >= lines.size() || lines[i + 1] != "#define " + std::string(guard))
                return AtLine(i, line, "an include guard that is not #ifndef NAME, #define NAME before the numbers");
            ++i;
            continue;
        }
        if (line == "#endif") {
            if (guard.empty()) return AtLine(i, line, "#endif without #ifndef");
            ended = true;
            continue;
        }
        if (!line.starts_with("#define ")) return AtLine(i, line, "neither a comment, the include guard nor #define");
        const std::string_view rest = line.substr(8);
        const std::size_t space = rest.find(' ');
        if (space == std::string_view::npos) return AtLine(i, line, "not \"#define NAME NUMBER\"");
        if (std::string why = NamedNumber(rest.substr(0, space), rest.substr(space + 1), found); !why.empty())
            return AtLine(i, line, why);
    }
    if (inComment) return "a comment never closed";
    if (!guard.empty() && !ended) return "the include guard is never closed";
    if (defines) *defines = std::move(found);
    return {};
}

std::string CheckMasmText(std::string_view masm, NamedNumbers* equs) {
    const auto split = CrLfLines(masm);
    if (const std::string* why = std::get_if<std::string>(&split)) return *why;
    const std::vector<std::string_view>& lines = std::get<0>(split);
    NamedNumbers found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty() || line.starts_with(";")) continue;
        const std::size_t equ = line.find(" equ ");
        if (equ == std::string_view::npos) return AtLine(i, line, "neither a comment nor NAME equ NUMBER");
        if (std::string why = NamedNumber(line.substr(0, equ), line.substr(equ + 5), found); !why.empty())
            return AtLine(i, line, why);
    }
    if (equs) *equs = std::move(found);
    return {};
}

namespace {

// The extension that a picture file's bytes call for; empty for bytes that are no picture of ours.
std::string_view ExtensionFor(std::string_view bytes) {
    using namespace std::string_view_literals;
    if (bytes.starts_with("BM"sv)) return "bmp";
    if (bytes.starts_with("\0\0\1\0"sv)) return "ico";
    if (bytes.starts_with("\0\0\2\0"sv)) return "cur";
    if (bytes.starts_with("\xD7\xCD\xC6\x9A"sv)) return "wmf";
    if (bytes.size() >= 44 && bytes.starts_with("\1\0\0\0"sv) && bytes.substr(40, 4) == " EMF") return "emf";
    // A metafile without its placeable header: 9 words of header, then the version.
    if (bytes.size() >= 18 && (bytes[0] == 1 || bytes[0] == 2) && bytes.substr(1, 3) == "\0\x09\0"sv) return "wmf";
    return {};
}

// A picture file's name: a stem of letters, digits, '_' and '-', one '.' and its extension.
bool PlainFileName(std::string_view name) {
    const std::size_t dot = name.find('.');
    if (dot == 0 || dot == std::string_view::npos || name.find('.', dot + 1) != std::string_view::npos) return false;
    for (const char c : name)
        if (!(c == '.' || c == '-' || IsWordByte(c))) return false;
    return true;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// A line of the form's code as it must stand in a comment: without blanks
// (the comment may part "*/" and "/*" by one), control bytes as '?'.
std::string CommentShape(std::string_view line) {
    std::string shape;
    for (const char c : line) {
        if (c == ' ' || c == '\t') continue;
        shape += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
    return shape;
}

bool IsTrigraphEnd(char c) { return std::string_view("=/'()!<>-").find(c) != std::string_view::npos; }

}  // namespace

std::string CheckPictures(std::string_view rc, const std::vector<PictureFile>& pictures) {
    std::map<std::string, std::string_view> byName;  // a file's name in lower case -> its extension
    for (const PictureFile& picture : pictures) {
        const std::string shown = "the picture file '" + Shown(picture.name) + "'";
        if (!PlainFileName(picture.name)) return shown + " has a name that is not plain ASCII with one extension";
        const std::string_view extension = std::string_view(picture.name).substr(picture.name.find('.') + 1);
        const std::string_view wanted = ExtensionFor(picture.bytes);
        if (wanted.empty()) return shown + " holds bytes of no picture type";
        if (extension != wanted) return shown + " holds a ." + std::string(wanted) + " file";
        if (!byName.emplace(Lower(picture.name), extension).second) return shown + " is named twice (without case)";
    }
    const auto split = CrLfLines(rc);
    if (const std::string* why = std::get_if<std::string>(&split)) return *why;
    const std::vector<std::string_view>& lines = std::get<0>(split);
    std::size_t depth = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::size_t first = line.find_first_not_of(" \t");
        const std::string_view trimmed = first == std::string_view::npos ? std::string_view() : line.substr(first);
        if (trimmed == "{") ++depth;
        if (trimmed == "}" && depth > 0) --depth;
        if (depth != 0 || first != 0) continue;
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos) continue;
        const std::string_view rest = line.substr(space + 1);
        std::string_view extension;
        std::size_t skip = 0;
        for (const auto& [type, file] : {std::pair{"ICON \"", "ico"}, {"BITMAP \"", "bmp"}, {"CURSOR \"", "cur"}})
            if (rest.starts_with(type)) {
                extension = file;
                skip = std::string_view(type).size();
            }
        if (extension.empty()) continue;
        const std::size_t close = rest.find('"', skip);
        if (close == std::string_view::npos) return AtLine(i, line, "a picture's file name never closed");
        const std::string name(rest.substr(skip, close - skip));
        const auto found = byName.find(Lower(name));
        if (found == byName.end()) return AtLine(i, line, "a resource of a picture file that the conversion did not write");
        if (found->second != extension) return AtLine(i, line, "a resource of another type than its file");
    }
    return {};
}

std::string CheckProgramText(std::string_view program, std::string_view code, const std::vector<CodeHandler>& handlers) {
    const auto split = CrLfLines(program);
    if (const std::string* why = std::get_if<std::string>(&split)) return "the program: " + *why;
    const std::vector<std::string_view>& lines = std::get<0>(split);
    const auto fault = [&](std::size_t i, const std::string& why) { return "the program: " + AtLine(i, lines[i], why); };

    std::set<std::string> comments;  // every piece of a line inside a comment, in its comment shape
    std::string outside;             // the text outside comments and strings
    bool inComment = false;
    std::size_t depth = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        std::string piece;
        for (std::size_t j = 0; j < line.size();) {
            const char c = line[j];
            if (inComment) {
                if (line.substr(j, 2) == "*/") {
                    inComment = false;
                    comments.insert(CommentShape(piece));
                    piece.clear();
                    j += 2;
                    continue;
                }
                if (line.substr(j, 2) == "/*") return fault(i, "\"/*\" inside a comment");
                piece += c;
                ++j;
                continue;
            }
            if (line.substr(j, 2) == "//") {
                comments.insert(CommentShape(line.substr(j + 2)));
                break;
            }
            if (line.substr(j, 2) == "/*") {
                inComment = true;
                j += 2;
                continue;
            }
            if (line.substr(j, 2) == "??" && j + 2 < line.size() && IsTrigraphEnd(line[j + 2]))
                return fault(i, "a trigraph outside comments");
            const unsigned char byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && c != '\t') || byte >= 0x7F) return fault(i, "a byte outside comments that is no printable ASCII");
            if (c == '"' || c == '\'') {
                std::size_t k = j + 1;
                while (k < line.size() && line[k] != c) k += line[k] == '\\' ? 2 : 1;
                if (k >= line.size()) return fault(i, "a string or character never closed on its line");
                outside += c;  // the string's place, without its text
                outside += c;
                j = k + 1;
                continue;
            }
            if (c == '{') ++depth;
            if (c == '}') {
                if (depth == 0) return fault(i, "\"}\" that closes nothing");
                --depth;
            }
            outside += c;
            ++j;
        }
        if (inComment) {
            comments.insert(CommentShape(piece));
            piece.clear();
        }
        // A backslash at the end joins the next line to this one: harmless inside a
        // comment unless it makes "*" and the next line's "/" one "*/".
        if (line.ends_with("\\") || line.ends_with("?\?/")) {
            if (!inComment) return fault(i, "a backslash that joins the next line to it outside a comment");
            const std::string_view before = line.substr(0, line.size() - (line.ends_with("\\") ? 1 : 3));
            std::size_t next = i + 1;  // the line it joins to, past lines that are a joining backslash alone
            while (next < lines.size() && (lines[next] == "\\" || lines[next] == "?\?/")) ++next;
            if (before.ends_with("*") && next < lines.size() && lines[next].starts_with("/"))
                return fault(i, "a backslash that joins \"*\" to the next line's \"/\", which ends the comment");
        }
        outside += '\n';
    }
    if (inComment) return "the program: a comment never closed";
    if (depth != 0) return "the program: " + std::to_string(depth) + " \"{\" never closed";

    // Every line of the form's code is kept whole in a comment.
    for (std::size_t p = 0, line = 1; p < code.size(); ++line) {
        std::size_t end = code.find('\n', p);
        if (end == std::string_view::npos) end = code.size();
        std::string_view text = code.substr(p, end - p);
        if (text.ends_with('\r')) text.remove_suffix(1);
        p = end + 1;
        const std::string shape = CommentShape(text);
        if (!shape.empty() && !comments.contains(shape))
            return "the program: the form's code line " + std::to_string(line) + " \"" + Shown(text) +
                   "\" is not kept whole in a comment";
    }

    std::map<std::string, std::string> byHeader;  // a handler's header in its comment shape -> its name in lower case
    std::set<std::string> expected;
    for (const CodeHandler& handler : handlers) {
        byHeader.emplace(CommentShape(handler.header), Lower(CommentShape(handler.name)));
        expected.insert(Lower(CommentShape(handler.name)));
    }
    std::set<std::string> functions, handled, listed;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line == "/* Handlers of the form's code that no Windows message of this program stands for:") {
            for (++i; i < lines.size() && lines[i] != "*/"; ++i) {
                const std::size_t at = lines[i].rfind(" (line ");
                if (at == std::string_view::npos) return fault(i, "a handler listed without its line");
                if (!listed.insert(Lower(CommentShape(lines[i].substr(0, at)))).second) return fault(i, "a handler listed twice");
            }
            continue;
        }
        // A function: its name and "(" at the start of a line, its body's "{" on the next.
        if (lines[i + 1] != "{" || line.empty() || line[0] == ' ' || line[0] == '#' || line[0] == '/') continue;
        const std::size_t open = line.find('(');
        if (open == std::string_view::npos) continue;
        std::size_t start = open;
        while (start > 0 && IsWordByte(line[start - 1])) --start;
        const std::string name(line.substr(start, open - start));
        if (!functions.insert(name).second) return fault(i, "a function defined twice");
        if (!line.starts_with("static void ") || i + 3 >= lines.size() || lines[i + 2] != "#ifdef TARVEL_TRACE")
            continue;
        // A handler: it tells the trace its name, then holds its code in a comment.
        if (!lines[i + 3].starts_with("    tarvelTrace(\"" + name + "\", ")) return fault(i + 3, "a trace of another name");
        std::size_t k = i + 4;
        while (k < lines.size() && lines[k] != "    /*" && lines[k] != "}") ++k;
        if (k + 1 >= lines.size() || lines[k] != "    /*") return fault(i, "a handler without its code in a comment");
        const auto found = byHeader.find(CommentShape(lines[k + 1]));
        if (found == byHeader.end()) return fault(k + 1, "a handler of no procedure of the form's code");
        if (!handled.insert(found->second).second) return fault(i, "a second function for one handler");
        // Called where its event comes: "name(" once more outside comments, as a whole word.
        std::size_t calls = 0;
        for (std::size_t at = outside.find(name + "("); at != std::string::npos; at = outside.find(name + "(", at + 1))
            if (at == 0 || !IsWordByte(outside[at - 1])) ++calls;
        if (calls < 2) return fault(i, "a handler that nothing calls");
    }
    for (const std::string& name : handled)
        if (listed.contains(name)) return "the program: " + Shown(name) + " is both a function and listed as having none";
    std::set<std::string> both = handled;
    both.insert(listed.begin(), listed.end());
    if (both != expected) {
        for (const std::string& name : expected)
            if (!both.contains(name)) return "the program: the handler " + Shown(name) + " is neither a function nor listed";
        for (const std::string& name : both)
            if (!expected.contains(name)) return "the program: " + Shown(name) + " is listed, but is no handler of the form";
    }
    return {};
}

namespace {

// Captions, pictures and lists "kept in a .frx file" come from the form's own bytes, whatever file it names.
class FormBytesAsFrx : public FrxSource {
public:
    explicit FormBytesAsFrx(std::string_view bytes) : bytes_(bytes) {}
    Result<std::string> Caption(const FrxReference& reference) override {
        return CaptionAt(bytes_, reference.offset, reference.fileName);
    }
    Result<FrxData*> Data(const std::string& fileName) override {
        return &files_.try_emplace(fileName, fileName, bytes_).first->second;
    }

private:
    std::string_view bytes_;
    std::map<std::string, FrxBytes> files_;
};

// The form's code as a program holds it, and its handlers, each name once, as the program routes them.
struct CodeAndHandlers {
    std::string code;
    std::vector<CodeHandler> handlers;
};

CodeAndHandlers CodeOf(std::string_view formBytes) {
    FormBytesAsFrx frx(formBytes);
    FormReader reader = FormReader::FromBytes(formBytes, "Form1.frm");
    const Result<Form> parsed = ParseForm(reader, frx, FormReading{.controls = true, .code = true});
    if (!parsed) return {};
    const Form& form = parsed.value();
    const std::vector<NamedControl> named = NamedControlsOf(form);
    const ControlNames controls(named);
    const FormCode code = ScanFormCode(form.code, form.codeLine, "Form1.frm");
    CodeAndHandlers found{std::string(form.code), {}};
    std::set<std::string> seen;
    for (const Procedure& procedure : code.procedures) {
        if (!ParseEventHandler(procedure, controls) || !seen.insert(Lower(procedure.header.name)).second) continue;
        const std::string_view text = procedure.text;
        std::string_view header = text.substr(0, text.find('\n'));
        if (header.ends_with('\r')) header.remove_suffix(1);
        found.handlers.push_back({procedure.header.name, std::string(header)});
    }
    return found;
}

// The pictures and the program of a conversion that asked for them, by their rules.
std::string CheckPicturesAndProgram(std::string_view form, const std::string& rc, const ConversionReport& report,
                                    std::vector<std::string>& pictureBytes, const std::string* programText) {
    if (report.picturesWritten.size() != pictureBytes.size())
        return std::to_string(report.picturesWritten.size()) + " pictures named, " + std::to_string(pictureBytes.size()) +
               " handed back";
    std::vector<PictureFile> pictures;
    for (std::size_t i = 0; i < pictureBytes.size(); ++i)
        pictures.push_back({report.picturesWritten[i].generic_string(), std::move(pictureBytes[i])});
    if (std::string why = CheckPictures(rc, pictures); !why.empty()) return why;
    if (programText && !programText->empty()) {
        const CodeAndHandlers code = CodeOf(form);
        if (std::string why = CheckProgramText(*programText, code.code, code.handlers); !why.empty()) return why;
    }
    return {};
}

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

std::string KindName(ErrorKind kind) { return std::string(ErrorKindName(kind)); }

// The reasons a form of any bytes may be refused for: no menu, numbers past
// the end of their range, or a string that claims more bytes than a line holds.
bool FormsReason(ErrorKind kind) {
    return kind == ErrorKind::NoMenu || kind == ErrorKind::ItemNumberOutOfRange ||
           kind == ErrorKind::ControlNumberOutOfRange || kind == ErrorKind::FrxEntryTooLong;
}

// The whole form, with every option for Win32 programs: it converts or is refused for a reason a form can give.
std::string CheckWholeForm(std::string_view form) {
    FormBytesAsFrx frx(form);
    ConversionRequest request;
    request.form = "Form1.frm";
    request.formBytes = form;
    request.frx = &frx;
    request.rc.shortcuts = request.rc.contextMenus = request.rc.grayPopups = request.rc.dialog = true;
    request.rc.pictures = request.rc.program = true;
    request.rc.numberComments = true;
    request.rc.includeFile = "ids.h";
    request.rc.codePage = RcOptions::kAutoCodePage;
    std::string text, header, program;
    std::vector<std::string> pictureBytes;
    Destination destination;
    destination.text = &text;
    destination.header = "ids.h";
    destination.headerText = &header;
    destination.program = "Form1.c";
    destination.programHeader = "ids.h";
    destination.programText = &program;
    destination.pictureBytes = &pictureBytes;
    const Result<ConversionReport> converted = ConvertForm(request, destination);
    if (!converted) {
        if (FormsReason(converted.error().kind)) return {};
        return "with every option: refused with " + KindName(converted.error().kind);
    }
    if (!text.ends_with("}\r\n") && pictureBytes.empty())
        return "with every option: the text does not end with a closing brace";
    text += "\r\n";
    if (std::string why = CheckResourceScript(text); !why.empty()) return "with every option: " + why;
    if (std::string why = CheckHeaderText(header); !why.empty()) return "with every option: the header: " + why;
    if (std::string why = CheckPicturesAndProgram(form, text, converted.value(), pictureBytes, &program); !why.empty())
        return "with every option: " + why;
    return {};
}

// Every writer with options drawn from the input's last four bytes, so that
// the fuzzer steers them as it steers the form: each text by its rules, and
// the header and the MASM file giving the same numbers.
std::string CheckDrawnOptions(std::string_view form, std::string_view bytes) {
    std::uint32_t bits = 0;
    for (std::size_t k = bytes.size() < 4 ? 0 : bytes.size() - 4; k < bytes.size(); ++k)
        bits = bits << 8 | static_cast<unsigned char>(bytes[k]);
    FormBytesAsFrx frx(form);
    ConversionRequest request;
    request.form = "Form1.frm";
    request.formBytes = form;
    request.frx = &frx;
    RcOptions& rc = request.rc;
    rc.dialog = bits & 1;
    rc.shortcuts = bits & 2;
    rc.contextMenus = bits & 4;
    rc.grayPopups = bits & 8;
    rc.tidy = bits & 16;
    rc.useDefines = !(bits & 32);
    const bool header = rc.useDefines && (bits & 64);
    const bool masm = rc.useDefines && (bits & 128);
    if (rc.useDefines) rc.definePrefix = std::array<const char*, 4>{"", "IDM_", "WS_", "id"}[bits >> 8 & 3];
    rc.menuName = std::array<const char*, 4>{"Glowne", "MainMenu", "Menu2", "Glowne"}[bits >> 10 & 3];
    rc.codePage = std::array<int, 4>{0, RcOptions::kAutoCodePage, 1250, 65001}[bits >> 12 & 3];
    rc.firstId = std::array<std::int32_t, 4>{100, 0, 65500, 1}[bits >> 14 & 3];
    rc.pictures = bits >> 16 & 1;
    // A program takes its ids from the header.
    rc.program = header && (bits >> 17 & 1);
    rc.dialog = rc.dialog || rc.program;
    rc.numberComments = rc.dialog || header || masm;
    if (header) rc.includeFile = "ids.h";
    const std::string drawn = "with options " + std::to_string(bits & 0x3FFFF) + ": ";

    std::string text, headerText, masmText, programText;
    std::vector<std::string> pictureBytes;
    Destination destination;
    destination.text = &text;
    if (rc.pictures) destination.pictureBytes = &pictureBytes;
    if (rc.program) {
        destination.program = "Form1.c";
        destination.programHeader = "ids.h";
        destination.programText = &programText;
    }
    if (header) {
        destination.header = "ids.h";
        destination.headerText = &headerText;
    }
    if (masm) {
        destination.masm = "ids.inc";
        destination.masmText = &masmText;
    }
    const Result<ConversionReport> converted = ConvertForm(request, destination);
    if (!converted) {
        if (FormsReason(converted.error().kind)) return {};
        return drawn + "refused with " + KindName(converted.error().kind);
    }
    text += "\r\n";  // as a file has it
    if (std::string why = CheckResourceScript(text); !why.empty()) return drawn + "the RC text: " + why;
    if (header && text.find("\r\n#include \"ids.h\"\r\n") == std::string::npos && !text.starts_with("#include \"ids.h\"\r\n"))
        return drawn + "the RC text does not include its header";
    if (header && text.find("#define ") != std::string::npos) return drawn + "a #define in the RC text beside its header";
    NamedNumbers defines, equs;
    if (header)
        if (std::string why = CheckHeaderText(headerText, &defines); !why.empty()) return drawn + "the header: " + why;
    if (masm)
        if (std::string why = CheckMasmText(masmText, &equs); !why.empty()) return drawn + "the MASM file: " + why;
    if (header && masm && defines != equs) return drawn + "the header and the MASM file give different numbers";
    if (std::string why = CheckPicturesAndProgram(form, text, converted.value(), pictureBytes, &programText); !why.empty())
        return drawn + why;
    return {};
}

}  // namespace

std::string CheckConversion(std::string_view bytes) {
    // Bytes that begin no form are checked as the inside of one, so that the menus in them are read all the same.
    std::string wrapped;
    std::string_view form = bytes;
    if (const Run asGiven = Convert(bytes, true, 100); !asGiven.ok && asGiven.error == ErrorKind::NotAForm) {
        wrapped = "Begin VB.Form Form1\r\n" + std::string(bytes);
        form = wrapped;
    }
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
        if (named.error != ErrorKind::NoMenu && named.error != ErrorKind::ItemNumberOutOfRange &&
            named.error != ErrorKind::FrxEntryTooLong)
            return std::string("refused with ") + KindName(named.error);
        if (std::string why = CheckWholeForm(form); !why.empty()) return why;
        return CheckDrawnOptions(form, bytes);
    }
    std::size_t items = 0;
    if (std::string why = CheckRcText(named.text, true, kFirst, items); !why.empty()) return "with #define: " + why;
    if (std::string why = CheckRcText(numbered.text, false, kFirst, items); !why.empty())
        return "without #define: " + why;
    if (Shape(named.text) != Shape(numbered.text)) return "the menu differs with and without #define";

    if (std::string why = CheckWholeForm(form); !why.empty()) return why;
    if (std::string why = CheckDrawnOptions(form, bytes); !why.empty()) return why;
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
