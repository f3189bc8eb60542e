#include "form.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "ascii.h"

namespace tarvel {
namespace {

// In the order of Prop.
constexpr std::string_view kPropertyNames[] = {
    "Caption", "Text", "Index",
    "Left", "Top", "Width", "Height", "ClientWidth", "ClientHeight", "X1", "X2", "Y1", "Y2",
    "Visible", "Enabled", "TabIndex", "TabStop",
    "BorderStyle", "Appearance", "StartUpPosition", "ControlBox", "MinButton", "MaxButton",
    "Default", "Alignment", "UseMnemonic", "MultiLine", "ScrollBars", "PasswordChar", "Locked", "Style", "Sorted",
    "MultiSelect", "View",
    "Tab", "TabCaption", "Tab.Control",
    "FontName", "FontSize", "FontBold", "FontItalic",
    "Font.Name", "Font.Size", "Font.Weight", "Font.Italic", "Font.Charset",
    "WordWrap", "AutoSize",
    "List", "ItemData",
    "Value", "Min", "Max", "SmallChange", "LargeChange", "Interval", "MaxLength", "BackColor", "ForeColor", "BackStyle",
    "Icon", "Picture", "DownPicture", "DisabledPicture", "Stretch",
    "ListImage",
    "MouseIcon", "DragIcon", "MICON",
    "MousePointer", "MPTR",
    "TabPicture", "PanelPicture",
};
static_assert(std::size(kPropertyNames) == static_cast<std::size_t>(Prop::Count));

// Named with a subscript only, never as written here; a ListImageN's or PanelN's Picture only inside its block.
constexpr std::size_t kTabCaption = static_cast<std::size_t>(Prop::TabCaption);
constexpr std::size_t kTabControl = static_cast<std::size_t>(Prop::TabControl);
constexpr std::size_t kListImage = static_cast<std::size_t>(Prop::ListImage);
constexpr std::size_t kTabPicture = static_cast<std::size_t>(Prop::TabPicture);
constexpr std::size_t kPanelPicture = static_cast<std::size_t>(Prop::PanelPicture);

// A "BeginProperty Font" block's properties are named "Font.Name" here, "Name" in the block.
constexpr std::string_view kFontBlockPrefix = "Font.";
constexpr bool InFontBlock(std::size_t i) { return kPropertyNames[i].starts_with(kFontBlockPrefix); }
constexpr std::string_view NameInForm(std::size_t i) {
    return InFontBlock(i) ? kPropertyNames[i].substr(kFontBlockPrefix.size()) : kPropertyNames[i];
}

// The kept properties by the name a form's line gives them, in a small hash
// table made by the compiler: most lines of a form name a property no writer
// reads, and their first slot is mostly empty.
struct KeptSlot {
    std::string_view name;  // as a line of the form writes it; empty where no property is
    bool inFontBlock = false;
    Prop property{};
};
constexpr std::size_t kKeptSlots = 256;
static_assert(std::size(kPropertyNames) < kKeptSlots / 2);
constexpr std::size_t KeptSlotOf(std::string_view name, bool inFontBlock) {
    return (name.size() * 31 + static_cast<unsigned char>(name.front()) * 7 + static_cast<unsigned char>(name.back()) +
            (inFontBlock ? 101 : 0)) % kKeptSlots;
}
constexpr std::array<KeptSlot, kKeptSlots> kKeptSlotTable = [] {
    std::array<KeptSlot, kKeptSlots> slots{};
    for (std::size_t i = 0; i < std::size(kPropertyNames); ++i) {
        if (i == kTabCaption || i == kTabControl || i == kListImage || i == kTabPicture || i == kPanelPicture) continue;
        std::size_t slot = KeptSlotOf(NameInForm(i), InFontBlock(i));
        while (!slots[slot].name.empty()) slot = (slot + 1) % kKeptSlots;
        slots[slot] = {NameInForm(i), InFontBlock(i), static_cast<Prop>(i)};
    }
    return slots;
}();

// The lengths of the kept names by their first byte, one bit a length: most
// lines name a property that is not kept, and this tells so before a probe.
struct KeptShapes {
    std::array<std::uint64_t, 128> lengths{};
    constexpr bool MayHold(std::string_view name) const {
        const auto first = static_cast<unsigned char>(name.front());
        return first < lengths.size() && name.size() < 64 && (lengths[first] >> name.size() & 1);
    }
};
constexpr KeptShapes kKeptShapes = [] {
    KeptShapes shapes;
    for (const KeptSlot& slot : kKeptSlotTable)
        if (!slot.name.empty()) shapes.lengths[static_cast<unsigned char>(slot.name.front())] |= std::uint64_t{1} << slot.name.size();
    return shapes;
}();

}  // namespace

std::string_view TextStore::Keep(std::string_view bytes) {
    if (bytes.empty()) return {};
    if (bytes.size() > kLargestBlockSize / 4) {
        // A large piece gets a block of its own, so the shared block's room is not wasted.
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(bytes.size()));
        std::memcpy(blocks_.back().get(), bytes.data(), bytes.size());
        return {blocks_.back().get(), bytes.size()};
    }
    if (bytes.size() > room_) {
        const std::size_t size = std::max(nextBlockSize_, bytes.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        free_ = blocks_.back().get();
        room_ = size;
        nextBlockSize_ = std::min(2 * nextBlockSize_, kLargestBlockSize);
    }
    std::memcpy(free_, bytes.data(), bytes.size());
    const std::string_view kept(free_, bytes.size());
    free_ += bytes.size();
    room_ -= bytes.size();
    return kept;
}

std::string_view PropertyName(Prop property) { return kPropertyNames[static_cast<std::size_t>(property)]; }

namespace {

// The n of "(n)" at the start of `text`, and what follows it; nothing when it
// does not start so. Tab numbers of a tabbed container fit 16 bits.
std::optional<std::pair<std::uint16_t, std::string_view>> Subscript(std::string_view text) {
    if (text.size() < 3 || text.front() != '(') return std::nullopt;
    std::uint16_t n = 0;
    const auto [end, error] = std::from_chars(text.data() + 1, text.data() + text.size(), n);
    if (error != std::errc() || end == text.data() + 1 || end == text.data() + text.size() || *end != ')')
        return std::nullopt;
    return std::pair{n, text.substr(static_cast<std::size_t>(end - text.data()) + 1)};
}

// "TabCaption(n)", "TabPicture(n)" and "Tab(n).Control(k)", the only indexed properties kept.
std::optional<KeptName> KeptTabProperty(std::string_view name) {
    if (name.starts_with("TabCaption") || name.starts_with("TabPicture")) {
        const auto subscript = Subscript(name.substr(10));
        if (subscript && subscript->second.empty())
            return KeptName{name[3] == 'C' ? Prop::TabCaption : Prop::TabPicture, subscript->first};
    } else if (name.starts_with("Tab(")) {
        const auto subscript = Subscript(name.substr(3));
        if (subscript && subscript->second.starts_with(".Control")) {
            const auto control = Subscript(subscript->second.substr(8));
            if (control && control->second.empty()) return KeptName{Prop::TabControl, subscript->first};
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<KeptName> KeptProperty(std::string_view name, bool inFontBlock) {
    if (name.empty()) return std::nullopt;
    // Only a tabbed container's pages are indexed properties that a writer reads.
    if (!inFontBlock && name.back() == ')') return name.front() == 'T' ? KeptTabProperty(name) : std::nullopt;
    if (!kKeptShapes.MayHold(name)) return std::nullopt;
    for (std::size_t slot = KeptSlotOf(name, inFontBlock); !kKeptSlotTable[slot].name.empty(); slot = (slot + 1) % kKeptSlots) {
        const KeptSlot& kept = kKeptSlotTable[slot];
        if (kept.inFontBlock == inFontBlock && kept.name == name) return KeptName{kept.property};
    }
    return std::nullopt;
}

std::string UnreadableString::Why() const {
    if (frxError) return Describe(*frxError);
    if (malformed)
        return "its reference to the .frx file, " + dataReference +
               ", is malformed (a reference is $\"NAME.frx\":OFFSET, the offset in one to eight hex digits)";
    return "it is kept in " + dataReference + " as data";
}

std::optional<double> FormObject::Number(Prop property) const {
    const std::optional<std::string_view> value = Property(property);
    if (!value) return std::nullopt;
    // Most are whole numbers of a few digits ("285", "-1"), which a double holds exactly.
    const bool negative = value->starts_with('-');
    const std::string_view digits = value->substr(negative ? 1 : 0);
    if (!digits.empty() && digits.size() <= 15 && std::all_of(digits.begin(), digits.end(), IsAsciiDigit)) {
        std::int64_t whole = 0;
        for (const char digit : digits) whole = whole * 10 + (digit - '0');
        const auto number = static_cast<double>(whole);
        return negative ? -number : number;
    }
    double number = 0;
    const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), number);
    if (error != std::errc() || !std::isfinite(number)) return std::nullopt;
    return number;
}

std::string FormObject::ArrayName() const {
    std::string composed(name);
    if (const std::optional<std::string_view> index = Property(Prop::Index)) {
        std::size_t digits = 0;
        while (digits < index->size() && IsAsciiDigit((*index)[digits])) ++digits;
        if (digits > 0) composed.append("_").append(index->substr(0, digits));
    }
    return composed;
}

bool Form::IsMdiForm() const {
    return !objects.empty() && (EqualNoCase(objects[0].type, "vb.mdiform") || EqualNoCase(objects[0].type, "mdiform"));
}

}  // namespace tarvel
