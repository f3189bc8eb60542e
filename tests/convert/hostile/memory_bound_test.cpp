// The conversion's memory stays within a small multiple of the form's size:
// measured as the peak resident size of a child process that converts a large
// form, against what the child held before it began.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "file_io.h"
#include "hostile_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define TARVEL_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARVEL_UNDER_ASAN 1
#endif
#endif

namespace tarvel::hostile {
namespace {

constexpr std::uintmax_t kMultiple = 4;
constexpr std::uintmax_t kAllowance = 16u << 20;  // the program itself, buffers, the allocator's slack

// A form written piece by piece, so that the test itself never holds it.
void WriteManyItems(const fs::path& form, std::uintmax_t atLeast) {
    std::ofstream out(form, std::ios::binary);
    out << FormHead();
    std::uintmax_t written = 0;
    for (int popup = 0; written < atLeast; ++popup) {
        const std::string p = std::to_string(popup);
        std::string block = "   Begin VB.Menu mnuPopup" + p + "\r\n      Caption = \"Popup " + p + "\"\r\n";
        for (int i = 0; i < 1000; ++i) {
            const std::string n = p + "_" + std::to_string(i);
            block += LeafItem("mnuItem" + n, "Item " + n + std::string(500, '.'), "      ");
        }
        block += "   End\r\n";
        out << block;
        written += block.size();
    }
    out << FormTail();
    ASSERT_TRUE(out.good());
}

void WriteOneLongLine(const fs::path& form, std::uintmax_t size) {
    std::ofstream out(form, std::ios::binary);
    out << FormHead() << "   Begin VB.Menu mnuLong\r\n      Caption = \"";
    const std::string chunk(1 << 20, 'x');
    for (std::uintmax_t written = 0; written < size; written += chunk.size()) out << chunk;
    out << "\"\r\n   End\r\n" << FormTail();
    ASSERT_TRUE(out.good());
}

// Peak resident growth, in bytes, of a child that converts `form` to a file.
std::uintmax_t PeakGrowth(const fs::path& form, const fs::path& output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return 0;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        // The child's own peak, before and after: the peak of all children would
        // be an earlier test's child's when the tests run in one process.
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        const Result<ConversionReport> result = ConvertToFile(form, output);
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        const long peaks[2] = {before.ru_maxrss, after.ru_maxrss};
        const ssize_t sent = write(pipeEnds[1], peaks, sizeof peaks);
        _exit(result.ok() && sent == sizeof peaks ? 0 : 1);
    }
    close(pipeEnds[1]);
    long peaks[2] = {0, 0};
    const ssize_t got = read(pipeEnds[0], peaks, sizeof peaks);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the conversion of " << form << " failed";
    EXPECT_EQ(got, static_cast<ssize_t>(sizeof peaks));
    return peaks[1] > peaks[0] ? static_cast<std::uintmax_t>(peaks[1] - peaks[0]) * 1024 : 0;
}

class MemoryBound : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef TARVEL_UNDER_ASAN
        GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine and adds shadow memory, "
                        "so resident size says nothing about the conversion itself";
#endif
    }
};

TEST_F(MemoryBound, ManyItems) {
    ScratchDir dir;
    WriteManyItems(dir / "Large.frm", 32u << 20);
    const std::uintmax_t formSize = fs::file_size(dir / "Large.frm");
    const std::uintmax_t growth = PeakGrowth(dir / "Large.frm", dir / "Large.rc");
    std::printf("form %ju bytes, peak growth %ju bytes (%.2f x)\n", formSize, growth,
                static_cast<double>(growth) / static_cast<double>(formSize));
    EXPECT_GT(growth, 0u);
    EXPECT_LE(growth, kMultiple * formSize + kAllowance);
}

TEST_F(MemoryBound, OneLongCaptionLine) {
    ScratchDir dir;
    WriteOneLongLine(dir / "Long.frm", 12u << 20);
    const std::uintmax_t formSize = fs::file_size(dir / "Long.frm");
    const std::uintmax_t growth = PeakGrowth(dir / "Long.frm", dir / "Long.rc");
    std::printf("form %ju bytes, peak growth %ju bytes (%.2f x)\n", formSize, growth,
                static_cast<double>(growth) / static_cast<double>(formSize));
    EXPECT_GT(growth, 0u);
    EXPECT_LE(growth, kMultiple * formSize + kAllowance);
}

}  // namespace
}  // namespace tarvel::hostile
