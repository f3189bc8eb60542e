// Feeds every input the fuzzer ever failed on through the same check, without
// libFuzzer, so that every build keeps them fixed.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "conversion_check.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s REGRESSIONS_DIR\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(argv[1])) {
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.' &&
            entry.path().extension() != ".md")
            inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());

    int failed = 0;
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string problem = tarvel::check::CheckConversion(bytes);
        if (!problem.empty()) {
            std::printf("FAIL %s: %s\n", input.filename().string().c_str(), problem.c_str());
            ++failed;
        }
    }
    std::printf("%zu inputs replayed, %d failed\n", inputs.size(), failed);
    return failed == 0 ? 0 : 1;
}
