#include "rc_writer.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ascii.h"
#include "shortcut_keys.h"

namespace tarvel {
namespace {

void AppendName(std::string& out, const NameEntry& entry) {
    if (!entry.name.empty()) out += entry.name;
    else AppendDecimal(out, entry.number);
}

// A comment may hold only what cannot end it early or join the next line to it.
void AppendCommentSafe(std::string& out, std::string_view word) {
    for (const char c : word) out += IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '.' ? c : '?';
}

// "  // exit" after a number that stands where the form's name could not go.
void AppendNumberComment(std::string& out, const NameEntry& entry, const RcOptions& options) {
    if (!options.numberComments || !options.useDefines || !entry.name.empty() || entry.formName.empty()) return;
    out += "  // ";
    AppendCommentSafe(out, entry.formName);
}

// Lines are gathered into pieces of this size before they are passed on: one
// call of the sink for each line of a large menu would cost more than the line.
constexpr std::size_t kPieceSize = 16 * 1024;

void WriteDefines(const NameTable& names, TextSink& out) {
    std::string lines;
    for (const NameEntry& entry : names.entries()) {
        if (!NameTable::IsDefined(entry)) continue;
        lines.append("#define ").append(entry.name).append(" ");
        AppendDecimal(lines, entry.number);
        lines.append("\r\n");
        if (lines.size() >= kPieceSize) {
            out.Write(lines);
            lines.clear();
        }
    }
    if (!lines.empty()) out.Write(lines);
}

// Writes the items from `begin` up to `end` (whole subtrees) as the inside of
// a MENU block. `leaveHidden`: the hidden top-level items stay out (Glowne
// with context menus).
void WriteItems(const Form& form, const NameTable& names, const RcOptions& options, std::size_t begin, std::size_t end,
                bool leaveHidden, TextSink& out) {
    std::string lines;
    // The items whose closing brace is still to come, as positions just past their last descendant.
    std::vector<std::uint32_t> open;
    // The window's layout indents an item by the sub-menus around it, and
    // sets a POPUP and its braces at the margin after an empty lines; tidy, every
    // lines is indented by its depth inside the MENU block.
    const std::size_t base = options.tidy ? 1 : 0;
    const auto close = [&] {
        lines.append(options.tidy ? 4 * open.size() : 0, ' ').append("}\r\n");
        open.pop_back();
    };
    for (std::size_t i = begin; i < end; ++i) {
        if (lines.size() >= kPieceSize) {
            out.Write(lines);
            lines.clear();
        }
        while (!open.empty() && open.back() == i) close();
        const MenuItem& item = form.menu[i];
        if (leaveHidden && open.empty() && !item.visible) {
            i = item.end - 1;
            continue;
        }
        if (form.HasChildren(i)) {
            const std::string indent(options.tidy ? 4 * (open.size() + base) : 0, ' ');
            lines.append(options.tidy ? "" : "\r\n").append(indent).append("POPUP \"");
            AppendRcString(lines, item.caption);
            lines += "\"";
            // A POPUP cannot be checked in a Windows menu; it can be greyed.
            if (options.grayPopups && !item.enabled) lines += ", GRAYED";
            lines.append("\r\n").append(indent).append("{\r\n");
            open.push_back(item.end);
        } else if (item.caption == "-") {
            lines.append(4 * (open.size() + base), ' ').append("MENUITEM SEPARATOR\r\n");
        } else if (const NameEntry* entry = names.Item(i)) {
            lines.append(4 * (open.size() + base), ' ').append("MENUITEM \"");
            AppendRcString(lines, item.caption);
            if (options.shortcuts) {
                if (const ShortcutKey* key = FindShortcutKey(item.shortcut)) {
                    AppendRcString(lines, "\t");
                    AppendRcString(lines, key->label);
                }
            }
            lines += "\", ";
            AppendName(lines, *entry);
            if (!item.enabled) lines += ", GRAYED";
            if (item.checked) lines += ", CHECKED";
            AppendNumberComment(lines, *entry, options);
            lines += "\r\n";
        }
    }
    while (!open.empty()) close();
    if (!lines.empty()) out.Write(lines);
}

// One entry for every numbered item whose shortcut is known, sending the item's number; nothing when there is none.
void WriteAccelerators(const Form& form, const NameTable& names, const RcOptions& options, TextSink& out) {
    std::string table;
    for (std::size_t i = 0; i < form.menu.size(); ++i) {
        const NameEntry* entry = names.Item(i);
        const ShortcutKey* key = entry ? FindShortcutKey(form.menu[i].shortcut) : nullptr;
        if (!key) continue;
        table += "    ";
        // A letter's virtual-key code is its capital, which RC writes as "O"; any
        // other key by its <windows.h> name where the text includes it, else by
        // its number with the name in a comment.
        const std::string_view keyName = VirtualKeyName(key->virtualKey);
        const bool named = options.dialog && !keyName.empty();
        if (key->virtualKey >= 'A' && key->virtualKey <= 'Z') table.append("\"").append(1, static_cast<char>(key->virtualKey)).append("\"");
        else if (named) table += keyName;
        else AppendDecimal(table, key->virtualKey);
        table += ", ";
        AppendName(table, *entry);
        table += ", VIRTKEY";
        if (key->modifiers & ShortcutKey::kCtrl) table += ", CONTROL";
        if (key->modifiers & ShortcutKey::kShift) table += ", SHIFT";
        if (key->modifiers & ShortcutKey::kAlt) table += ", ALT";
        if (!named && !keyName.empty()) table.append("  // ").append(keyName);
        AppendNumberComment(table, *entry, options);
        table += "\r\n";
    }
    if (table.empty()) return;
    out.Write("\r\n" + options.menuName + " ACCELERATORS\r\n{\r\n");
    out.Write(table);
    out.Write("}\r\n");
}

void WriteMenus(const Form& form, const NameTable& names, const RcOptions& options, TextSink& out) {
    if (names.HasMainMenu()) {
        out.Write(options.menuName + " MENU\r\n{\r\n");
        WriteItems(form, names, options, 0, form.menu.size(), options.contextMenus, out);
        out.Write("}\r\n");
    }

    std::string line;
    for (const std::uint32_t context : names.contextMenus()) {
        const NameEntry& entry = names.entries()[context];
        line = context == names.contextMenus().front() && !names.HasMainMenu() ? "" : "\r\n";
        AppendName(line, entry);
        line += " MENU";
        AppendNumberComment(line, entry, options);
        out.Write(line.append("\r\n{\r\n"));
        // The menu itself as the one POPUP: the program tracks GetSubMenu(menu, 0).
        WriteItems(form, names, options, entry.node, form.menu[entry.node].end, false, out);
        out.Write("}\r\n");
    }
    if (options.shortcuts) WriteAccelerators(form, names, options, out);
}

void AppendStyles(std::string& out, const std::vector<std::string_view>& styles) {
    for (std::size_t i = 0; i < styles.size(); ++i) out.append(i ? " | " : "").append(styles[i]);
    if (styles.empty()) out += "0";
}

// "x, y, width, height"
void AppendRect(std::string& out, const DialogRect& rect) {
    AppendDecimal(out, rect.x);
    for (const std::int32_t value : {rect.y, rect.width, rect.height}) {
        out += ", ";
        AppendDecimal(out, value);
    }
}

// A text in a comment: a line end or a backslash would end it early or join the next line to it.
void AppendCommentText(std::string& out, std::string_view text) {
    for (const char c : text) out += static_cast<unsigned char>(c) < 0x20 || c == '\\' ? '?' : c;
}

void WriteDialog(const Form& form, const DialogLayout& dialog, const NameTable& names, const RcOptions& options,
                 bool withMenu, TextSink& out) {
    std::string text;
    AppendName(text, *names.Dialog());
    text += " DIALOGEX ";
    AppendRect(text, dialog.rect);
    AppendNumberComment(text, *names.Dialog(), options);
    text += "\r\nSTYLE ";
    AppendStyles(text, dialog.styles);
    if (!dialog.exStyles.empty()) {
        text += "\r\nEXSTYLE ";
        AppendStyles(text, dialog.exStyles);
    }
    if (dialog.caption) {
        text += "\r\nCAPTION \"";
        AppendRcString(text, *dialog.caption);
        text += "\"";
    }
    if (withMenu) text += "\r\nMENU " + options.menuName;
    text += "\r\nFONT ";
    AppendDecimal(text, dialog.font.points);
    text += ", \"";
    if (dialog.font.name.empty()) {
        text += "MS Sans Serif\"";
    } else {
        AppendRcString(text, dialog.font.name);
        text += "\", ";
        AppendDecimal(text, dialog.font.weight);
        text += dialog.font.italic ? ", 1, " : ", 0, ";
        AppendDecimal(text, dialog.font.charset);
    }
    text += "\r\n{\r\n";
    out.Write(text);

    ControlLine line;
    for (std::size_t k = 0; k < dialog.controls.size(); ++k) {
        const DialogControlRef& ref = dialog.controls[k];
        const FormObject& object = form.objects[ref.object];
        if (ref.placeholder) {
            text.assign("    // ");
            AppendCommentSafe(text, object.type);
            text += " ";
            AppendCommentSafe(text, object.name);
            out.Write(text.append(": no Windows control, an etched frame in its place\r\n"));
        }
        if (const std::vector<std::string_view> captions = TabCaptions(form, ref.object); !captions.empty()) {
            // A program that switches the pages puts these on the tabs.
            text.assign("    // ");
            AppendCommentSafe(text, object.name);
            text += " tabs:";
            for (std::size_t tab = 0; tab < captions.size(); ++tab) {
                text += tab ? ", \"" : " \"";
                AppendCommentText(text, captions[tab]);
                text += "\"";
            }
            out.Write(text.append("\r\n"));
        }
        text.assign("    ");
        DescribeControl(form, dialog, ref, line);
        text.append(line.statement).append(" ");
        if (const NameEntry* image = line.image != DialogLayout::kNoImage ? names.Picture(line.image) : nullptr) {
            // The resource the static shows, by the name or number it has.
            AppendName(text, *image);
            text += ", ";
        } else if (line.text) {
            text += "\"";
            AppendRcString(text, *line.text);
            text += "\", ";
        }
        AppendName(text, *names.Control(k));
        if (line.statement == "CONTROL") {
            text.append(", \"").append(line.windowClass).append("\", ");
            AppendStyles(text, line.styles);
            text += ", ";
            AppendRect(text, line.rect);
        } else {
            text += ", ";
            AppendRect(text, line.rect);
            text += ", ";
            AppendStyles(text, line.styles);
        }
        AppendNumberComment(text, *names.Control(k), options);
        out.Write(text.append("\r\n"));
    }
    out.Write("}\r\n");
}

// "frmMain_Icon ICON "Form1.ico"" (or CURSOR, BITMAP) for each picture a resource holds, and a
// comment for each metafile written beside them.
void WritePictures(const Form& form, const NameTable& names, const std::vector<FormPicture>& pictures,
                   const RcOptions& options, TextSink& out) {
    std::string line;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const FormPicture& picture = pictures[i];
        if (const NameEntry* entry = names.Picture(i)) {
            line.clear();
            AppendName(line, *entry);
            line.append(" ").append(ResourceTypeName(picture.file.type)).append(" \"");
            AppendRcString(line, picture.fileName);
            line += "\"";
            AppendNumberComment(line, *entry, options);
        } else {
            line.assign("// ");
            AppendCommentSafe(line, form.objects[picture.object].name);
            line.append(": ").append(picture.fileName).append(" is a metafile, which no resource of a dialog shows");
        }
        out.Write(line.append("\r\n"));
    }
}

// A "?" that follows a "?" and comes before one of = / ( ) ' < > ! -: with it, a
// preprocessor that reads trigraphs ("??/" a backslash, "??=" a #) would make
// another character of the three.
bool EndsTrigraph(std::string_view text, std::size_t i) {
    static constexpr std::string_view kThirds = "=/()'<>!-";
    return i > 0 && i + 1 < text.size() && text[i] == '?' && text[i - 1] == '?' &&
           kThirds.find(text[i + 1]) != std::string_view::npos;
}

}  // namespace

