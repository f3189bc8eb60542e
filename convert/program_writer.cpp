#include "program_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_map>

#include "ascii.h"

namespace tarvel {
namespace {

// Every name the program declares itself. A control of the form may have
// one of them as its #define in the header: the program then #undefs it
// and uses the control's number, so the program's own code still reads.
constexpr std::string_view kOwnNames[] = {
    "TARVEL_CODE_PAGE", "tarvelWide", "tarvelSetText", "tarvelAddItem", "tarvelAddTab", "tarvelFont", "tarvelTrace",
    "tarvelScroll", "tarvelShowPage", "tarvelColour", "tarvelPage", "tarvelPages", "tarvelColours", "tarvelFonts",
    "tarvelBrushes", "tarvelFormBrush", "tarvelLeftTab", "tarvelDialogProcedure", "tarvelControlColour",
    "dialog", "message", "wParam", "lParam", "instance", "previous", "commandLine", "show", "controls",
    "accelerators", "cancel", "index", "unloadMode", "previousTab", "text", "wide", "size", "at", "id", "combo",
    "withData", "data", "item", "name", "hundredths", "weight", "italic", "charset", "screen", "dpi", "font",
    "bar", "code", "smallChange", "largeChange", "colour", "info", "position", "tabs", "tab", "i", "notice", "dc", "fore", "back",
    "handler", "path", "file", "found", "count", "pages", "left", "window", "tarvelImage", "tarvelImages", "type",
    "width", "height", "tarvelPointer", "tarvelPointers", "pointer", "point", "placed", "control", "rect",
    "client", "source", "before", "bitmap", "tarvelTabPicture", "tarvelTabImages", "list", "image",
};

bool IsOwnName(std::string_view name) {
    return std::find(std::begin(kOwnNames), std::end(kOwnNames), name) != std::end(kOwnNames);
}

// A C string literal of the form's bytes: ASCII as itself, the rest as octal
// escapes (never \x, whose digits run on), and "?" escaped against trigraphs.
std::string CString(std::string_view bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"' || c == '?') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += '\\';
            out += static_cast<char>('0' + (byte >> 6));
            out += static_cast<char>('0' + ((byte >> 3) & 7));
            out += static_cast<char>('0' + (byte & 7));
        }
    }
    return out + "\"";
}

// A text as an edit control shows its lines: every line break (CR LF, or a
// lone CR or LF as a hand-made .frx may have) as CR LF, in one C string
// literal for each line, each on a line of its own after `indent`. A long
// line is split into literals of kLiteralPiece bytes, which every C compiler
// takes (Microsoft's refuses one literal of over 16,380 characters).
constexpr std::size_t kLiteralPiece = 512;

std::string TextLiterals(std::string_view text, std::string_view indent) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (lines.back().size() >= kLiteralPiece) lines.emplace_back();
        if (text[i] != '\r' && text[i] != '\n') {
            lines.back() += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.back() += "\r\n";
        lines.emplace_back();
    }
    if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    std::string out;
    for (std::size_t k = 0; k < lines.size(); ++k) out.append(k ? "\r\n" : "").append(indent).append(CString(lines[k]));
    return out;
}

// One line of the form's code inside a block comment: nothing in it may end
// the comment, open another (gcc warns), form a trigraph or hold a control byte,
// and a "*" before a backslash at its end, which joins the next line to it, is
// parted from it, lest a next line that begins with "/" end the comment.
std::string CommentLine(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t') {
            out += '?';
            continue;
        }
        out += c;
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        if ((c == '*' && next == '/') || (c == '/' && next == '*') || (c == '?' && next == '?')) out += ' ';
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    if (out.ends_with("*\\")) out.insert(out.size() - 1, " ");
    return out;
}

// The lines of `text`, each ended by CR LF, LF or nothing at the end.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

void AppendComment(std::string& out, std::string_view indent, std::string_view text) {
    out.append(indent).append("/*\r\n");
    for (const std::string_view line : Lines(text)) out.append(indent).append(CommentLine(line)).append("\r\n");
    out.append(indent).append("*/\r\n");
}

std::optional<long> WholeOf(const FormObject& object, Prop property) {
    const std::optional<std::string_view> value = object.Property(property);
    if (!value) return std::nullopt;
    long number = 0;
    const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), number);
    if (error != std::errc()) return std::nullopt;
    return number;
}

bool IsFalse(const FormObject& object, Prop property) {
    const std::optional<std::string_view> value = object.Property(property);
    return value && !value->empty() && value->front() == '0';
}

bool IsType(const FormObject& object, std::string_view type) {
    return EqualNoCase(object.type, type) || (object.type.find('.') == std::string_view::npos &&
                                              type.starts_with("VB.") && EqualNoCase(object.type, type.substr(3)));
}

// A colour as the form writes it: &H8000000F& (a system colour, its index
// in the low byte), &H00BBGGRR& or a decimal Long (Visual Basic 3).
std::optional<std::uint32_t> ColourOf(const FormObject& object, Prop property) {
    std::optional<std::string_view> value = object.Property(property);
    if (!value) return std::nullopt;
    std::string_view text = *value;
    if (!text.empty() && text.back() == '&') text.remove_suffix(1);
    if (text.size() > 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h')) {
        std::uint32_t colour = 0;
        const auto [end, error] = std::from_chars(text.data() + 2, text.data() + text.size(), colour, 16);
        if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
        return colour;
    }
    std::int64_t colour = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), colour);
    if (error != std::errc() || end != text.data() + text.size() || colour < INT32_MIN || colour > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(colour);
}

std::string Hex(std::uint32_t value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
    std::string out = "0x";
    out.append(digits, end);
    for (std::size_t i = 2; i < out.size(); ++i) out[i] = UpperAscii(out[i]);
    return out + "u";
}

// What a control is on screen, as far as its events and colours go.
enum class Shape { Other, Button, ComboBox, ListBox, Edit, RichEdit, ScrollBar, Slider, Tabs };

Shape ShapeOf(const ControlLine& line) {
    const std::string_view s = line.statement;
    if (s == "PUSHBUTTON" || s == "DEFPUSHBUTTON" || s == "AUTOCHECKBOX" || s == "AUTORADIOBUTTON") return Shape::Button;
    if (s == "COMBOBOX") return Shape::ComboBox;
    if (s == "LISTBOX") return Shape::ListBox;
    if (s == "SCROLLBAR") return Shape::ScrollBar;
    if (s != "CONTROL") return Shape::Other;
    if (EqualNoCase(line.windowClass, "EDIT")) return Shape::Edit;
    if (line.windowClass == "RichEdit20W") return Shape::RichEdit;
    if (line.windowClass == "SysTabControl32") return Shape::Tabs;
    if (line.windowClass == "msctls_trackbar32") return Shape::Slider;
    return Shape::Other;
}

// The notification of WM_COMMAND that stands for a Visual Basic event of
// such a control; nothing when Windows sends none for it.
std::optional<std::string_view> CommandCode(Shape shape, std::string_view event) {
    struct Row {
        Shape shape;
        std::string_view event, code;
    };
    static constexpr Row kRows[] = {
        {Shape::Button, "click", "BN_CLICKED"},
        {Shape::ComboBox, "click", "CBN_SELCHANGE"}, {Shape::ComboBox, "dblclick", "CBN_DBLCLK"},
        {Shape::ComboBox, "change", "CBN_EDITCHANGE"}, {Shape::ComboBox, "dropdown", "CBN_DROPDOWN"},
        {Shape::ComboBox, "gotfocus", "CBN_SETFOCUS"}, {Shape::ComboBox, "lostfocus", "CBN_KILLFOCUS"},
        {Shape::ListBox, "click", "LBN_SELCHANGE"}, {Shape::ListBox, "dblclick", "LBN_DBLCLK"},
        {Shape::ListBox, "gotfocus", "LBN_SETFOCUS"}, {Shape::ListBox, "lostfocus", "LBN_KILLFOCUS"},
        {Shape::Edit, "change", "EN_CHANGE"}, {Shape::Edit, "gotfocus", "EN_SETFOCUS"},
        {Shape::Edit, "lostfocus", "EN_KILLFOCUS"},
        {Shape::RichEdit, "change", "EN_CHANGE"}, {Shape::RichEdit, "gotfocus", "EN_SETFOCUS"},
        {Shape::RichEdit, "lostfocus", "EN_KILLFOCUS"},
    };
    for (const Row& row : kRows)
        if (row.shape == shape && EqualNoCase(row.event, event)) return row.code;
    return std::nullopt;
}

// Where Windows tells of a handler's event.
enum class Channel { Command, Timer, Scroll, TabChange, Load, QueryUnload, Unload };

struct Target {
    std::string id;         // the control's or menu item's id as the program writes it; a timer's number
    std::string code;       // the WM_COMMAND notification, or the scroll bar's condition; empty: any
    long index = -1;        // the member of a control array
    std::int64_t number = 0;  // the id's (or the timer's) number
};

