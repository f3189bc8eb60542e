#include "dialog_layout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "ascii.h"
#include "rc_writer.h"
#include "result.h"

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
    // A Label wraps its words, as LTEXT does, unless it grows to its text's width (AutoSize without
    // WordWrap) or the form turns wrapping off. Right and centred text have no such style.
    const bool oneLine = IsFalse(control, Prop::WordWrap) || (IsTrue(control, Prop::AutoSize) && !IsTrue(control, Prop::WordWrap));
    if (oneLine && shape.statement == "LTEXT") shape.styles.push_back("SS_LEFTNOWORDWRAP");
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
    // A graphical one (Style 1) looks like a push button that stays down while chosen.
    if (Whole(control, Prop::Style, 0) == 1) shape.styles.push_back("BS_PUSHLIKE");
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

// Names of the two rows that no form's type names: types have no parentheses.
constexpr std::string_view kReportViewKind = "(report view)";
constexpr std::string_view kPlaceholderKind = "(placeholder)";

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
        // Its pages: see TabPages. Written after them, and clipped by them, so it never paints over them.
        {"TabDlg.SSTab", "CONTROL", "SysTabControl32", {"WS_CLIPSIBLINGS"}, None, true, nullptr},
        {"ComctlLib.TabStrip", "CONTROL", "SysTabControl32", {}, None, true, nullptr},
        {"MSComctlLib.Toolbar", "CONTROL", "ToolbarWindow32", {}, None, false, nullptr},
        {"ComctlLib.Toolbar", "CONTROL", "ToolbarWindow32", {}, None, false, nullptr},
        {"MSComCtl2.UpDown", "CONTROL", "msctls_updown32", {}, None, false, nullptr},
        {"MSComCtl2.DTPicker", "CONTROL", "SysDateTimePick32", {}, None, true, nullptr},
        {"MSComCtl2.MonthView", "CONTROL", "SysMonthCal32", {}, None, true, nullptr},
        {"MSComCtl2.Animation", "CONTROL", "SysAnimate32", {}, None, false, nullptr},
        {"MSComctlLib.ImageCombo", "CONTROL", "ComboBoxEx32", {"CBS_DROPDOWN", "WS_VSCROLL"}, None, true, nullptr},
        {"RichTextLib.RichTextBox", "CONTROL", "RichEdit20W", {"ES_MULTILINE", "ES_AUTOVSCROLL", "ES_WANTRETURN", "WS_BORDER", "WS_VSCROLL"}, Text, true, nullptr},
        // Reached only through the look-alikes: grids as a list in report view.
        {kReportViewKind, "CONTROL", "SysListView32", {"LVS_REPORT", "WS_BORDER"}, None, true, nullptr},
        // A control with no Windows counterpart: an etched frame that keeps its place.
        {kPlaceholderKind, "CONTROL", "STATIC", {"SS_ETCHEDFRAME"}, None, false, nullptr},
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

// The controls that are written as a standard control they resemble: the
// type (library and class; "*." for a class of that name from any library,
// as third-party families and projects' own copies of them are) and the row
// of the mapping it is written as. They read the properties they share with
// that control (Caption, Text, Enabled, Visible, Alignment, Style, ...).
struct LookAlike {
    std::string_view type;
    std::string_view like;
};