void AppendRcString(std::string& out, std::string_view text) {
    // The bytes that need no escape go in as runs, found eight bytes at a time.
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighBits = 0x8080808080808080u;
    const auto hasZeroByte = [](std::uint64_t word) { return (word - kOnes) & ~word & kHighBits; };
    std::size_t run = 0, i = 0;
    while (i < text.size()) {
        if (text.size() - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            const std::uint64_t escaped = ((word - kOnes * 0x20) & ~word & kHighBits) |
                                          hasZeroByte(word ^ (kOnes * '"')) | hasZeroByte(word ^ (kOnes * '\\')) |
                                          hasZeroByte(word ^ (kOnes * '?'));
            if (!escaped) {
                i += 8;
                continue;
            }
            // The lowest byte marked is the first to escape (a mark above it may be a borrow's).
            i += static_cast<std::size_t>(std::countr_zero(escaped)) / 8;
        } else {
            const char c = text[i];
            if (static_cast<unsigned char>(c) >= 0x20 && c != '"' && c != '\\' && c != '?') {
                ++i;
                continue;
            }
        }
        // A "?" is written as it is but where it would end a trigraph.
        if (text[i] == '?' && !EndsTrigraph(text, i)) {
            ++i;
            continue;
        }
        const char c = text[i];
        const unsigned char byte = static_cast<unsigned char>(c);
        out.append(text.data() + run, i - run);
        run = ++i;
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\\') {
            // Without the second backslash, "C:\new" would compile to a line feed.
            out += "\\\\";
        } else if (c == '\r') {
            // A raw CR or LF would end the RC line inside the string.
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            // A control byte, or the "?" of a trigraph, which every resource compiler reads back from \077.
            const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)), static_cast<char>('0' + ((byte >> 3) & 7)),
                                  static_cast<char>('0' + (byte & 7))};
            out.append(octal, sizeof octal);
        }
    }
    out.append(text.data() + run, text.size() - run);
}

