// Faults while the RC text is written: a folder that is not there or is not a
// folder, a disk that fills up part way (also under a file rewritten in place,
// and under the RC file of a conversion that writes a header too), and the
// process killed or told to end in the middle of a write. The previous file
// must survive every one of them whole.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "conversion_check.h"
#include "file_io.h"
#include "hostile_support.h"
#include "utf8.h"

namespace tarvel::hostile {
namespace {

void WriteSmallForm(const fs::path& form) {
    WriteBytes(form, FormHead() + "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n" +
                         LeafItem("mnuOpen", "&Open", "      ") + "   End\r\n" + FormTail());
}

// A form whose RC text is about `items` × 230 bytes.
void WriteLargeForm(const fs::path& form, int items) {
    std::ofstream out(form, std::ios::binary);
    out << FormHead() << "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n";
    const std::string padding(170, '.');
    for (int i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        out << LeafItem("mnuItemNumber" + n, "A rather long caption, item " + n + padding, "      ");
    }
    out << "   End\r\n" << FormTail();
    ASSERT_TRUE(out.good());
}

void ExpectUnwritable(const Result<ConversionReport>& result, const fs::path& output, std::errc reason) {
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ErrorKind::OutputUnwritable);
    EXPECT_EQ(result.error().system, std::make_error_code(reason)) << result.error().system.message();
    const std::string message = Describe(result.error());
    EXPECT_NE(message.find(Utf8FromPath(output)), std::string::npos) << message;
    EXPECT_NE(message.find(std::make_error_code(reason).message()), std::string::npos) << message;
}

// The names in a folder that the conversion may have left there.
std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(OutputFaults, TargetFolderMissing) {
    ScratchDir dir;
    WriteSmallForm(dir / "Form1.frm");
    const fs::path output = dir / "missing" / "Form1.rc";
    ExpectUnwritable(ConvertToFile(dir / "Form1.frm", output), output, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(OutputFaults, TargetFolderIsARegularFile) {
    ScratchDir dir;
    WriteSmallForm(dir / "Form1.frm");
    WriteBytes(dir / "plain", "not a folder\r\n");
    const fs::path output = dir / "plain" / "Form1.rc";
    ExpectUnwritable(ConvertToFile(dir / "Form1.frm", output), output, std::errc::not_a_directory);
    EXPECT_EQ(ReadBytes(dir / "plain"), "not a folder\r\n");
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"Form1.frm", "plain"}));
}

TEST(OutputFaults, PathThroughEtcHostname) {
    if (!fs::is_regular_file("/etc/hostname")) GTEST_SKIP() << "/etc/hostname is not a regular file here";
    ScratchDir dir;
    WriteSmallForm(dir / "Form1.frm");
    const std::string before = ReadBytes("/etc/hostname");
    ExpectUnwritable(ConvertToFile(dir / "Form1.frm", "/etc/hostname/x.rc"), "/etc/hostname/x.rc",
                     std::errc::not_a_directory);
    EXPECT_EQ(ReadBytes("/etc/hostname"), before);
}

TEST(OutputFaults, TargetIsAFolder) {
    ScratchDir dir;
    WriteSmallForm(dir / "Form1.frm");
    fs::create_directory(dir / "out.rc");
    const Result<ConversionReport> result = ConvertToFile(dir / "Form1.frm", dir / "out.rc");
    ExpectUnwritable(result, dir / "out.rc", std::errc::is_a_directory);
    EXPECT_TRUE(fs::is_directory(dir / "out.rc"));
}

