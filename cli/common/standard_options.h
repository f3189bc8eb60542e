// What the command lines of both programs, tarvel-rc and the window, have in
// common over CLI11: their own help text instead of CLI11's, -h/--help and
// --version as plain flags, the arguments read in the order given, and a usage
// error told as "PROGRAM: reason" with the way to the help. Each program keeps
// its own options, its own words for what CLI11 refuses and its exit statuses.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvel::command_line {

struct StandardFlags {
    bool help = false;
    bool version = false;
};

/// Gives `app` -h/--help and --version, set in `flags`, in place of CLI11's own help.
inline void AddStandardFlags(CLI::App& app, StandardFlags& flags) {
    app.set_help_flag();
    app.add_flag("-h,--help", flags.help);
    app.add_flag("--version", flags.version);
}

/// Reads `arguments` (without the program's name) into `app`; CLI11's error when it refuses them.
inline std::optional<CLI::ParseError> Parse(CLI::App& app, std::span<const std::string> arguments) {
    // CLI11 wants the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return error;
    }
    return std::nullopt;
}

/// A usage error as the command line's habit has it, on `err`.
inline void TellUsageError(std::ostream& err, std::string_view program, std::string_view reason) {
    err << program << ": " << reason << "\nTry '" << program << " --help' for more information.\n";
}

}  // namespace tarvel::command_line