constexpr LookAlike kLookAlikes[] = {
    // Microsoft's data and input controls
    {"MSMask.MaskEdBox", "VB.TextBox"},
    {"MSDataListLib.DataCombo", "VB.ComboBox"},
    {"MSDBCtls.DBCombo", "VB.ComboBox"},
    {"MSDataListLib.DataList", "VB.ListBox"},
    {"MSDBCtls.DBList", "VB.ListBox"},
    {"MSFlexGridLib.MSFlexGrid", kReportViewKind},
    {"MSHierarchicalFlexGridLib.MSHFlexGrid", kReportViewKind},
    {"MSDataGridLib.DataGrid", kReportViewKind},
    {"MSDBGrid.DBGrid", kReportViewKind},
    {"MSGrid.Grid", kReportViewKind},
    {"*.VSFlexGrid", kReportViewKind},
    {"*.fpSpread", kReportViewKind},
    {"*.vaSpread", kReportViewKind},
    // Microsoft Forms 2.0
    {"MSForms.CommandButton", "VB.CommandButton"},
    {"MSForms.ToggleButton", "VB.CheckBox"},
    {"MSForms.Label", "VB.Label"},
    {"MSForms.TextBox", "VB.TextBox"},
    {"MSForms.CheckBox", "VB.CheckBox"},
    {"MSForms.OptionButton", "VB.OptionButton"},
    {"MSForms.ComboBox", "VB.ComboBox"},
    {"MSForms.ListBox", "VB.ListBox"},
    {"MSForms.Frame", "VB.Frame"},
    // Sheridan's 3-D controls
    {"Threed.SSCommand", "VB.CommandButton"},
    {"Threed.SSCheck", "VB.CheckBox"},
    {"Threed.SSOption", "VB.OptionButton"},
    {"Threed.SSFrame", "VB.Frame"},
    // Codejock's suite
    {"XtremeSuiteControls.PushButton", "VB.CommandButton"},
    {"XtremeSuiteControls.FlatEdit", "VB.TextBox"},
    {"XtremeSuiteControls.Label", "VB.Label"},
    {"XtremeSuiteControls.GroupBox", "VB.Frame"},
    {"XtremeSuiteControls.CheckBox", "VB.CheckBox"},
    {"XtremeSuiteControls.RadioButton", "VB.OptionButton"},
    {"XtremeSuiteControls.ComboBox", "VB.ComboBox"},
    {"XtremeSuiteControls.ListBox", "VB.ListBox"},
    // The Unicode replacements of the standard controls
    {"*.CommandButtonW", "VB.CommandButton"},
    {"*.TextBoxW", "VB.TextBox"},
    {"*.LabelW", "VB.Label"},
    {"*.FrameW", "VB.Frame"},
    {"*.CheckBoxW", "VB.CheckBox"},
    {"*.OptionButtonW", "VB.OptionButton"},
    {"*.ComboBoxW", "VB.ComboBox"},
    {"*.ListBoxW", "VB.ListBox"},
    // Buttons, check boxes and option buttons drawn by projects' own user controls
    {"*.dcButton", "VB.CommandButton"},
    {"*.jcButton", "VB.CommandButton"},
    {"*.KButton", "VB.CommandButton"},
    {"*.LaVolpeButton", "VB.CommandButton"},
    {"*.lvButtons_H", "VB.CommandButton"},
    {"*.xpcmdbutton", "VB.CommandButton"},
    {"*.CandyButton", "VB.CommandButton"},
    {"*.chameleonButton", "VB.CommandButton"},
    {"*.ISButton", "VB.CommandButton"},
    {"*.CoolButton", "VB.CommandButton"},
    {"*.ALLButton", "VB.CommandButton"},
    {"*.xpcheckbox", "VB.CheckBox"},
    {"*.xpradiobutton", "VB.OptionButton"},
    {"*.uctlTextBox", "VB.TextBox"},
    {"*.ListBoxEX", "VB.ListBox"},
    // Components of other libraries that show nothing at run time
    {"*.vbalImageList", "MSComctlLib.ImageList"},
    {"*.XPImageList30", "MSComctlLib.ImageList"},
    {"*.PopMenu", "MSComctlLib.ImageList"},
    {"*.ctxHookMenu", "MSComctlLib.ImageList"},
    {"*.cSysTray", "MSComctlLib.ImageList"},
    {"Crystal.CrystalReport", "MSComctlLib.ImageList"},
};

constexpr std::uint16_t kUnknownKind = UINT16_MAX;

std::uint16_t RowOf(std::string_view type) {
    const std::vector<ControlKind>& kinds = ControlKinds();
    for (std::size_t i = 0; i < kinds.size(); ++i)
        if (EqualNoCase(kinds[i].type, type)) return static_cast<std::uint16_t>(i);
    return kUnknownKind;
}

struct FoundKind {
    std::uint16_t row = kUnknownKind;
    bool lookAlike = false;
};

// The row of the mapping for a control type, directly or as a look-alike; kUnknownKind when there is none.
FoundKind FindKind(std::string_view type) {
    std::string withLibrary;
    if (type.find('.') == std::string_view::npos) type = withLibrary.assign("VB.").append(type);
    if (const std::uint16_t row = RowOf(type); row != kUnknownKind) return {row, false};
    const std::string_view className = type.substr(type.find('.') + 1);
    for (const LookAlike& lookAlike : kLookAlikes) {
        const bool anyLibrary = lookAlike.type.starts_with("*.");
        if (anyLibrary ? EqualNoCase(lookAlike.type.substr(2), className) : EqualNoCase(lookAlike.type, type))
            return {RowOf(lookAlike.like), true};
    }
    return {};
}

