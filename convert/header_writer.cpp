#include "header_writer.h"

#include "ascii.h"

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

// An item or control the form names whose name the rule of the name table refused (exit, IDOK, one taken twice).
bool IsNumberOnly(const NameEntry& entry) {
    return entry.name.empty() && !entry.formName.empty() && entry.kind != NameKind::ContextMenu &&
           entry.kind != NameKind::Dialog;
}

// "Menu item numbers of Form1.frm, as its resource script gives them."
std::string Holds(const NameTable& names, std::string_view formName) {
    bool items = false, controls = false, pictures = false;
    for (const NameEntry& entry : names.entries()) {
        if (!NameTable::IsDefined(entry)) continue;
        if (entry.kind == NameKind::Control) controls = true;
        else if (entry.kind == NameKind::Picture) pictures = true;
        else items = true;
    }
    const std::string form = CommentText(formName);
    if (!items && !controls && !pictures)
        return "No menu item or dialog control of " + form + " has a name its resource script defines.";
    std::vector<std::string> what;
    if (items) what.push_back("menu item");
    if (controls) what.push_back("dialog control");
    if (pictures) what.push_back("picture");
    std::string held;
    for (std::size_t i = 0; i < what.size(); ++i)
        held.append(i == 0 ? "" : i + 1 == what.size() ? " and " : ", ").append(what[i]);
    held[0] = UpperAscii(held[0]);
    return held + " numbers of " + form + ", as its resource script gives them.";
}

// A resource's name as a program passes it: L"frmMain", or MAKEINTRESOURCEW(1) for a number.
std::string ResourceArgument(const NameEntry& entry) {
    if (!entry.name.empty()) return "L\"" + std::string(entry.name) + "\"";
    return "MAKEINTRESOURCEW(" + std::to_string(entry.number) + ")";
}

// "/* The resources of its resource script, and how a program loads each: ... */"
std::string Resources(const NameTable& names, std::string_view menuName, bool accelerators,
                      const std::vector<FormPicture>* pictures) {
    std::string list;
    const auto add = [&](const std::string& resource, const std::string& load) {
        list.append("     ").append(resource);
        list.append(resource.size() < 28 ? 28 - resource.size() : 1, ' ').append(load).append("\r\n");
    };
    const std::string menu(menuName);
    if (names.HasMainMenu()) add(menu + " MENU", "LoadMenuW(instance, L\"" + menu + "\")");
    for (const std::uint32_t context : names.contextMenus()) {
        const NameEntry& entry = names.entries()[context];
        const std::string name = entry.name.empty() ? std::to_string(entry.number) : std::string(entry.name);
        add(name + " MENU", "GetSubMenu(LoadMenuW(instance, " + ResourceArgument(entry) + "), 0) for TrackPopupMenu");
    }
    if (accelerators) add(menu + " ACCELERATORS", "LoadAcceleratorsW(instance, L\"" + menu + "\")");
    if (const NameEntry* dialog = names.Dialog()) {
        const std::string name = dialog->name.empty() ? std::to_string(dialog->number) : std::string(dialog->name);
        add(name + " DIALOGEX", "CreateDialogParamW(instance, " + ResourceArgument(*dialog) + ", parent, procedure, 0)");
    }
    for (std::size_t i = 0; pictures && i < pictures->size(); ++i) {
        const NameEntry* entry = names.Picture(i);
        if (!entry) continue;
        const std::string id = entry->name.empty() ? std::to_string(entry->number) : std::string(entry->name);
        const ResourceImageType type = (*pictures)[i].file.type;
        const char* how = type == ResourceImageType::Icon     ? "IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)"
                          : type == ResourceImageType::Cursor ? "IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)"
                                                              : "IMAGE_BITMAP, 0, 0, 0)";
        add(id + " " + std::string(ResourceTypeName(type)), "LoadImageW(instance, MAKEINTRESOURCEW(" + id + "), " + how);
    }
    if (list.empty()) return {};
    return "/* The resources of its resource script, and how a program loads each:\r\n" + list + "*/\r\n";
}

}  // namespace

std::string IncludeGuard(std::string_view fileName) {
    std::string guard;
    for (const char c : fileName) guard += IsAsciiLetter(c) || IsAsciiDigit(c) ? UpperAscii(c) : '_';
    // An identifier begins with a letter; names with a leading underscore belong to the compiler.
    if (guard.empty() || !IsAsciiLetter(guard[0])) guard.insert(0, "TARVEL_");
    return guard;
}

void WriteCHeader(const NameTable& names, std::string_view headerName, std::string_view formName,
                  std::string_view menuName, bool accelerators, TextSink& out, const std::vector<FormPicture>* pictures) {
    const std::string guard = IncludeGuard(headerName);
    std::string text = "/* " + Holds(names, formName) + " */\r\n";
    text += Resources(names, menuName, accelerators, pictures);
    text += "#ifndef " + guard + "\r\n#define " + guard + "\r\n\r\n";
    for (const NameEntry& entry : names.entries()) {
        // Passed on a piece at a time: a header of 60,000 names is never held whole.
        if (text.size() >= 64 * 1024) {
            out.Write(text);
            text.clear();
        }
        if (IsNumberOnly(entry)) {
            text.append("/* ").append(CommentText(entry.formName)).append(" is ");
            AppendDecimal(text, entry.number);
            text += ": its name cannot be a #define */\r\n";
        }
        if (!NameTable::IsDefined(entry)) continue;
        text.append("#define ").append(entry.name).append(" ");
        AppendDecimal(text, entry.number);
        text += "\r\n";
    }
    out.Write(text.append("\r\n#endif\r\n"));
}

void WriteMasmNumbers(const NameTable& names, std::string_view formName, TextSink& out) {
    out.Write("; " + Holds(names, formName) + "\r\n");
    std::string line;
    for (const NameEntry& entry : names.entries()) {
        if (IsNumberOnly(entry)) {
            line.assign("; ").append(CommentText(entry.formName)).append(" is ");
            AppendDecimal(line, entry.number);
            out.Write(line.append(": its name cannot be defined\r\n"));
        }
        if (!NameTable::IsDefined(entry)) continue;
        line.assign(entry.name).append(" equ ");
        AppendDecimal(line, entry.number);
        out.Write(line.append("\r\n"));
    }
}

}  // namespace tarvel
