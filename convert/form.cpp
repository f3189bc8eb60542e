#include "form.h"

#include <algorithm>
#include <array>
#include <charconv>
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
    "Icon", "Picture", "DownPicture", "DisabledPicture", "Stretch",
    "ListImage",
};
static_assert(std::size(kPropertyNames) == static_cast<std::size_t>(Prop::Count));

constexpr std::size_t kFirstFontBlockProperty = static_cast<std::size_t>(Prop::FontBlockName);
constexpr std::size_t kFontBlockEnd = static_cast<std::size_t>(Prop::FontBlockCharset) + 1;
// Named with a subscript only, never as written here; a ListImageN's Picture only inside its block.
constexpr std::size_t kTabCaption = static_cast<std::size_t>(Prop::TabCaption);
constexpr std::size_t kTabControl = static_cast<std::size_t>(Prop::TabControl);
constexpr std::size_t kListImage = static_cast<std::size_t>(Prop::ListImage);

constexpr bool InFontBlock(std::size_t i) { return i >= kFirstFontBlockProperty && i < kFontBlockEnd; }

// The name as a line of the form writes it: a Font block's without "Font.".
constexpr std::string_view NameInForm(std::size_t i) {
    return InFontBlock(i) ? kPropertyNames[i].substr(5) : kPropertyNames[i];
}

// For each first letter, a bit for each length that a kept property's name
// has: most lines of a form name a property no writer reads, and this rules
// them out without a comparison.
constexpr std::array<std::uint32_t, 128> kKeptShapes = [] {
    std::array<std::uint32_t, 128> shapes{};
    for (std::size_t i = 0; i < std::size(kPropertyNames); ++i) {
        const std::string_view name = NameInForm(i);
        shapes[static_cast<unsigned char>(name.front())] |= std::uint32_t{1} << name.size();
    }
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

// "TabCaption(n)" and "Tab(n).Control(k)", the only indexed properties kept.
std::optional<KeptName> KeptTabProperty(std::string_view name) {
    if (name.starts_with("TabCaption")) {
        const auto subscript = Subscript(name.substr(10));
        if (subscript && subscript->second.empty()) return KeptName{Prop::TabCaption, subscript->first};
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
    // Only a tabbed container's pages are indexed properties that a writer reads.
    if (!inFontBlock && !name.empty() && name.back() == ')') return name.front() == 'T' ? KeptTabProperty(name) : std::nullopt;
    const unsigned char first = name.empty() ? 0 : static_cast<unsigned char>(name.front());
    if (first >= kKeptShapes.size() || name.size() >= 32 || !(kKeptShapes[first] >> name.size() & 1)) return std::nullopt;
    const auto find = [&](std::size_t begin, std::size_t end) -> std::optional<KeptName> {
        for (std::size_t i = begin; i < end; ++i)
            if (NameInForm(i) == name && i != kTabCaption && i != kTabControl && i != kListImage)
                return KeptName{static_cast<Prop>(i)};
        return std::nullopt;
    };
    if (inFontBlock) return find(kFirstFontBlockProperty, kFontBlockEnd);
    if (std::optional<KeptName> kept = find(0, kFirstFontBlockProperty)) return kept;
    return find(kFontBlockEnd, std::size(kPropertyNames));
    return std::nullopt;
}

std::string UnreadableString::Why() const {
    return frxError ? Describe(*frxError) : "it is kept in " + dataReference + " as data";
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
