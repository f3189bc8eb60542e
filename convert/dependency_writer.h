// A Make-style dependency file, as compilers write one with -MD -MP: the
// conversion's outputs depend on the form and every .frx file it read, so
// make and ninja convert again when one of them changes, and only then. Each
// file read also gets a rule of its own without prerequisites, so that a .frx
// file the form no longer uses can go without the build stopping at "No rule
// to make target".
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "text_sink.h"

namespace tarvel {

/// A path as make and ninja read it in a rule, with forward slashes, escaped
/// as compilers do: '#' and a space after a backslash (the backslashes before
/// a space doubled), '$' as "$$"; none when the path holds a line break,
/// which neither can read.
std::optional<std::string> DependencyName(const std::filesystem::path& path);

/// "targets: read...", one file a line. False, with nothing written, when a
/// path cannot be written in a rule.
bool WriteDependencies(std::span<const std::filesystem::path> targets, std::span<const std::filesystem::path> read,
                       TextSink& out);

}  // namespace tarvel
