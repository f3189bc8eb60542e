// libFuzzer target: any bytes, taken as a form, through the reader and the
// generator. A finding is a crash, a leak, undefined behaviour, or RC text
// that breaks one of the rules in conversion_check.h.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

#include "conversion_check.h"

namespace {

// One scratch form per fuzzing process, in memory where the system has it.
const std::string& ScratchForm() {
    static const std::string path = [] {
        const char* tmpdir = std::getenv("TMPDIR");
        const std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : tmpdir ? tmpdir : "/tmp";
        std::string directory = base + "/tarvel-fuzz-XXXXXX";
        if (!mkdtemp(directory.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        return directory + "/Form1.frm";
    }();
    return path;
}

void RemoveScratch() {
    const std::string& form = ScratchForm();
    std::remove(form.c_str());
    rmdir(form.substr(0, form.rfind('/')).c_str());
}

// The fuzzer ends by exit() or, on a finding, by abort(): clear up after both.
struct RemoveScratchAtExit {
    ~RemoveScratchAtExit() { RemoveScratch(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The path first: statics go in reverse order, so the clean-up still finds it at exit.
    const std::string& form = ScratchForm();
    static RemoveScratchAtExit cleanup;
    const std::string problem =
        tarvel::check::CheckConversion(std::string_view(reinterpret_cast<const char*>(data), size), form);
    if (!problem.empty()) {
        std::fprintf(stderr, "tarvel conversion check failed: %s\n", problem.c_str());
        RemoveScratch();
        std::abort();
    }
    return 0;
}