const ControlKind* KindAt(std::uint16_t kind) { return kind == kUnknownKind ? nullptr : &ControlKinds()[kind]; }

constexpr double kTwipsPerPixel = 15;  // at 96 dpi

// Visual Basic wraps the caption of a button, check box or option button that
// is tall enough for two lines of its font (13 pixels a line at 8 points; a
// control without a Font block has Visual Basic's 8.25-point default), and
// breaks it where the caption holds a line break. Windows does either only
// with BS_MULTILINE.
bool WrapsItsCaption(const FormObject& control) {
    const std::string_view caption = control.Property(Prop::Caption).value_or("");
    if (caption.find_first_of("\r\n") != std::string_view::npos) return true;
    const double points = control.Number(Prop::FontBlockSize).value_or(control.Number(Prop::FontSize).value_or(8.25));
    const double lineHeight = 13.0 * points / 8;
    return control.Number(Prop::Height).value_or(0) / kTwipsPerPixel >= 2 * lineHeight;
}

// The form's Font (or, in Visual Basic 3 forms, FontName and FontSize), and
// the base units that follow its size.
DialogFont FontOf(const FormObject& form, BaseUnits& base) {
    DialogFont font;
    std::optional<std::string_view> name = form.Property(Prop::FontBlockName);
    std::optional<double> size = form.Number(Prop::FontBlockSize);
    if (!name) name = form.Property(Prop::FontName);
    if (!size) size = form.Number(Prop::FontSize);
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

struct LineEnds {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // pixels from its container
};

LineEnds EndsOf(const FormObject& line) {
    return {line.Number(Prop::X1).value_or(0) / kTwipsPerPixel, line.Number(Prop::Y1).value_or(0) / kTwipsPerPixel,
            line.Number(Prop::X2).value_or(0) / kTwipsPerPixel, line.Number(Prop::Y2).value_or(0) / kTwipsPerPixel};
}

bool IsLine(const FormObject& object) { return EqualNoCase(object.type, "VB.Line") || EqualNoCase(object.type, "Line"); }

bool Slants(const FormObject& line) {
    const LineEnds ends = EndsOf(line);
    return std::lround(ends.y1) != std::lround(ends.y2) && std::lround(ends.x1) != std::lround(ends.x2);
}

// A rectangle in dialog units before it is fitted into a dialog's numbers.
struct WideRect {
    std::int64_t x = 0, y = 0, width = 0, height = 0;
};

// Dialog units, rounded, from pixels of any size a form may claim.
std::int64_t Rounded(double units) { return std::isnan(units) ? 0 : std::llround(std::clamp(units, -1e15, 1e15)); }
std::int64_t WideX(const BaseUnits& base, double pixels) { return Rounded(pixels * 4 / base.x); }
std::int64_t WideY(const BaseUnits& base, double pixels) { return Rounded(pixels * 8 / base.y); }

// Every coordinate and size of a DIALOGEX is a signed 16-bit number, and no
// size is negative: a value outside is brought to the nearest that is
// (llvm-rc refuses the rest, and windres wraps them into nonsense).
DialogRect Fit(const WideRect& wide) {
    const auto fit = [](std::int64_t value, std::int64_t lowest) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, lowest, 32767));
    };
    return {fit(wide.x, -32768), fit(wide.y, -32768), fit(wide.width, 0), fit(wide.height, 0)};
}

bool Fits(const WideRect& wide) {
    const DialogRect fitted = Fit(wide);
    return fitted.x == wide.x && fitted.y == wide.y && fitted.width == wide.width && fitted.height == wide.height;
}

// A horizontal or vertical Line as a thin etched static; a slanting one,
// which no Windows control draws, as the rectangle it crosses.
WideRect LineRect(const FormObject& line, double originX, double originY, const BaseUnits& base,
                  std::vector<std::string_view>* styles) {
    const LineEnds ends = EndsOf(line);
    const double left = originX + std::min(ends.x1, ends.x2), top = originY + std::min(ends.y1, ends.y2);
    const double width = std::abs(ends.x2 - ends.x1), height = std::abs(ends.y2 - ends.y1);
    if (std::lround(ends.y1) == std::lround(ends.y2)) {
        if (styles) styles->insert(styles->begin(), "SS_ETCHEDHORZ");
        return {WideX(base, left), WideY(base, originY + ends.y1), WideX(base, width), 1};
    }
    if (std::lround(ends.x1) == std::lround(ends.x2)) {
        if (styles) styles->insert(styles->begin(), "SS_ETCHEDVERT");
        return {WideX(base, originX + ends.x1), WideY(base, top), 1, WideY(base, height)};
    }
    return {WideX(base, left), WideY(base, top), WideX(base, width), WideY(base, height)};
}