struct Handler {
    const Procedure* procedure = nullptr;
    EventHandler event;
    Channel channel = Channel::Command;
    std::string function;
    bool previousTab = false;  // SSTab1_Click(PreviousTab As Integer)
    std::vector<Target> targets;
};

class ProgramWriter {
public:
    ProgramWriter(const Form& form, const NameTable& names, const DialogLayout& dialog, const RcOptions& options,
                  const ProgramInput& input)
        : form_(form), names_(names), dialog_(dialog), options_(options), input_(input) {
        controlOf_.assign(form.objects.size(), -1);
        lines_.resize(dialog.controls.size());
        for (std::size_t k = 0; k < dialog.controls.size(); ++k) {
            controlOf_[dialog.controls[k].object] = static_cast<int>(k);
            DescribeControl(form, dialog, dialog.controls[k], lines_[k]);
        }
        for (const NameEntry& entry : names.entries())
            if (NameTable::IsDefined(entry)) defined_.insert(entry.name);
        for (std::uint32_t i = 1; i < form.objects.size(); ++i)
            if (IsType(form.objects[i], "VB.Timer")) timers_.push_back(i);
        // Found by name, as Visual Basic finds them (without regard to ASCII case), once for all handlers.
        for (std::size_t i = 0; i < form.menu.size(); ++i) itemsByName_[LowerAscii(form.menu[i].name)].push_back(i);
        for (std::size_t t = 0; t < timers_.size(); ++t) timersByName_[LowerAscii(form.objects[timers_[t]].name)].push_back(t);
        for (std::size_t k = 0; k < dialog.controls.size(); ++k) controlsByName_[LowerAscii(ObjectOf(k).name)].push_back(k);
    }

    static const std::vector<std::size_t>& Named(const std::unordered_map<std::string, std::vector<std::size_t>>& byName,
                                                 std::string_view name) {
        static const std::vector<std::size_t> kNone;
        const auto found = byName.find(LowerAscii(name));
        return found == byName.end() ? kNone : found->second;
    }

    void Write(TextSink& out) {
        FindHandlers();
        std::string init = InitDialog();
        std::string procedure = DialogProcedure(init);
        std::string main = WinMain();
        std::string handlers = HandlerFunctions();

        std::string text = Opening();
        text += Helpers();
        text += handlers;
        text += procedure;
        text += main;
        text += Closing();
        out.Write(text);
    }

private:
    // The id of the k-th control of the dialog as the program writes it.
    std::string ControlId(std::size_t k) const {
        const NameEntry* entry = names_.Control(k);
        if (!entry->name.empty() && !IsOwnName(entry->name)) return std::string(entry->name);
        return std::to_string(entry->number);
    }

    std::string ItemId(const NameEntry& entry) const {
        if (!entry.name.empty() && !IsOwnName(entry.name)) return std::string(entry.name);
        return std::to_string(entry.number);
    }

    const FormObject& ObjectOf(std::size_t k) const { return form_.objects[dialog_.controls[k].object]; }

    // The handler's C name: the Visual Basic one where the #define rule lets
    // it be a C name, else one made from the first number it answers to.
    std::string FunctionName(const Handler& handler) {
        std::string name = handler.procedure->header.name;
        if (!IsUsableRcName(name) || defined_.contains(name) || IsOwnName(name) || taken_.contains(name)) {
            const std::string number = handler.targets.empty() ? "0" : std::to_string(handler.targets.front().number);
            const std::string kind = handler.channel == Channel::Timer ? "Timer" : "Id";
            name = kind + number + "_" + handler.event.event;
            while (defined_.contains(name) || taken_.contains(name) || !IsUsableRcName(name)) name += "_";
        }
        taken_.insert(name);
        return name;
    }

    void FindHandlers() {
        if (!input_.code) return;
        const std::vector<NamedControl> named = NamedControlsOf(form_);
        const ControlNames controls(named);
        std::set<std::string> seen;  // handlers by name: a second of one name (in another #If branch) stays in the code's comment
        for (const Procedure& procedure : input_.code->procedures) {
            const std::optional<EventHandler> event = ParseEventHandler(procedure, controls);
            if (!event || !seen.insert(LowerAscii(procedure.header.name)).second) continue;
            Handler handler;
            handler.procedure = &procedure;
            handler.event = *event;
            if (Connect(handler)) {
                handler.function = FunctionName(handler);
                handlers_.push_back(std::move(handler));
            } else {
                unconnected_.push_back(&procedure);
            }
        }
    }

    // Finds where Windows tells of the handler's event; false when it does not.
    bool Connect(Handler& handler) {
        const EventHandler& event = handler.event;
        if (event.ofForm) {
            if (EqualNoCase(event.event, "load")) handler.channel = Channel::Load;
            else if (EqualNoCase(event.event, "queryunload")) handler.channel = Channel::QueryUnload;
            else if (EqualNoCase(event.event, "unload")) handler.channel = Channel::Unload;
            else return false;
            // Visual Basic would refuse a second handler of one event; the first is the one called.
            for (const Handler& earlier : handlers_)
                if (earlier.channel == handler.channel) return false;
            return true;
        }
        // Menu items: Click, from the menu or an accelerator.
        for (const std::size_t i : Named(itemsByName_, event.object)) {
            const MenuItem& item = form_.menu[i];
            const NameEntry* entry = names_.Item(i);
            if (!entry || !EqualNoCase(event.event, "click")) continue;
            long index = -1;
            if (event.indexed) std::from_chars(item.index.data(), item.index.data() + item.index.size(), index);
            handler.targets.push_back({ItemId(*entry), "", index, entry->number});
        }
        // Timers: their own numbers, from 1 in the form's order.
        for (const std::size_t t : Named(timersByName_, event.object)) {
            if (!EqualNoCase(event.event, "timer")) continue;
            handler.channel = Channel::Timer;
            const long index = event.indexed ? WholeOf(form_.objects[timers_[t]], Prop::Index).value_or(0) : -1;
            handler.targets.push_back({std::to_string(t + 1), "", index, static_cast<std::int64_t>(t + 1)});
        }
        for (const std::size_t k : Named(controlsByName_, event.object)) {
            if (dialog_.controls[k].placeholder) continue;
            const long index = event.indexed ? WholeOf(ObjectOf(k), Prop::Index).value_or(0) : -1;
            const Shape shape = ShapeOf(lines_[k]);
            const std::int64_t number = names_.Control(k)->number;
            if (const std::optional<std::string_view> code = CommandCode(shape, event.event)) {
                handler.targets.push_back({ControlId(k), std::string(*code), index, number});
            } else if (shape == Shape::ScrollBar && EqualNoCase(event.event, "change")) {
                handler.channel = Channel::Scroll;
                handler.targets.push_back({ControlId(k), "code != SB_THUMBTRACK && code != SB_ENDSCROLL", index, number});
            } else if (shape == Shape::ScrollBar && EqualNoCase(event.event, "scroll")) {
                handler.channel = Channel::Scroll;
                handler.targets.push_back({ControlId(k), "code == SB_THUMBTRACK", index, number});
            } else if (shape == Shape::Slider && EqualNoCase(event.event, "change")) {
                // A slider moves itself; it tells of each step, and of the end of a drag after the steps of one.
                handler.channel = Channel::Scroll;
                handler.targets.push_back({ControlId(k), "code != TB_THUMBTRACK && code != TB_ENDTRACK", index, number});
            } else if (shape == Shape::Slider && EqualNoCase(event.event, "scroll")) {
                handler.channel = Channel::Scroll;
                handler.targets.push_back({ControlId(k), "code == TB_THUMBTRACK", index, number});
            } else if (shape == Shape::Tabs && EqualNoCase(event.event, "click")) {
                handler.channel = Channel::TabChange;
                const std::vector<Parameter> parameters = SplitParameters(handler.procedure->header.parameters);
                handler.previousTab = parameters.size() > (event.indexed ? 1u : 0u);
                handler.targets.push_back({ControlId(k), "", index, number});
            }
        }
        return !handler.targets.empty();
    }

    // The call of a handler for one target, with what it takes.
    std::string Call(const Handler& handler, const Target& target) const {
        std::string call = handler.function + "(";
        if (target.index >= 0) call += std::to_string(target.index);
        if (handler.previousTab) call += (target.index >= 0 ? ", " : "") + std::string("tarvelLeftTab");
        return call + ");";
    }

