// Small helpers for the conversion tests: temporary folders, files as bytes,
// and texts written with "\n" turned into the line ends a test wants.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "convert_form.h"
#include "utf8.h"

namespace tarvel::test {

/// A fresh folder, removed with everything in it when the test ends.
class TempDir {
public:
    TempDir() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() / ("tarvel-test-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// `text` with every "\n" replaced by `lineEnd`.
inline std::string WithLineEnds(std::string_view text, std::string_view lineEnd = "\r\n") {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += lineEnd;
        else out += c;
    }
    return out;
}

inline std::string PathUtf8(const std::filesystem::path& path) { return Utf8FromPath(path); }

/// `menus`, the lines of a form's menus, inside a form of their own; a text
/// that begins a form already is left as it is.
inline std::string InForm(std::string_view menus) {
    if (menus.find("Begin VB.Form") != std::string_view::npos) return std::string(menus);
    return "Begin VB.Form Form1\n" + std::string(menus) + "End\n";
}

/// Converts `form` (written with "\n" line ends, turned into `lineEnd`) from
/// a file in a fresh folder and gives the RC text or the error.
inline Result<std::string> ConvertText(std::string_view form, bool useDefines = true, std::int32_t firstId = 100,
                                       std::string_view lineEnd = "\r\n") {
    TempDir dir;
    WriteBytes(dir / "Form1.frm", WithLineEnds(form, lineEnd));
    ConversionRequest request;
    request.form = dir / "Form1.frm";
    request.rc.firstId = firstId;
    request.rc.useDefines = useDefines;
    return ConvertFormToText(request);
}

}  // namespace tarvel::test
