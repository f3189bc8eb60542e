// libFuzzer target: any bytes, taken as a form, through the conversion. A
// finding is a crash, a leak, undefined behaviour, or RC text that breaks one
// of the rules in conversion_check.h.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "conversion_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem =
        tarvel::check::CheckConversion(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!problem.empty()) {
        std::fprintf(stderr, "tarvel conversion check failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