    std::string Opening() const {
        const std::string form = CommentLine(input_.formFileName);
        std::string text = "/* " + form + " as a Win32 program: its dialog, menu and start values, and a function for\r\n"
                           "   each event handler of its code that Windows tells of. Written by tarvel-rc; build it with\r\n"
                           "   the RC text and the header beside it:\r\n";
        const std::string rc = CommentLine(input_.rcFileName), c = CommentLine(input_.programFileName);
        std::string stem = c.substr(0, c.rfind('.'));
        if (stem.empty()) stem = "program";
        text += "     x86_64-w64-mingw32-windres " + rc + " -O coff -o " + stem + ".res.o\r\n";
        text += "     x86_64-w64-mingw32-gcc -std=c99 -municode -mwindows " + c + " " + stem + ".res.o -lcomctl32 -o " +
                stem + ".exe\r\n";
        text += "   With -DTARVEL_TRACE each handler first appends its name (and an array's index) to the file\r\n"
                "   that the environment variable TARVEL_TRACE names. */\r\n";
        text += "#ifndef UNICODE\r\n#define UNICODE\r\n#endif\r\n#ifndef _UNICODE\r\n#define _UNICODE\r\n#endif\r\n";
        text += "#include <windows.h>\r\n#include <commctrl.h>\r\n";
        if (std::any_of(lines_.begin(), lines_.end(), [](const ControlLine& line) { return line.windowClass == "RichEdit20W"; }))
            text += "#include <richedit.h>\r\n";
        text += "#ifdef TARVEL_TRACE\r\n#include <stdio.h>\r\n#include <stdlib.h>\r\n#endif\r\n";
        text += "#include \"" + input_.headerInclude + "\"\r\n";
        bool undefined = false;
        for (const std::string_view name : defined_) {
            if (!IsOwnName(name)) continue;
            if (!undefined) text += "\r\n/* Names this program gives its own code; it uses their numbers instead. */\r\n";
            undefined = true;
            text.append("#undef ").append(name).append("\r\n");
        }
        text += "\r\n";
        return text;
    }

    std::string Helpers() const {
        std::string text;
        if (usesWide_) {
            const std::string page = input_.codePage > 0 ? std::to_string(input_.codePage) : "CP_ACP";
            text += "/* The form's text is in its own code page; Windows' wide calls take UTF-16. */\r\n";
            text += "#define TARVEL_CODE_PAGE " + page + "\r\n\r\n";
            text += "static LPWSTR tarvelWide(const char *text)\r\n{\r\n"
                    "    int size = MultiByteToWideChar(TARVEL_CODE_PAGE, 0, text, -1, NULL, 0);\r\n"
                    "    LPWSTR wide;\r\n"
                    "    if (size <= 0) size = 1;\r\n"
                    "    wide = (LPWSTR)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)size * sizeof(WCHAR));\r\n"
                    "    if (wide != NULL && MultiByteToWideChar(TARVEL_CODE_PAGE, 0, text, -1, wide, size) <= 0) wide[0] = 0;\r\n"
                    "    return wide;\r\n}\r\n\r\n";
        }
        if (usesSetText_)
            text += "static void tarvelSetText(HWND window, const char *text)\r\n{\r\n"
                    "    LPWSTR wide = tarvelWide(text);\r\n"
                    "    if (wide == NULL) return;\r\n"
                    "    SetWindowTextW(window, wide);\r\n"
                    "    HeapFree(GetProcessHeap(), 0, wide);\r\n}\r\n\r\n";
        if (usesAddItem_)
            text += "/* Adds an item to a list box or combo box, with its ItemData. */\r\n"
                    "static void tarvelAddItem(HWND window, BOOL combo, const char *text, BOOL withData, LPARAM data)\r\n{\r\n"
                    "    LPWSTR wide = tarvelWide(text);\r\n"
                    "    LRESULT at;\r\n"
                    "    if (wide == NULL) return;\r\n"
                    "    at = SendMessageW(window, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, (LPARAM)wide);\r\n"
                    "    if (withData && at >= 0) SendMessageW(window, combo ? CB_SETITEMDATA : LB_SETITEMDATA, (WPARAM)at, data);\r\n"
                    "    HeapFree(GetProcessHeap(), 0, wide);\r\n}\r\n\r\n";
        if (usesAddTab_)
            text += "static void tarvelAddTab(HWND window, int at, const char *text)\r\n{\r\n"
                    "    TCITEMW item;\r\n"
                    "    LPWSTR wide = tarvelWide(text);\r\n"
                    "    if (wide == NULL) return;\r\n"
                    "    ZeroMemory(&item, sizeof item);\r\n"
                    "    item.mask = TCIF_TEXT;\r\n"
                    "    item.pszText = wide;\r\n"
                    "    SendMessageW(window, TCM_INSERTITEMW, (WPARAM)at, (LPARAM)&item);\r\n"
                    "    HeapFree(GetProcessHeap(), 0, wide);\r\n}\r\n\r\n";
        if (usesFont_)
            text += "/* A font of the form's: its size in hundredths of a point. */\r\n"
                    "static HFONT tarvelFont(const char *name, int hundredths, int weight, BOOL italic, int charset)\r\n{\r\n"
                    "    HDC screen = GetDC(NULL);\r\n"
                    "    int dpi = screen != NULL ? GetDeviceCaps(screen, LOGPIXELSY) : 96;\r\n"
                    "    LPWSTR wide = tarvelWide(name);\r\n"
                    "    HFONT font;\r\n"
                    "    if (screen != NULL) ReleaseDC(NULL, screen);\r\n"
                    "    if (wide == NULL) return NULL;\r\n"
                    "    font = CreateFontW(-MulDiv(hundredths, dpi, 7200), 0, 0, 0, weight, (DWORD)italic, FALSE, FALSE,\r\n"
                    "                       (DWORD)charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,\r\n"
                    "                       DEFAULT_PITCH | FF_DONTCARE, wide);\r\n"
                    "    HeapFree(GetProcessHeap(), 0, wide);\r\n"
                    "    return font;\r\n}\r\n\r\n";
        if (!colours_.empty() || formBack_)
            text += "/* A colour as the form writes it: a system colour (&H8000000F&) or &H00BBGGRR&. */\r\n"
                    "static COLORREF tarvelColour(DWORD colour)\r\n{\r\n"
                    "    return (colour & 0x80000000u) ? GetSysColor((int)(colour & 0xFFu)) : (COLORREF)(colour & 0xFFFFFFu);\r\n"
                    "}\r\n\r\n";
        if (!colours_.empty()) {
            text += "/* The controls whose colours differ from the system's. */\r\n"
                    "static const struct tarvelControlColour { int id; DWORD fore, back; } tarvelColours[] = {\r\n";
            for (const auto& [id, fore, back] : colours_) text += "    {" + id + ", " + Hex(fore) + ", " + Hex(back) + "},\r\n";
            text += "};\r\nstatic HBRUSH tarvelBrushes[" + std::to_string(colours_.size()) + "];\r\n\r\n";
        }
        if (formBack_) text += "static HBRUSH tarvelFormBrush;\r\n\r\n";
        if (fonts_ > 0) text += "static HFONT tarvelFonts[" + std::to_string(fonts_) + "];\r\n\r\n";
        if (!images_.empty() || tabImageLists_ > 0)
            text += "/* One of the form's pictures, from its resource, at the size given (0, 0: its own). */\r\n"
                    "static HANDLE tarvelImage(HWND dialog, int id, UINT type, int width, int height)\r\n{\r\n"
                    "    return LoadImageW((HINSTANCE)GetWindowLongPtrW(dialog, GWLP_HINSTANCE), MAKEINTRESOURCEW(id), type, width,\r\n"
                    "                      height, LR_DEFAULTCOLOR);\r\n}\r\n\r\n";
        if (!images_.empty()) text += "static HANDLE tarvelImages[" + std::to_string(images_.size()) + "];\r\n\r\n";
        if (tabImageLists_ > 0)
            text += "/* A tab control's pictures (TabPicture), in an image list of small icons' size. */\r\n"
                    "static HIMAGELIST tarvelTabImages[" + std::to_string(tabImageLists_) + "];\r\n\r\n"
                    "/* Puts one of the form's pictures in the image list of the tab control `tabs` and shows it on\r\n"
                    "   tab `tab`. */\r\n"
                    "static void tarvelTabPicture(HWND dialog, int tabs, HIMAGELIST list, int tab, int id, UINT type)\r\n{\r\n"
                    "    HANDLE image = tarvelImage(dialog, id, type, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));\r\n"
                    "    TCITEMW item;\r\n"
                    "    int at;\r\n"
                    "    if (list == NULL || image == NULL) return;\r\n"
                    "    at = type == IMAGE_ICON ? ImageList_AddIcon(list, (HICON)image) : ImageList_Add(list, (HBITMAP)image, NULL);\r\n"
                    "    if (type == IMAGE_ICON) DestroyIcon((HICON)image);\r\n"
                    "    else DeleteObject(image);\r\n"
                    "    if (at < 0) return;\r\n"
                    "    ZeroMemory(&item, sizeof item);\r\n"
                    "    item.mask = TCIF_IMAGE;\r\n"
                    "    item.iImage = at;\r\n"
                    "    SendDlgItemMessageW(dialog, tabs, TCM_SETITEMW, (WPARAM)tab, (LPARAM)&item);\r\n"
                    "}\r\n\r\n";
        if (!pointers_.empty()) {
            text += "/* The controls that show a mouse pointer of their own (MousePointer 99), the form as 0, each\r\n"
                    "   with its pointer in tarvelImages. */\r\n"
                    "static const struct tarvelPointer { int id; int image; } tarvelPointers[] = {\r\n";
            for (const auto& [id, slot] : pointers_) text += "    {" + id + ", " + std::to_string(slot) + "},\r\n";
            text += "};\r\n\r\n"
                    "/* The pointer to show over `window`, NULL for the system's. A label or frame lets the mouse\r\n"
                    "   through to the dialog: where the mouse is tells which it is over. */\r\n"
                    "static HCURSOR tarvelPointer(HWND dialog, HWND window)\r\n{\r\n"
                    "    POINT point;\r\n"
                    "    BOOL placed = GetCursorPos(&point);\r\n"
                    "    size_t i;\r\n"
                    "    for (i = 0; i < sizeof tarvelPointers / sizeof tarvelPointers[0]; ++i) {\r\n"
                    "        HWND control = tarvelPointers[i].id != 0 ? GetDlgItem(dialog, tarvelPointers[i].id) : NULL;\r\n"
                    "        RECT rect;\r\n"
                    "        if (control == NULL) continue;\r\n"
                    "        if (window == control || (window == dialog && placed && IsWindowVisible(control) &&\r\n"
                    "                                  GetWindowRect(control, &rect) && PtInRect(&rect, point)))\r\n"
                    "            return (HCURSOR)tarvelImages[tarvelPointers[i].image];\r\n"
                    "    }\r\n"
                    "    for (i = 0; i < sizeof tarvelPointers / sizeof tarvelPointers[0]; ++i)\r\n"
                    "        if (tarvelPointers[i].id == 0 && window == dialog) return (HCURSOR)tarvelImages[tarvelPointers[i].image];\r\n"
                    "    return NULL;\r\n}\r\n\r\n";
        }
        if (!scrollBars_.empty())
            text += "/* Moves a scroll bar's thumb as Visual Basic does, by SmallChange and LargeChange. */\r\n"
                    "static void tarvelScroll(HWND bar, int code, int smallChange, int largeChange)\r\n{\r\n"
                    "    SCROLLINFO info;\r\n"
                    "    int position;\r\n"
                    "    info.cbSize = sizeof info;\r\n"
                    "    info.fMask = SIF_ALL;\r\n"
                    "    if (!GetScrollInfo(bar, SB_CTL, &info)) return;\r\n"
                    "    position = info.nPos;\r\n"
                    "    switch (code) {\r\n"
                    "    case SB_LINELEFT: position -= smallChange; break;\r\n"
                    "    case SB_LINERIGHT: position += smallChange; break;\r\n"
                    "    case SB_PAGELEFT: position -= largeChange; break;\r\n"
                    "    case SB_PAGERIGHT: position += largeChange; break;\r\n"
                    "    case SB_LEFT: position = info.nMin; break;\r\n"
                    "    case SB_RIGHT: position = info.nMax; break;\r\n"
                    "    case SB_THUMBTRACK: case SB_THUMBPOSITION: position = info.nTrackPos; break;\r\n"
                    "    default: return;\r\n"
                    "    }\r\n"
                    "    if (position < info.nMin) position = info.nMin;\r\n"
                    "    if (position > info.nMax) position = info.nMax;\r\n"
                    "    SetScrollPos(bar, SB_CTL, position, TRUE);\r\n}\r\n\r\n";
        if (!pages_.empty()) {
            text += "/* Which tab of which tab control each control lies on. */\r\n"
                    "static const struct tarvelPage { int tabs, tab, id; } tarvelPages[] = {\r\n";
            for (const std::string& page : pages_) text += "    {" + page + "},\r\n";
            text += "};\r\n\r\n"
                    "/* Shows the controls of the tab chosen and hides those of the others. */\r\n"
                    "static void tarvelShowPage(HWND dialog, int tabs, int tab)\r\n{\r\n"
                    "    size_t i;\r\n"
                    "    for (i = 0; i < sizeof tarvelPages / sizeof tarvelPages[0]; ++i)\r\n"
                    "        if (tarvelPages[i].tabs == tabs)\r\n"
                    "            ShowWindow(GetDlgItem(dialog, tarvelPages[i].id), tarvelPages[i].tab == tab ? SW_SHOW : SW_HIDE);\r\n"
                    "}\r\n\r\n";
        }
        if (usesLeftTab_) text += "/* The tab left when another is chosen, for a Click that takes PreviousTab. */\r\nstatic int tarvelLeftTab;\r\n\r\n";
        if (!handlers_.empty())
            text += "#ifdef TARVEL_TRACE\r\n"
                    "static void tarvelTrace(const char *handler, int index)\r\n{\r\n"
                    "    const wchar_t *path = _wgetenv(L\"TARVEL_TRACE\");\r\n"
                    "    FILE *file;\r\n"
                    "    if (path == NULL || (file = _wfopen(path, L\"a\")) == NULL) return;\r\n"
                    "    if (index < 0) fprintf(file, \"%s\\n\", handler);\r\n"
                    "    else fprintf(file, \"%s %d\\n\", handler, index);\r\n"
                    "    fclose(file);\r\n}\r\n#endif\r\n\r\n";
        return text;
    }