bool Is(const ControlKind* kind, std::string_view type) { return kind && kind->type == type; }

// A picture box or image that shows its picture, and a graphical button,
// check box or option button that shows one: the static's text names the resource, which the dialog loads;
// a button's image is given by the program (BM_SETIMAGE).
void ShowImage(const FormObject& control, const ControlKind& kind, const DialogLayout& dialog, std::uint32_t object,
               ControlLine& line) {
    const std::uint32_t image = dialog.images[object];
    const bool icon = dialog.imageTypes[image] == ResourceImageType::Icon;
    if (Is(&kind, "VB.PictureBox") || Is(&kind, "VB.Image")) {
        std::replace(line.styles.begin(), line.styles.end(), std::string_view("SS_ETCHEDFRAME"),
                     icon ? std::string_view("SS_ICON") : std::string_view("SS_BITMAP"));
        if (IsTrue(control, Prop::Stretch)) line.styles.insert(line.styles.begin() + 1, "SS_REALSIZECONTROL");
        line.image = image;
    } else if ((Is(&kind, "VB.CommandButton") || Is(&kind, "VB.CheckBox") || Is(&kind, "VB.OptionButton")) &&
               Whole(control, Prop::Style, 0) == 1) {
        line.styles.insert(line.styles.begin() + 1, icon ? "BS_ICON" : "BS_BITMAP");
    }
}

// Where a control lies and how large it is, as the form says; a Line's etched style goes to `styles`.
WideRect ControlRect(const Form& form, const DialogLayout& dialog, std::uint32_t object,
                     std::vector<std::string_view>* styles) {
    const FormObject& control = form.objects[object];
    const DialogLayout::Place& parent = dialog.places[control.parent];
    const DialogLayout::Place& place = dialog.places[object];
    const ControlKind& kind = ControlKinds()[place.kind];
    if (IsLine(control)) return LineRect(control, parent.x + parent.inset, parent.y + parent.inset, dialog.base, styles);
    WideRect rect{WideX(dialog.base, place.x), WideY(dialog.base, place.y),
                  WideX(dialog.base, control.Number(Prop::Width).value_or(0) / kTwipsPerPixel),
                  WideY(dialog.base, control.Number(Prop::Height).value_or(0) / kTwipsPerPixel)};
    if ((Is(&kind, "VB.ComboBox") && Whole(control, Prop::Style, 0) != 1) || Is(&kind, "VB.DriveListBox")) {
        // Its height is the closed box's; the resource gives the open list's: room for eight more rows.
        rect.height += 8 * 8;
    }
    return rect;
}

std::string RectText(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
    return std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(width) + ", " + std::to_string(height);
}

// A warning for a rectangle that a dialog cannot hold as the form gives it.
void WarnUnfit(const WideRect& wide, const std::string& where, const std::string& what, std::vector<std::string>& warnings) {
    if (Fits(wide)) return;
    const DialogRect fitted = Fit(wide);
    warnings.push_back(where + what + " at " + RectText(wide.x, wide.y, wide.width, wide.height) +
                       " (x, y, width, height in dialog units) does not fit a dialog, whose numbers lie within -32768"
                       " to 32767 and whose sizes are not negative; written as " +
                       RectText(fitted.x, fitted.y, fitted.width, fitted.height));
}

