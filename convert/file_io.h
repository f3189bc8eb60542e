// The file operations that differ between systems, and nothing else: reading
// a file as bytes, writing one through the system's own calls (POSIX here,
// CreateFileW and friends on Windows), rewriting one in place, replacing one
// file by another, following links to an output, and telling whether two
// paths lead to one file. Every path stays a std::filesystem::path down to the
// system call, so on Windows it is wide all the way. Each function is written
// once, in file_io_posix.cpp or file_io_windows.cpp, or here when both systems
// share it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace tarvel {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

/// Opens a file for reading or appending with an fopen mode ("rb", "ab"); on
/// failure returns null and sets `error` to the system's reason.
UniqueFile OpenFile(const std::filesystem::path& path, const char* mode, std::error_code& error);

/// A path's text as the system compares names: as it is on POSIX; on Windows,
/// whose file systems compare names without case for every letter (Ż and ż
/// too), in upper case.
std::string NameCaseFolded(std::string text);

/// Where a path leads, spelled one way only: absolute, with links and ".."
/// resolved as far as the path exists, and without case where the system
/// compares names without it (Windows). Two paths to one file give the same text.
std::string PlaceOf(const std::filesystem::path& path);

/// The reason of the last failed C library call (errno), or a plain I/O error when it left none.
std::error_code LastSystemError();

/// Which file a file is, however it is named (a link, another spelling, a
/// hard link): its device and inode on POSIX, its volume's serial number and
/// its file index on Windows.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

/// The file that `path` leads to once links are followed; nothing when there is none.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

/// What an open file is, read from the open file itself (never from its
/// name, which may lead elsewhere by the time it is looked at).
struct FileFacts {
    bool regular = false;       ///< a regular file, not a device or a pipe
    bool directory = false;
    std::optional<FileIdentity> identity;  ///< where the system tells it (a disk file)
    std::uint64_t size = 0;
    std::filesystem::perms permissions = std::filesystem::perms::none;
    std::int64_t owner = -1;    ///< the owning user and group where the system has them, else -1
    std::int64_t group = -1;
};

/// Opens a file to read it, then looks at what was opened (never a name
/// checked first and opened after, which may lead to a FIFO by then): `facts`
/// tells what it is, and `file` is set for a regular file only, so a folder, a
/// pipe or a device is never read, and opening a FIFO never waits for a writer.
std::error_code OpenInput(const std::filesystem::path& path, UniqueFile& file, FileFacts& facts);

/// What an open stream (standard input) is, from the stream itself.
std::error_code InspectStream(std::FILE* stream, FileFacts& facts);

/// Moves a file being read to `offset` from its start, with 64 bits on every system.
std::error_code SeekTo(std::FILE* file, std::uint64_t offset);

/// A piece of a regular file being read, shown in memory where the system
/// maps the file's own pages (mmap, MapViewOfFile), so its bytes are read
/// without a copy; moved on a piece at a time, it holds only one piece.
/// A file that shrinks under it never brings the program down: the bytes
/// past the first page it no longer holds read as zeros, and Shrank() says
/// so, so that the reader reads the rest through the file instead.
class FileWindow {
public:
    FileWindow() = default;
    FileWindow(const FileWindow&) = delete;
    FileWindow& operator=(const FileWindow&) = delete;
    ~FileWindow();

    /// What an offset must be a multiple of.
    static std::size_t Granularity();

    /// Shows `length` (more than 0) bytes of `file` from `offset`, which the
    /// file held when it was last looked at; the piece shown before goes.
    /// Fails where the system maps no such file (then read it as a stream).
    std::error_code Show(std::FILE* file, std::uint64_t offset, std::size_t length);
    std::string_view bytes() const { return {data_, length_}; }
    /// Did the file shrink under the piece shown (or fail to be read there)?
    bool Shrank() const;
    void Close();

private:
    const char* data_ = nullptr;
    std::size_t length_ = 0;
    int slot_ = -1;  // where the guard against a shrinking file knows the piece
};

/// A file being written through the system's own calls. Closed, errors
/// ignored, when dropped without Close.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(OutputFile&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}
    OutputFile& operator=(OutputFile&& other) noexcept;
    ~OutputFile();

    /// Makes a new file; fails with file_exists when anything of that name is
    /// there already, so another program's file is never taken over. Nobody
    /// may do more with it than `permissions` (less the umask) allow, so a
    /// private file's replacement is never readable by others while it fills.
    static std::error_code CreateNew(const std::filesystem::path& path, OutputFile& file,
                                     std::filesystem::perms permissions);
    /// Opens an existing file for writing, cutting nothing and creating
    /// nothing: the proof that it may be written, and the way to rewrite it in
    /// place. Fails with no_such_file_or_directory when there is none.
    static std::error_code OpenExisting(const std::filesystem::path& path, OutputFile& file);
    /// Opens a device or a pipe to write to it.
    static std::error_code OpenDevice(const std::filesystem::path& path, OutputFile& file);

    bool is_open() const { return handle_ != kNoHandle; }
    std::error_code Inspect(FileFacts& facts) const;
    std::error_code Write(std::string_view bytes);
    /// Makes sure that `size` bytes written from the start will find room on
    /// the disk, without changing a byte of what the file holds now.
    std::error_code Reserve(std::uint64_t size);
    /// Writes `bytes` over the file from its start and cuts it after them.
    std::error_code Rewrite(std::string_view bytes);
    /// Gives the file the owner, group and permissions of `original` as far as
    /// the process may set them (as root, or where they are its own).
    std::error_code TakeOwnerAndPermissions(const FileFacts& original);
    /// Waits until what was written is on the disk (a device or pipe has nothing to wait for).
    std::error_code FlushToDisk();
    std::error_code Close();
    std::intptr_t handle() const { return handle_; }

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
};

/// Is `path` a device or a pipe, which can only be written to, never replaced:
/// /dev/stdout or a FIFO; on Windows also the reserved names (NUL, CON, COM1...).
bool IsDevice(const std::filesystem::path& path);

/// Where writing to `path` leads once its symbolic links are followed.
struct OutputPlace {
    std::filesystem::path file;         ///< the file to write: `path` itself when no link is on the way
    std::filesystem::path refusedLink;  ///< a link that is not followed, see FindOutputPlace
};

/// Follows the links on the way to `path`. A link in a world-writable folder
/// with the sticky bit (such as /tmp) that belongs neither to this user nor to
/// the folder's owner is not followed, as the kernel's protected_symlinks rule
/// says: another user's `out.rc -> victim` would make us replace `victim`.
OutputPlace FindOutputPlace(const std::filesystem::path& path);

/// Can a failure to create a file mean that the folder takes no new files
/// (read-only, or not ours to write) while a file in it may still be written?
bool RefusesNewFiles(const std::error_code& error);

/// How many files the process may hold open at once (RLIMIT_NOFILE; on
/// Windows the C runtime's limit).
std::size_t OpenFileLimit();

/// Waits until everything written to `files` is on the disk: one flush of each
/// file system where the system has one (Linux's syncfs), else one file at a time.
std::error_code FlushAllToDisk(std::span<OutputFile* const> files);

/// Moves `source` over `target` in one step: `target` is either the old file or the new one.
std::error_code RenameOver(const std::filesystem::path& source, const std::filesystem::path& target);

/// Puts a directory's entries on the disk, so that a file just renamed into it stays after a crash.
std::error_code FlushDirectory(const std::filesystem::path& directory);

}  // namespace tarvel
