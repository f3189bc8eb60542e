// Scratch folders, forms written to them, and a conversion in one call, for
// the tests of hostile forms and of faults while the output is written.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "convert_form.h"
#include "result.h"

namespace tarvel::hostile {

namespace fs = std::filesystem;

/// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        std::random_device seed;
        path_ = fs::temp_directory_path() / ("tarvel-hostile-" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const fs::path& name) const { return path_ / name; }

private:
    fs::path path_;
};

inline void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// The conversion's text, handed back as for the clipboard.
inline Result<std::string> ConvertText(const fs::path& form, bool useDefines = true) {
    ConversionRequest request;
    request.form = form;
    request.rc.useDefines = useDefines;
    return ConvertFormToText(request);
}

/// The conversion written to `output`.
inline Result<ConversionReport> ConvertToFile(const fs::path& form, const fs::path& output, bool useDefines = true) {
    ConversionRequest request;
    request.form = form;
    request.rc.useDefines = useDefines;
    Destination destination;
    destination.file = output;
    return ConvertForm(request, destination);
}

/// A form file's head, up to where its menu would begin.
inline std::string FormHead() { return "VERSION 5.00\r\nBegin VB.Form Form1\r\n   Caption = \"Form1\"\r\n"; }

/// A form file's tail after its menu.
inline std::string FormTail() { return "End\r\nAttribute VB_Name = \"Form1\"\r\n"; }

/// One leaf item's lines.
inline std::string LeafItem(std::string_view name, std::string_view caption, std::string_view indent = "   ") {
    std::string item;
    item.append(indent).append("Begin VB.Menu ").append(name).append("\r\n");
    item.append(indent).append("   Caption = \"").append(caption).append("\"\r\n");
    item.append(indent).append("End\r\n");
    return item;
}

/// Each line of `text` that begins, after its indent, with `keyword`.
inline std::size_t CountLines(std::string_view text, std::string_view keyword) {
    std::size_t count = 0;
    for (std::size_t p = 0; p < text.size();) {
        std::size_t end = text.find("\r\n", p);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(p, end - p);
        const std::size_t indent = line.find_first_not_of(' ');
        if (indent != std::string_view::npos && line.substr(indent, keyword.size()) == keyword) ++count;
        p = end + 2;
    }
    return count;
}

}  // namespace tarvel::hostile
