#include "rc_writer.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <numeric>
#include <optional>

#include "rc_accelerators.h"
#include "rc_text.h"

namespace tarvel {
namespace {

constexpr std::int64_t kLargestId = 65535;

void AppendNumber(std::string& out, std::int64_t number) {
    char digits[24];
    out.append(digits, std::to_chars(digits, std::end(digits), number).ptr);
}

ConvertError OutOfRange(const std::string& form, std::string_view name, std::int64_t number) {
    ConvertError error = FileError(ErrorKind::ItemNumberOutOfRange, form);
    error.detail = name;
    error.number = number;
    return error;
}

// Writes the items from `begin` up to `end` (whole subtrees) as the inside of
// a MENU block. `leaveHidden`: the hidden top-level items stay out (Glowne
// with context menus).
void WriteItems(const Menu& menu, const MenuNumbers& numbers, const RcOptions& options, std::size_t begin,
                std::size_t end, bool leaveHidden, TextSink& out) {
    std::string line;
    // The items whose closing brace is still to come, as positions just past their last descendant.
    std::vector<std::uint32_t> open;
    for (std::size_t i = begin; i < end; ++i) {
        for (; !open.empty() && open.back() == i; open.pop_back()) out.Write("}\r\n");
        const MenuItem& item = menu.items[i];
        if (leaveHidden && open.empty() && !item.visible) {
            i = item.end - 1;
            continue;
        }
        line.clear();
        if (menu.HasChildren(i)) {
            line += "\r\nPOPUP \"";
            AppendRcString(line, item.caption);
            line += "\"";
            // A POPUP cannot be checked in a Windows menu; it can be greyed.
            if (options.grayPopups && !item.enabled) line += ", GRAYED";
            line += "\r\n{\r\n";
            open.push_back(item.end);
        } else if (item.caption == "-") {
            line.append(4 * open.size(), ' ').append("MENUITEM SEPARATOR\r\n");
        } else if (!item.caption.empty()) {
            line.append(4 * open.size(), ' ').append("MENUITEM \"");
            AppendRcString(line, item.caption);
            if (options.shortcuts) {
                if (const ShortcutKey* key = FindShortcutKey(item.shortcut)) {
                    AppendRcString(line, "\t");
                    AppendRcString(line, key->label);
                }
            }
            line += "\", ";
            if (!numbers.identifier[i].empty()) line += numbers.identifier[i];
            else AppendNumber(line, numbers.number[i]);
            if (!item.enabled) line += ", GRAYED";
            if (item.checked) line += ", CHECKED";
            line += "\r\n";
        }
        out.Write(line);
    }
    for (; !open.empty(); open.pop_back()) out.Write("}\r\n");
}

}  // namespace

bool TakesNumber(const Menu& menu, std::size_t item) {
    const std::string_view caption = menu.items[item].caption;
    return !menu.HasChildren(item) && !caption.empty() && caption != "-";
}

Result<MenuNumbers> NumberMenu(const Menu& menu, const RcOptions& options, const std::string& form) {
    MenuNumbers numbers;
    const std::size_t count = menu.items.size();
    numbers.number.assign(count, MenuNumbers::kNone);
    numbers.identifier.assign(count, {});
    std::string composed;
    // Items of a control array share a name: NAME_INDEX keeps them apart.
    const auto nameOf = [&](const MenuItem& item) {
        if (item.index.empty()) return item.name;
        composed.assign(item.name).append("_").append(item.index);
        return numbers.names.Keep(composed);
    };

    std::int64_t next = options.firstId;
    const auto numberItems = [&](std::size_t begin, std::size_t end) -> std::optional<ConvertError> {
        for (std::size_t i = begin; i < end; ++i) {
            if (!TakesNumber(menu, i)) continue;
            const MenuItem& item = menu.items[i];
            if (next < 0 || next > kLargestId) return OutOfRange(form, item.name, next);
            numbers.number[i] = static_cast<std::int32_t>(next++);
            if (!options.useDefines) continue;
            const std::string_view name = nameOf(item);
            if (IsUsableRcName(name)) numbers.identifier[i] = name;
        }
        return std::nullopt;
    };
    // Glowne first; with context menus, a hidden top-level menu waits for its
    // own resource and a hidden top-level item without children is left out.
    for (std::size_t top = 0; top < count; top = menu.items[top].end) {
        if (options.contextMenus && !menu.items[top].visible) {
            if (menu.HasChildren(top)) numbers.contextMenus.push_back({static_cast<std::uint32_t>(top), {}, 0});
            continue;
        }
        if (std::optional<ConvertError> error = numberItems(top, menu.items[top].end)) return *error;
    }
    for (const MenuNumbers::ContextMenu& context : numbers.contextMenus)
        if (std::optional<ConvertError> error = numberItems(context.item + 1, menu.items[context.item].end)) return *error;

    // A name defined twice would give the second item the first one's number: the first keeps it.
    std::vector<std::uint32_t> named;
    for (std::size_t i = 0; i < count; ++i)
        if (!numbers.identifier[i].empty()) named.push_back(static_cast<std::uint32_t>(i));
    std::stable_sort(named.begin(), named.end(), [&](std::uint32_t a, std::uint32_t b) {
        return numbers.identifier[a] < numbers.identifier[b];
    });
    std::vector<std::string_view> defined;
    for (std::size_t k = 0, first = 0; k < named.size(); ++k) {
        if (k > 0 && numbers.identifier[named[k]] == numbers.identifier[named[first]]) {
            numbers.identifier[named[k]] = {};
        } else {
            first = k;
            defined.push_back(numbers.identifier[named[k]]);
        }
    }

    // A context menu keeps its name unless an item's #define or an earlier
    // context menu has it: the #define would turn the name into a number, and
    // two resources of one name do not compile.
    std::vector<std::string_view> taken;
    for (std::size_t k = 0; k < numbers.contextMenus.size(); ++k) {
        MenuNumbers::ContextMenu& context = numbers.contextMenus[k];
        const std::string_view name = nameOf(menu.items[context.item]);
        const bool free = IsUsableRcName(name) && !std::binary_search(defined.begin(), defined.end(), name) &&
                          std::find(taken.begin(), taken.end(), name) == taken.end();
        if (free) {
            context.name = name;
            taken.push_back(name);
        } else if (static_cast<std::int64_t>(k) + 1 > kLargestId) {
            return OutOfRange(form, menu.items[context.item].name, static_cast<std::int64_t>(k) + 1);
        }
        context.number = static_cast<std::int32_t>(k + 1);
    }
    return numbers;
}

void WriteDefines(const Menu& menu, const MenuNumbers& numbers, TextSink& out) {
    std::string line;
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        if (numbers.identifier[i].empty()) continue;
        line.assign("#define ").append(numbers.identifier[i]).append(" ");
        AppendNumber(line, numbers.number[i]);
        line += "\r\n";
        out.Write(line);
    }
}

