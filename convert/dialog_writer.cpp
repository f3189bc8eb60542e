#include "dialog_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <unordered_set>

#include "form_lines.h"
#include "rc_text.h"

namespace tarvel {
namespace {

constexpr std::int64_t kLargestId = 65535;

// Properties -> styles beyond a kind's own; `statement` may be changed too
// (a Default button is a DEFPUSHBUTTON, a right-aligned Label an RTEXT).
struct ControlShape {
    std::string_view statement;
    std::vector<std::string_view> styles;
};
using StyleRule = void (*)(const FormObject& control, ControlShape& shape);

enum class TextFrom { None, Caption, Text };

// One row of the mapping: a Visual Basic control type and the Windows control
// written for it. An empty statement leaves the control out without a word:
// such components show nothing at run time.
struct ControlKind {
    std::string_view type;         // as the form names it, library included
    std::string_view statement;    // the RC statement
    std::string_view windowClass;  // for CONTROL
    std::vector<std::string_view> styles;  // every such control has these
    TextFrom text;
    bool focusable;                // takes WS_TABSTOP unless TabStop = 0
    StyleRule rule;                // the styles its properties add, or null
};

bool IsTrue(const FormObject& control, std::string_view name) {
    const std::optional<std::string_view> value = control.Property(name);
    return value && !value->empty() && value->front() != '0';
}

bool IsFalse(const FormObject& control, std::string_view name) {
    const std::optional<std::string_view> value = control.Property(name);
    return value && !value->empty() && value->front() == '0';
}

// A whole-number property; `otherwise` when the form leaves it out or it is not a number.
long Whole(const FormObject& control, std::string_view name, long otherwise) {
    const std::optional<std::string_view> value = control.Property(name);
    long number = 0;
    if (!value || std::from_chars(value->data(), value->data() + value->size(), number).ec != std::errc()) return otherwise;
    return number;
}

void CommandButtonRule(const FormObject& control, ControlShape& shape) {
    if (IsTrue(control, "Default")) shape = {"DEFPUSHBUTTON", {"BS_DEFPUSHBUTTON"}};
}

void LabelRule(const FormObject& control, ControlShape& shape) {
    switch (Whole(control, "Alignment", 0)) {
        case 1: shape = {"RTEXT", {"SS_RIGHT"}}; break;
        case 2: shape = {"CTEXT", {"SS_CENTER"}}; break;
        default: break;
    }
    // Statics are a group of their own: the arrow keys pass over them.
    shape.styles.push_back("WS_GROUP");
    if (IsFalse(control, "UseMnemonic")) shape.styles.push_back("SS_NOPREFIX");
    if (Whole(control, "BorderStyle", 0) == 1) shape.styles.push_back("WS_BORDER");
}

void TextBoxRule(const FormObject& control, ControlShape& shape) {
    const bool multiLine = IsTrue(control, "MultiLine");
    const long scrollBars = Whole(control, "ScrollBars", 0);
    switch (Whole(control, "Alignment", 0)) {
        case 1: shape.styles.push_back("ES_RIGHT"); break;
        case 2: shape.styles.push_back("ES_CENTER"); break;
        default: shape.styles.push_back("ES_LEFT"); break;
    }
    if (multiLine) {
        shape.styles.insert(shape.styles.end(), {"ES_MULTILINE", "ES_AUTOVSCROLL", "ES_WANTRETURN"});
        // Without a horizontal scroll bar, a multi-line box wraps its words.
        if (scrollBars & 1) shape.styles.push_back("ES_AUTOHSCROLL");
        if (scrollBars & 1) shape.styles.push_back("WS_HSCROLL");
        if (scrollBars & 2) shape.styles.push_back("WS_VSCROLL");
    } else {
        shape.styles.push_back("ES_AUTOHSCROLL");
    }
    if (control.Property("PasswordChar").value_or("").size() > 0) shape.styles.push_back("ES_PASSWORD");
    if (IsTrue(control, "Locked")) shape.styles.push_back("ES_READONLY");
    if (Whole(control, "BorderStyle", 1) == 1) shape.styles.push_back("WS_BORDER");
}

void ChoiceButtonRule(const FormObject& control, ControlShape& shape) {
    if (Whole(control, "Alignment", 0) == 1) shape.styles.push_back("BS_LEFTTEXT");
}

void ComboBoxRule(const FormObject& control, ControlShape& shape) {
    switch (Whole(control, "Style", 0)) {
        case 1: shape.styles.insert(shape.styles.begin(), {"CBS_SIMPLE", "CBS_AUTOHSCROLL"}); break;
        case 2: shape.styles.insert(shape.styles.begin(), "CBS_DROPDOWNLIST"); break;
        default: shape.styles.insert(shape.styles.begin(), {"CBS_DROPDOWN", "CBS_AUTOHSCROLL"}); break;
    }
    if (IsTrue(control, "Sorted")) shape.styles.push_back("CBS_SORT");
}

void ListBoxRule(const FormObject& control, ControlShape& shape) {
    if (IsTrue(control, "Sorted")) shape.styles.push_back("LBS_SORT");
    switch (Whole(control, "MultiSelect", 0)) {
        case 1: shape.styles.push_back("LBS_MULTIPLESEL"); break;
        case 2: shape.styles.push_back("LBS_EXTENDEDSEL"); break;
        default: break;
    }
    shape.styles.push_back(IsFalse(control, "BorderStyle") ? "NOT WS_BORDER" : "WS_BORDER");
}

void ListViewRule(const FormObject& control, ControlShape& shape) {
    constexpr std::string_view kViews[] = {"LVS_ICON", "LVS_SMALLICON", "LVS_LIST", "LVS_REPORT"};
    const long view = Whole(control, "View", 0);
    shape.styles.insert(shape.styles.begin(), kViews[view >= 0 && view < 4 ? view : 0]);
}

// The mapping. Visual Basic 3 forms name the standard controls without "VB.";
// they are looked up here as if they had it.
const std::vector<ControlKind>& ControlKinds() {
    using enum TextFrom;
    static const std::vector<ControlKind> kinds = {
        {"VB.CommandButton", "PUSHBUTTON", "", {"BS_PUSHBUTTON"}, Caption, true, CommandButtonRule},
        {"VB.Label", "LTEXT", "", {"SS_LEFT"}, Caption, false, LabelRule},
        {"VB.TextBox", "CONTROL", "EDIT", {}, Text, true, TextBoxRule},
        {"VB.Frame", "GROUPBOX", "", {"BS_GROUPBOX"}, Caption, false, nullptr},
        {"VB.CheckBox", "AUTOCHECKBOX", "", {"BS_AUTOCHECKBOX"}, Caption, true, ChoiceButtonRule},
        {"VB.OptionButton", "AUTORADIOBUTTON", "", {"BS_AUTORADIOBUTTON"}, Caption, true, ChoiceButtonRule},
        {"VB.ComboBox", "COMBOBOX", "", {"WS_VSCROLL"}, None, true, ComboBoxRule},
        {"VB.ListBox", "LISTBOX", "", {"LBS_NOTIFY", "LBS_NOINTEGRALHEIGHT", "WS_VSCROLL"}, None, true, ListBoxRule},
        {"VB.FileListBox", "LISTBOX", "", {"LBS_NOTIFY", "LBS_NOINTEGRALHEIGHT", "WS_VSCROLL", "WS_BORDER"}, None, true, nullptr},
        {"VB.DirListBox", "LISTBOX", "", {"LBS_NOTIFY", "LBS_NOINTEGRALHEIGHT", "WS_VSCROLL", "WS_BORDER"}, None, true, nullptr},
        {"VB.DriveListBox", "COMBOBOX", "", {"CBS_DROPDOWNLIST", "WS_VSCROLL"}, None, true, nullptr},
        {"VB.HScrollBar", "SCROLLBAR", "", {"SBS_HORZ"}, None, true, nullptr},
        {"VB.VScrollBar", "SCROLLBAR", "", {"SBS_VERT"}, None, true, nullptr},
        {"VB.PictureBox", "CONTROL", "STATIC", {"SS_ETCHEDFRAME"}, None, false, nullptr},
        {"VB.Image", "CONTROL", "STATIC", {"SS_ETCHEDFRAME"}, None, false, nullptr},
        {"VB.Shape", "CONTROL", "STATIC", {"SS_ETCHEDFRAME"}, None, false, nullptr},
        {"VB.Line", "CONTROL", "STATIC", {}, None, false, nullptr},  // etched across or down: see LineRect
        {"MSComctlLib.ListView", "CONTROL", "SysListView32", {"WS_BORDER"}, None, true, ListViewRule},
        {"ComctlLib.ListView", "CONTROL", "SysListView32", {"WS_BORDER"}, None, true, ListViewRule},
        {"MSComctlLib.TreeView", "CONTROL", "SysTreeView32", {"TVS_HASLINES", "TVS_HASBUTTONS", "WS_BORDER"}, None, true, nullptr},
        {"ComctlLib.TreeView", "CONTROL", "SysTreeView32", {"TVS_HASLINES", "TVS_HASBUTTONS", "WS_BORDER"}, None, true, nullptr},
        {"MSComctlLib.StatusBar", "CONTROL", "msctls_statusbar32", {}, None, false, nullptr},
        {"ComctlLib.StatusBar", "CONTROL", "msctls_statusbar32", {}, None, false, nullptr},
        {"MSComctlLib.ProgressBar", "CONTROL", "msctls_progress32", {"WS_BORDER"}, None, false, nullptr},
        {"ComctlLib.ProgressBar", "CONTROL", "msctls_progress32", {"WS_BORDER"}, None, false, nullptr},
        {"MSComctlLib.Slider", "CONTROL", "msctls_trackbar32", {"TBS_AUTOTICKS"}, None, true, nullptr},
        {"ComctlLib.Slider", "CONTROL", "msctls_trackbar32", {"TBS_AUTOTICKS"}, None, true, nullptr},
        {"MSComctlLib.TabStrip", "CONTROL", "SysTabControl32", {}, None, true, nullptr},
        {"ComctlLib.TabStrip", "CONTROL", "SysTabControl32", {}, None, true, nullptr},
        {"MSComctlLib.Toolbar", "CONTROL", "ToolbarWindow32", {}, None, false, nullptr},
        {"ComctlLib.Toolbar", "CONTROL", "ToolbarWindow32", {}, None, false, nullptr},
        {"MSComCtl2.UpDown", "CONTROL", "msctls_updown32", {}, None, false, nullptr},
        {"MSComCtl2.DTPicker", "CONTROL", "SysDateTimePick32", {}, None, true, nullptr},
        {"MSComCtl2.MonthView", "CONTROL", "SysMonthCal32", {}, None, true, nullptr},
        {"MSComCtl2.Animation", "CONTROL", "SysAnimate32", {}, None, false, nullptr},
        {"MSComctlLib.ImageCombo", "CONTROL", "ComboBoxEx32", {"CBS_DROPDOWN", "WS_VSCROLL"}, None, true, nullptr},
        {"RichTextLib.RichTextBox", "CONTROL", "RichEdit20W", {"ES_MULTILINE", "ES_AUTOVSCROLL", "ES_WANTRETURN", "WS_BORDER", "WS_VSCROLL"}, Text, true, nullptr},
        {"VB.Timer", "", "", {}, None, false, nullptr},
        {"MSComDlg.CommonDialog", "", "", {}, None, false, nullptr},
        {"MSComctlLib.ImageList", "", "", {}, None, false, nullptr},
        {"ComctlLib.ImageList", "", "", {}, None, false, nullptr},
        {"MSWinsockLib.Winsock", "", "", {}, None, false, nullptr},
        {"MSCommLib.MSComm", "", "", {}, None, false, nullptr},
        {"InetCtlsObjects.Inet", "", "", {}, None, false, nullptr},
        {"MSScriptControlCtl.ScriptControl", "", "", {}, None, false, nullptr},
    };
    return kinds;
}

const ControlKind* FindKind(std::string_view type) {
    std::string withLibrary;
    if (type.find('.') == std::string_view::npos) type = withLibrary.assign("VB.").append(type);
    for (const ControlKind& kind : ControlKinds())
        if (kind.type.size() == type.size() && std::equal(type.begin(), type.end(), kind.type.begin(), [](char a, char b) {
                return LowerAscii(a) == LowerAscii(b);
            }))
            return &kind;
    return nullptr;
}

// A number property as written ("120", "8.25", "-1"); nothing when it is not one.
std::optional<double> Number(const FormObject& object, std::string_view name) {
    const std::optional<std::string_view> value = object.Property(name);
    if (!value) return std::nullopt;
    double number = 0;
    const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), number);
    if (error != std::errc() || !std::isfinite(number)) return std::nullopt;
    return number;
}

