// tarvel-rc's command line: what it asks for, and running it. Output goes to
// injected streams and the result is an exit status, so that main alone
// touches the process. Every message begins "tarvel-rc: ", and one about a
// file names it (and its line) first: "tarvel-rc: Form1.frm:42: ...".
#pragma once

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "rc_options.h"
#include "result.h"

namespace tarvel::cli {

/// Exit statuses; when forms fail differently the highest wins.
enum ExitStatus : int {
    kSuccess = 0,
    kNoMenu = 1,
    kUsage = 2,
    kFileError = 3,
    kNumberOutOfRange = 4,
};

/// The exit status a conversion that stopped with `kind` gives.
int ExitStatusOf(ErrorKind kind);

struct Options {
    RcOptions rc;                       ///< all but includeFile, which follows from `header` for each form
    std::optional<std::string> header;  ///< the C header for the #define list
    std::optional<std::string> masm;    ///< the MASM include with the same numbers
    std::optional<std::string> depfile; ///< the Make-style rule: the outputs depend on the files read
    std::optional<std::string> program; ///< the form as a C program (needs `header`)
    std::optional<std::string> output;  ///< "-" is standard output
    std::vector<std::string> forms;     ///< UTF-8; "-" is standard input
};

struct ParseResult {
    bool run = false;         ///< false: stop with `status` (help, version, or a usage error)
    int status = kSuccess;
    Options options;
};

/// The first item's number as the command line takes it: decimal with an
/// optional sign, or &H hex / &O octal, fitting a signed 32-bit integer,
/// and nothing else.
std::optional<std::int32_t> ParseFirstId(std::string_view text);

/// Reads the arguments (UTF-8, without the program's name). Help and version
/// go to `out`; usage errors to `err`.
ParseResult ParseArguments(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

/// Converts every form; RC text for "-o -" goes to `out`, messages to `err`,
/// and a form named "-" is read from `in` (in binary mode), which no output
/// may overwrite when it is a regular file.
int Run(const Options& options, std::ostream& out, std::ostream& err, std::FILE* in = stdin);

/// The whole program after the process's own set-up: arguments in, exit status out.
int Main(std::span<const std::string> arguments, std::ostream& out, std::ostream& err, std::FILE* in = stdin);

}  // namespace tarvel::cli
