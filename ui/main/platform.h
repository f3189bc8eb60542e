// What differs between the systems the window runs on, for both of its views:
// which drives there are and where they open, reading a directory, the ANSI
// code page and decoding text in it, the system's words for a failure, and
// opening a web page. Toolkit-free: texts are UTF-8 and paths are read from
// UTF-8 the same way on every system (the conversion's own helpers, utf8.h).
// The window's behaviour reaches the system only through Platform, so tests
// stand in their own drives, code page and web opener. Each function is
// written once: in platform.cpp when every system shares it, otherwise in
// platform_posix.cpp or platform_windows.cpp. The modal boxes, the clipboard
// and ending the program belong to the views.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "utf8.h"

namespace tarvel::ui {

using tarvel::PathFromUtf8;
using tarvel::Utf8FromPath;
using tarvel::Utf8FromWide;
using tarvel::WideFromUtf8;

/// One name in a directory, as a directory list or a file list shows it.
struct DirectoryItem {
    std::string name;  ///< UTF-8, without the directory
    bool isDirectory = false;
};

class Platform {
public:
    virtual ~Platform() = default;

    /// The drive texts the drive list offers, the start drive first: drive
    /// letters with a colon on Windows ("c:"), the root and the mounted disks elsewhere.
    virtual std::vector<std::string> Drives() const;

    /// The directory a drive text opens at when none is remembered for it.
    virtual std::string DriveDirectory(const std::string& drive) const;

    /// The drive text of the drive that holds `directory`.
    std::string DriveOf(const std::string& directory) const;

    /// What the window starts on: "c:" and "\" on Windows, the root elsewhere.
    virtual std::string StartDrive() const;
    virtual std::string StartDirectory() const;

    /// The names in `directory` that a user browses (hidden ones are left out),
    /// in no particular order; nothing when it cannot be listed, and then `reason` says why.
    virtual std::optional<std::vector<DirectoryItem>> ReadDirectory(const std::string& directory,
                                                                    std::error_code& reason) const;

    virtual bool IsDirectory(const std::string& path) const;

    /// The Windows code page that text without a code page of its own is read in:
    /// the system's, even where the program itself runs with UTF-8 as its own.
    virtual int AnsiCodePage() const;

    /// Starts the desktop's opener for a web address and does not wait for it.
    /// False when it could not be started.
    virtual bool OpenWebPage(const std::string& address);
};

/// `bytes` in the Windows code page `codePage`, as UTF-8; a byte that the code
/// page does not define becomes U+FFFD.
std::string DecodeAnsi(std::string_view bytes, int codePage);

/// Text in the Windows code page `codePage` as UTF-8, so that every caption
/// character arrives; 65001 is UTF-8 itself (a byte that starts no character
/// becomes U+FFFD).
std::string DecodeText(std::string_view bytes, int codePage);

/// The system's own words for `reason`, as UTF-8.
std::string ReasonText(const std::error_code& reason);

/// Starts `program` detached with `address` as its one argument, never through
/// a shell, so nothing in the address can be read as a command. An empty
/// program means the system's own handler (the shell's "open" on Windows,
/// xdg-open elsewhere). Returns whether the start succeeded.
bool StartOpener(const std::string& program, const std::string& address);

}  // namespace tarvel::ui