// The dialog font's average character in pixels, and so the size of a dialog unit.
struct BaseUnits {
    double x = 6, y = 13;

    std::int32_t X(double pixels) const { return Clamp(pixels * 4 / x); }
    std::int32_t Y(double pixels) const { return Clamp(pixels * 8 / y); }

    static std::int32_t Clamp(double units) {
        // A dialog's coordinates are 16-bit: a control placed absurdly far stays at the edge.
        return static_cast<std::int32_t>(std::lround(std::clamp(units, -32768.0, 32767.0)));
    }
};

constexpr double kTwipsPerPixel = 15;  // at 96 dpi

// "FONT 8, "MS Sans Serif", 400, 0, 238" from the form's Font (or, in Visual
// Basic 3 forms, FontName and FontSize); the base units follow the size.
std::string FontOf(const FormObject& form, BaseUnits& base) {
    std::optional<std::string_view> name = form.Property("Font.Name");
    std::optional<double> size = Number(form, "Font.Size");
    if (!name) name = form.Property("FontName");
    if (!size) size = Number(form, "FontSize");
    if (!name || name->empty()) return "8, \"MS Sans Serif\"";
    const long points = std::clamp(std::lround(size.value_or(8)), 1L, 144L);
    base = {6.0 * static_cast<double>(points) / 8, 13.0 * static_cast<double>(points) / 8};
    std::string font = std::to_string(points) + ", \"";
    AppendRcString(font, *name);
    const long weight = form.Property("Font.Weight") ? Whole(form, "Font.Weight", 400) : IsTrue(form, "FontBold") ? 700 : 400;
    const bool italic = IsTrue(form, "Font.Italic") || IsTrue(form, "FontItalic");
    font += "\", " + std::to_string(std::clamp(weight, 0L, 1000L)) + ", " + (italic ? "1" : "0") + ", " +
            std::to_string(std::clamp(Whole(form, "Font.Charset", 0), 0L, 255L));
    return font;
}

