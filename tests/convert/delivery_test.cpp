// Writing the RC file: complete or not at all, never readable by more people
// than the file it replaces, and never over the form.
#include "delivery.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "test_support.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;
using test::PathUtf8;
using test::ReadBytes;
using test::TempDir;
using test::WithLineEnds;
using test::WriteBytes;

std::size_t EntriesIn(const fs::path& directory) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

// The temporary files of a save still being written in `directory`.
std::vector<fs::path> TemporaryFiles(const fs::path& directory) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(directory))
        if (entry.path().filename().string().starts_with(".tarvel-")) found.push_back(entry.path());
    return found;
}

constexpr uid_t kNobody = 65534;

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

TEST(Delivery, TheTemporaryFileIsNoMoreReadableThanTheFileItReplaces) {
    TempDir dir;
    for (const mode_t mode : {0600, 0640, 0400}) {
        WriteBytes(dir / "Form1.rc", "a private text");
        ASSERT_EQ(chmod((dir / "Form1.rc").c_str(), mode), 0);
        Result<SafeFile> file = SafeFile::Open(dir / "Form1.rc", InputFilesAt(dir / "Form1.frm"));
        ASSERT_TRUE(file) << Describe(file.error());
        const std::vector<fs::path> temporary = TemporaryFiles(dir.path());
        ASSERT_EQ(temporary.size(), 1u);
        struct stat status {};
        ASSERT_EQ(stat(temporary[0].c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, mode & 0777) << "while it fills, mode " << std::oct << mode;
        file.value().Write("new");
        ASSERT_TRUE(file.value().Commit());
        ASSERT_EQ(stat((dir / "Form1.rc").c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, mode);
    }
}

TEST(Delivery, KeepsTheOwnerAndGroupOfTheFileItReplaces) {
    if (geteuid() != 0) GTEST_SKIP() << "only the superuser may give a file to another user";
    TempDir dir;
    WriteBytes(dir / "Form1.rc", "old");
    ASSERT_EQ(chown((dir / "Form1.rc").c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chmod((dir / "Form1.rc").c_str(), 02640), 0);
    ASSERT_TRUE(DeliverToFile("new", dir / "Form1.rc", dir / "Form1.frm"));
    struct stat status {};
    ASSERT_EQ(stat((dir / "Form1.rc").c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, kNobody);
    EXPECT_EQ(status.st_gid, kNobody);
    EXPECT_EQ(status.st_mode & 07777, 02640u);
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "new\r\n");
}

TEST(Delivery, WritesThroughALinkToTheFileItNames) {
    TempDir dir;
    WriteBytes(dir / "real.rc", "old");
    fs::create_symlink(dir / "real.rc", dir / "link.rc");
    ASSERT_TRUE(DeliverToFile("new", dir / "link.rc", dir / "Form1.frm"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.rc"));
    EXPECT_EQ(ReadBytes(dir / "real.rc"), "new\r\n");
}

// /tmp's rule (the kernel's protected_symlinks): in a world-writable sticky
// folder a link is followed only by its owner or when the folder's owner made it.
TEST(Delivery, AnotherUsersLinkInASharedStickyFolderIsNotFollowed) {
    if (geteuid() != 0) GTEST_SKIP() << "a link of another user can only be made by the superuser";
    TempDir dir;
    fs::create_directories(dir / "shared");
    ASSERT_EQ(chmod((dir / "shared").c_str(), 01777), 0);
    fs::create_directories(dir / "private");
    WriteBytes(dir / "private" / "victim.rc", "the victim's text");
    fs::create_symlink(dir / "private" / "victim.rc", dir / "shared" / "out.rc");
    fs::create_directory_symlink(dir / "private", dir / "shared" / "folder");
    for (const char* link : {"out.rc", "folder"}) ASSERT_EQ(lchown((dir / "shared" / link).c_str(), kNobody, kNobody), 0);

    Status status = DeliverToFile("rc", dir / "shared" / "out.rc", dir / "Form1.frm");
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().kind, ErrorKind::OutputLinkRefused);
    EXPECT_EQ(Describe(status.error()),
              PathUtf8(dir / "shared" / "out.rc") +
                  ": not written: it is a symbolic link of another user in a shared folder with the sticky bit, and the"
                  " protected_symlinks rule of the system follows such links for their owner only");
    // A link to a folder on the way counts as well, and is named.
    status = DeliverToFile("rc", dir / "shared" / "folder" / "victim.rc", dir / "Form1.frm");
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().kind, ErrorKind::OutputLinkRefused);
    EXPECT_EQ(status.error().detail, PathUtf8(dir / "shared" / "folder"));
    EXPECT_EQ(ReadBytes(dir / "private" / "victim.rc"), "the victim's text");
    EXPECT_TRUE(fs::is_symlink(dir / "shared" / "out.rc"));
    EXPECT_TRUE(TemporaryFiles(dir / "private").empty());

    // The folder's owner's link, and one's own, are followed.
    ASSERT_EQ(chown((dir / "shared").c_str(), kNobody, kNobody), 0);
    ASSERT_TRUE(DeliverToFile("first", dir / "shared" / "out.rc", dir / "Form1.frm"));
    EXPECT_EQ(ReadBytes(dir / "private" / "victim.rc"), "first\r\n");
    ASSERT_EQ(chown((dir / "shared").c_str(), 0, 0), 0);
    ASSERT_EQ(lchown((dir / "shared" / "out.rc").c_str(), 0, 0), 0);
    ASSERT_TRUE(DeliverToFile("second", dir / "shared" / "out.rc", dir / "Form1.frm"));
    EXPECT_EQ(ReadBytes(dir / "private" / "victim.rc"), "second\r\n");
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
    // A file size limit makes the write fail part way, also for root; the
    // signal that would end the program at the limit is ignored by the delivery.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status status = DeliverToFile(std::string(1024 * 1024, 'x'), dir / "Form1.rc", dir / "Form1.frm");
    setrlimit(RLIMIT_FSIZE, &saved);

    ASSERT_FALSE(status);
    EXPECT_EQ(Describe(status.error()), PathUtf8(dir / "Form1.rc") + ": cannot write the output file: File too large");
    EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "old");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

// Runs `body` in a child process as an ordinary user (root writes wherever it
// likes); the child's exit status is the body's.
int AsOrdinaryUser(const fs::path& owned, const std::function<bool()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0) {
            for (const auto& entry : fs::recursive_directory_iterator(owned)) (void)!chown(entry.path().c_str(), kNobody, kNobody);
            (void)!chown(owned.c_str(), kNobody, kNobody);
            if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(3);
        }
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 4;
}

TEST(Delivery, AWritableFileInAFolderThatTakesNoNewFilesIsWrittenInPlace) {
    TempDir dir;
    fs::create_directories(dir / "locked");
    WriteBytes(dir / "locked" / "Form1.rc", "an old text, longer than the new one");
    const int status = AsOrdinaryUser(dir / "locked", [&] {
        fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        const bool existing = DeliverToFile("new", dir / "locked" / "Form1.rc", dir / "Form1.frm").ok();
        // A new file there fails with the system's reason.
        const Status fresh = DeliverToFile("new", dir / "locked" / "Other.rc", dir / "Form1.frm");
        return existing && !fresh && fresh.error().system == std::errc::permission_denied;
    });
    ASSERT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(dir / "locked" / "Form1.rc"), "new\r\n");
    EXPECT_FALSE(fs::exists(dir / "locked" / "Other.rc"));
}

// The time of a file's last change and the file itself: both stay when it is left untouched.
struct Untouched {
    ino_t inode;
    std::int64_t changed;
    bool operator==(const Untouched&) const = default;
};

Untouched FactsOf(const fs::path& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return {0, -1};
    return {status.st_ino, static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

// Set back a day, so that a file written again in the same instant cannot look untouched.
void AgeFile(const fs::path& path) { fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(24)); }

TEST(Delivery, AFileThatHoldsTheNewTextAlreadyIsLeftUntouched) {
    TempDir dir;
    const std::string text(100 * 1024, 'x');  // past one piece of the comparison
    WriteBytes(dir / "Form1.rc", text + "\r\n");
    AgeFile(dir / "Form1.rc");
    const Untouched before = FactsOf(dir / "Form1.rc");
    ASSERT_TRUE(DeliverToFile(text, dir / "Form1.rc", dir / "Form1.frm"));
    EXPECT_EQ(FactsOf(dir / "Form1.rc"), before);
    EXPECT_EQ(EntriesIn(dir.path()), 1u) << "no temporary file is left";

    // One byte different, at the start, in the middle or at the end, and one byte more or less: replaced.
    for (const std::size_t at : {std::size_t{0}, text.size() / 2, text.size() + 1}) {
        std::string changed = text + "\r\n";
        changed[at] = 'y';
        WriteBytes(dir / "Form1.rc", changed);
        AgeFile(dir / "Form1.rc");
        const Untouched old = FactsOf(dir / "Form1.rc");
        ASSERT_TRUE(DeliverToFile(text, dir / "Form1.rc", dir / "Form1.frm"));
        EXPECT_NE(FactsOf(dir / "Form1.rc"), old) << "a byte changed at " << at;
        EXPECT_EQ(ReadBytes(dir / "Form1.rc"), text + "\r\n");
    }
    for (const std::string& other : {text + "\r\n\r\n", text.substr(1) + "\r\n"}) {
        WriteBytes(dir / "Form1.rc", other);
        ASSERT_TRUE(DeliverToFile(text, dir / "Form1.rc", dir / "Form1.frm"));
        EXPECT_EQ(ReadBytes(dir / "Form1.rc"), text + "\r\n");
    }
}

TEST(Delivery, AFileInAFolderThatTakesNoNewFilesIsLeftUntouchedWhenItHoldsTheNewText) {
    TempDir dir;
    fs::create_directories(dir / "locked");
    WriteBytes(dir / "locked" / "Form1.rc", "same\r\n");
    AgeFile(dir / "locked" / "Form1.rc");
    const Untouched before = FactsOf(dir / "locked" / "Form1.rc");
    const int status = AsOrdinaryUser(dir / "locked", [&] {
        fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        return DeliverToFile("same", dir / "locked" / "Form1.rc", dir / "Form1.frm").ok();
    });
    ASSERT_EQ(status, 0);
    EXPECT_EQ(FactsOf(dir / "locked" / "Form1.rc"), before);
    EXPECT_EQ(ReadBytes(dir / "locked" / "Form1.rc"), "same\r\n");
}

TEST(Delivery, AFileRewrittenInPlaceKeepsItsTextUntilEveryOtherFileIsWritten) {
    TempDir dir;
    fs::create_directories(dir / "locked");
    WriteBytes(dir / "locked" / "Form1.frm", WithLineEnds("Begin VB.Form F\n Begin VB.Menu mnuA\n  Caption = \"&A\"\n End\nEnd\n"));
    const std::string old = "an old text that must survive\r\n";
    WriteBytes(dir / "locked" / "Form1.rc", old);
    const int status = AsOrdinaryUser(dir / "locked", [&] {
        fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        ConversionRequest request;
        request.form = dir / "locked" / "Form1.frm";
        Destination destination;
        destination.file = dir / "locked" / "Form1.rc";
        destination.header = "/nonexistent/m.h";
        const Result<ConversionReport> converted = ConvertForm(request, destination);
        return !converted && Describe(converted.error()) ==
                                 "/nonexistent/m.h: cannot write the output file: No such file or directory";
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(dir / "locked" / "Form1.rc"), old);
}

TEST(Delivery, AFolderThatCannotBeFlushedIsReported) {
    TempDir dir;
    fs::create_directories(dir / "drop");
    std::string message;
    const int status = AsOrdinaryUser(dir / "drop", [&] {
        // Files may be made and renamed in it, but it cannot be opened to flush its entries.
        fs::permissions(dir / "drop", fs::perms::owner_write | fs::perms::owner_exec);
        const Status saved = DeliverToFile("new", dir / "drop" / "Form1.rc", dir / "Form1.frm");
        return !saved && saved.error().kind == ErrorKind::OutputFolderNotFlushed &&
               Describe(saved.error()) == PathUtf8(dir / "drop" / "Form1.rc") +
                                              ": written, but its folder could not be flushed to the disk: Permission "
                                              "denied; after a crash the old file may come back";
    });
    fs::permissions(dir / "drop", fs::perms::owner_all);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(dir / "drop" / "Form1.rc"), "new\r\n");
    EXPECT_EQ(EntriesIn(dir / "drop"), 1u);
}

// SIGINT, SIGTERM and SIGHUP in the middle of a write: the program still ends
// by that signal, the old file stays, and no temporary file is left behind.
TEST(Delivery, AnEndingSignalRemovesTheTemporaryFileFirst) {
    TempDir dir;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        WriteBytes(dir / "Form1.rc", "old");
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Result<SafeFile> file = SafeFile::Open(dir / "Form1.rc", InputFilesAt(dir / "Form1.frm"));
            if (!file) _exit(1);
            file.value().Write(std::string(1024 * 1024, 'x'));
            kill(getpid(), signal);
            _exit(2);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "signal " << signal << ", status " << status;
        EXPECT_EQ(ReadBytes(dir / "Form1.rc"), "old");
        EXPECT_EQ(EntriesIn(dir.path()), 1u) << "signal " << signal;
    }
}

TEST(Delivery, AFileTheUserMayNotWriteStaysAsItIs) {
    TempDir dir;
    fs::create_directories(dir / "mine");
    WriteBytes(dir / "mine" / "Form1.rc", "old");
    const int status = AsOrdinaryUser(dir / "mine", [&] {
        fs::permissions(dir / "mine" / "Form1.rc", fs::perms::owner_read);
        const Status refused = DeliverToFile("new", dir / "mine" / "Form1.rc", dir / "Form1.frm");
        return !refused && refused.error().system == std::errc::permission_denied;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(dir / "mine" / "Form1.rc"), "old");
}

TEST(Delivery, ATargetNameAtTheSystemsLimitStillSaves) {
    TempDir dir;
    const std::string name = std::string(252, 'n') + ".rc";  // 255 bytes, the most a name may have
    ASSERT_TRUE(DeliverToFile("rc", dir / name, dir / "Form1.frm"));
    EXPECT_EQ(ReadBytes(dir / name), "rc\r\n");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(Delivery, TwoWritersOfOneTargetEachKeepTheirOwnTemporaryFile) {
    TempDir dir;
    const std::string texts[] = {std::string(256 * 1024, 'a'), std::string(200 * 1024, 'b')};
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        if (children[c] == 0) {
            for (int round = 0; round < 30; ++round)
                if (!DeliverToFile(texts[c], dir / "Form1.rc", dir / "Form1.frm")) _exit(1);
            _exit(0);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer lost its temporary file";
    }
    const std::string found = ReadBytes(dir / "Form1.rc");
    EXPECT_TRUE(found == texts[0] + "\r\n" || found == texts[1] + "\r\n");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace tarvel
