// Writing files on POSIX systems: open(2) with O_EXCL for a new file, fsync(2)
// before a rename(2), and the directory fsync'd after it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "file_io.h"

namespace tarvel {
namespace {

std::error_code Errno() { return std::error_code(errno ? errno : EIO, std::generic_category()); }

std::error_code Open(const std::filesystem::path& path, int flags, std::intptr_t& handle) {
    int fd;
    do fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return Errno();
    handle = fd;
    return {};
}

}  // namespace

const bool kNamesIgnoreCase = false;

UniqueFile OpenFile(const std::filesystem::path& path, const char* mode, std::error_code& error) {
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (!f) error = LastSystemError();
    return UniqueFile(f);
}

std::error_code OutputFile::CreateNew(const std::filesystem::path& path, OutputFile& file) {
    file = OutputFile();
    return Open(path, O_WRONLY | O_CREAT | O_EXCL, file.handle_);
}

std::error_code OutputFile::Overwrite(const std::filesystem::path& path, OutputFile& file) {
    file = OutputFile();
    return Open(path, O_WRONLY | O_TRUNC, file.handle_);
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

bool IsDevice(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
           !std::filesystem::is_directory(status);
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

std::error_code RenameOver(const std::filesystem::path& source, const std::filesystem::path& target) {
    if (std::rename(source.c_str(), target.c_str()) != 0) return Errno();
    return {};
}

std::error_code FlushDirectory(const std::filesystem::path& directory) {
    const std::filesystem::path path = directory.empty() ? std::filesystem::path(".") : directory;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Errno();
    std::error_code error;
    if (::fsync(fd) != 0 && errno != EINVAL) error = Errno();
    ::close(fd);
    return error;
}

}  // namespace tarvel