// Visual Basic's border styles: 0 none, 1 fixed single, 2 sizable (its
// default), 3 fixed dialog, 4 fixed tool window, 5 sizable tool window.
void FormStyles(const FormObject& form, Dialog& dialog) {
    const long border = Whole(form, "BorderStyle", 2);
    dialog.styles = {"DS_SETFONT", "WS_POPUP"};
    if (border == 3) dialog.styles.push_back("DS_MODALFRAME");
    const long startUp = Whole(form, "StartUpPosition", 3);
    if (startUp == 1 || startUp == 2) dialog.styles.push_back("DS_CENTER");
    if (border == 0) return;
    dialog.styles.push_back("WS_CAPTION");
    if (!IsFalse(form, "ControlBox")) dialog.styles.push_back("WS_SYSMENU");
    // Only the plain windows show the two buttons unless the form says otherwise.
    const bool buttonsByDefault = border == 1 || border == 2;
    const auto button = [&](std::string_view property) {
        return form.Property(property) ? IsTrue(form, property) : buttonsByDefault;
    };
    if (button("MinButton")) dialog.styles.push_back("WS_MINIMIZEBOX");
    if (button("MaxButton")) dialog.styles.push_back("WS_MAXIMIZEBOX");
    if (border == 2 || border == 5) dialog.styles.push_back("WS_THICKFRAME");
    if (border == 4 || border == 5) dialog.exStyles.push_back("WS_EX_TOOLWINDOW");
}