// A tmpfs (64 KB unless told), mounted for one test and unmounted after it.
class TinyDisk {
public:
    explicit TinyDisk(const fs::path& mountPoint, const std::string& size = "64k") : mountPoint_(mountPoint) {
        fs::create_directories(mountPoint_);
        if (geteuid() != 0) {
            why_ = "not running as root";
        } else if (mount("tarvel-tiny", mountPoint_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0) {
            why_ = std::string("mount -t tmpfs failed: ") + std::strerror(errno);
        } else {
            mounted_ = true;
        }
    }
    ~TinyDisk() {
        if (!bound_.empty() && umount(bound_.c_str()) != 0) umount2(bound_.c_str(), MNT_DETACH);
        if (mounted_ && umount(mountPoint_.c_str()) != 0) umount2(mountPoint_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    /// The folder takes no new files from now on, but `file` in it can still
    /// be written: it is bound over itself, then the folder's mount made read-only.
    bool LockAllBut(const fs::path& file) {
        if (mount(file.c_str(), file.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
        bound_ = file;
        return mount("tarvel-tiny", mountPoint_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }
    const std::string& why() const { return why_; }

private:
    fs::path mountPoint_;
    fs::path bound_;
    bool mounted_ = false;
    std::string why_;
};

TEST(OutputFaults, DiskFillsUpPartWay) {
    ScratchDir dir;
    TinyDisk disk(dir / "tiny");
    if (!disk.mounted()) GTEST_SKIP() << "no tiny disk to fill: " << disk.why();

    WriteLargeForm(dir / "Large.frm", 1000);  // some 230 KB of RC text for a 64 KB disk
    WriteSmallForm(dir / "Small.frm");
    const fs::path output = dir / "tiny" / "Form1.rc";
    WriteBytes(output, "the previous text\r\n");

    ExpectUnwritable(ConvertToFile(dir / "Large.frm", output), output, std::errc::no_space_on_device);
    EXPECT_EQ(ReadBytes(output), "the previous text\r\n");
    EXPECT_EQ(Names(dir / "tiny"), std::vector<std::string>{"Form1.rc"});

    // With the space given back, the next write goes through.
    const Result<ConversionReport> small = ConvertToFile(dir / "Small.frm", output);
    ASSERT_TRUE(small.ok()) << Describe(small.error());
    EXPECT_EQ(ReadBytes(output), ConvertText(dir / "Small.frm").value() + "\r\n");
    EXPECT_EQ(Names(dir / "tiny"), std::vector<std::string>{"Form1.rc"});
}

TEST(OutputFaults, DiskFillsUpUnderAFileRewrittenInPlace) {
    ScratchDir dir;
    TinyDisk disk(dir / "tiny");
    if (!disk.mounted()) GTEST_SKIP() << "no tiny disk to fill: " << disk.why();
    WriteLargeForm(dir / "Large.frm", 1000);
    WriteSmallForm(dir / "Small.frm");
    const fs::path output = dir / "tiny" / "Form1.rc";
    WriteBytes(output, "the previous text\r\n");
    ASSERT_TRUE(disk.LockAllBut(output)) << std::strerror(errno);

    // The room is reserved before the old text is touched.
    ExpectUnwritable(ConvertToFile(dir / "Large.frm", output), output, std::errc::no_space_on_device);
    EXPECT_EQ(ReadBytes(output), "the previous text\r\n");
    const Result<ConversionReport> small = ConvertToFile(dir / "Small.frm", output);
    ASSERT_TRUE(small.ok()) << Describe(small.error());
    EXPECT_EQ(ReadBytes(output), ConvertText(dir / "Small.frm").value() + "\r\n");
    EXPECT_EQ(Names(dir / "tiny"), std::vector<std::string>{"Form1.rc"});
}

TEST(OutputFaults, AnRcFileThatFailsLeavesTheOldHeader) {
    ScratchDir dir;
    TinyDisk disk(dir / "tiny");
    if (!disk.mounted()) GTEST_SKIP() << "no tiny disk to fill: " << disk.why();
    WriteLargeForm(dir / "Large.frm", 1000);
    WriteBytes(dir / "ids.h", "the previous header\r\n");
    WriteBytes(dir / "tiny" / "Form1.rc", "the previous text\r\n");

    ConversionRequest request;
    request.form = dir / "Large.frm";
    Destination destination;
    destination.file = dir / "tiny" / "Form1.rc";
    destination.header = dir / "ids.h";
    ExpectUnwritable(ConvertForm(request, destination), destination.file, std::errc::no_space_on_device);
    EXPECT_EQ(ReadBytes(dir / "ids.h"), "the previous header\r\n");
    EXPECT_EQ(ReadBytes(dir / "tiny" / "Form1.rc"), "the previous text\r\n");
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"Large.frm", "ids.h", "tiny"}));
    EXPECT_EQ(Names(dir / "tiny"), std::vector<std::string>{"Form1.rc"});
}

// The RC file is opened before the header is touched: one that cannot be
// written leaves the old header as it was and no file of the conversion behind.
TEST(OutputFaults, AnRcFileThatCannotBeOpenedLeavesTheHeaderAlone) {
    ScratchDir dir;
    WriteSmallForm(dir / "Form1.frm");
    WriteBytes(dir / "ids.h", "the previous header\r\n");
    WriteBytes(dir / "plain", "not a folder\r\n");
    for (const fs::path& rc : {dir / "missing" / "Form1.rc", dir / "plain" / "Form1.rc"}) {
        ConversionRequest request;
        request.form = dir / "Form1.frm";
        Destination destination;
        destination.file = rc;
        destination.header = dir / "ids.h";
        destination.masm = dir / "ids.inc";
        const Result<ConversionReport> result = ConvertForm(request, destination);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().file, Utf8FromPath(rc));
        EXPECT_EQ(ReadBytes(dir / "ids.h"), "the previous header\r\n");
        EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"Form1.frm", "ids.h", "plain"}));
    }
}

