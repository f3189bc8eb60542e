// Writing files on POSIX systems: open(2) with O_EXCL for a new file, fsync(2)
// before a rename(2), and the directory fsync'd after it; fallocate(2) to
// find a full disk before a file is rewritten in place; lstat(2) and
// readlink(2) to follow an output's links the way the kernel does.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <mutex>
#include <vector>

#include "file_io.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;

std::error_code Errno() { return std::error_code(errno ? errno : EIO, std::generic_category()); }

std::error_code Open(const fs::path& path, int flags, mode_t mode, std::intptr_t& handle) {
    int fd;
    do fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return Errno();
    handle = fd;
    return {};
}

mode_t ModeBits(fs::perms permissions) { return static_cast<mode_t>(permissions) & 07777; }

FileFacts FactsOf(const struct stat& status) {
    FileFacts facts;
    facts.regular = S_ISREG(status.st_mode);
    facts.directory = S_ISDIR(status.st_mode);
    facts.identity = FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
    facts.size = static_cast<std::uint64_t>(status.st_size);
    facts.permissions = static_cast<fs::perms>(status.st_mode & 07777);
    facts.owner = status.st_uid;
    facts.group = status.st_gid;
    return facts;
}

// The kernel's protected_symlinks rule: in a world-writable sticky folder a
// link is followed only by its owner, or when it belongs to the folder's owner.
bool MayFollow(const struct stat& link, const fs::path& folder) {
    struct stat directory {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &directory) != 0) return true;
    if ((directory.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)) return true;
    return link.st_uid == ::geteuid() || link.st_uid == directory.st_uid;
}

}  // namespace

std::string NameCaseFolded(std::string text) { return text; }

std::optional<FileIdentity> IdentityOf(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FactsOf(status).identity;
}

std::error_code OpenInput(const fs::path& path, UniqueFile& file, FileFacts& facts) {
    file.reset();
    facts = FileFacts();
    std::intptr_t handle = -1;
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer before anything could be looked at.
    if (const std::error_code error = Open(path, O_RDONLY | O_NOCTTY | O_NONBLOCK, 0, handle)) {
        // A socket cannot be opened at all: what it is, it is told as such. Nothing is read from it.
        struct stat status {};
        if ((error == std::errc::no_such_device_or_address || error == std::errc::operation_not_supported) &&
            ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
            facts = FactsOf(status);
            return {};
        }
        return error;
    }
    const int fd = static_cast<int>(handle);
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const std::error_code error = Errno();
        ::close(fd);
        return error;
    }
    facts = FactsOf(status);
    if (!facts.regular || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        const std::error_code error = facts.regular ? Errno() : std::error_code();
        ::close(fd);
        return error;
    }
    errno = 0;
    std::FILE* stream = ::fdopen(fd, "rb");
    if (!stream) {
        const std::error_code error = Errno();
        ::close(fd);
        return error;
    }
    file.reset(stream);
    return {};
}

std::error_code InspectStream(std::FILE* stream, FileFacts& facts) {
    facts = FileFacts();
    struct stat status {};
    const int fd = ::fileno(stream);
    if (fd < 0 || ::fstat(fd, &status) != 0) return Errno();
    facts = FactsOf(status);
    return {};
}

