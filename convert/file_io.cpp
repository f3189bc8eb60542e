// The parts of the file operations that every system shares.
#include "file_io.h"

#include <cerrno>

namespace tarvel {

UniqueFile OpenFile(const std::filesystem::path& path, const char* mode, std::error_code& error) {
    errno = 0;
#ifdef _WIN32
    // Windows refuses to write a read-only file even for an administrator, but a
    // file system that keeps the attribute as Unix permissions (Wine, a Samba
    // share) may let root through; the attribute decides, as on Windows.
    if (std::string_view(mode).find_first_of("wa+") != std::string_view::npos) {
        std::error_code ignored;
        const std::filesystem::file_status status = std::filesystem::status(path, ignored);
        if (std::filesystem::is_regular_file(status) &&
            (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none) {
            error = std::make_error_code(std::errc::permission_denied);
            return nullptr;
        }
    }
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    std::FILE* f = _wfopen(path.c_str(), wideMode.c_str());
#else
    std::FILE* f = std::fopen(path.c_str(), mode);
#endif
    if (!f) error = LastSystemError();
    return UniqueFile(f);
}

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::error_code LastSystemError() {
    return std::error_code(errno ? errno : EIO, std::generic_category());
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        if (is_open()) (void)Close();
        handle_ = std::exchange(other.handle_, kNoHandle);
    }
    return *this;
}

OutputFile::~OutputFile() {
    if (is_open()) (void)Close();
}

}  // namespace tarvel
