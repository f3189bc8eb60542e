// tarvel-rc's entry point on Windows: the wide one. The arguments arrive as
// UTF-16, so a name with letters outside the ANSI code page reaches the file
// system as it was typed; standard output takes raw bytes, and standard
// error shows UTF-8 right in a console.
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "utf8.h"
#include "windows_console.h"

int wmain(int argc, wchar_t** argv) {
    std::ios::sync_with_stdio(false);
    tarvel::cli::MakeStandardOutputBinary();
    tarvel::cli::MakeStandardInputBinary();
    tarvel::cli::StandardErrorStream err;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(tarvel::Utf8FromWide(argv[i]));
    return tarvel::cli::Main(arguments, std::cout, err);
}