std::error_code SeekTo(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        return std::make_error_code(std::errc::value_too_large);
    if (::fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return Errno();
    return {};
}

// The pieces of files shown in memory, for the guard against a file that
// shrinks under one: touching a page that the file no longer holds raises
// SIGBUS, which would end the program. The guard puts zeros in the place of
// the piece's pages from there on (the access then reads a zero) and notes
// it; a SIGBUS anywhere else is left to what handled it before.
namespace {

struct ShownPiece {
    std::atomic<bool> taken{false};
    std::atomic<std::uintptr_t> begin{0}, end{0};
    std::atomic<bool> shrank{false};
};
static_assert(std::atomic<std::uintptr_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

// A reader each: more at once than this read through the file instead.
constexpr int kShownPieces = 32;
ShownPiece shownPieces[kShownPieces];
struct sigaction busErrorBefore {};
std::once_flag busErrorGuarded;
bool busErrorGuardInstalled = false;

std::uintptr_t PageSize() {
    static const std::uintptr_t size = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

extern "C" void OnBusError(int, siginfo_t* info, void*) {
    const int savedErrno = errno;
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (ShownPiece& piece : shownPieces) {
        const std::uintptr_t begin = piece.begin.load(std::memory_order_relaxed);
        const std::uintptr_t end = piece.end.load(std::memory_order_relaxed);
        if (address < begin || address >= end) continue;
        const std::uintptr_t page = address & ~(PageSize() - 1);
        if (::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
                   0) == MAP_FAILED)
            break;
        piece.shrank.store(true, std::memory_order_relaxed);
        errno = savedErrno;
        return;
    }
    // Not a piece of ours: the access faults again, and meets what was there before.
    ::sigaction(SIGBUS, &busErrorBefore, nullptr);
    errno = savedErrno;
}

void GuardBusErrors() {
    std::call_once(busErrorGuarded, [] {
        (void)PageSize();  // known before the handler needs it: nothing in it may wait for a lock
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        busErrorGuardInstalled = ::sigaction(SIGBUS, &action, &busErrorBefore) == 0;
    });
}

}  // namespace

std::size_t FileWindow::Granularity() { return PageSize(); }

FileWindow::~FileWindow() { Close(); }

std::error_code FileWindow::Show(std::FILE* file, std::uint64_t offset, std::size_t length) {
    if (slot_ < 0) {
        GuardBusErrors();
        if (!busErrorGuardInstalled) return std::make_error_code(std::errc::operation_not_supported);
        for (int i = 0; i < kShownPieces && slot_ < 0; ++i)
            if (!shownPieces[i].taken.exchange(true)) slot_ = i;
        if (slot_ < 0) return std::make_error_code(std::errc::too_many_files_open);
    }
    ShownPiece& piece = shownPieces[slot_];
    if (data_) {
        piece.begin.store(0);
        piece.end.store(0);
        ::munmap(const_cast<char*>(data_), length_);
        data_ = nullptr;
        length_ = 0;
    }
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        return std::make_error_code(std::errc::value_too_large);
    void* const shown = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, ::fileno(file), static_cast<off_t>(offset));
    if (shown == MAP_FAILED) return Errno();
    (void)::madvise(shown, length, MADV_SEQUENTIAL);
    data_ = static_cast<const char*>(shown);
    length_ = length;
    piece.shrank.store(false);
    piece.end.store(reinterpret_cast<std::uintptr_t>(shown) + length);
    piece.begin.store(reinterpret_cast<std::uintptr_t>(shown));
    return {};
}

bool FileWindow::Shrank() const { return slot_ >= 0 && shownPieces[slot_].shrank.load(); }

void FileWindow::Close() {
    if (slot_ < 0) return;
    ShownPiece& piece = shownPieces[slot_];
    piece.begin.store(0);
    piece.end.store(0);
    if (data_) ::munmap(const_cast<char*>(data_), length_);
    data_ = nullptr;
    length_ = 0;
    piece.shrank.store(false);
    piece.taken.store(false);
    slot_ = -1;
}

UniqueFile OpenFile(const std::filesystem::path& path, const char* mode, std::error_code& error) {
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (!f) error = LastSystemError();
    return UniqueFile(f);
}

std::error_code OutputFile::CreateNew(const fs::path& path, OutputFile& file, fs::perms permissions) {
    file = OutputFile();
    return Open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY, ModeBits(permissions) & 0777, file.handle_);
}

std::error_code OutputFile::OpenExisting(const fs::path& path, OutputFile& file) {
    file = OutputFile();
    // Without O_NONBLOCK a FIFO swapped in for the file would wait for a reader for ever.
    if (const std::error_code error = Open(path, O_WRONLY | O_NOCTTY | O_NONBLOCK, 0, file.handle_)) return error;
    const int fd = static_cast<int>(file.handle_);
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) return Errno();
    return {};
}

std::error_code OutputFile::OpenDevice(const fs::path& path, OutputFile& file) {
    file = OutputFile();
    return Open(path, O_WRONLY | O_NOCTTY, 0, file.handle_);
}

std::error_code OutputFile::Inspect(FileFacts& facts) const {
    struct stat status {};
    if (::fstat(static_cast<int>(handle_), &status) != 0) return Errno();
    facts = FactsOf(status);
    return {};
}

std::error_code OutputFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return Errno();
        }
        if (written == 0) return std::make_error_code(std::errc::io_error);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

std::error_code OutputFile::Reserve(std::uint64_t size) {
    if (size == 0) return {};
    // A file-size limit would stop the rewrite part way: it is found here instead.
    rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur)
        return std::make_error_code(std::errc::file_too_large);
    const int fd = static_cast<int>(handle_);
#ifdef __linux__
    // The blocks are kept for the file past its end: its size and bytes stay as they are.
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) return {};
    if (errno != EOPNOTSUPP && errno != ENOSYS) return Errno();
#endif
    // posix_fallocate never changes a byte the file holds, but may lengthen it:
    // on failure it is cut back to what it was.
    struct stat before {};
    if (::fstat(fd, &before) != 0) return Errno();
    const int failed = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
    if (failed == 0) return {};
    // A file system that keeps no blocks in advance has nothing to reserve.
    if (failed == EOPNOTSUPP || failed == EINVAL) return {};
    (void)!::ftruncate(fd, before.st_size);
    return std::error_code(failed, std::generic_category());
}

std::error_code OutputFile::Rewrite(std::string_view bytes) {
    const int fd = static_cast<int>(handle_);
    if (::lseek(fd, 0, SEEK_SET) < 0) return Errno();
    if (const std::error_code error = Write(bytes)) return error;
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) return Errno();
    return {};
}