// The child converts to `output` and ends; the parent may kill it first.
pid_t StartConversion(const fs::path& form, const fs::path& output) {
    const pid_t child = fork();
    if (child == 0) {
        const Result<ConversionReport> result = ConvertToFile(form, output);
        _exit(result.ok() ? 0 : 1);
    }
    return child;
}

// Converts `form` to `output` `rounds` times, each time sending `signal` at a
// random moment of the conversion: the target holds the old text or the whole
// new one every time. Returns the names left in the target's folder.
std::vector<std::string> InterruptAtRandomMoments(const fs::path& form, const fs::path& output, int signal, int rounds) {
    const Result<std::string> expected = ConvertText(form);
    EXPECT_TRUE(expected.ok()) << Describe(expected.error());
    const std::string complete = expected.value() + "\r\n";
    const std::string old = "the previous text\r\n";

    // How long one whole conversion takes here, so that the signals fall inside it.
    WriteBytes(output, old);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = StartConversion(form, output);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    const auto whole = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadBytes(output), complete);

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(whole).count() * 11 / 10);
    int endedPartWay = 0;
    for (int round = 0; round < rounds; ++round) {
        WriteBytes(output, old);
        child = StartConversion(form, output);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        kill(child, signal);
        EXPECT_EQ(waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status)) ++endedPartWay;
        const std::string found = ReadBytes(output);
        EXPECT_TRUE(found == old || found == complete)
            << "signal " << signal << ", round " << round << " (seed " << seed << "): the target holds "
            << found.size() << " bytes, neither the old " << old.size() << " nor the new " << complete.size();
    }
    std::printf("signal %d: %d of %d conversions ended before they were done (seed %u)\n", signal, endedPartWay,
                rounds, seed);
    return Names(output.parent_path());
}

TEST(OutputFaults, KilledWhileWritingLeavesTheOldFileOrTheNewOne) {
    ScratchDir dir;
    WriteLargeForm(dir / "Large.frm", 52000);  // some 12 MB of RC text
    const fs::path output = dir / "Form1.rc";
    InterruptAtRandomMoments(dir / "Large.frm", output, SIGKILL, 8);

    // A temporary file that looks like ours may be another conversion's, still
    // being written: the next successful write leaves it alone.
    WriteBytes(dir / ".tarvel-k1lled0000.tmp", "part of a text");
    WriteSmallForm(dir / "Small.frm");
    ASSERT_TRUE(ConvertToFile(dir / "Small.frm", output));
    EXPECT_EQ(ReadBytes(output), ConvertText(dir / "Small.frm").value() + "\r\n");
    EXPECT_EQ(ReadBytes(dir / ".tarvel-k1lled0000.tmp"), "part of a text");
}