// Where a control lies, in pixels from the dialog's client area: its own
// Left and Top added to the origin of what it lies in.
struct Place {
    double x = 0, y = 0;
};

// A horizontal or vertical Line as a thin etched static; nothing for a slanting one.
std::optional<DialogRect> LineRect(const FormObject& line, Place origin, const BaseUnits& base, ControlShape& shape) {
    const double x1 = Number(line, "X1").value_or(0) / kTwipsPerPixel, x2 = Number(line, "X2").value_or(0) / kTwipsPerPixel;
    const double y1 = Number(line, "Y1").value_or(0) / kTwipsPerPixel, y2 = Number(line, "Y2").value_or(0) / kTwipsPerPixel;
    if (std::lround(y1) == std::lround(y2)) {
        shape.styles.insert(shape.styles.begin(), "SS_ETCHEDHORZ");
        return DialogRect{base.X(origin.x + std::min(x1, x2)), base.Y(origin.y + y1), base.X(std::abs(x2 - x1)), 1};
    }
    if (std::lround(x1) == std::lround(x2)) {
        shape.styles.insert(shape.styles.begin(), "SS_ETCHEDVERT");
        return DialogRect{base.X(origin.x + x1), base.Y(origin.y + std::min(y1, y2)), 1, base.Y(std::abs(y2 - y1))};
    }
    return std::nullopt;
}