std::size_t RcWrittenLength(std::string_view text, std::size_t i) {
    const char c = text[i];
    if (c == '?') return EndsTrigraph(text, i) ? 4 : 1;
    if (static_cast<unsigned char>(c) >= 0x20) return c == '"' || c == '\\' ? 2 : 1;
    return c == '\r' || c == '\n' || c == '\t' ? 2 : 4;
}

std::size_t RcStringLength(std::string_view text) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size(); ++i) length += RcWrittenLength(text, i);
    return length;
}

void WriteResourceScript(const Form& form, const NameTable& names, const DialogLayout* dialog, const RcOptions& options,
                         TextSink& out, const std::vector<FormPicture>* pictures) {
    std::string line;
    if (options.codePage > 0) {
        line = "#pragma code_page(";
        AppendDecimal(line, options.codePage);
        out.Write(line.append(")\r\n"));
    }
    // The dialog's style names are defined there.
    if (options.dialog) out.Write(options.tidy ? "#include <windows.h>\r\n" : "#include <windows.h>\r\n\r\n");
    if (!options.includeFile.empty()) {
        line.assign("#include \"").append(options.includeFile).append("\"\r\n");
        out.Write(line);
    } else {
        WriteDefines(names, out);
    }
    if (!options.tidy) {
        out.Write("\r\n\r\n");
    } else {
        // One empty line after whatever comes before the resources, none at the start.
        const bool defines = std::any_of(names.entries().begin(), names.entries().end(),
                                         [](const NameEntry& entry) { return NameTable::IsDefined(entry); });
        if (options.codePage > 0 || options.dialog || !options.includeFile.empty() || defines) out.Write("\r\n");
    }
    const bool menus = names.HasMainMenu() || !names.contextMenus().empty();
    if (pictures && !pictures->empty()) {
        WritePictures(form, names, *pictures, options, out);
        if (menus || dialog) out.Write("\r\n");
    }
    if (menus) WriteMenus(form, names, options, out);
    if (menus && dialog) out.Write("\r\n");
    if (dialog) WriteDialog(form, *dialog, names, options, names.HasMainMenu(), out);
}

}  // namespace tarvel
