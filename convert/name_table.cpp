#include "name_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "ascii.h"

namespace tarvel {
namespace {

constexpr std::int64_t kLargestNumber = 65535;

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

// The keywords of C (C23) and C++ (C++23), with C++'s alternative tokens:
// a #define of one would rewrite the program's own statements.
constexpr std::string_view kCKeywords[] = {
    "_Alignas", "_Alignof", "_Atomic", "_BitInt", "_Bool", "_Complex", "_Decimal128", "_Decimal32", "_Decimal64",
    "_Generic", "_Imaginary", "_Noreturn", "_Static_assert", "_Thread_local", "alignas", "alignof", "and", "and_eq",
    "asm", "auto", "bitand", "bitor", "bool", "break", "case", "catch", "char", "char16_t", "char32_t", "char8_t",
    "class", "co_await", "co_return", "co_yield", "compl", "concept", "const", "const_cast", "consteval",
    "constexpr", "constinit", "continue", "decltype", "default", "delete", "do", "double", "dynamic_cast", "else",
    "enum", "explicit", "export", "extern", "false", "final", "float", "for", "friend", "goto", "if", "import",
    "inline", "int", "long", "module", "mutable", "namespace", "new", "noexcept", "not", "not_eq", "nullptr",
    "operator", "or", "or_eq", "override", "private", "protected", "public", "register", "reinterpret_cast",
    "requires", "restrict", "return", "short", "signed", "sizeof", "static", "static_assert", "static_cast",
    "struct", "switch", "template", "this", "thread_local", "throw", "true", "try", "typedef", "typeid",
    "typename", "typeof", "typeof_unqual", "union", "unsigned", "using", "virtual", "void", "volatile",
    "wchar_t", "while", "xor", "xor_eq",
};

// The names of the C standard library's functions and macros and the macros
// of <windows.h>, in byte order: a #define of one breaks every file of the
// program that calls exit() or includes <windows.h> after our header.
using std::string_view_literals::operator""sv;
constexpr std::string_view kTakenCNames[] = {
#include "taken_c_names.inc"
};

// For each first letter, a bit for each length that a reserved word of it
// has: most names are ruled out without a comparison.
struct WordShapes {
    std::array<std::uint64_t, 128> lengths{};
    constexpr bool Has(char first, std::size_t size) const {
        const auto c = static_cast<unsigned char>(first);
        return c < lengths.size() && size < 64 && (lengths[c] >> size & 1);
    }
};
constexpr WordShapes kReservedShapes = [] {
    WordShapes shapes;
    for (const std::string_view word : kReservedWords)
        shapes.lengths[static_cast<unsigned char>(word.front())] |= std::uint64_t{1} << word.size();
    return shapes;
}();

// The bytes of an ASCII C identifier: letters, digits and the underscore.
constexpr std::array<bool, 256> kIdentifierBytes = [] {
    std::array<bool, 256> bytes{};
    for (int c = 0; c < 256; ++c)
        bytes[static_cast<std::size_t>(c)] = IsAsciiLetter(static_cast<char>(c)) || IsAsciiDigit(static_cast<char>(c)) || c == '_';
    return bytes;
}();

// A name's hash, eight bytes at a time: names are short, and each is hashed
// once (the 24,000 taken names at every start too), so a general-purpose
// hash of bytes would cost more than the lookup it serves. Every bit of the
// result depends on every byte, the low bits (a slot) and the high (its tag) alike.
std::size_t HashOf(std::string_view name) {
    std::uint64_t hash = 0x9E3779B97F4A7C15u ^ name.size();
    std::size_t i = 0;
    for (; name.size() - i >= 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, name.data() + i, 8);
        hash = (hash ^ word) * 0xFF51AFD7ED558CCDu;
        hash ^= hash >> 32;
    }
    if (i < name.size()) {
        std::uint64_t word = 0;
        for (std::size_t k = i; k < name.size(); ++k) word |= std::uint64_t{static_cast<unsigned char>(name[k])} << (8 * (k - i));
        hash = (hash ^ word) * 0xC4CEB9FE1A85EC53u;
    }
    hash ^= hash >> 29;
    hash *= 0xBF58476D1CE4E5B9u;
    hash ^= hash >> 32;
    return static_cast<std::size_t>(hash);
}

// Bits of a name's hash that its slot's place does not tell: a slot whose
// bits differ holds another name, which is then never looked at.
std::uint32_t TagOf(std::size_t hash) { return static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32); }