// A comment may hold only what cannot end it early or join the next line to it.
std::string_view CommentSafe(std::string_view word, std::string& room) {
    room.clear();
    for (const char c : word) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
        room += plain ? c : '?';
    }
    return room;
}

class DialogPlanner {
public:
    DialogPlanner(const Form& form, const std::string& formFile, std::vector<std::string>& warnings)
        : form_(form), formFile_(formFile), warnings_(warnings) {}

    Result<Dialog> Plan(const MenuNumbers* menu, const RcOptions& options) {
        const FormObject& root = form_.objects[0];
        dialog_.caption = root.Property("Caption");
        if (Whole(root, "BorderStyle", 2) == 0) dialog_.caption.reset();  // a caption would give it a title bar
        dialog_.font = FontOf(root, base_);
        FormStyles(root, dialog_);
        const double width = Number(root, "ClientWidth").value_or(Number(root, "Width").value_or(4800));
        const double height = Number(root, "ClientHeight").value_or(Number(root, "Height").value_or(3600));
        dialog_.rect = {0, 0, base_.X(width / kTwipsPerPixel), base_.Y(height / kTwipsPerPixel)};

        for (const UnreadableString& lost : form_.unreadable)
            warnings_.push_back(formFile_ + ": the " + std::string(lost.property) + " of " +
                                std::string(form_.objects[lost.object].name) + " is left empty: " + lost.reason);
        PlaceControls();
        GroupOptionButtons();
        return NumberControls(menu, options);
    }

private:
    void PlaceControls() {
        std::vector<Place> origin(form_.objects.size());
        std::vector<bool> visible(form_.objects.size(), true), enabled(form_.objects.size(), true);
        kinds_.assign(form_.objects.size(), nullptr);
        for (std::uint32_t i = 1; i < form_.objects.size(); ++i) {
            const FormObject& control = form_.objects[i];
            const ControlKind* kind = kinds_[i] = FindKind(control.type);
            const std::uint32_t parent = control.parent;
            // What lies in a hidden or disabled container is hidden or disabled with it.
            visible[i] = visible[parent] && !IsFalse(control, "Visible");
            enabled[i] = enabled[parent] && !IsFalse(control, "Enabled");
            const Place at{origin[parent].x + Number(control, "Left").value_or(0) / kTwipsPerPixel,
                           origin[parent].y + Number(control, "Top").value_or(0) / kTwipsPerPixel};
            // A picture box's children start inside its border (3-D: two pixels, flat: one).
            const bool bordered = Is(kind, "VB.PictureBox") && Whole(control, "BorderStyle", 1) == 1;
            const double inset = bordered ? (Whole(control, "Appearance", 1) == 1 ? 2 : 1) : 0;
            origin[i] = {at.x + inset, at.y + inset};

            if (kind && kind->statement.empty()) continue;
            DialogControl line;
            line.object = i;
            if (!kind || !Fill(control, *kind, origin[parent], at, visible[i], enabled[i], line)) {
                const std::string why = kind ? "slants, and no Windows control draws that" : "has no Windows control";
                warnings_.push_back(formFile_ + ": " + std::string(control.name) + " (" + std::string(control.type) + ") " +
                                    why + "; left out of the dialog" +
                                    (control.end > i + 1 ? " with what lies in it" : ""));
                line.statement = {};
                i = control.end - 1;  // what lies in it goes with it
            }
            dialog_.controls.push_back(std::move(line));
        }
        // The form's tab order; controls without a TabIndex (images, lines, shapes) after the rest.
        std::stable_sort(dialog_.controls.begin(), dialog_.controls.end(), [&](const DialogControl& a, const DialogControl& b) {
            return TabIndex(a) < TabIndex(b);
        });
    }

