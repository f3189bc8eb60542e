#include "dialog_layout.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "ascii.h"

namespace tarvel {
namespace {

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

bool IsTrue(const FormObject& control, Prop name) {
    const std::optional<std::string_view> value = control.Property(name);
    return value && !value->empty() && value->front() != '0';
}

bool IsFalse(const FormObject& control, Prop name) {
    const std::optional<std::string_view> value = control.Property(name);
    return value && !value->empty() && value->front() == '0';
}

// A whole-number property; `otherwise` when the form leaves it out or it is not a number.
long Whole(const FormObject& control, Prop name, long otherwise) {
    const std::optional<std::string_view> value = control.Property(name);
    long number = 0;
    if (!value || std::from_chars(value->data(), value->data() + value->size(), number).ec != std::errc()) return otherwise;
    return number;
}

void CommandButtonRule(const FormObject& control, ControlShape& shape) {
    if (IsTrue(control, Prop::Default)) shape = {"DEFPUSHBUTTON", {"BS_DEFPUSHBUTTON"}};
}

void LabelRule(const FormObject& control, ControlShape& shape) {
    switch (Whole(control, Prop::Alignment, 0)) {
        case 1: shape = {"RTEXT", {"SS_RIGHT"}}; break;
        case 2: shape = {"CTEXT", {"SS_CENTER"}}; break;
        default: break;
    }
    // Statics are a group of their own: the arrow keys pass over them.
    shape.styles.push_back("WS_GROUP");
    if (IsFalse(control, Prop::UseMnemonic)) shape.styles.push_back("SS_NOPREFIX");
    if (Whole(control, Prop::BorderStyle, 0) == 1) shape.styles.push_back("WS_BORDER");
}

void TextBoxRule(const FormObject& control, ControlShape& shape) {
    const bool multiLine = IsTrue(control, Prop::MultiLine);
    const long scrollBars = Whole(control, Prop::ScrollBars, 0);
    switch (Whole(control, Prop::Alignment, 0)) {
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
    if (control.Property(Prop::PasswordChar).value_or("").size() > 0) shape.styles.push_back("ES_PASSWORD");
    if (IsTrue(control, Prop::Locked)) shape.styles.push_back("ES_READONLY");
    if (Whole(control, Prop::BorderStyle, 1) == 1) shape.styles.push_back("WS_BORDER");
}

void ChoiceButtonRule(const FormObject& control, ControlShape& shape) {
    if (Whole(control, Prop::Alignment, 0) == 1) shape.styles.push_back("BS_LEFTTEXT");
}

void ComboBoxRule(const FormObject& control, ControlShape& shape) {
    switch (Whole(control, Prop::Style, 0)) {
        case 1: shape.styles.insert(shape.styles.begin(), {"CBS_SIMPLE", "CBS_AUTOHSCROLL"}); break;
        case 2: shape.styles.insert(shape.styles.begin(), "CBS_DROPDOWNLIST"); break;
        default: shape.styles.insert(shape.styles.begin(), {"CBS_DROPDOWN", "CBS_AUTOHSCROLL"}); break;
    }
    if (IsTrue(control, Prop::Sorted)) shape.styles.push_back("CBS_SORT");
}

void ListBoxRule(const FormObject& control, ControlShape& shape) {
    if (IsTrue(control, Prop::Sorted)) shape.styles.push_back("LBS_SORT");
    switch (Whole(control, Prop::MultiSelect, 0)) {
        case 1: shape.styles.push_back("LBS_MULTIPLESEL"); break;
        case 2: shape.styles.push_back("LBS_EXTENDEDSEL"); break;
        default: break;
    }
    shape.styles.push_back(IsFalse(control, Prop::BorderStyle) ? "NOT WS_BORDER" : "WS_BORDER");
}

void ListViewRule(const FormObject& control, ControlShape& shape) {
    constexpr std::string_view kViews[] = {"LVS_ICON", "LVS_SMALLICON", "LVS_LIST", "LVS_REPORT"};
    const long view = Whole(control, Prop::View, 0);
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

constexpr std::uint16_t kUnknownKind = UINT16_MAX;

// The row of the mapping for a control type, or kUnknownKind.
std::uint16_t FindKind(std::string_view type) {
    std::string withLibrary;
    if (type.find('.') == std::string_view::npos) type = withLibrary.assign("VB.").append(type);
    const std::vector<ControlKind>& kinds = ControlKinds();
    for (std::size_t i = 0; i < kinds.size(); ++i)
        if (EqualNoCase(kinds[i].type, type)) return static_cast<std::uint16_t>(i);
    return kUnknownKind;
}

const ControlKind* KindAt(std::uint16_t kind) { return kind == kUnknownKind ? nullptr : &ControlKinds()[kind]; }

// A number property as written ("120", "8.25", "-1"); nothing when it is not one.
std::optional<double> Number(const FormObject& object, Prop name) {
    const std::optional<std::string_view> value = object.Property(name);
    if (!value) return std::nullopt;
    double number = 0;
    const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), number);
    if (error != std::errc() || !std::isfinite(number)) return std::nullopt;
    return number;
}

constexpr double kTwipsPerPixel = 15;  // at 96 dpi

// The form's Font (or, in Visual Basic 3 forms, FontName and FontSize), and
// the base units that follow its size.
DialogFont FontOf(const FormObject& form, BaseUnits& base) {
    DialogFont font;
    std::optional<std::string_view> name = form.Property(Prop::FontBlockName);
    std::optional<double> size = Number(form, Prop::FontBlockSize);
    if (!name) name = form.Property(Prop::FontName);
    if (!size) size = Number(form, Prop::FontSize);
    if (!name || name->empty()) return font;
    font.name = *name;
    font.points = std::clamp(std::lround(size.value_or(8)), 1L, 144L);
    base = {6.0 * static_cast<double>(font.points) / 8, 13.0 * static_cast<double>(font.points) / 8};
    const long weight =
        form.Property(Prop::FontBlockWeight) ? Whole(form, Prop::FontBlockWeight, 400) : IsTrue(form, Prop::FontBold) ? 700 : 400;
    font.weight = std::clamp(weight, 0L, 1000L);
    font.italic = IsTrue(form, Prop::FontBlockItalic) || IsTrue(form, Prop::FontItalic);
    font.charset = std::clamp(Whole(form, Prop::FontBlockCharset, 0), 0L, 255L);
    return font;
}

// Visual Basic's border styles: 0 none, 1 fixed single, 2 sizable (its
// default), 3 fixed dialog, 4 fixed tool window, 5 sizable tool window.
void FormStyles(const FormObject& form, DialogLayout& dialog) {
    const long border = Whole(form, Prop::BorderStyle, 2);
    dialog.styles = {"DS_SETFONT", "WS_POPUP"};
    if (border == 3) dialog.styles.push_back("DS_MODALFRAME");
    const long startUp = Whole(form, Prop::StartUpPosition, 3);
    if (startUp == 1 || startUp == 2) dialog.styles.push_back("DS_CENTER");
    if (border == 0) return;
    dialog.styles.push_back("WS_CAPTION");
    if (!IsFalse(form, Prop::ControlBox)) dialog.styles.push_back("WS_SYSMENU");
    // Only the plain windows show the two buttons unless the form says otherwise.
    const bool buttonsByDefault = border == 1 || border == 2;
    const auto button = [&](Prop property) { return form.Property(property) ? IsTrue(form, property) : buttonsByDefault; };
    if (button(Prop::MinButton)) dialog.styles.push_back("WS_MINIMIZEBOX");
    if (button(Prop::MaxButton)) dialog.styles.push_back("WS_MAXIMIZEBOX");
    if (border == 2 || border == 5) dialog.styles.push_back("WS_THICKFRAME");
    if (border == 4 || border == 5) dialog.exStyles.push_back("WS_EX_TOOLWINDOW");
}

// A horizontal or vertical Line as a thin etched static; nothing for a slanting one.
std::optional<DialogRect> LineRect(const FormObject& line, double originX, double originY, const BaseUnits& base,
                                   ControlShape& shape) {
    const double x1 = Number(line, Prop::X1).value_or(0) / kTwipsPerPixel, x2 = Number(line, Prop::X2).value_or(0) / kTwipsPerPixel;
    const double y1 = Number(line, Prop::Y1).value_or(0) / kTwipsPerPixel, y2 = Number(line, Prop::Y2).value_or(0) / kTwipsPerPixel;
    if (std::lround(y1) == std::lround(y2)) {
        shape.styles.insert(shape.styles.begin(), "SS_ETCHEDHORZ");
        return DialogRect{base.X(originX + std::min(x1, x2)), base.Y(originY + y1), base.X(std::abs(x2 - x1)), 1};
    }
    if (std::lround(x1) == std::lround(x2)) {
        shape.styles.insert(shape.styles.begin(), "SS_ETCHEDVERT");
        return DialogRect{base.X(originX + x1), base.Y(originY + std::min(y1, y2)), 1, base.Y(std::abs(y2 - y1))};
    }
    return std::nullopt;
}

bool Is(const ControlKind* kind, std::string_view type) { return kind && kind->type == type; }

// The control's statement, styles, text and rectangle; false for a slanting line.
bool Fill(const Form& form, const DialogLayout& dialog, std::uint32_t object, ControlLine& line) {
    const FormObject& control = form.objects[object];
    const DialogLayout::Place& parent = dialog.places[control.parent];
    const DialogLayout::Place& place = dialog.places[object];
    const ControlKind& kind = ControlKinds()[place.kind];
    ControlShape shape{kind.statement, kind.styles};
    if (kind.rule) kind.rule(control, shape);
    if (Is(&kind, "VB.Line")) {
        const std::optional<DialogRect> rect = LineRect(control, parent.x, parent.y, dialog.base, shape);
        if (!rect) return false;
        line.rect = *rect;
    } else {
        const double x = parent.x + Number(control, Prop::Left).value_or(0) / kTwipsPerPixel;
        const double y = parent.y + Number(control, Prop::Top).value_or(0) / kTwipsPerPixel;
        line.rect = {dialog.base.X(x), dialog.base.Y(y), dialog.base.X(Number(control, Prop::Width).value_or(0) / kTwipsPerPixel),
                     dialog.base.Y(Number(control, Prop::Height).value_or(0) / kTwipsPerPixel)};
    }
    if ((Is(&kind, "VB.ComboBox") && Whole(control, Prop::Style, 0) != 1) || Is(&kind, "VB.DriveListBox")) {
        // Its height is the closed box's; the resource gives the open list's: room for eight more rows.
        line.rect.height += 8 * 8;
    }
    if (kind.focusable && !IsFalse(control, Prop::TabStop)) shape.styles.push_back("WS_TABSTOP");
    else if (kind.focusable && kind.statement != "CONTROL") shape.styles.push_back("NOT WS_TABSTOP");
    if (!place.enabled) shape.styles.push_back("WS_DISABLED");
    if (!place.visible) shape.styles.push_back("NOT WS_VISIBLE");
    line.statement = shape.statement;
    line.windowClass = kind.windowClass;
    line.styles = std::move(shape.styles);
    line.text.reset();
    if (kind.text == TextFrom::Caption) line.text = control.Property(Prop::Caption).value_or("");
    if (kind.text == TextFrom::Text) line.text = control.Property(Prop::Text).value_or("");
    if (line.statement == "CONTROL" && !line.text) line.text = "";
    return true;
}

long TabIndex(const Form& form, const DialogControlRef& ref) {
    return Whole(form.objects[ref.object], Prop::TabIndex, 0x7fffffff);
}

// Where each object lies, and which controls the dialog holds, in the form's
// tab order; controls left out are named in `warnings`.
void PlaceControls(const Form& form, const std::string& formFile, DialogLayout& dialog, std::vector<std::string>& warnings) {
    dialog.places.assign(form.objects.size(), {});
    ControlLine line;
    for (std::uint32_t i = 1; i < form.objects.size(); ++i) {
        const FormObject& control = form.objects[i];
        DialogLayout::Place& place = dialog.places[i];
        const DialogLayout::Place& parent = dialog.places[control.parent];
        place.kind = FindKind(control.type);
        const ControlKind* kind = KindAt(place.kind);
        // What lies in a hidden or disabled container is hidden or disabled with it.
        place.visible = parent.visible && !IsFalse(control, Prop::Visible);
        place.enabled = parent.enabled && !IsFalse(control, Prop::Enabled);
        // A picture box's children start inside its border (3-D: two pixels, flat: one).
        const bool bordered = Is(kind, "VB.PictureBox") && Whole(control, Prop::BorderStyle, 1) == 1;
        const double inset = bordered ? (Whole(control, Prop::Appearance, 1) == 1 ? 2 : 1) : 0;
        place.x = parent.x + Number(control, Prop::Left).value_or(0) / kTwipsPerPixel + inset;
        place.y = parent.y + Number(control, Prop::Top).value_or(0) / kTwipsPerPixel + inset;

        if (kind && kind->statement.empty()) continue;
        DialogControlRef ref{i, false, false};
        if (!kind || !Fill(form, dialog, i, line)) {
            const std::string why = kind ? "slants, and no Windows control draws that" : "has no Windows control";
            warnings.push_back(formFile + ": " + std::string(control.name) + " (" + std::string(control.type) + ") " + why +
                               "; left out of the dialog" + (control.end > i + 1 ? " with what lies in it" : ""));
            ref.comment = true;
            i = control.end - 1;  // what lies in it goes with it
        }
        dialog.controls.push_back(ref);
    }
    // The form's tab order; controls without a TabIndex (images, lines, shapes) after the rest.
    std::stable_sort(dialog.controls.begin(), dialog.controls.end(), [&](const DialogControlRef& a, const DialogControlRef& b) {
        return TabIndex(form, a) < TabIndex(form, b);
    });
}

// Radio buttons that belong together form a group: WS_GROUP on the first
// of each run of option buttons in one container, and on what follows it.
void GroupOptionButtons(const Form& form, DialogLayout& dialog) {
    const DialogControlRef* previous = nullptr;
    for (DialogControlRef& ref : dialog.controls) {
        if (ref.comment) continue;
        const bool isOption = Is(KindAt(dialog.places[ref.object].kind), "VB.OptionButton");
        const bool previousOption = previous && Is(KindAt(dialog.places[previous->object].kind), "VB.OptionButton");
        const bool sameContainer = previous && form.objects[previous->object].parent == form.objects[ref.object].parent;
        ref.startsGroup = isOption ? !(previousOption && sameContainer) : previousOption;
        previous = &ref;
    }
}

}  // namespace

std::optional<std::string> WhyNoDialog(const Form& form, const std::string& formFile) {
    if (form.IsMdiForm()) return formFile + ": an MDI form has no dialog; only its menu is written";
    return std::nullopt;
}

DialogLayout LayOutDialog(const Form& form, const std::string& formFile, std::vector<std::string>& warnings) {
    DialogLayout dialog;
    const FormObject& root = form.objects[0];
    dialog.caption = root.Property(Prop::Caption);
    if (Whole(root, Prop::BorderStyle, 2) == 0) dialog.caption.reset();  // a caption would give it a title bar
    dialog.font = FontOf(root, dialog.base);
    FormStyles(root, dialog);
    const double width = Number(root, Prop::ClientWidth).value_or(Number(root, Prop::Width).value_or(4800));
    const double height = Number(root, Prop::ClientHeight).value_or(Number(root, Prop::Height).value_or(3600));
    dialog.rect = {0, 0, dialog.base.X(width / kTwipsPerPixel), dialog.base.Y(height / kTwipsPerPixel)};

    for (const UnreadableString& lost : form.unreadable)
        if (!lost.inMenu)
            warnings.push_back(formFile + ": the " + std::string(PropertyName(lost.property)) + " of " +
                               std::string(form.objects[lost.node].name) + " is left empty: " + lost.Why());
    PlaceControls(form, formFile, dialog, warnings);
    GroupOptionButtons(form, dialog);
    return dialog;
}

void DescribeControl(const Form& form, const DialogLayout& dialog, const DialogControlRef& ref, ControlLine& line) {
    Fill(form, dialog, ref.object, line);
    if (ref.startsGroup && std::find(line.styles.begin(), line.styles.end(), "WS_GROUP") == line.styles.end())
        line.styles.push_back("WS_GROUP");
}

}  // namespace tarvel
