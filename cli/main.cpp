// tarvel-rc: converts the menus of Visual Basic forms into RC MENU resources
// from the command line, byte for byte as the window does.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "command_line.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // RC text keeps its CR LF line ends and its bytes on standard output too.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const tarvel::cli::ParseResult parsed = tarvel::cli::ParseArguments(arguments, std::cout, std::cerr);
    if (!parsed.run) return parsed.status;
    return tarvel::cli::Run(parsed.options, std::cout, std::cerr);
}
