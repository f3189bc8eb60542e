// tarvel-rc's command line: what it asks for, and running it. Output goes to
// injected streams and the result is an exit status, so that main alone
// touches the process.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace tarvel::cli {

/// Exit statuses; when forms fail differently the highest wins.
enum ExitStatus : int {
    kSuccess = 0,
    kNoMenu = 1,
    kUsage = 2,
    kFileError = 3,
};

struct Options {
    std::string firstIdText = "100";
    bool useDefines = true;
    std::optional<std::string> output;  ///< "-" is standard output
    std::vector<std::string> forms;
};

struct ParseResult {
    bool run = false;         ///< false: stop with `status` (help, version, or a usage error)
    int status = kSuccess;
    Options options;
};

/// Reads the arguments (without the program's name). Help and version go to
/// `out`; usage errors to `err`.
ParseResult ParseArguments(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

/// Converts every form; RC text for "-o -" goes to `out`, messages to `err`.
int Run(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace tarvel::cli