    long TabIndex(const DialogControl& line) const { return Whole(form_.objects[line.object], "TabIndex", 0x7fffffff); }

    static bool Is(const ControlKind* kind, std::string_view type) { return kind && kind->type == type; }

    // The control's statement, styles, text and rectangle; false for a slanting line.
    bool Fill(const FormObject& control, const ControlKind& kind, Place parent, Place at, bool visible, bool enabled,
              DialogControl& line) {
        ControlShape shape{kind.statement, kind.styles};
        if (kind.rule) kind.rule(control, shape);
        if (Is(&kind, "VB.Line")) {
            const std::optional<DialogRect> rect = LineRect(control, parent, base_, shape);
            if (!rect) return false;
            line.rect = *rect;
        } else {
            line.rect = {base_.X(at.x), base_.Y(at.y), base_.X(Number(control, "Width").value_or(0) / kTwipsPerPixel),
                         base_.Y(Number(control, "Height").value_or(0) / kTwipsPerPixel)};
        }
        if ((Is(&kind, "VB.ComboBox") && Whole(control, "Style", 0) != 1) || Is(&kind, "VB.DriveListBox")) {
            // Its height is the closed box's; the resource gives the open list's: room for eight more rows.
            line.rect.height += 8 * 8;
        }
        if (kind.focusable && !IsFalse(control, "TabStop")) shape.styles.push_back("WS_TABSTOP");
        else if (kind.focusable && kind.statement != "CONTROL") shape.styles.push_back("NOT WS_TABSTOP");
        if (!enabled) shape.styles.push_back("WS_DISABLED");
        if (!visible) shape.styles.push_back("NOT WS_VISIBLE");
        line.statement = shape.statement;
        line.windowClass = kind.windowClass;
        line.styles = std::move(shape.styles);
        if (kind.text == TextFrom::Caption) line.text = control.Property("Caption").value_or("");
        if (kind.text == TextFrom::Text) line.text = control.Property("Text").value_or("");
        if (line.statement == "CONTROL" && !line.text) line.text = "";
        return true;
    }

    // Radio buttons that belong together form a group: WS_GROUP on the first
    // of each run of option buttons in one container, and on what follows it.
    void GroupOptionButtons() {
        const DialogControl* previous = nullptr;
        for (DialogControl& line : dialog_.controls) {
            if (line.statement.empty()) continue;
            const FormObject& control = form_.objects[line.object];
            const bool isOption = Is(kinds_[line.object], "VB.OptionButton");
            const bool previousOption = previous && Is(kinds_[previous->object], "VB.OptionButton");
            const bool sameContainer = previous && form_.objects[previous->object].parent == control.parent;
            const bool startsGroup = isOption ? !(previousOption && sameContainer) : previousOption;
            if (startsGroup && std::find(line.styles.begin(), line.styles.end(), "WS_GROUP") == line.styles.end())
                line.styles.push_back("WS_GROUP");
            previous = &line;
        }
    }

    Result<Dialog> NumberControls(const MenuNumbers* menu, const RcOptions& options) {
        std::int64_t next = menu ? NextNumber(*menu, options) : options.firstId;
        std::unordered_set<std::string_view> taken;
        if (menu)
            for (const std::string_view name : menu->identifier)
                if (!name.empty()) taken.insert(name);
        std::string composed;
        for (DialogControl& line : dialog_.controls) {
            if (line.statement.empty()) continue;
            const FormObject& control = form_.objects[line.object];
            if (next < 0 || next > kLargestId) {
                ConvertError error = FileError(ErrorKind::ControlNumberOutOfRange, formFile_);
                error.detail = control.name;
                error.number = next;
                return error;
            }
            line.number = static_cast<std::int32_t>(next++);
            if (!options.useDefines) continue;
            std::string_view name = control.name;
            if (const std::optional<std::string_view> index = control.Property("Index")) {
                composed.assign(control.name).append("_").append(*index);
                name = dialog_.names.Keep(composed);
            }
            // A name defined twice would give the second its first owner's number.
            if (IsUsableRcName(name) && taken.insert(name).second) line.identifier = name;
        }
        const std::string_view formName = form_.objects[0].name;
        if (IsUsableRcName(formName) && !taken.contains(formName)) dialog_.name = formName;
        else dialog_.number = static_cast<std::int32_t>(std::clamp<std::int64_t>(next, 1, kLargestId));
        return std::move(dialog_);
    }

