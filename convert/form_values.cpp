#include "form_values.h"

#include "form_lines.h"

namespace tarvel {

Result<std::string_view> KeepStringValue(std::string_view value, FrxSource& frx, TextStore& store, std::string& scratch) {
    if (const std::optional<FrxReference> reference = ParseFrxReference(value)) {
        Result<std::string> stored = frx.Caption(*reference);
        if (!stored) return stored.error();
        return store.Keep(stored.value());
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.find('"') == std::string_view::npos) return store.Keep(value);
    scratch.clear();
    for (std::size_t i = 0; i < value.size(); ++i) {
        scratch += value[i];
        if (value[i] == '"' && i + 1 < value.size() && value[i + 1] == '"') ++i;
    }
    return store.Keep(scratch);
}

std::string_view WithoutComment(std::string_view value) {
    return TrimBlanks(value.substr(0, value.find('\'')));
}

}  // namespace tarvel
