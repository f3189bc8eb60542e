// tarvel-rc: converts the menus of Visual Basic forms into RC MENU resources
// from the command line, byte for byte as the window does. This file only
// connects the process to the command line: arguments in, streams, exit status.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#ifdef _WIN32
#include "windows_console.h"
#endif

namespace {

using namespace tarvel::cli;

int RunProgram(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    // The last guard: nothing escapes main as an abort.
    try {
        const ParseResult parsed = ParseArguments(arguments, out, err);
        if (!parsed.run) return parsed.status;
        return Run(parsed.options, out, err);
    } catch (const std::exception& failure) {
        err << "tarvel-rc: " << failure.what() << '\n';
    } catch (...) {
        err << "tarvel-rc: unexpected failure\n";
    }
    return kFileError;
}

}  // namespace

#ifdef _WIN32
// The wide entry point: the arguments arrive as UTF-16, so a name with letters
// outside the ANSI code page reaches the file system as it was typed.
int wmain(int argc, wchar_t** argv) {
    std::ios::sync_with_stdio(false);
    MakeStandardOutputBinary();
    StandardErrorStream err;
    return RunProgram(Utf8Arguments(argc, argv), std::cout, err);
}
#else
int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return RunProgram(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif
