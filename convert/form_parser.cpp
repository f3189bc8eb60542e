#include "form_parser.h"

#include <string>

#include "form_lines.h"
#include "form_values.h"

namespace tarvel {
namespace {

// The first word of `text` (up to a blank) and the rest, trimmed.
std::pair<std::string_view, std::string_view> SplitWord(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    return {text.substr(0, end), TrimBlanks(text.substr(end))};
}

bool IsAttributeLine(std::string_view line) { return StartsWithWord(line, "attribute"); }

// "Form1.frx":0A3C: a reference to data in the .frx file (a $ before it would make it a string).
bool IsDataReference(std::string_view value) {
    const std::size_t close = value.find('"', 1);
    return value.front() == '"' && close != std::string_view::npos && close + 1 < value.size() && value[close + 1] == ':';
}

// Only these properties hold text that the form may keep in its .frx file.
bool IsTextProperty(std::string_view name) { return name == "Caption" || name == "Text"; }

class FormBuilder {
public:
    FormBuilder(FrxSource& frx, Form& form) : frx_(frx), form_(form) {}

    /// Takes one trimmed line; false once the form's own End has come.
    bool Line(std::string_view line) {
        if (StartsWithWord(line, "beginproperty")) {
            const std::string_view block = SplitWord(SplitWord(line).second).first;
            const bool font = block.size() == 4 && StartsWithNoCase(block, "font");
            if (skipDepth_ > 0 || inFont_ || !font) ++skipDepth_;
            else inFont_ = true;
            return true;
        }
        if (StartsWithWord(line, "begin")) {
            // A menu has a tree of its own; nothing lies inside a property block.
            if (skipDepth_ > 0 || inFont_ || IsMenuBeginLine(line)) ++skipDepth_;
            else Begin(SplitWord(line).second);
            return true;
        }
        if (IsBlockEndLine(line)) {
            if (skipDepth_ > 0) --skipDepth_;
            else if (inFont_) inFont_ = false;
            else if (!open_.empty()) Close();
            return !open_.empty();
        }
        if (skipDepth_ == 0 && !open_.empty()) SetProperty(line);
        return true;
    }

    void Finish() {
        while (!open_.empty()) Close();
    }

private:
    void Begin(std::string_view typeAndName) {
        const auto [type, rest] = SplitWord(typeAndName);
        FormObject object;
        object.type = form_.text.Keep(type);
        object.name = form_.text.Keep(SplitWord(rest).first);
        if (!open_.empty()) object.parent = open_.back();
        open_.push_back(static_cast<std::uint32_t>(form_.objects.size()));
        form_.objects.push_back(std::move(object));
    }

    void Close() {
        form_.objects[open_.back()].end = static_cast<std::uint32_t>(form_.objects.size());
        open_.pop_back();
    }

    void SetProperty(std::string_view line) {
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return;
        std::string_view name = TrimBlanks(line.substr(0, equals));
        const std::string_view value = TrimBlanks(line.substr(equals + 1));
        FormObject& object = form_.objects[open_.back()];
        if (inFont_) {
            composed_.assign("Font.").append(name);
            name = form_.text.Keep(composed_);
        } else {
            name = form_.text.Keep(name);
        }
        std::string_view kept;
        const bool string = !value.empty() && (value.front() == '"' || (value.front() == '$' && IsTextProperty(name)));
        if (string && IsDataReference(value)) {
            // A multi-line Text kept in the .frx as data: what it holds is not read here.
            if (IsTextProperty(name))
                form_.unreadable.push_back({open_.back(), name, "it is kept in " + std::string(value) + " as data"});
        } else if (string) {
            Result<std::string_view> bytes = KeepStringValue(value, frx_, form_.text, scratch_);
            if (bytes) kept = bytes.value();
            else form_.unreadable.push_back({open_.back(), name, Describe(bytes.error())});
        } else {
            kept = form_.text.Keep(WithoutComment(value));
        }
        object.properties.push_back({name, kept});
    }

    FrxSource& frx_;
    Form& form_;
    std::vector<std::uint32_t> open_;  // the objects whose End has not come yet, outermost first
    std::size_t skipDepth_ = 0;        // nesting inside a menu or a property block other than Font
    bool inFont_ = false;              // inside the innermost object's Font block
    std::string composed_, scratch_;
};

}  // namespace

Result<Form> ParseForm(FormReader& reader, FrxSource& frx) {
    Form form;
    std::optional<std::string_view> line;
    while ((line = reader.NextLine())) {
        const std::string_view trimmed = TrimBlanks(*line);
        if (IsAttributeLine(trimmed)) break;
        if (StartsWithWord(trimmed, "begin")) break;
    }
    if (reader.error()) return *reader.error();
    if (!line || !StartsWithWord(TrimBlanks(*line), "begin")) return form;

    FormBuilder builder(frx, form);
    while (builder.Line(TrimBlanks(*line)) && (line = reader.NextLine()) && !IsAttributeLine(*line)) {
    }
    if (reader.error()) return *reader.error();
    builder.Finish();
    return form;
}

}  // namespace tarvel
