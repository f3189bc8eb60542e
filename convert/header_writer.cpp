#include "header_writer.h"

#include <charconv>
#include <iterator>

namespace tarvel {
namespace {

// The form's name inside a one-line comment: a line end would end a MASM
// comment early, and "*/" a C one.
std::string CommentText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) out += '?';
        else if (c == '/' && !out.empty() && out.back() == '*') out += " /";
        else out += c;
    }
    return out;
}

}  // namespace

std::string IncludeGuard(std::string_view fileName) {
    std::string guard;
    for (const char c : fileName) {
        if (c >= 'a' && c <= 'z') guard += static_cast<char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) guard += c;
        else guard += '_';
    }
    // An identifier begins with a letter; names with a leading underscore belong to the compiler.
    if (guard.empty() || !(guard[0] >= 'A' && guard[0] <= 'Z')) guard.insert(0, "TARVEL_");
    return guard;
}

void WriteCHeader(const std::vector<NamedNumber>& names, std::string_view headerName, std::string_view formName,
                  TextSink& out) {
    const std::string guard = IncludeGuard(headerName);
    std::string text = "/* Menu item numbers of " + CommentText(formName) + ", as its resource script gives them. */\r\n";
    text += "#ifndef " + guard + "\r\n#define " + guard + "\r\n\r\n";
    char digits[16];
    for (const NamedNumber& named : names) {
        text.append("#define ").append(named.name).append(" ");
        text.append(digits, std::to_chars(digits, std::end(digits), named.number).ptr).append("\r\n");
    }
    out.Write(text.append("\r\n#endif\r\n"));
}

void WriteMasmNumbers(const std::vector<NamedNumber>& names, std::string_view formName, TextSink& out) {
    out.Write("; Menu item numbers of " + CommentText(formName) + ", as its resource script gives them.\r\n");
    std::string line;
    char digits[16];
    for (const NamedNumber& named : names) {
        line.assign(named.name).append(" equ ");
        line.append(digits, std::to_chars(digits, std::end(digits), named.number).ptr);
        out.Write(line.append("\r\n"));
    }
}

}  // namespace tarvel
