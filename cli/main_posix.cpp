// tarvel-rc's entry point on POSIX systems: the arguments arrive as UTF-8.
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return tarvel::cli::Main(arguments, std::cout, std::cerr);
}