// SIGTERM, SIGINT and SIGHUP end the program as ever, but never before this
// run's temporary files are gone and a file rewritten in place is finished.
TEST(OutputFaults, ToldToEndWhileWritingLeavesNoTemporaryFileAndNoHalfFile) {
    ScratchDir dir;
    WriteLargeForm(dir / "Large.frm", 52000);  // some 12 MB of RC text
    fs::create_directory(dir / "out");
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        EXPECT_EQ(InterruptAtRandomMoments(dir / "Large.frm", dir / "out" / "Form1.rc", signal, 4),
                  std::vector<std::string>{"Form1.rc"})
            << "signal " << signal;

    TinyDisk disk(dir / "locked", "64m");
    if (!disk.mounted()) GTEST_SKIP() << "no folder that takes no new files: " << disk.why();
    WriteBytes(dir / "locked" / "Form1.rc", "the previous text\r\n");
    ASSERT_TRUE(disk.LockAllBut(dir / "locked" / "Form1.rc")) << std::strerror(errno);
    EXPECT_EQ(InterruptAtRandomMoments(dir / "Large.frm", dir / "locked" / "Form1.rc", SIGTERM, 6),
              std::vector<std::string>{"Form1.rc"});
}

// A form whose item's caption lies in its .frx file, as `frxName` names it.
void WriteFormWithFrx(const fs::path& dir, const std::string& frxName = "Form1.frx") {
    WriteBytes(dir / "Form1.frm", FormHead() + "   Begin VB.Menu mnuFile\r\n      Caption = $\"" + frxName +
                                      "\":0000\r\n" + LeafItem("mnuOpen", "&Open", "      ") + "   End\r\n" + FormTail());
    WriteBytes(dir / "Form1.frx", std::string("\5\0\0\0&File", 9));
}

// Every output is refused when it is a file the conversion reads, however it
// is named: the form's .frx through a link, a hard link, another spelling, or
// the name the form gives it in another case; the form read from a stream too.
TEST(OutputFaults, NoOutputOverwritesAFileTheConversionReads) {
    ScratchDir dir;
    WriteFormWithFrx(dir.path(), "FORM1.FRX");
    const std::string frx = ReadBytes(dir / "Form1.frx");
    fs::create_symlink(dir / "Form1.frx", dir / "link.rc");
    fs::create_hard_link(dir / "Form1.frx", dir / "hard.rc");
    ConversionRequest request;
    request.form = dir / "Form1.frm";
    request.rc.dialog = true;
    for (const fs::path& named : {dir / "Form1.frx", dir / "link.rc", dir / "hard.rc", dir / "." / "Form1.frx"}) {
        for (int output = 0; output < 3; ++output) {
            Destination destination;
            destination.file = output == 0 ? named : dir / "Form1.rc";
            if (output == 1) destination.header = named;
            if (output == 2) destination.masm = named;
            const Result<ConversionReport> result = ConvertForm(request, destination);
            ASSERT_FALSE(result.ok()) << named << " " << output;
            EXPECT_EQ(result.error().kind, ErrorKind::OutputIsInput);
            EXPECT_EQ(Describe(result.error()), Utf8FromPath(named) + ": the output file would overwrite " +
                                                    Utf8FromPath(dir / "Form1.frx") + ", which the conversion reads");
        }
    }
    EXPECT_EQ(ReadBytes(dir / "Form1.frx"), frx);
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"Form1.frm", "Form1.frx", "hard.rc", "link.rc"}));

    // What the conversion read is told, each file once.
    Destination destination;
    destination.file = dir / "Form1.rc";
    const Result<ConversionReport> written = ConvertForm(request, destination);
    ASSERT_TRUE(written.ok()) << Describe(written.error());
    EXPECT_EQ(written.value().filesRead, (std::vector<fs::path>{dir / "Form1.frm", dir / "Form1.frx"}));

    // A form read from a stream that is a file: that file is the form.
    const std::string form = ReadBytes(dir / "Form1.frm");
    std::FILE* stream = std::fopen((dir / "Form1.frm").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    ConversionRequest piped;
    piped.form = dir / "-";
    piped.formName = "standard input";
    piped.formStream = stream;
    destination.file = dir / "link-to-form.rc";
    fs::create_symlink(dir / "Form1.frm", destination.file);
    const Result<ConversionReport> overStream = ConvertForm(piped, destination);
    std::fclose(stream);
    ASSERT_FALSE(overStream.ok());
    EXPECT_EQ(overStream.error().kind, ErrorKind::OutputIsForm);
    EXPECT_EQ(ReadBytes(dir / "Form1.frm"), form);
}

}  // namespace
}  // namespace tarvel::hostile