std::error_code OutputFile::TakeOwnerAndPermissions(const FileFacts& original) {
    const int fd = static_cast<int>(handle_);
    struct stat mine {};
    if (::fstat(fd, &mine) != 0) return Errno();
    if (original.owner >= 0 && (static_cast<std::int64_t>(mine.st_uid) != original.owner ||
                                static_cast<std::int64_t>(mine.st_gid) != original.group)) {
        // Root may give the file to anyone; others may give their own file to a group of theirs.
        if (::fchown(fd, static_cast<uid_t>(original.owner), static_cast<gid_t>(original.group)) != 0)
            (void)!::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(original.group));
    }
    // After the owner: a change of owner clears the set-user-ID and set-group-ID bits.
    if (::fchmod(fd, ModeBits(original.permissions)) != 0) return Errno();
    return {};
}

std::error_code OutputFile::FlushToDisk() {
    if (::fsync(static_cast<int>(handle_)) == 0) return {};
    // A pipe, a terminal or a device such as /dev/null holds nothing to flush.
    if (errno == EINVAL || errno == EROFS || errno == ENOTSUP) return {};
    return Errno();
}

std::error_code OutputFile::Close() {
    const int fd = static_cast<int>(std::exchange(handle_, kNoHandle));
    // After close fails the descriptor is gone all the same: never close it twice.
    if (::close(fd) != 0 && errno != EINTR) return Errno();
    return {};
}

bool IsDevice(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

OutputPlace FindOutputPlace(const fs::path& path) {
    OutputPlace place{path, {}};
    // The parts still to walk, the next one last; a link's target takes its place.
    std::vector<fs::path> ahead;
    auto walkNext = [&ahead](const fs::path& more) {
        const std::vector<fs::path> parts(more.begin(), more.end());
        ahead.insert(ahead.end(), parts.rbegin(), parts.rend());
    };
    walkNext(path);
    fs::path walked;
    int links = 0;
    while (!ahead.empty()) {
        const fs::path part = std::move(ahead.back());
        ahead.pop_back();
        if (part == "/") {
            walked = "/";
            continue;
        }
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (walked.empty() || walked.filename() == "..") walked /= "..";
            else if (walked != "/") walked = walked.parent_path();
            continue;
        }
        const fs::path next = walked / part;
        struct stat status {};
        const bool link = ::lstat(next.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
        // Not a link, not there, or a loop that opening the file will report: walked as it is.
        if (!link || ++links > 40) {
            walked = next;
            continue;
        }
        if (!MayFollow(status, walked)) {
            place.refusedLink = next;
            return place;
        }
        std::error_code error;
        const fs::path target = fs::read_symlink(next, error);
        if (error) {
            walked = next;
            continue;
        }
        if (target.is_absolute()) walked.clear();
        walkNext(target);
    }
    // Without a link on the way the path stays as the caller spelled it.
    if (links > 0) {
        place.file = walked;
        for (auto it = ahead.rbegin(); it != ahead.rend(); ++it) place.file /= *it;
    }
    return place;
}

bool RefusesNewFiles(const std::error_code& error) {
    return error == std::errc::permission_denied || error == std::errc::read_only_file_system ||
           error == std::errc::operation_not_permitted;
}

std::size_t OpenFileLimit() {
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1 << 20;
    return static_cast<std::size_t>(std::min<rlim_t>(limit.rlim_cur, 1 << 20));
}

std::error_code FlushAllToDisk(std::span<OutputFile* const> files) {
#ifdef __linux__
    if (files.size() == 1) return files.front()->FlushToDisk();
    // One syncfs for each file system the files are on: far fewer waits for the disk than an fsync each.
    std::vector<dev_t> devices;
    for (OutputFile* file : files) {
        struct stat status {};
        const int fd = static_cast<int>(file->handle());
        if (fstat(fd, &status) != 0) return Errno();
        if (!S_ISREG(status.st_mode)) continue;  // a pipe or a device holds nothing to flush
        if (std::find(devices.begin(), devices.end(), status.st_dev) != devices.end()) continue;
        devices.push_back(status.st_dev);
        if (::syncfs(fd) != 0) return Errno();
    }
    return {};
#else
    for (OutputFile* file : files)
        if (const std::error_code error = file->FlushToDisk()) return error;
    return {};
#endif
}

std::error_code RenameOver(const fs::path& source, const fs::path& target) {
    if (std::rename(source.c_str(), target.c_str()) != 0) return Errno();
    return {};
}

std::error_code FlushDirectory(const fs::path& directory) {
    const fs::path path = directory.empty() ? fs::path(".") : directory;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Errno();
    std::error_code error;
    // A file system that keeps no directory to flush (EINVAL) has nothing to wait for.
    if (::fsync(fd) != 0 && errno != EINVAL) error = Errno();
    ::close(fd);
    return error;
}

}  // namespace tarvel