// The control's statement, styles, text and rectangle.
void Fill(const Form& form, const DialogLayout& dialog, std::uint32_t object, ControlLine& line) {
    const FormObject& control = form.objects[object];
    const DialogLayout::Place& place = dialog.places[object];
    const ControlKind& kind = ControlKinds()[place.kind];
    ControlShape shape{kind.statement, kind.styles};
    if (kind.rule) kind.rule(control, shape);
    line.rect = Fit(ControlRect(form, dialog, object, &shape.styles));
    if ((Is(&kind, "VB.CommandButton") || Is(&kind, "VB.CheckBox") || Is(&kind, "VB.OptionButton")) &&
        WrapsItsCaption(control))
        shape.styles.push_back("BS_MULTILINE");
    if (kind.focusable && !IsFalse(control, Prop::TabStop)) shape.styles.push_back("WS_TABSTOP");
    else if (kind.focusable && kind.statement != "CONTROL") shape.styles.push_back("NOT WS_TABSTOP");
    if (!place.enabled) shape.styles.push_back("WS_DISABLED");
    if (!place.visible) shape.styles.push_back("NOT WS_VISIBLE");
    line.statement = shape.statement;
    line.windowClass = kind.windowClass;
    line.styles = std::move(shape.styles);
    line.text.reset();
    if (kind.text != TextFrom::None) {
        line.text = control.Property(kind.text == TextFrom::Caption ? Prop::Caption : Prop::Text).value_or("");
        if (!FitsTemplate(*line.text)) line.text = "";
    }
    if (line.statement == "CONTROL" && !line.text) line.text = "";
    line.image = DialogLayout::kNoImage;
    if (!dialog.images.empty() && dialog.images[object] != DialogLayout::kNoImage) ShowImage(control, kind, dialog, object, line);
}

long TabIndex(const Form& form, const DialogControlRef& ref) {
    return Whole(form.objects[ref.object], Prop::TabIndex, 0x7fffffff);
}

// An SSTab keeps the controls of every tab but the current one 75,000 twips
// to the left of where they show on their own tab.
constexpr double kHiddenPageShift = 75000;

// The tabs of a tabbed container: which of its controls lie on a tab other than the current one.
class TabPages {
public:
    explicit TabPages(const FormObject& tabs) {
        const long current = Whole(tabs, Prop::Tab, 0);
        for (const FormProperty& kept : tabs.properties)
            if (kept.property == Prop::TabControl && kept.tab != current) hidden_.insert(LowerAscii(kept.value));
    }

    /// Is `control` listed on a tab that is not shown? The lists name a control array's member "Name(Index)".
    bool OnHiddenTab(const FormObject& control, std::string& key) const {
        if (hidden_.empty()) return false;
        key = LowerAscii(control.name);
        if (const std::optional<std::string_view> index = control.Property(Prop::Index)) key.append("(").append(*index).append(")");
        return hidden_.contains(key);
    }

private:
    std::unordered_set<std::string> hidden_;
};

std::string Described(const FormObject& control) {
    return std::string(control.name) + " (" + std::string(control.type) + ")";
}

// What a look-alike is written as, for its warning: the standard control it resembles.
std::string WrittenAs(const ControlKind& kind) {
    if (kind.type == kReportViewKind) return "a list view in report view (SysListView32, LVS_REPORT)";
    return "a standard " + std::string(kind.type.substr(kind.type.find('.') + 1));
}

