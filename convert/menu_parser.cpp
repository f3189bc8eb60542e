#include "menu_parser.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "form_lines.h"
#include "form_values.h"

namespace tarvel {

std::string_view TextStore::Keep(std::string_view bytes) {
    if (bytes.empty()) return {};
    if (bytes.size() > kLargestBlockSize / 4) {
        // A large piece gets a block of its own, so the shared block's room is not wasted.
        blocks_.push_back(std::make_unique<char[]>(bytes.size()));
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

namespace {

// A property's value from "Name = Value": the name and the value, trimmed.
struct Property {
    std::string_view name, value;
};

Property SplitProperty(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return {TrimBlanks(line), {}};
    return {TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1))};
}

// Visual Basic writes True as -1 and False as 0; only a 0 turns a flag off.
bool FlagValue(std::string_view value) { return value.empty() || value.front() != '0'; }

// Starts with "attribute" in any case, at the very start of the line.
bool IsAttributeLine(std::string_view line) {
    return !line.empty() && (line.front() == 'A' || line.front() == 'a') && StartsWithNoCase(line, "attribute");
}

class MenuBuilder {
public:
    MenuBuilder(FrxSource& frx, Menu& menu) : frx_(frx), menu_(menu) {}

    Status Line(std::string_view line) {
        // Most lines are properties: only one that begins with a B or an E can open or close a block.
        const char first = line.empty() ? ' ' : LowerAscii(line.front());
        if (first == 'b' && IsBlockBeginLine(line)) {
            if (skipDepth_ > 0) ++skipDepth_;
            else if (IsMenuBeginLine(line)) Begin(line);
            else skipDepth_ = 1;
            return Done{};
        }
        if (first == 'e' && IsBlockEndLine(line)) {
            if (skipDepth_ > 0) --skipDepth_;
            else if (!open_.empty()) Close();
            return Done{};
        }
        if (skipDepth_ == 0 && propertiesOpen_) return SetProperty(line);
        return Done{};
    }

    void Finish() {
        while (!open_.empty()) Close();
    }

private:
    void Begin(std::string_view line) {
        // The name is the one word after "Begin VB.Menu"; whatever follows it is not part of it.
        std::string_view name = TrimBlanks(line.substr(std::string_view("begin vb.menu").size()));
        name = name.substr(0, std::min(name.find(' '), name.find('\t')));
        MenuItem item;
        item.name = menu_.text.Keep(name);
        open_.push_back(static_cast<std::uint32_t>(menu_.items.size()));
        menu_.items.push_back(item);
        propertiesOpen_ = true;
    }

    void Close() {
        menu_.items[open_.back()].end = static_cast<std::uint32_t>(menu_.items.size());
        open_.pop_back();
        // The parent's properties ended where its first child began.
        propertiesOpen_ = false;
    }

    Status SetProperty(std::string_view line) {
        // Only these properties matter; their first letters rule out the rest.
        if (line.empty() || !std::strchr("CEIVS", line.front())) return Done{};
        const auto [name, value] = SplitProperty(line);
        MenuItem& item = menu_.items[open_.back()];
        if (name == "Caption") return SetCaption(item, value);
        if (name == "Enabled") item.enabled = FlagValue(value);
        else if (name == "Checked") item.checked = FlagValue(value);
        else if (name == "Visible") item.visible = FlagValue(value);
        else if (name == "Shortcut") item.shortcut = menu_.text.Keep(value);
        else if (name == "Index") {
            std::size_t digits = 0;
            while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9') ++digits;
            item.index = menu_.text.Keep(value.substr(0, digits));
        }
        return Done{};
    }

    Status SetCaption(MenuItem& item, std::string_view value) {
        Result<std::string_view> caption = KeepStringValue(value, frx_, menu_.text, caption_);
        if (!caption) return caption.error();
        item.caption = caption.value();
        return Done{};
    }

    FrxSource& frx_;
    Menu& menu_;
    std::vector<std::uint32_t> open_;  // the items whose End has not come yet, outermost first
    bool propertiesOpen_ = false;      // the innermost open item has no child yet
    std::size_t skipDepth_ = 0;        // nesting inside a block of some other control
    std::string caption_;
};

}  // namespace

Result<Menu> ParseMenu(FormReader& form, FrxSource& frx) {
    std::optional<std::string_view> line;
    while ((line = form.NextLineContaining("vb.menu")) && !IsMenuBeginLine(TrimBlanks(*line))) {
    }
    if (form.error()) return *form.error();
    if (!line) return FileError(ErrorKind::NoMenu, PathText(form.path()));

    Menu menu;
    MenuBuilder builder(frx, menu);
    do {
        Status handled = builder.Line(TrimBlanks(*line));
        if (!handled) return handled.error();
    } while ((line = form.NextLine()) && !IsAttributeLine(*line));
    if (form.error()) return *form.error();
    builder.Finish();
    return menu;
}

}  // namespace tarvel