    const Form& form_;
    const std::string& formFile_;
    std::vector<std::string>& warnings_;
    BaseUnits base_;
    Dialog dialog_;
    std::vector<const ControlKind*> kinds_;  // per object: its row of the mapping, or null
};

void AppendStyles(std::string& out, const std::vector<std::string_view>& styles) {
    for (std::size_t i = 0; i < styles.size(); ++i) out.append(i ? " | " : "").append(styles[i]);
    if (styles.empty()) out += "0";
}

void AppendNumber(std::string& out, std::int64_t number) {
    char digits[24];
    out.append(digits, std::to_chars(digits, std::end(digits), number).ptr);
}

// "x, y, width, height"
void AppendRect(std::string& out, const DialogRect& rect) {
    AppendNumber(out, rect.x);
    for (const std::int32_t value : {rect.y, rect.width, rect.height}) {
        out += ", ";
        AppendNumber(out, value);
    }
}

}  // namespace

std::optional<std::string> WhyNoDialog(const Form& form, const std::string& formFile) {
    if (form.objects.empty()) return formFile + ": holds no form; no dialog written";
    const std::string_view type = form.objects[0].type;
    const auto is = [&](std::string_view name) {
        return type.size() == name.size() && StartsWithNoCase(type, name);
    };
    if (is("vb.mdiform") || is("mdiform")) return formFile + ": an MDI form has no dialog; only its menu is written";
    if (!is("vb.form") && !is("form"))
        return formFile + ": " + std::string(type) + " is not a form; no dialog written";
    return std::nullopt;
}

Result<Dialog> PlanDialog(const Form& form, const MenuNumbers* menu, const RcOptions& options, const std::string& formFile,
                          std::vector<std::string>& warnings) {
    return DialogPlanner(form, formFile, warnings).Plan(menu, options);
}

void WriteDialogDefines(const Dialog& dialog, TextSink& out) {
    std::string line;
    for (const DialogControl& control : dialog.controls) {
        if (control.identifier.empty()) continue;
        line.assign("#define ").append(control.identifier).append(" ");
        AppendNumber(line, control.number);
        line += "\r\n";
        out.Write(line);
    }
}

void WriteDialogResource(const Form& form, const Dialog& dialog, bool withMenu, TextSink& out) {
    std::string text;
    if (!dialog.name.empty()) text.append(dialog.name);
    else AppendNumber(text, dialog.number);
    text += " DIALOGEX ";
    AppendRect(text, dialog.rect);
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
    if (withMenu) text += "\r\nMENU Glowne";
    text += "\r\nFONT " + dialog.font + "\r\n{\r\n";
    out.Write(text);

    std::string room;
    for (const DialogControl& control : dialog.controls) {
        const FormObject& object = form.objects[control.object];
        text.assign("    ");
        if (control.statement.empty()) {
            text.append("// ").append(CommentSafe(object.type, room)).append(" ");
            text.append(CommentSafe(object.name, room)).append(": no Windows control, left out\r\n");
            out.Write(text);
            continue;
        }
        text.append(control.statement).append(" ");
        if (control.text) {
            text += "\"";
            AppendRcString(text, *control.text);
            text += "\", ";
        }
        if (!control.identifier.empty()) text.append(control.identifier);
        else AppendNumber(text, control.number);
        if (control.statement == "CONTROL") {
            text.append(", \"").append(control.windowClass).append("\", ");
            AppendStyles(text, control.styles);
            text += ", ";
            AppendRect(text, control.rect);
        } else {
            text += ", ";
            AppendRect(text, control.rect);
            text += ", ";
            AppendStyles(text, control.styles);
        }
        text += "\r\n";
        out.Write(text);
    }
    out.Write("}\r\n");
}

}  // namespace tarvel