// The keywords and the taken names in one hash table, made on first use: a
// name is looked up with one hash instead of a search of 24,000 names, which
// tells on a form of 60,000 names.
class TakenCNames {
public:
    TakenCNames() : slots_(std::bit_ceil(2 * kCount)) {
        for (std::size_t i = 0; i < kCount; ++i) {
            const std::size_t hash = HashOf(Name(i));
            std::size_t slot = hash & (slots_.size() - 1);
            while (slots_[slot] != 0) slot = (slot + 1) & (slots_.size() - 1);
            slots_[slot] = (TagOf(hash) & 0xFFFF0000u) | static_cast<std::uint32_t>(i + 1);
        }
    }

    bool Has(std::string_view name, std::size_t hash) const {
        for (std::size_t slot = hash & (slots_.size() - 1);; slot = (slot + 1) & (slots_.size() - 1)) {
            const std::uint32_t held = slots_[slot];
            if (held == 0) return false;
            if ((held & 0xFFFF0000u) == (TagOf(hash) & 0xFFFF0000u) && Name((held & 0xFFFFu) - 1u) == name) return true;
        }
    }

private:
    static constexpr std::size_t kCount = std::size(kCKeywords) + std::size(kTakenCNames);
    static_assert(kCount < 0xFFFF);

    static std::string_view Name(std::size_t i) {
        return i < std::size(kCKeywords) ? kCKeywords[i] : kTakenCNames[i - std::size(kCKeywords)];
    }

    std::vector<std::uint32_t> slots_;  // a tag in the high half, 1 + the index of a name in the low; 0 where none is
};

bool IsFreeCName(std::string_view name, std::size_t hash) {
    static const TakenCNames taken;
    return !taken.Has(name, hash);
}

bool IsUsableRcName(std::string_view name, std::size_t hash) {
    if (name.empty() || IsAsciiDigit(name.front())) return false;
    for (const char c : name)
        if (!kIdentifierBytes[static_cast<unsigned char>(c)]) return false;
    if (kReservedShapes.Has(LowerAscii(name.front()), name.size()) &&
        std::any_of(std::begin(kReservedWords), std::end(kReservedWords),
                    [&](std::string_view word) { return EqualNoCase(name, word); }))
        return false;
    return IsFreeCName(name, hash);
}

// The one 16-bit check: every number a resource script gives must fit a resource id.
std::optional<ConvertError> CheckFits(std::int64_t number, ErrorKind kind, std::string_view name, std::uint32_t line,
                                      const std::string& formFile) {
    if (number >= 0 && number <= kLargestNumber) return std::nullopt;
    ConvertError error = LineError(kind, formFile, line);
    error.detail = name;
    error.number = number;
    return error;
}

// The names claimed so far, in one table sized once for all that can be
// claimed (open addressing: no allocation a name, which tells on 60,000 items).
class ClaimedNames {
public:
    explicit ClaimedNames(std::size_t most) : slots_(std::bit_ceil(2 * most + 2)) { names_.reserve(most); }

    /// Claims a non-empty name whose hash is `hash`; false when it was claimed before.
    bool Claim(std::string_view name, std::size_t hash) {
        const std::size_t mask = slots_.size() - 1;
        const std::uint64_t tag = std::uint64_t{TagOf(hash)} << 32;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            if (slots_[i] == 0) {
                names_.push_back(name);
                slots_[i] = tag | names_.size();
                return true;
            }
            if ((slots_[i] & ~std::uint64_t{0xFFFFFFFFu}) == tag && names_[(slots_[i] & 0xFFFFFFFFu) - 1] == name)
                return false;
        }
    }

private:
    std::vector<std::uint64_t> slots_;  // a tag in the high half, 1 + the index in names_ in the low; 0 where none is
    std::vector<std::string_view> names_;
};

std::string_view LeadingDigits(std::string_view text) {
    std::size_t digits = 0;
    while (digits < text.size() && IsAsciiDigit(text[digits])) ++digits;
    return text.substr(0, digits);
}

}  // namespace

bool IsUsableRcName(std::string_view name) { return IsUsableRcName(name, HashOf(name)); }

bool IsFreeCName(std::string_view name) { return IsFreeCName(name, HashOf(name)); }

bool TakesNumber(const Form& form, std::size_t item) {
    const std::string_view caption = form.menu[item].caption;
    return !form.HasChildren(item) && !caption.empty() && caption != "-";
}

