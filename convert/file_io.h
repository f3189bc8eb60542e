// The few file operations the conversion needs, over std::FILE so that bytes
// pass through untouched and a path with any letters opens on every system.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
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

/// Flushes a written file through to the disk. False, with the reason, when it fails.
bool FlushToDisk(std::FILE* file, std::error_code& error);

}  // namespace tarvel
