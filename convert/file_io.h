// The few file operations the conversion needs, over std::FILE so that bytes
// pass through untouched and a path with any letters opens on every system.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace tarvel {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

/// Opens a file with an fopen mode ("rb", "wbx", ...); on failure returns null
/// and sets `error` to the system's reason.
UniqueFile OpenFile(const std::filesystem::path& path, const char* mode, std::error_code& error);

/// The path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

/// The path that UTF-8 text names, on every system.
std::filesystem::path PathFromUtf8(std::string_view text);

/// The reason of the last failed C library call (errno), or a plain I/O error when it left none.
std::error_code LastSystemError();

/// Flushes a written file through to the disk. False, with the reason, when it fails.
bool FlushToDisk(std::FILE* file, std::error_code& error);

}  // namespace tarvel