    std::string HandlerFunctions() const {
        std::string text;
        for (const Handler& handler : handlers_) {
            const bool indexed = handler.event.indexed;
            std::string parameters;
            std::vector<std::string> unused;
            if (handler.channel == Channel::QueryUnload) {
                parameters = "int *cancel, int unloadMode";
                unused = {"cancel", "unloadMode"};
            } else if (handler.channel == Channel::Unload) {
                parameters = "int *cancel";
                unused = {"cancel"};
            } else {
                if (indexed) {
                    parameters = "int index";
                    unused.push_back("index");
                }
                if (handler.previousTab) {
                    parameters += indexed ? ", int previousTab" : "int previousTab";
                    unused.push_back("previousTab");
                }
            }
            if (parameters.empty()) parameters = "void";
            text += "static void " + handler.function + "(" + parameters + ")\r\n{\r\n";
            text += "#ifdef TARVEL_TRACE\r\n    tarvelTrace(\"" + handler.function + "\", " + (indexed ? "index" : "-1") +
                    ");\r\n#endif\r\n";
            for (const std::string& name : unused) text += "    (void)" + name + ";\r\n";
            AppendComment(text, "    ", handler.procedure->text);
            text += "}\r\n\r\n";
        }
        return text;
    }

    // The calls of the handlers on `channel`, by id in the order the ids first come, in one pass
    // (a menu array of thousands of items is one handler with thousands of targets).
    std::vector<std::pair<std::string, std::string>> Cases(Channel channel, std::string_view indent) const {
        std::vector<std::pair<std::string, std::string>> cases;
        std::unordered_map<std::string, std::size_t> at;
        for (const Handler& handler : handlers_) {
            if (handler.channel != channel) continue;
            for (const Target& target : handler.targets) {
                const auto [found, added] = at.emplace(target.id, cases.size());
                if (added) cases.emplace_back(target.id, std::string());
                std::string& text = cases[found->second].second;
                text.append(indent);
                if (!target.code.empty())
                    text += channel == Channel::Command ? "if (HIWORD(wParam) == " + target.code + ") " : "if (" + target.code + ") ";
                text += Call(handler, target) + "\r\n";
            }
        }
        return cases;
    }

    static std::string CallsFor(const std::vector<std::pair<std::string, std::string>>& cases, const std::string& id) {
        for (const auto& [caseId, calls] : cases)
            if (caseId == id) return calls;
        return {};
    }

    bool Has(Channel channel) const {
        return std::any_of(handlers_.begin(), handlers_.end(), [&](const Handler& h) { return h.channel == channel; });
    }

    const Handler* FormHandler(Channel channel) const {
        for (const Handler& handler : handlers_)
            if (handler.channel == channel) return &handler;
        return nullptr;
    }

    // Is the control shown on its tab: it and every container up to the tabs are Visible?
    bool ShownOnItsTab(std::uint32_t object, std::uint32_t tabs) const {
        for (std::uint32_t at = object; at != tabs && at != FormObject::kNoParent; at = form_.objects[at].parent)
            if (IsFalse(form_.objects[at], Prop::Visible)) return false;
        return true;
    }