// Where each object lies, and which controls the dialog holds, in the form's
// tab order; look-alikes and placeholders are named in `warnings`.
void PlaceControls(const Form& form, const std::string& formFile, DialogLayout& dialog, std::vector<std::string>& warnings) {
    dialog.places.assign(form.objects.size(), {});
    const std::uint16_t placeholder = RowOf(kPlaceholderKind);
    std::unordered_map<std::uint32_t, TabPages> tabbed;  // by the container's place in Form::objects
    std::string key;
    for (std::uint32_t i = 1; i < form.objects.size(); ++i) {
        const FormObject& control = form.objects[i];
        DialogLayout::Place& place = dialog.places[i];
        const DialogLayout::Place& parent = dialog.places[control.parent];
        const FoundKind found = FindKind(control.type);
        const ControlKind* kind = KindAt(found.row);
        place.kind = found.row;
        // What lies in a hidden or disabled container is hidden or disabled with it.
        place.visible = parent.visible && !IsFalse(control, Prop::Visible);
        place.enabled = parent.enabled && !IsFalse(control, Prop::Enabled);
        place.x = parent.x + parent.inset + control.Number(Prop::Left).value_or(0) / kTwipsPerPixel;
        place.y = parent.y + parent.inset + control.Number(Prop::Top).value_or(0) / kTwipsPerPixel;
        // A picture box's children start inside its border (3-D: two pixels, flat: one).
        if (Is(kind, "VB.PictureBox") && Whole(control, Prop::BorderStyle, 1) == 1)
            place.inset = Whole(control, Prop::Appearance, 1) == 1 ? 2 : 1;
        if (const auto pages = tabbed.find(control.parent); pages != tabbed.end() && pages->second.OnHiddenTab(control, key)) {
            // Shown when its tab is chosen: where it shows then, hidden until then.
            if (control.Number(Prop::Left).value_or(0) < -kHiddenPageShift / 2) place.x += kHiddenPageShift / kTwipsPerPixel;
            place.visible = false;
        }
        if (Is(kind, "TabDlg.SSTab")) tabbed.emplace(i, TabPages(control));

        if (kind && kind->statement.empty()) continue;
        DialogControlRef ref{i, false, false};
        if (!kind || (Is(kind, "VB.Line") && Slants(control))) {
            const std::string why = kind ? "slants, and no Windows control draws that" : "has no Windows control";
            warnings.push_back(formFile + ": " + Described(control) + " " + why + "; written as a placeholder" +
                               (control.end > i + 1 ? ", with what lies in it placed from it" : ""));
            place.kind = placeholder;
            ref.placeholder = true;
        } else if (found.lookAlike) {
            warnings.push_back(formFile + ": " + Described(control) + " is written as " + WrittenAs(*kind) +
                               ", the control it resembles");
        }
        dialog.controls.push_back(ref);
    }
    // The form's tab order; controls without a TabIndex (images, lines, shapes) after the rest.
    // A tabbed container comes after what lies in it: a dialog's first
    // controls lie on top, and a tab control on top of its pages would paint over them.
    struct Sorted {
        long tabIndex;
        bool afterContents;
        DialogControlRef ref;
    };
    std::vector<Sorted> sorted;
    sorted.reserve(dialog.controls.size());
    for (const DialogControlRef& ref : dialog.controls) {
        Sorted entry{TabIndex(form, ref), false, ref};
        if (Is(KindAt(dialog.places[ref.object].kind), "TabDlg.SSTab"))
            for (std::uint32_t inside = ref.object + 1; inside < form.objects[ref.object].end; ++inside) {
                entry.tabIndex = std::max(entry.tabIndex, Whole(form.objects[inside], Prop::TabIndex, 0x7fffffff));
                entry.afterContents = true;
            }
        sorted.push_back(entry);
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const Sorted& a, const Sorted& b) {
        return a.tabIndex != b.tabIndex ? a.tabIndex < b.tabIndex : a.afterContents < b.afterContents;
    });
    for (std::size_t k = 0; k < sorted.size(); ++k) dialog.controls[k] = sorted[k].ref;
}

// Radio buttons that belong together form a group: WS_GROUP on the first
// of each run of option buttons in one container, and on what follows it.
void GroupOptionButtons(const Form& form, DialogLayout& dialog) {
    const DialogControlRef* previous = nullptr;
    for (DialogControlRef& ref : dialog.controls) {
        const bool isOption = Is(KindAt(dialog.places[ref.object].kind), "VB.OptionButton");
        const bool previousOption = previous && Is(KindAt(dialog.places[previous->object].kind), "VB.OptionButton");
        const bool sameContainer = previous && form.objects[previous->object].parent == form.objects[ref.object].parent;
        ref.startsGroup = isOption ? !(previousOption && sameContainer) : previousOption;
        previous = &ref;
    }
}

// A text longer than a template's string: where the form holds it, how long it is, and who sets it instead.
void WarnLeftOut(const std::string& formFile, const FormObject& object, Prop property, std::string_view text,
                 const std::string& who, std::vector<std::string>& warnings) {
    std::uint32_t line = object.line;
    for (const FormProperty& kept : object.properties)
        if (kept.property == property) line = kept.line;
    warnings.push_back(Where(formFile, line) + "the " + std::string(PropertyName(property)) + " of " + who + " (" +
                       std::to_string(text.size()) + " bytes) is longer than a dialog template holds: the dialog "
                       "leaves it empty, and a program of the form (--program) sets it");
}

}  // namespace

std::optional<std::string> WhyNoDialog(const Form& form, const std::string& formFile) {
    if (form.IsMdiForm()) return formFile + ": an MDI form has no dialog; only its menu is written";
    return std::nullopt;
}

