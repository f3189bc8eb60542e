#include "file_io.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tarvel {

UniqueFile OpenFile(const std::filesystem::path& path, const char* mode, std::error_code& error) {
    errno = 0;
#ifdef _WIN32
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

bool FlushToDisk(std::FILE* file, std::error_code& error) {
    errno = 0;
    if (std::fflush(file) != 0) {
        error = LastSystemError();
        return false;
    }
#ifdef _WIN32
    const int synced = _commit(_fileno(file));
#else
    const int synced = fsync(fileno(file));
#endif
    if (synced != 0) {
        error = LastSystemError();
        return false;
    }
    return true;
}

}  // namespace tarvel