    std::string Font(const FormObject& control) {
        std::optional<std::string_view> name = control.Property(Prop::FontBlockName);
        std::optional<double> size = control.Number(Prop::FontBlockSize);
        if (!name) name = control.Property(Prop::FontName);
        if (!size) size = control.Number(Prop::FontSize);
        if (!name || name->empty()) return {};
        const double points = std::clamp(size.value_or(8), 1.0, 1638.0);
        long weight = 400;
        if (const std::optional<long> blockWeight = WholeOf(control, Prop::FontBlockWeight)) weight = *blockWeight;
        else if (const std::optional<std::string_view> bold = control.Property(Prop::FontBold)) weight = !bold->empty() && bold->front() != '0' ? 700 : 400;
        weight = std::clamp(weight, 0L, 1000L);
        const auto isTrue = [&](Prop property) {
            const std::optional<std::string_view> value = control.Property(property);
            return value && !value->empty() && value->front() != '0';
        };
        const bool italic = isTrue(Prop::FontBlockItalic) || isTrue(Prop::FontItalic);
        const long charset = std::clamp(WholeOf(control, Prop::FontBlockCharset).value_or(0), 0L, 255L);
        const DialogFont& own = dialog_.font;
        const std::string_view ownName = own.name.empty() ? std::string_view("MS Sans Serif") : own.name;
        if (EqualNoCase(*name, ownName) && std::lround(points) == own.points && weight == own.weight &&
            italic == own.italic && charset == own.charset)
            return {};
        usesFont_ = usesWide_ = true;
        return "tarvelFont(" + CString(*name) + ", " + std::to_string(std::lround(points * 100)) + ", " +
               std::to_string(weight) + ", " + (italic ? "TRUE" : "FALSE") + ", " + std::to_string(charset) + ")";
    }

    // The start values, lists, fonts, colours, tabs and timers, as WM_INITDIALOG sets them.
    std::string InitDialog() {
        std::string text;
        std::map<std::string, std::size_t> fonts;  // each font made once, by how it is made
        const auto isTrue = [](const FormObject& object, Prop property) {
            const std::optional<std::string_view> value = object.Property(property);
            return value && !value->empty() && value->front() != '0';
        };
        // The form's caption too long for the template's CAPTION.
        if (const std::optional<std::string_view> caption = form_.objects[0].Property(Prop::Caption);
            dialog_.caption && caption && !FitsTemplate(*caption)) {
            usesSetText_ = usesWide_ = true;
            text += "        tarvelSetText(dialog,\r\n" + TextLiterals(*caption, "            ") + ");\r\n";
        }
        for (std::size_t k = 0; k < dialog_.controls.size(); ++k) {
            const FormObject& control = ObjectOf(k);
            const ControlLine& line = lines_[k];
            const std::string id = ControlId(k);
            const Shape shape = ShapeOf(line);
            if (dialog_.controls[k].placeholder) continue;
            if (line.statement == "AUTOCHECKBOX") {
                const long value = WholeOf(control, Prop::Value).value_or(0);
                if (value == 1) text += "        CheckDlgButton(dialog, " + id + ", BST_CHECKED);\r\n";
                if (value == 2) text += "        CheckDlgButton(dialog, " + id + ", BST_INDETERMINATE);\r\n";
            }
            if (line.statement == "AUTORADIOBUTTON" && isTrue(control, Prop::Value))
                text += "        CheckDlgButton(dialog, " + id + ", BST_CHECKED);\r\n";
            if (shape == Shape::ScrollBar) {
                // Visual Basic's defaults: 0 to 32767, moved by 1.
                long low = WholeOf(control, Prop::Min).value_or(0), high = WholeOf(control, Prop::Max).value_or(32767);
                if (low > high) std::swap(low, high);
                const long value = std::clamp(WholeOf(control, Prop::Value).value_or(0), low, high);
                text += "        SetScrollRange(GetDlgItem(dialog, " + id + "), SB_CTL, " + std::to_string(low) + ", " +
                        std::to_string(high) + ", FALSE);\r\n";
                text += "        SetScrollPos(GetDlgItem(dialog, " + id + "), SB_CTL, " + std::to_string(value) + ", TRUE);\r\n";
                scrollBars_.push_back({id, std::to_string(std::max(1L, WholeOf(control, Prop::SmallChange).value_or(1))) + ", " +
                                               std::to_string(std::max(1L, WholeOf(control, Prop::LargeChange).value_or(1)))});
            }
            if (line.windowClass == "msctls_trackbar32" || line.windowClass == "msctls_progress32") {
                const long low = WholeOf(control, Prop::Min).value_or(0);
                const long high = WholeOf(control, Prop::Max).value_or(line.windowClass == "msctls_progress32" ? 100 : 10);
                const long value = WholeOf(control, Prop::Value).value_or(low);
                if (line.windowClass == "msctls_trackbar32") {
                    text += "        SendDlgItemMessageW(dialog, " + id + ", TBM_SETRANGEMIN, FALSE, " + std::to_string(low) + ");\r\n";
                    text += "        SendDlgItemMessageW(dialog, " + id + ", TBM_SETRANGEMAX, FALSE, " + std::to_string(high) + ");\r\n";
                    text += "        SendDlgItemMessageW(dialog, " + id + ", TBM_SETPOS, TRUE, " + std::to_string(value) + ");\r\n";
                } else {
                    text += "        SendDlgItemMessageW(dialog, " + id + ", PBM_SETRANGE32, " + std::to_string(low) + ", " +
                            std::to_string(high) + ");\r\n";
                    text += "        SendDlgItemMessageW(dialog, " + id + ", PBM_SETPOS, " + std::to_string(value) + ", 0);\r\n";
                }
            }
            if ((shape == Shape::Edit || shape == Shape::RichEdit) && WholeOf(control, Prop::MaxLength).value_or(0) > 0)
                text += "        SendDlgItemMessageW(dialog, " + id + ", EM_LIMITTEXT, " +
                        std::to_string(*WholeOf(control, Prop::MaxLength)) + ", 0);\r\n";
            if (shape == Shape::RichEdit && std::any_of(handlers_.begin(), handlers_.end(), [&](const Handler& h) {
                    return std::any_of(h.targets.begin(), h.targets.end(),
                                       [&](const Target& t) { return t.id == id && t.code == "EN_CHANGE"; });
                }))
                text += "        SendDlgItemMessageW(dialog, " + id + ", EM_SETEVENTMASK, 0, ENM_CHANGE);\r\n";
            // A text of many lines, or too long for the template, is set whole.
            if (shape == Shape::Edit)
                if (const std::optional<std::string_view> value = control.Property(Prop::Text);
                    value && (value->find_first_of("\r\n") != std::string_view::npos || !FitsTemplate(*value))) {
                    usesSetText_ = usesWide_ = true;
                    text += "        tarvelSetText(GetDlgItem(dialog, " + id + "),\r\n" + TextLiterals(*value, "            ") +
                            ");\r\n";
                }
            // Any other control's caption too long for the template is set whole.
            if (shape != Shape::Edit)
                if (const std::optional<std::string_view> value = TextLeftOut(form_, dialog_, dialog_.controls[k].object)) {
                    usesSetText_ = usesWide_ = true;
                    text += "        tarvelSetText(GetDlgItem(dialog, " + id + "),\r\n" + TextLiterals(*value, "            ") +
                            ");\r\n";
                }
            // A combo box's template has no text; a drop-down list shows only its items.
            if (shape == Shape::ComboBox && WholeOf(control, Prop::Style).value_or(0) != 2)
                if (const std::optional<std::string_view> value = control.Property(Prop::Text); value && !value->empty()) {
                    usesSetText_ = usesWide_ = true;
                    text += "        tarvelSetText(GetDlgItem(dialog, " + id + "), " + CString(*value) + ");\r\n";
                }
            for (const ListItems& list : input_.lists) {
                if (list.object != dialog_.controls[k].object || (shape != Shape::ComboBox && shape != Shape::ListBox)) continue;
                usesAddItem_ = usesWide_ = true;
                const std::string combo = shape == Shape::ComboBox ? "TRUE" : "FALSE";
                for (std::size_t i = 0; i < list.items.size(); ++i) {
                    text += "        tarvelAddItem(GetDlgItem(dialog, " + id + "), " + combo + ", " + CString(list.items[i]) + ", ";
                    text += i < list.data.size() ? "TRUE, " + std::to_string(list.data[i]) : std::string("FALSE, 0");
                    text += ");\r\n";
                }
            }
            if (shape == Shape::Tabs) Tabs(k, text);
            if (const std::string font = Font(control); !font.empty()) {
                auto [found, added] = fonts.emplace(font, fonts.size());
                if (added) text += "        tarvelFonts[" + std::to_string(found->second) + "] = " + font + ";\r\n";
                text += "        SendDlgItemMessageW(dialog, " + id + ", WM_SETFONT, (WPARAM)tarvelFonts[" +
                        std::to_string(found->second) + "], FALSE);\r\n";
            }
            Colours(control, shape, id);
        }
        fonts_ = fonts.size();
        Images(text);
        if (const std::optional<std::uint32_t> back = ColourOf(form_.objects[0], Prop::BackColor); back && *back != 0x8000000Fu)
            formBack_ = back;
        if (formBack_) text += "        tarvelFormBrush = CreateSolidBrush(tarvelColour(" + Hex(*formBack_) + "));\r\n";
        if (!colours_.empty())
            text += "        for (i = 0; i < sizeof tarvelColours / sizeof tarvelColours[0]; ++i)\r\n"
                    "            tarvelBrushes[i] = CreateSolidBrush(tarvelColour(tarvelColours[i].back));\r\n";
        for (std::size_t t = 0; t < timers_.size(); ++t) {
            const FormObject& timer = form_.objects[timers_[t]];
            const long interval = WholeOf(timer, Prop::Interval).value_or(0);
            if (IsFalse(timer, Prop::Enabled) || interval <= 0) continue;
            text += "        SetTimer(dialog, " + std::to_string(t + 1) + ", " + std::to_string(std::min(interval, 65535L)) +
                    ", NULL);  /* " + CommentLine(timer.name) + " */\r\n";
        }
        if (const Handler* load = FormHandler(Channel::Load)) text += "        " + load->function + "();\r\n";
        return text;
    }

