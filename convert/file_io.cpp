// The parts of the file operations that every system shares.
#include "file_io.h"

#include <cerrno>
#include <utility>

#include "utf8.h"

namespace tarvel {

std::error_code LastSystemError() {
    return std::error_code(errno ? errno : EIO, std::generic_category());
}

std::string PlaceOf(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
    std::filesystem::path place = std::filesystem::weakly_canonical(absolute, error);
    if (error) place = absolute;
    std::string text = Utf8FromPath(place);
    return NameCaseFolded(std::move(text));
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
