#include "dependency_writer.h"

#include <utility>
#include <vector>

namespace tarvel {

std::optional<std::string> DependencyName(const std::filesystem::path& path) {
    // Forward slashes, which make and ninja read on every system, and which no backslash rule touches.
    const std::u8string generic = path.generic_u8string();
    const std::string text(generic.begin(), generic.end());
    std::string name;
    std::size_t backslashes = 0;  // the backslashes just before the character at hand
    for (const char c : text) {
        if (c == '\n' || c == '\r') return std::nullopt;
        // Without a backslash a space would end the name, '#' begin a comment
        // and '$' a variable; backslashes before a space are read in pairs.
        if (c == ' ') name.append(backslashes + 1, '\\');
        if (c == '#') name += '\\';
        if (c == '$') name += '$';
        name += c;
        backslashes = c == '\\' ? backslashes + 1 : 0;
    }
    return name;
}

bool WriteDependencies(std::span<const std::filesystem::path> targets, std::span<const std::filesystem::path> read,
                       TextSink& out) {
    std::vector<std::string> targetNames, readNames;
    for (const auto& [paths, names] : {std::pair{targets, &targetNames}, std::pair{read, &readNames}})
        for (const std::filesystem::path& path : paths) {
            std::optional<std::string> name = DependencyName(path.lexically_normal());
            if (!name) return false;
            names->push_back(std::move(*name));
        }
    std::string text;
    for (std::size_t i = 0; i < targetNames.size(); ++i) text += (i ? " " : "") + targetNames[i];
    text += ':';
    for (const std::string& name : readNames) text += " \\\n  " + name;
    text += '\n';
    for (const std::string& name : readNames) text += name + ":\n";
    out.Write(text);
    return true;
}

}  // namespace tarvel
