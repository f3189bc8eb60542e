// Writing the RC file: complete or not at all, and never over the form.
#include "delivery.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "test_support.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;
using test::PathUtf8;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::size_t EntriesIn(const fs::path& directory) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

TEST(Delivery, WritesTheTextAndALineEndOverAnOldFile) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", "form");
    WriteBytes(dir / "Form1.rc", "an old and much longer text that must not survive");
    ASSERT_TRUE(DeliverToFile("new\r\n", dir / "Form1.rc", dir / "Form1.frm"));
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "new\r\n\r\n");
    EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

TEST(Delivery, KeepsThePermissionsOfTheFileItReplaces) {
    TempDir dir;
    WriteBytes(dir / "Form1.rc", "old");
    fs::permissions(dir / "Form1.rc", fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    ASSERT_TRUE(DeliverToFile("new", dir / "Form1.rc", dir / "Form1.frm"));
    EXPECT_EQ(fs::status(dir / "Form1.rc").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
}

TEST(Delivery, WritesThroughALinkToTheFileItNames) {
    TempDir dir;
    WriteBytes(dir / "real.rc", "old");
    fs::create_symlink(dir / "real.rc", dir / "link.rc");
    ASSERT_TRUE(DeliverToFile("new", dir / "link.rc", dir / "Form1.frm"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.rc"));
    EXPECT_EQ(ReadBytes(dir / "real.rc"), "new\r\n");
}

TEST(Delivery, RefusesToOverwriteTheForm) {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", "the form");
    fs::create_symlink(dir / "Form1.frm", dir / "alias.rc");
    for (const fs::path& target : {dir / "Form1.frm", dir / "alias.rc", dir / "." / "Form1.frm"}) {
        const Status status = DeliverToFile("rc", target, dir / "Form1.frm");
        ASSERT_FALSE(status);
        EXPECT_EQ(status.error().kind, ErrorKind::OutputIsForm);
        EXPECT_EQ(Describe(status.error()), PathUtf8(target) + ": the output file would overwrite the form");
    }
    EXPECT_EQ(ReadBytes(dir / "Form1.frm"), "the form");
}

TEST(Delivery, ClearErrorsForPathsThatCannotBeWritten) {
    TempDir dir;
    WriteBytes(dir / "plain", "x");
    struct Case {
        fs::path target;
        std::string reason;
    };
    const Case cases[] = {
        {dir / "missing" / "Form1.rc", "No such file or directory"},
        {dir / "plain" / "Form1.rc", "Not a directory"},
        {dir.path(), "Is a directory"},
        {dir / "", "Is a directory"},
    };
    for (const Case& c : cases) {
        const Status status = DeliverToFile("rc", c.target, dir / "Form1.frm");
        ASSERT_FALSE(status) << c.target;
        EXPECT_EQ(status.error().kind, ErrorKind::OutputUnwritable);
        EXPECT_EQ(Describe(status.error()), PathUtf8(c.target) + ": cannot write the output file: " + c.reason);
    }
    const Status empty = DeliverToFile("rc", fs::path(), dir / "Form1.frm");
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error().kind, ErrorKind::OutputNameEmpty);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(Delivery, AFullDeviceIsAnErrorNotASuccess) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "/dev/full is not on this system";
    const Status status = DeliverToFile(std::string(64 * 1024, 'x'), "/dev/full", "/nonexistent/Form1.frm");
    ASSERT_FALSE(status);
    EXPECT_EQ(Describe(status.error()), "/dev/full: cannot write the output file: No space left on device");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(Delivery, AWriteThatFailsPartWayLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    WriteBytes(dir / "Form1.rc", "old");
    // A file size limit makes the write fail part way, also for root.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status status = DeliverToFile(std::string(1024 * 1024, 'x'), dir / "Form1.rc", dir / "Form1.frm");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);

    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().system, std::errc::file_too_large);
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "old");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(Delivery, AFileTheUserMayNotWriteStaysAsItIs) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
    TempDir dir;
    WriteBytes(dir / "Form1.rc", "old");
    fs::permissions(dir / "Form1.rc", fs::perms::owner_read);
    const Status status = DeliverToFile("new", dir / "Form1.rc", dir / "Form1.frm");
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().system, std::errc::permission_denied);
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "old");
}

}  // namespace
}  // namespace tarvel
