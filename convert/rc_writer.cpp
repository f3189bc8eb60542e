#include "rc_writer.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <numeric>

#include "rc_text.h"

namespace tarvel {
namespace {

constexpr std::int64_t kLargestId = 65535;

void AppendNumber(std::string& out, std::int32_t number) {
    char digits[16];
    out.append(digits, std::to_chars(digits, std::end(digits), number).ptr);
}

}  // namespace

std::int64_t NextNumber(const MenuNumbers& numbers, const RcOptions& options) {
    return options.firstId + static_cast<std::int64_t>(std::count_if(numbers.number.begin(), numbers.number.end(),
                                                                      [](std::int32_t n) { return n != MenuNumbers::kNone; }));
}

bool TakesNumber(const Menu& menu, std::size_t item) {
    const std::string_view caption = menu.items[item].caption;
    return !menu.HasChildren(item) && !caption.empty() && caption != "-";
}

Result<MenuNumbers> NumberMenu(const Menu& menu, const RcOptions& options, const std::string& form) {
    MenuNumbers numbers;
    const std::size_t count = menu.items.size();
    numbers.number.assign(count, MenuNumbers::kNone);
    numbers.identifier.assign(count, {});
    std::int64_t next = options.firstId;
    std::string composed;
    for (std::size_t i = 0; i < count; ++i) {
        if (!TakesNumber(menu, i)) continue;
        const MenuItem& item = menu.items[i];
        if (next < 0 || next > kLargestId) {
            ConvertError error = FileError(ErrorKind::ItemNumberOutOfRange, form);
            error.detail = item.name;
            error.number = next;
            return error;
        }
        numbers.number[i] = static_cast<std::int32_t>(next++);
        if (!options.useDefines) continue;
        // Items of a control array share a name: NAME_INDEX keeps their #defines apart.
        std::string_view name = item.name;
        if (!item.index.empty()) {
            composed.assign(item.name).append("_").append(item.index);
            name = numbers.names.Keep(composed);
        }
        if (IsUsableRcName(name)) numbers.identifier[i] = name;
    }
    if (!options.useDefines) return numbers;

    // A name defined twice would give the second item the first one's number: the first keeps it.
    std::vector<std::uint32_t> named;
    for (std::size_t i = 0; i < count; ++i)
        if (!numbers.identifier[i].empty()) named.push_back(static_cast<std::uint32_t>(i));
    std::stable_sort(named.begin(), named.end(), [&](std::uint32_t a, std::uint32_t b) {
        return numbers.identifier[a] < numbers.identifier[b];
    });
    for (std::size_t k = 1, first = 0; k < named.size(); ++k) {
        if (numbers.identifier[named[k]] == numbers.identifier[named[first]]) numbers.identifier[named[k]] = {};
        else first = k;
    }
    return numbers;
}

void WriteMenuDefines(const Menu& menu, const MenuNumbers& numbers, TextSink& out) {
    std::string line;
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        if (numbers.identifier[i].empty()) continue;
        line.assign("#define ").append(numbers.identifier[i]).append(" ");
        AppendNumber(line, numbers.number[i]);
        line += "\r\n";
        out.Write(line);
    }
}

void WriteRcMenu(const Menu& menu, const MenuNumbers& numbers, TextSink& out) {
    WriteMenuDefines(menu, numbers, out);
    out.Write("\r\n\r\n");
    WriteMenuResource(menu, numbers, out);
}

void WriteMenuResource(const Menu& menu, const MenuNumbers& numbers, TextSink& out) {
    std::string line;
    out.Write("Glowne MENU\r\n{\r\n");

    // The items whose closing brace is still to come, as positions just past their last descendant.
    std::vector<std::uint32_t> open;
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        for (; !open.empty() && open.back() == i; open.pop_back()) out.Write("}\r\n");
        const MenuItem& item = menu.items[i];
        line.clear();
        if (menu.HasChildren(i)) {
            line += "\r\nPOPUP \"";
            AppendRcString(line, item.caption);
            line += "\"\r\n{\r\n";
            open.push_back(item.end);
        } else if (item.caption == "-") {
            line.append(4 * open.size(), ' ').append("MENUITEM SEPARATOR\r\n");
        } else if (!item.caption.empty()) {
            line.append(4 * open.size(), ' ').append("MENUITEM \"");
            AppendRcString(line, item.caption);
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
    out.Write("}\r\n");
}

}  // namespace tarvel
