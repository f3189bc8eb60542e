// Files for the window's behaviour tests, without a toolkit: a scratch
// directory, bytes in and out, forms with a menu, and what the real tarvel-rc
// writes for a form.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern = (fs::temp_directory_path() / "tarvel-ui.XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }
    /// A path inside, as the window spells it.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A form whose one sub-item carries `caption`, in whatever bytes the test gives.
inline std::string MenuForm(const std::string& caption) {
    return "VERSION 5.00\r\n"
           "Begin VB.Form Form1 \r\n"
           "   Caption         =   \"Form1\"\r\n"
           "   Begin VB.Menu mnuFile \r\n"
           "      Caption         =   \"&Plik\"\r\n"
           "      Begin VB.Menu mnuItem \r\n"
           "         Caption         =   \"" + caption + "\"\r\n"
           "      End\r\n"
           "   End\r\n"
           "End\r\n"
           "Attribute VB_Name = \"Form1\"\r\n";
}

inline const std::string kNoMenuForm =
    "VERSION 5.00\r\nBegin VB.Form Form1 \r\n   Caption         =   \"Form1\"\r\nEnd\r\nAttribute VB_Name = \"Form1\"\r\n";

// What tarvel-rc writes for the form with the given options, or nothing when it fails.
inline std::string CliBytes(const fs::path& form, const std::vector<std::string>& options = {}) {
    ScratchDirectory scratch;
    const fs::path output = scratch.path() / "cli.rc";
    auto quoted = [](const std::string& text) { return "'" + text + "'"; };
    std::string command = quoted(TARVEL_RC);
    for (const std::string& option : options) command += " " + quoted(option);
    command += " -o " + quoted(output.string()) + " " + quoted(form.string());
    if (std::system(command.c_str()) != 0) return {};
    return ReadBytes(output);
}