std::vector<NamedNumber> DefinedNames(const Menu& menu, const MenuNumbers& numbers) {
    std::vector<NamedNumber> names;
    for (std::size_t i = 0; i < menu.items.size(); ++i)
        if (!numbers.identifier[i].empty()) names.push_back({numbers.identifier[i], numbers.number[i]});
    return names;
}

std::int64_t NextNumber(const MenuNumbers& numbers, const RcOptions& options) {
    return options.firstId + static_cast<std::int64_t>(std::count_if(numbers.number.begin(), numbers.number.end(),
                                                                      [](std::int32_t n) { return n != MenuNumbers::kNone; }));
}

void WriteCodePage(const RcOptions& options, TextSink& out) {
    if (options.codePage <= 0) return;
    std::string line = "#pragma code_page(";
    AppendNumber(line, options.codePage);
    out.Write(line.append(")\r\n"));
}

void WriteInclude(const RcOptions& options, TextSink& out) {
    std::string line;
    line.assign("#include \"").append(options.includeFile).append("\"\r\n");
    out.Write(line);
}

void WriteMenuResources(const Menu& menu, const MenuNumbers& numbers, const RcOptions& options, TextSink& out) {
    out.Write("Glowne MENU\r\n{\r\n");
    WriteItems(menu, numbers, options, 0, menu.items.size(), options.contextMenus, out);
    out.Write("}\r\n");

    std::string line;
    for (const MenuNumbers::ContextMenu& context : numbers.contextMenus) {
        line = "\r\n";
        if (!context.name.empty()) line += context.name;
        else AppendNumber(line, context.number);
        out.Write(line.append(" MENU\r\n{\r\n"));
        WriteItems(menu, numbers, options, context.item + 1, menu.items[context.item].end, false, out);
        out.Write("}\r\n");
    }
    if (options.shortcuts) WriteRcAccelerators(menu, numbers, out);
}

void WriteRcMenu(const Menu& menu, const MenuNumbers& numbers, const RcOptions& options, TextSink& out) {
    WriteCodePage(options, out);
    if (!options.includeFile.empty()) WriteInclude(options, out);
    else WriteDefines(menu, numbers, out);
    out.Write("\r\n\r\n");
    WriteMenuResources(menu, numbers, options, out);
}

}  // namespace tarvel