    // The form's icon, big and small, and each graphical button's picture,
    // from their resources: a static loads its own picture, but a window's
    // icon and a button's image are given to it.
    void Images(std::string& text) {
        if (!input_.pictures) return;
        const auto load = [&](const NameEntry& entry, ResourceImageType type, const char* size) {
            const std::string slot = "tarvelImages[" + std::to_string(images_.size()) + "]";
            images_.push_back(type);
            const char* kind = type == ResourceImageType::Icon     ? ", IMAGE_ICON, "
                               : type == ResourceImageType::Cursor ? ", IMAGE_CURSOR, "
                                                                   : ", IMAGE_BITMAP, ";
            text += "        " + slot + " = tarvelImage(dialog, " + ItemId(entry) + kind + size + ");\r\n";
            return slot;
        };
        for (std::size_t i = 0; i < input_.pictures->size(); ++i) {
            const FormPicture& picture = (*input_.pictures)[i];
            const NameEntry* entry = names_.Picture(i);
            if (picture.object != 0 || picture.property != Prop::Icon || picture.file.type != ResourceImageType::Icon || !entry)
                continue;
            const std::string big = load(*entry, ResourceImageType::Icon, "GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)");
            text += "        SendMessageW(dialog, WM_SETICON, ICON_BIG, (LPARAM)" + big + ");\r\n";
            const std::string small =
                load(*entry, ResourceImageType::Icon, "GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)");
            text += "        SendMessageW(dialog, WM_SETICON, ICON_SMALL, (LPARAM)" + small + ");\r\n";
            break;
        }
        Pointers(load);
        // The form's Picture, which it paints under its controls.
        for (std::size_t i = 0; i < input_.pictures->size(); ++i) {
            const FormPicture& picture = (*input_.pictures)[i];
            const NameEntry* entry = names_.Picture(i);
            const ResourceImageType type = picture.file.type;
            if (picture.object != 0 || picture.property != Prop::Picture || !entry ||
                (type != ResourceImageType::Bitmap && type != ResourceImageType::Icon))
                continue;
            load(*entry, type, "0, 0");
            formPicture_ = images_.size() - 1;
            break;
        }
        if (dialog_.images.empty()) return;
        for (std::size_t k = 0; k < dialog_.controls.size(); ++k) {
            const std::vector<std::string_view>& styles = lines_[k].styles;
            const bool icon = std::find(styles.begin(), styles.end(), "BS_ICON") != styles.end();
            if (!icon && std::find(styles.begin(), styles.end(), "BS_BITMAP") == styles.end()) continue;
            const std::uint32_t image = dialog_.images[dialog_.controls[k].object];
            const NameEntry* entry = image == DialogLayout::kNoImage ? nullptr : names_.Picture(image);
            if (!entry || dialog_.controls[k].placeholder) continue;
            const std::string slot = load(*entry, icon ? ResourceImageType::Icon : ResourceImageType::Bitmap, "0, 0");
            text += "        SendDlgItemMessageW(dialog, " + ControlId(k) + ", BM_SETIMAGE, " + (icon ? "IMAGE_ICON" : "IMAGE_BITMAP") +
                    ", (LPARAM)" + slot + ");\r\n";
        }
    }

    // The mouse pointer of the form and of each control whose MousePointer
    // is 99 (a LaVolpeButton's MPTR), from its MouseIcon (MICON), loaded at
    // its own size: a cursor as a cursor, an icon as the icon it is, which
    // Windows shows with its hotspot in the middle, as Visual Basic does.
    template <typename Load>
    void Pointers(const Load& load) {
        for (std::size_t i = 0; i < input_.pictures->size(); ++i) {
            const FormPicture& picture = (*input_.pictures)[i];
            const NameEntry* entry = names_.Picture(i);
            const bool pointer = picture.property == Prop::MouseIcon || picture.property == Prop::MICON;
            const ResourceImageType type = picture.file.type;
            if (!pointer || !entry || (type != ResourceImageType::Cursor && type != ResourceImageType::Icon)) continue;
            const FormObject& owner = form_.objects[picture.object];
            const Prop chooser = picture.property == Prop::MICON ? Prop::MPTR : Prop::MousePointer;
            if (WholeOf(owner, chooser).value_or(0) != 99) continue;
            std::string id = "0";
            if (picture.object != 0) {
                const int k = controlOf_[picture.object];
                if (k < 0 || dialog_.controls[static_cast<std::size_t>(k)].placeholder) continue;
                id = ControlId(static_cast<std::size_t>(k));
            }
            if (std::any_of(pointers_.begin(), pointers_.end(), [&](const auto& known) { return known.first == id; })) continue;
            load(*entry, type, "0, 0");
            pointers_.push_back({id, images_.size() - 1});
        }
    }

    void Tabs(std::size_t k, std::string& text) {
        const std::uint32_t object = dialog_.controls[k].object;
        const FormObject& tabs = form_.objects[object];
        const std::string id = ControlId(k);
        const std::vector<std::string_view> captions = TabCaptions(form_, object);
        for (std::size_t tab = 0; tab < captions.size(); ++tab) {
            usesAddTab_ = usesWide_ = true;
            text += "        tarvelAddTab(GetDlgItem(dialog, " + id + "), " + std::to_string(tab) + ", " + CString(captions[tab]) + ");\r\n";
        }
        TabPictures(object, id, captions.size(), text);
        // The controls each tab lists, by "Name" or "Name(Index)", with all that lies in them.
        const std::size_t before = pages_.size();
        for (const FormProperty& kept : tabs.properties) {
            if (kept.property != Prop::TabControl) continue;
            for (std::uint32_t child = object + 1; child < tabs.end; child = form_.objects[child].end) {
                const FormObject& control = form_.objects[child];
                std::string key(control.name);
                if (const std::optional<std::string_view> index = control.Property(Prop::Index))
                    key.append("(").append(*index).append(")");
                if (!EqualNoCase(key, kept.value)) continue;
                for (std::uint32_t inside = child; inside < control.end; ++inside)
                    if (controlOf_[inside] >= 0 && ShownOnItsTab(inside, object))
                        pages_.push_back(id + ", " + std::to_string(kept.tab) + ", " + ControlId(static_cast<std::size_t>(controlOf_[inside])));
            }
        }
        if (!captions.empty())
            text += "        SendDlgItemMessageW(dialog, " + id + ", TCM_SETCURSEL, " +
                    std::to_string(WholeOf(tabs, Prop::Tab).value_or(0)) + ", 0);\r\n";
        if (pages_.size() > before)
            text += "        tarvelShowPage(dialog, " + id + ", " + std::to_string(WholeOf(tabs, Prop::Tab).value_or(0)) + ");\r\n";
        tabControls_.push_back({id, pages_.size() > before});
    }

    // Each tab's TabPicture (an icon or a bitmap), through the tab control's image list.
    void TabPictures(std::uint32_t object, const std::string& id, std::size_t tabCount, std::string& text) {
        if (!input_.pictures) return;
        std::string shown;
        const std::string list = "tarvelTabImages[" + std::to_string(tabImageLists_) + "]";
        std::size_t count = 0;
        for (std::size_t i = 0; i < input_.pictures->size(); ++i) {
            const FormPicture& picture = (*input_.pictures)[i];
            const NameEntry* entry = names_.Picture(i);
            const ResourceImageType type = picture.file.type;
            if (picture.object != object || picture.property != Prop::TabPicture || picture.image >= tabCount || !entry ||
                (type != ResourceImageType::Icon && type != ResourceImageType::Bitmap))
                continue;
            shown += "        tarvelTabPicture(dialog, " + id + ", " + list + ", " + std::to_string(picture.image) + ", " +
                     ItemId(*entry) + (type == ResourceImageType::Icon ? ", IMAGE_ICON);\r\n" : ", IMAGE_BITMAP);\r\n");
            ++count;
        }
        if (count == 0) return;
        ++tabImageLists_;
        text += "        " + list + " = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), "
                "ILC_COLOR32 | ILC_MASK, " + std::to_string(count) + ", 0);\r\n";
        text += "        SendDlgItemMessageW(dialog, " + id + ", TCM_SETIMAGELIST, 0, (LPARAM)" + list + ");\r\n" + shown;
    }

