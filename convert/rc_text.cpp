#include "rc_text.h"

#include <algorithm>
#include <iterator>

#include "form_lines.h"

namespace tarvel {
namespace {

// Words of the RC language and of the text we write: a #define of one of
// them would turn the resource script's own statements into numbers.
constexpr std::string_view kReservedWords[] = {
    "accelerators", "alt", "ascii", "auto3state", "autocheckbox", "autoradiobutton", "begin", "bitmap",
    "block", "caption", "characteristics", "checkbox", "checked", "class", "combobox", "control", "ctext",
    "cursor", "defpushbutton", "dialog", "dialogex", "discardable", "edittext", "end", "exstyle",
    "fileversion", "font", "glowne", "grayed", "groupbox", "help", "html", "icon", "inactive", "language",
    "listbox", "ltext", "menu", "menubarbreak", "menubreak", "menuex", "menuitem", "messagetable",
    "noinvert", "not", "popup", "productversion", "pushbox", "pushbutton", "radiobutton", "rcdata",
    "rtext", "scrollbar", "separator", "shift", "state3", "stringtable", "style", "textinclude", "value",
    "version", "versioninfo", "virtkey", "loadoncall", "moveable", "impure", "preload",
};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void AppendRcString(std::string& out, std::string_view text) {
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\\') {
            // Without the second backslash, "C:\new" would compile to a line feed.
            out += "\\\\";
        } else if (byte < 0x20) {
            // A raw CR or LF would end the RC line inside the string.
            if (c == '\r') out += "\\r";
            else if (c == '\n') out += "\\n";
            else if (c == '\t') out += "\\t";
            else {
                const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)), static_cast<char>('0' + ((byte >> 3) & 7)),
                                      static_cast<char>('0' + (byte & 7))};
                out.append(octal, sizeof octal);
            }
        } else {
            out += c;
        }
    }
}

bool IsUsableRcName(std::string_view name) {
    if (name.empty() || IsAsciiDigit(name.front())) return false;
    for (const char c : name)
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_') return false;
    if (name.size() > 15) return true;  // longer than every reserved word
    std::string lower;
    for (const char c : name) lower += LowerAscii(c);
    return std::find(std::begin(kReservedWords), std::end(kReservedWords), lower) == std::end(kReservedWords);
}

}  // namespace tarvel
