// The file operations that differ between systems, and nothing else: reading
// a file as bytes, writing one through the system's own calls (POSIX here,
// CreateFileW and friends on Windows), replacing one file by another, and
// telling whether two paths lead to one file. Every path stays a
// std::filesystem::path down to the system call, so on Windows it is wide all
// the way. Each function is written once, in file_io_posix.cpp or
// file_io_windows.cpp, or here when both systems share it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
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

/// Does the system compare file names without case?
extern const bool kNamesIgnoreCase;

/// Where a path leads, spelled one way only: absolute, with links and ".."
/// resolved as far as the path exists, and without case where the system
/// compares names without it (Windows). Two paths to one file give the same text.
std::string PlaceOf(const std::filesystem::path& path);

/// The reason of the last failed C library call (errno), or a plain I/O error when it left none.
std::error_code LastSystemError();

/// A file being written through the system's own calls. Closed, errors
/// ignored, when dropped without Close.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(OutputFile&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}
    OutputFile& operator=(OutputFile&& other) noexcept;
    ~OutputFile();

    /// Makes a new file; fails with file_exists when anything of that name is
    /// there already, so another program's file is never taken over.
    static std::error_code CreateNew(const std::filesystem::path& path, OutputFile& file);
    /// Opens an existing file (or a device, or a pipe) and writes it from the start, cut to nothing.
    static std::error_code Overwrite(const std::filesystem::path& path, OutputFile& file);

    bool is_open() const { return handle_ != kNoHandle; }
    std::error_code Write(std::string_view bytes);
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

/// Waits until everything written to `files` is on the disk: one flush of each
/// file system where the system has one (Linux's syncfs), else one file at a time.
std::error_code FlushAllToDisk(std::span<OutputFile* const> files);

/// Moves `source` over `target` in one step: `target` is either the old file or the new one.
std::error_code RenameOver(const std::filesystem::path& source, const std::filesystem::path& target);

/// Puts a directory's entries on the disk, so that a file just renamed into it stays after a crash.
std::error_code FlushDirectory(const std::filesystem::path& directory);

}  // namespace tarvel