    void Colours(const FormObject& control, Shape shape, const std::string& id) {
        const bool window = shape == Shape::Edit || shape == Shape::ComboBox || shape == Shape::ListBox;
        const std::uint32_t defaultBack = window ? 0x80000005u : 0x8000000Fu;
        const std::uint32_t defaultFore = window ? 0x80000008u : 0x80000012u;
        std::uint32_t back = ColourOf(control, Prop::BackColor).value_or(defaultBack);
        // A transparent label (BackStyle 0) shows what it lies on: its container's colour.
        if (IsType(control, "VB.Label") && WholeOf(control, Prop::BackStyle) == 0L && control.parent != FormObject::kNoParent)
            back = ColourOf(form_.objects[control.parent], Prop::BackColor).value_or(0x8000000Fu);
        const std::uint32_t fore = ColourOf(control, Prop::ForeColor).value_or(defaultFore);
        // These take their colours by messages of their own, not WM_CTLCOLOR*.
        if (shape == Shape::RichEdit || shape == Shape::Tabs || shape == Shape::ScrollBar) return;
        if (back == defaultBack && fore == defaultFore) return;
        colours_.push_back({id, fore, back});
    }

    std::string DialogProcedure(const std::string& init) {
        std::string text = "static INT_PTR CALLBACK tarvelDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)\r\n{\r\n";
        if (fonts_ > 0 || !colours_.empty()) text += "    size_t i;\r\n";
        text += "    (void)wParam;\r\n    (void)lParam;\r\n";
        text += "    switch (message) {\r\n";
        text += "    case WM_INITDIALOG:\r\n" + init + "        return TRUE;\r\n";

        // WM_COMMAND: menu items and controls; WM_TIMER: the timers.
        for (const auto& [channel, message, selector] : {std::tuple{Channel::Command, "WM_COMMAND", "LOWORD(wParam)"},
                                                         std::tuple{Channel::Timer, "WM_TIMER", "wParam"}}) {
            const std::vector<std::pair<std::string, std::string>> cases = Cases(channel, "            ");
            if (cases.empty()) continue;
            text.append("    case ").append(message).append(":\r\n        switch (").append(selector).append(") {\r\n");
            for (const auto& [id, calls] : cases) text += "        case " + id + ":\r\n" + calls + "            return TRUE;\r\n";
            text += "        }\r\n        break;\r\n";
        }
        // Scroll bars are moved here; sliders move themselves and only their handlers are called.
        const std::vector<std::pair<std::string, std::string>> scrolls = Cases(Channel::Scroll, "            ");
        std::vector<std::string> sliders;
        // Not a structured binding: clang before 16 takes none into a lambda.
        for (const auto& scroll : scrolls)
            if (std::none_of(scrollBars_.begin(), scrollBars_.end(), [&](const auto& bar) { return bar.first == scroll.first; }))
                sliders.push_back(scroll.first);
        if (!scrollBars_.empty() || !sliders.empty()) {
            text += "    case WM_HSCROLL:\r\n    case WM_VSCROLL: {\r\n"
                    "        HWND bar = (HWND)lParam;\r\n"
                    "        int code = (int)LOWORD(wParam);\r\n"
                    "        if (bar == NULL) break;\r\n"
                    "        switch (GetDlgCtrlID(bar)) {\r\n";
            for (const auto& [id, changes] : scrollBars_)
                text += "        case " + id + ":\r\n            tarvelScroll(bar, code, " + changes + ");\r\n" +
                        CallsFor(scrolls, id) + "            return TRUE;\r\n";
            for (const std::string& id : sliders) text += "        case " + id + ":\r\n" + CallsFor(scrolls, id) + "            return TRUE;\r\n";
            text += "        }\r\n        break;\r\n    }\r\n";
        }
        const bool tabHandlers = Has(Channel::TabChange);
        if (!pages_.empty() || tabHandlers) {
            text += "    case WM_NOTIFY: {\r\n        const NMHDR *notice = (const NMHDR *)lParam;\r\n";
            if (usesLeftTab_ = std::any_of(handlers_.begin(), handlers_.end(), [](const Handler& h) { return h.previousTab; }); usesLeftTab_)
                text += "        if (notice->code == TCN_SELCHANGING) tarvelLeftTab = (int)SendMessageW(notice->hwndFrom, TCM_GETCURSEL, 0, 0);\r\n";
            text += "        if (notice->code != TCN_SELCHANGE) break;\r\n        switch (notice->idFrom) {\r\n";
            const std::vector<std::pair<std::string, std::string>> cases = Cases(Channel::TabChange, "            ");
            for (const auto& [id, paged] : tabControls_) {
                const std::string calls = CallsFor(cases, id);
                if (!paged && calls.empty()) continue;
                text += "        case " + id + ":\r\n";
                if (paged) text += "            tarvelShowPage(dialog, " + id + ", (int)SendMessageW(notice->hwndFrom, TCM_GETCURSEL, 0, 0));\r\n";
                text += calls + "            return TRUE;\r\n";
            }
            text += "        }\r\n        break;\r\n    }\r\n";
        }
        if (!pointers_.empty())
            text += "    case WM_SETCURSOR:\r\n"
                    "        if (LOWORD(lParam) == HTCLIENT) {\r\n"
                    "            HCURSOR pointer = tarvelPointer(dialog, (HWND)wParam);\r\n"
                    "            if (pointer == NULL) break;\r\n"
                    "            SetCursor(pointer);\r\n"
                    "            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);\r\n"
                    "            return TRUE;\r\n"
                    "        }\r\n"
                    "        break;\r\n";
        if (formPicture_) {
            // Visual Basic paints a form's Picture at its own size in the top left corner, over the form's colour.
            const std::string slot = "tarvelImages[" + std::to_string(*formPicture_) + "]";
            text += "    case WM_ERASEBKGND: {\r\n"
                    "        HDC dc = (HDC)wParam;\r\n"
                    "        RECT client;\r\n"
                    "        if (" + slot + " == NULL) break;\r\n"
                    "        GetClientRect(dialog, &client);\r\n";
            text += formBack_ ? "        FillRect(dc, &client, tarvelFormBrush);\r\n"
                              : "        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));\r\n";
            if (images_[*formPicture_] == ResourceImageType::Icon)
                text += "        DrawIconEx(dc, 0, 0, (HICON)" + slot + ", 0, 0, 0, NULL, DI_NORMAL);\r\n";
            else
                text += "        {\r\n"
                        "            HDC source = CreateCompatibleDC(dc);\r\n"
                        "            BITMAP bitmap;\r\n"
                        "            if (source != NULL && GetObjectW(" + slot + ", sizeof bitmap, &bitmap) != 0) {\r\n"
                        "                HGDIOBJ before = SelectObject(source, " + slot + ");\r\n"
                        "                BitBlt(dc, 0, 0, bitmap.bmWidth, bitmap.bmHeight, source, 0, 0, SRCCOPY);\r\n"
                        "                SelectObject(source, before);\r\n"
                        "            }\r\n"
                        "            if (source != NULL) DeleteDC(source);\r\n"
                        "        }\r\n";
            text += "        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);\r\n"
                    "        return TRUE;\r\n    }\r\n";
        }
        if (formBack_) text += "    case WM_CTLCOLORDLG:\r\n        return (INT_PTR)tarvelFormBrush;\r\n";
        if (!colours_.empty()) {
            text += "    case WM_CTLCOLORSTATIC:\r\n    case WM_CTLCOLOREDIT:\r\n    case WM_CTLCOLORLISTBOX:\r\n"
                    "    case WM_CTLCOLORBTN: {\r\n"
                    "        HWND window = (HWND)lParam;\r\n"
                    "        int id = GetDlgCtrlID(window);\r\n"
                    "        /* A combo box's own edit field asks for its combo box. */\r\n"
                    "        if (GetParent(window) != dialog) id = GetDlgCtrlID(GetParent(window));\r\n"
                    "        for (i = 0; i < sizeof tarvelColours / sizeof tarvelColours[0]; ++i) {\r\n"
                    "            if (tarvelColours[i].id != id) continue;\r\n"
                    "            SetTextColor((HDC)wParam, tarvelColour(tarvelColours[i].fore));\r\n"
                    "            SetBkColor((HDC)wParam, tarvelColour(tarvelColours[i].back));\r\n"
                    "            return (INT_PTR)tarvelBrushes[i];\r\n"
                    "        }\r\n"
                    "        break;\r\n    }\r\n";
        }
        // Closing: Visual Basic asks QueryUnload (UnloadMode 0, vbFormControlMenu), then Unload; either may cancel.
        text += "    case WM_CLOSE: {\r\n";
        const Handler* query = FormHandler(Channel::QueryUnload);
        const Handler* unload = FormHandler(Channel::Unload);
        if (query || unload) text += "        int cancel = 0;\r\n";
        if (query) text += "        " + query->function + "(&cancel, 0);\r\n";
        if (unload) text += std::string(query ? "        if (cancel == 0) " : "        ") + unload->function + "(&cancel);\r\n";
        text += query || unload ? "        if (cancel == 0) DestroyWindow(dialog);\r\n" : "        DestroyWindow(dialog);\r\n";
        text += "        return TRUE;\r\n    }\r\n";
        text += "    case WM_DESTROY:\r\n";
        for (std::size_t t = 0; t < timers_.size(); ++t) text += "        KillTimer(dialog, " + std::to_string(t + 1) + ");\r\n";
        if (fonts_ > 0)
            text += "        for (i = 0; i < sizeof tarvelFonts / sizeof tarvelFonts[0]; ++i)\r\n"
                    "            if (tarvelFonts[i] != NULL) DeleteObject(tarvelFonts[i]);\r\n";
        if (!colours_.empty())
            text += "        for (i = 0; i < sizeof tarvelBrushes / sizeof tarvelBrushes[0]; ++i)\r\n"
                    "            if (tarvelBrushes[i] != NULL) DeleteObject(tarvelBrushes[i]);\r\n";
        if (formBack_) text += "        if (tarvelFormBrush != NULL) DeleteObject(tarvelFormBrush);\r\n";
        for (std::size_t i = 0; i < images_.size(); ++i) {
            const std::string slot = "tarvelImages[" + std::to_string(i) + "]";
            const char* destroy = images_[i] == ResourceImageType::Icon     ? "DestroyIcon((HICON)"
                                  : images_[i] == ResourceImageType::Cursor ? "DestroyCursor((HCURSOR)"
                                                                            : "DeleteObject(";
            text += "        if (" + slot + " != NULL) " + destroy + slot + ");\r\n";
        }
        for (std::size_t i = 0; i < tabImageLists_; ++i) {
            const std::string list = "tarvelTabImages[" + std::to_string(i) + "]";
            text += "        if (" + list + " != NULL) ImageList_Destroy(" + list + ");\r\n";
        }
        text += "        PostQuitMessage(0);\r\n        return TRUE;\r\n    }\r\n    return FALSE;\r\n}\r\n\r\n";
        return text;
    }