namespace {

// "frmMain_Icon", "picLogo_Picture", "Command1_DownPicture", "Command1_MouseIcon", "SSTab1_TabPicture2",
// "StatusBar1_PanelPicture1", "ImageList1_ListImage3".
std::string PictureName(const Form& form, const FormPicture& picture) {
    std::string name = form.objects[picture.object].ArrayName();
    name.append("_").append(PropertyName(picture.property));
    if (IsNumberedPicture(picture.property)) name.append(std::to_string(picture.image));
    return name;
}

}  // namespace

Result<NameTable> NameForm(const Form& form, const DialogLayout* dialog, const RcOptions& options,
                           const std::string& formFile, const std::vector<FormPicture>* pictures) {
    NameTable table;
    const ItemList& menu = form.menu;
    const std::size_t count = menu.size();
    ClaimedNames taken(count + (dialog ? dialog->controls.size() + 1 : 0) + (pictures ? pictures->size() : 0) + 1);
    // The main menu's own name: a #define of it would turn the resource's name into a number.
    taken.Claim(options.menuName, HashOf(options.menuName));
    std::string composed;
    // Items of a control array share a name: NAME_INDEX keeps them apart.
    const auto nameOf = [&](std::string_view name, std::string_view index) {
        if (index.empty()) return name;
        composed.assign(name).append("_").append(index);
        return table.names_.Keep(composed);
    };
    // The first to ask for a usable name has it: a name defined twice would give the second the first one's number.
    const auto claim = [&](std::string_view name) {
        const std::size_t hash = HashOf(name);
        return IsUsableRcName(name, hash) && taken.Claim(name, hash) ? name : std::string_view();
    };
    // A name to #define, with the prefix asked for before it; the whole name follows the rule.
    std::string prefixed;
    const auto claimDefine = [&](std::string_view name) {
        if (options.definePrefix.empty() || name.empty()) return claim(name);
        prefixed.assign(options.definePrefix).append(name);
        if (!IsUsableRcName(prefixed)) return std::string_view();
        return claim(table.names_.Keep(prefixed));
    };

    // An item without a caption or items of its own is left out, unless every
    // entry of its menu would be: then the first one stays, as MENUITEM "", so
    // that the menu is not empty (its number is the one the program's code
    // fills the menu through). Glowne's entries are its visible top-level items
    // with context menus, and all of them without.
    std::vector<bool> placeholder(count, false);
    const auto isBlank = [&](std::size_t i) { return !form.HasChildren(i) && menu[i].caption.empty(); };
    const auto keepOnePlaceholder = [&](std::size_t begin, std::size_t end, bool onlyVisible) {
        std::size_t first = end;
        for (std::size_t i = begin; i < end; i = menu[i].end) {
            if (onlyVisible && !menu[i].visible) continue;
            if (!isBlank(i)) return true;
            if (first == end) first = i;
        }
        if (first == end) return false;
        placeholder[first] = true;
        return true;
    };
    table.hasMainMenu_ = keepOnePlaceholder(0, count, options.contextMenus);
    for (std::size_t i = 0; i < count; ++i)
        if (form.HasChildren(i)) keepOnePlaceholder(i + 1, menu[i].end, false);

    // Glowne first; with context menus, a hidden top-level menu waits for its
    // own resource and a hidden top-level item without children is left out.
    std::vector<std::int32_t> number(count, -1);
    std::vector<bool> inContextMenu(count, false);
    std::vector<std::uint32_t> contextTops;
    std::int64_t next = options.firstId;
    const auto numberItems = [&](std::size_t begin, std::size_t end) -> std::optional<ConvertError> {
        for (std::size_t i = begin; i < end; ++i) {
            if (!TakesNumber(form, i) && !placeholder[i]) {
                if (isBlank(i)) table.leftOut_.push_back(static_cast<std::uint32_t>(i));
                continue;
            }
            if (placeholder[i]) table.placeholders_.push_back(static_cast<std::uint32_t>(i));
            if (auto error = CheckFits(next, ErrorKind::ItemNumberOutOfRange, menu[i].name, menu[i].line, formFile))
                return error;
            number[i] = static_cast<std::int32_t>(next++);
        }
        return std::nullopt;
    };
    for (std::size_t top = 0; top < count; top = menu[top].end) {
        if (options.contextMenus && !menu[top].visible) {
            if (form.HasChildren(top)) contextTops.push_back(static_cast<std::uint32_t>(top));
            continue;
        }
        if (auto error = numberItems(top, menu[top].end)) return *error;
    }
    for (const std::uint32_t top : contextTops) {
        if (auto error = numberItems(top + 1, menu[top].end)) return *error;
        std::fill(inContextMenu.begin() + top + 1, inContextMenu.begin() + menu[top].end, true);
    }

    table.itemEntries_.assign(count, NameTable::kNone);
    table.entries_.reserve(count + (dialog ? dialog->controls.size() + 1 : 0));
    for (std::size_t i = 0; i < count; ++i) {
        if (number[i] < 0) continue;
        const MenuItem& item = menu[i];
        NameEntry entry{inContextMenu[i] ? NameKind::ContextMenuItem : NameKind::MenuItem, static_cast<std::uint32_t>(i), {},
                        number[i], item.line, {}};
        entry.formName = nameOf(item.name, item.index);
        if (options.useDefines) entry.name = claimDefine(entry.formName);
        table.itemEntries_[i] = static_cast<std::uint32_t>(table.entries_.size());
        table.entries_.push_back(entry);
    }

    // A context menu keeps its name unless an item's #define or an earlier
    // context menu has it: the #define would turn the name into a number, and
    // two resources of one name do not compile. Otherwise its place among them numbers it.
    for (std::size_t k = 0; k < contextTops.size(); ++k) {
        const MenuItem& top = menu[contextTops[k]];
        const std::string_view formName = nameOf(top.name, top.index);
        NameEntry entry{NameKind::ContextMenu, contextTops[k], claim(formName), static_cast<std::int32_t>(k + 1), top.line,
                        formName};
        if (entry.name.empty())
            if (auto error = CheckFits(static_cast<std::int64_t>(k) + 1, ErrorKind::ItemNumberOutOfRange, top.name, top.line,
                                       formFile))
                return *error;
        table.contextMenus_.push_back(static_cast<std::uint32_t>(table.entries_.size()));
        table.entries_.push_back(entry);
    }
    // The controls are numbered on from the menu's last item, so one #define list serves both.
    table.controlEntries_.assign(dialog ? dialog->controls.size() : 0, NameTable::kNone);
    for (std::size_t k = 0; dialog && k < dialog->controls.size(); ++k) {
        const std::uint32_t object = dialog->controls[k].object;
        const FormObject& control = form.objects[object];
        if (auto error = CheckFits(next, ErrorKind::ControlNumberOutOfRange, control.name, control.line, formFile))
            return *error;
        NameEntry entry{NameKind::Control, object, {}, static_cast<std::int32_t>(next++), control.line, {}};
        const std::optional<std::string_view> index = control.Property(Prop::Index);
        entry.formName = index ? nameOf(control.name, LeadingDigits(*index)) : std::string_view(control.name);
        if (options.useDefines) entry.name = claimDefine(entry.formName);
        table.controlEntries_[k] = static_cast<std::uint32_t>(table.entries_.size());
        table.entries_.push_back(entry);
    }
    if (dialog) {
        const FormObject& root = form.objects[0];
        NameEntry entry{NameKind::Dialog, 0, claim(root.name), 0, root.line, root.name};
        if (entry.name.empty()) entry.number = static_cast<std::int32_t>(std::clamp<std::int64_t>(next, 1, kLargestNumber));
        table.dialog_ = static_cast<std::uint32_t>(table.entries_.size());
        table.entries_.push_back(entry);
    }
    if (!pictures) return table;

    // Resources of their own kind, numbered apart from the menu's and the
    // controls' ids: the form's icon, first, has the lowest number of all icons,
    // and so is the one Explorer shows for the program.
    table.pictureEntries_.assign(pictures->size(), NameTable::kNone);
    std::int64_t nextPicture = 1;
    for (std::size_t i = 0; i < pictures->size(); ++i) {
        const FormPicture& picture = (*pictures)[i];
        if (picture.file.type == ResourceImageType::Metafile) continue;
        const std::string_view formName = table.names_.Keep(PictureName(form, picture));
        if (auto error = CheckFits(nextPicture, ErrorKind::ControlNumberOutOfRange, formName, picture.line, formFile))
            return *error;
        NameEntry entry{NameKind::Picture, static_cast<std::uint32_t>(i), {}, static_cast<std::int32_t>(nextPicture++),
                        picture.line, formName};
        if (options.useDefines) entry.name = claimDefine(formName);
        table.pictureEntries_[i] = static_cast<std::uint32_t>(table.entries_.size());
        table.entries_.push_back(entry);
    }
    return table;
}

}  // namespace tarvel