DialogLayout LayOutDialog(const Form& form, const std::string& formFile, std::vector<std::string>& warnings,
                          const std::vector<FormPicture>* pictures) {
    DialogLayout dialog;
    const FormObject& root = form.objects[0];
    dialog.caption = root.Property(Prop::Caption);
    if (Whole(root, Prop::BorderStyle, 2) == 0) dialog.caption.reset();  // a caption would give it a title bar
    dialog.font = FontOf(root, dialog.base);
    FormStyles(root, dialog);
    const double width = root.Number(Prop::ClientWidth).value_or(root.Number(Prop::Width).value_or(4800));
    const double height = root.Number(Prop::ClientHeight).value_or(root.Number(Prop::Height).value_or(3600));
    const WideRect wide{0, 0, WideX(dialog.base, width / kTwipsPerPixel), WideY(dialog.base, height / kTwipsPerPixel)};
    dialog.rect = Fit(wide);
    WarnUnfit(wide, Where(formFile, root.line), "the form " + std::string(root.name), warnings);
    if (dialog.caption && !FitsTemplate(*dialog.caption)) {
        // CAPTION "" still gives the dialog its title bar.
        WarnLeftOut(formFile, root, Prop::Caption, *dialog.caption, "the form " + std::string(root.name), warnings);
        dialog.caption = "";
    }

    for (const UnreadableString& lost : form.unreadable)
        if (!lost.inMenu)
            warnings.push_back(Where(formFile, lost.line) + "the " + std::string(PropertyName(lost.property)) + " of " +
                               std::string(form.objects[lost.node].name) + " is left empty: " + lost.Why());
    PlaceControls(form, formFile, dialog, warnings);
    GroupOptionButtons(form, dialog);
    for (const DialogControlRef& ref : dialog.controls) {
        const FormObject& control = form.objects[ref.object];
        // The warning's words only for a control that needs one: most fit.
        const WideRect rect = ControlRect(form, dialog, ref.object, nullptr);
        if (!Fits(rect)) WarnUnfit(rect, Where(formFile, control.line), Described(control), warnings);
        if (const std::optional<std::string_view> text = TextLeftOut(form, dialog, ref.object)) {
            const Prop property = KindAt(dialog.places[ref.object].kind)->text == TextFrom::Caption ? Prop::Caption : Prop::Text;
            WarnLeftOut(formFile, control, property, *text, control.ArrayName(), warnings);
        }
    }
    if (pictures) {
        dialog.images.assign(form.objects.size(), DialogLayout::kNoImage);
        for (std::size_t i = 0; i < pictures->size(); ++i) {
            const FormPicture& picture = (*pictures)[i];
            dialog.imageTypes.push_back(picture.file.type);
            if (picture.object != 0 && picture.property == Prop::Picture && picture.file.type != ResourceImageType::Metafile)
                dialog.images[picture.object] = static_cast<std::uint32_t>(i);
        }
    }
    return dialog;
}

std::optional<std::string_view> TextLeftOut(const Form& form, const DialogLayout& dialog, std::uint32_t object) {
    const ControlKind* kind = KindAt(dialog.places[object].kind);
    if (!kind || kind->text == TextFrom::None) return std::nullopt;
    const std::optional<std::string_view> text =
        form.objects[object].Property(kind->text == TextFrom::Caption ? Prop::Caption : Prop::Text);
    if (!text || FitsTemplate(*text)) return std::nullopt;
    return text;
}

bool FitsTemplate(std::string_view text) {
    // Most texts fit however they are written (four bytes at most for each, and the quotes).
    if (text.size() <= (kLongestTemplateText - 2) / 4) return true;
    return RcStringLength(text) + 2 <= kLongestTemplateText;
}

void DescribeControl(const Form& form, const DialogLayout& dialog, const DialogControlRef& ref, ControlLine& line) {
    Fill(form, dialog, ref.object, line);
    if (ref.startsGroup && std::find(line.styles.begin(), line.styles.end(), "WS_GROUP") == line.styles.end())
        line.styles.push_back("WS_GROUP");
}

std::vector<std::string_view> TabCaptions(const Form& form, std::uint32_t object) {
    std::vector<const FormProperty*> captions;
    for (const FormProperty& kept : form.objects[object].properties)
        if (kept.property == Prop::TabCaption) captions.push_back(&kept);
    std::stable_sort(captions.begin(), captions.end(), [](const FormProperty* a, const FormProperty* b) { return a->tab < b->tab; });
    std::vector<std::string_view> texts;
    for (const FormProperty* caption : captions) texts.push_back(caption->value);
    return texts;
}

}  // namespace tarvel