    std::string WinMain() const {
        // The common controls that the dialog's classes need.
        struct Family {
            std::string_view windowClass, flag;
        };
        static constexpr Family kFamilies[] = {
            {"SysListView32", "ICC_LISTVIEW_CLASSES"}, {"SysTreeView32", "ICC_TREEVIEW_CLASSES"},
            {"msctls_statusbar32", "ICC_BAR_CLASSES"}, {"ToolbarWindow32", "ICC_BAR_CLASSES"},
            {"msctls_trackbar32", "ICC_BAR_CLASSES"}, {"SysTabControl32", "ICC_TAB_CLASSES"},
            {"msctls_progress32", "ICC_PROGRESS_CLASS"}, {"msctls_updown32", "ICC_UPDOWN_CLASS"},
            {"SysDateTimePick32", "ICC_DATE_CLASSES"}, {"SysMonthCal32", "ICC_DATE_CLASSES"},
            {"SysAnimate32", "ICC_ANIMATE_CLASS"}, {"ComboBoxEx32", "ICC_USEREX_CLASSES"},
        };
        std::vector<std::string_view> flags;
        bool richEdit = false;
        for (const ControlLine& line : lines_) {
            if (line.windowClass == "RichEdit20W") richEdit = true;
            for (const Family& family : kFamilies)
                if (line.windowClass == family.windowClass && std::find(flags.begin(), flags.end(), family.flag) == flags.end())
                    flags.push_back(family.flag);
        }
        std::string text = "int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show)\r\n{\r\n";
        if (!flags.empty()) text += "    INITCOMMONCONTROLSEX controls;\r\n";
        text += "    HACCEL accelerators = NULL;\r\n    HWND dialog;\r\n    MSG message;\r\n";
        text += "    (void)previous;\r\n    (void)commandLine;\r\n";
        if (!flags.empty()) {
            text += "    controls.dwSize = sizeof controls;\r\n    controls.dwICC = ";
            for (std::size_t i = 0; i < flags.size(); ++i) text.append(i ? " | " : "").append(flags[i]);
            text += ";\r\n    InitCommonControlsEx(&controls);\r\n";
        }
        if (richEdit) text += "    LoadLibraryW(L\"riched20.dll\");  /* RichEdit20W */\r\n";
        if (input_.accelerators) text += "    accelerators = LoadAcceleratorsW(instance, L\"" + options_.menuName + "\");\r\n";
        const NameEntry& entry = *names_.Dialog();
        const std::string resource = entry.name.empty() ? "MAKEINTRESOURCEW(" + std::to_string(entry.number) + ")"
                                                        : "L\"" + std::string(entry.name) + "\"";
        text += "    dialog = CreateDialogParamW(instance, " + resource + ", NULL, tarvelDialogProcedure, 0);\r\n";
        text += "    if (dialog == NULL) return 1;\r\n    ShowWindow(dialog, show);\r\n";
        text += "    while (GetMessageW(&message, NULL, 0, 0) > 0) {\r\n"
                "        if (accelerators != NULL && TranslateAcceleratorW(dialog, accelerators, &message)) continue;\r\n"
                "        if (IsDialogMessageW(dialog, &message)) continue;\r\n"
                "        TranslateMessage(&message);\r\n"
                "        DispatchMessageW(&message);\r\n"
                "    }\r\n"
                "    return (int)message.wParam;\r\n}\r\n";
        return text;
    }

    // The handlers without a counterpart, then every line of the code that no function above holds.
    std::string Closing() const {
        if (!input_.code || form_.code.empty()) return {};
        std::string text;
        if (!unconnected_.empty()) {
            text += "\r\n/* Handlers of the form's code that no Windows message of this program stands for:\r\n";
            for (const Procedure* procedure : unconnected_)
                text += "     " + CommentLine(procedure->header.name) + " (line " + std::to_string(procedure->header.line) + ")\r\n";
            text += "*/\r\n";
        }
        std::vector<bool> held;
        const std::vector<std::string_view> lines = Lines(form_.code);
        held.assign(lines.size(), false);
        for (const Handler& handler : handlers_) {
            for (std::uint32_t line = handler.procedure->header.line; line <= handler.procedure->endLine; ++line)
                if (line >= form_.codeLine && line - form_.codeLine < held.size()) held[line - form_.codeLine] = true;
        }
        std::string rest;
        bool any = false, blank = true;  // no blank line first, and one where many stood
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (held[i]) continue;
            const bool empty = TrimBlanks(lines[i]).empty();
            if (empty && blank) continue;
            blank = empty;
            any = any || !empty;
            rest.append(CommentLine(lines[i])).append("\r\n");
        }
        if (any) {
            text += "\r\n/* The rest of the form's code, as written (from line " + std::to_string(form_.codeLine) +
                    ", without the handlers above):\r\n";
            text += rest + "*/\r\n";
        }
        return text;
    }

    const Form& form_;
    const NameTable& names_;
    const DialogLayout& dialog_;
    const RcOptions& options_;
    const ProgramInput& input_;
    std::vector<int> controlOf_;             // per object: its place in the dialog, -1 when none
    std::vector<ControlLine> lines_;         // per control of the dialog
    std::set<std::string_view> defined_;     // the header's names
    std::set<std::string> taken_;            // the handlers' function names
    std::vector<std::uint32_t> timers_;
    std::unordered_map<std::string, std::vector<std::size_t>> itemsByName_, timersByName_, controlsByName_;
    std::vector<Handler> handlers_;
    std::vector<const Procedure*> unconnected_;
    struct Colour {
        std::string id;
        std::uint32_t fore, back;
    };
    std::vector<Colour> colours_;
    std::optional<std::uint32_t> formBack_;
    std::size_t fonts_ = 0;
    std::vector<ResourceImageType> images_;  // the pictures WM_INITDIALOG loads, in order
    std::vector<std::pair<std::string, std::size_t>> pointers_;  // a control's id (0: the form's), its image's slot
    std::optional<std::size_t> formPicture_;                     // the slot of the form's Picture
    std::size_t tabImageLists_ = 0;                              // the tab controls with pictures
    std::vector<std::pair<std::string, std::string>> scrollBars_;   // id, "small, large"
    std::vector<std::string> pages_;                                 // "tabs, tab, id"
    std::vector<std::pair<std::string, bool>> tabControls_;          // id, whether it has pages
    bool usesWide_ = false, usesSetText_ = false, usesAddItem_ = false, usesAddTab_ = false, usesFont_ = false;
    bool usesLeftTab_ = false;
};

}  // namespace

void WriteProgram(const Form& form, const NameTable& names, const DialogLayout& dialog, const RcOptions& options,
                  const ProgramInput& input, TextSink& out) {
    ProgramWriter(form, names, dialog, options, input).Write(out);
}

}  // namespace tarvel
