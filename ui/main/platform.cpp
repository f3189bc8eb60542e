#include "platform.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "code_page.h"
#include "form_lines.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tarvel::ui {
namespace {



#ifndef _WIN32

// Where a user's own disks, partitions and removable media are mounted; the
// rest of the mount table is the system's business.
bool IsBrowsedMount(std::string_view root) {
    static constexpr std::array<std::string_view, 4> places = {"/home", "/media/", "/mnt/", "/run/media/"};
    return std::any_of(places.begin(), places.end(), [&](std::string_view place) {
        if (place.ends_with('/')) return root.starts_with(place) && root.size() > place.size();
        return root == place || (root.starts_with(place) && root[place.size()] == '/');
    });
}

bool IsPseudoFileSystem(std::string_view type) {
    static constexpr std::array<std::string_view, 18> pseudo = {
        "proc",   "sysfs",     "cgroup",  "cgroup2", "devtmpfs",  "devpts",   "securityfs", "debugfs",     "tracefs",
        "pstore", "bpf",       "mqueue",  "hugetlbfs", "configfs", "fusectl", "autofs",     "binfmt_misc", "efivarfs"};
    return std::find(pseudo.begin(), pseudo.end(), type) != pseudo.end();
}

// The mount table writes a blank in a mount point as \040, a tab as \011 and so on.
std::string UnescapeMountPoint(std::string_view escaped) {
    std::string text;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\' && i + 3 < escaped.size()) {
            const std::string_view digits = escaped.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                text += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        text += escaped[i];
    }
    return text;
}

#endif

}  // namespace

std::vector<std::string> Platform::Drives() const {
    std::vector<std::string> drives;
#ifdef _WIN32
    // Every drive letter, also one without a medium: picking it is how the
    // user learns to insert the diskette.
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (letters & (1u << i)) drives.push_back(std::string(1, static_cast<char>('a' + i)) + ":");
    // The start drive first, as the list opens on it.
    const auto c = std::find(drives.begin(), drives.end(), "c:");
    if (c != drives.end()) std::rotate(drives.begin(), c, c + 1);
#else
    drives.push_back("/");
    std::vector<std::string> mounts;
    std::ifstream table("/proc/self/mounts");
    std::string device, mountPoint, type, rest;
    while (table >> device >> mountPoint >> type && std::getline(table, rest)) {
        const std::string root = UnescapeMountPoint(mountPoint);
        if (IsBrowsedMount(root) && !IsPseudoFileSystem(type)) mounts.push_back(root);
    }
    std::sort(mounts.begin(), mounts.end());
    mounts.erase(std::unique(mounts.begin(), mounts.end()), mounts.end());
    drives.insert(drives.end(), mounts.begin(), mounts.end());
#endif
    return drives;
}

std::string Platform::DriveDirectory(const std::string& drive) const {
#ifdef _WIN32
    return drive.substr(0, 2) + "\\";
#else
    return drive;
#endif
}

std::string Platform::DriveOf(const std::string& directory) const {
    const std::vector<std::string> drives = Drives();
#ifdef _WIN32
    std::string letter = directory.substr(0, 2);
    for (char& c : letter) c = tarvel::LowerAscii(c);
    if (std::find(drives.begin(), drives.end(), letter) != drives.end()) return letter;
#else
    // The innermost mount wins: /home/ann lies on /home, not on the root.
    std::string best;
    for (const std::string& drive : drives) {
        const std::string prefix = drive.ends_with('/') ? drive : drive + '/';
        const bool holds = directory == drive || directory.starts_with(prefix);
        if (holds && drive.size() > best.size()) best = drive;
    }
    if (!best.empty()) return best;
#endif
    return drives.empty() ? std::string() : drives.front();
}

std::string Platform::StartDrive() const {
#ifdef _WIN32
    return "c:";
#else
    return "/";
#endif
}

std::string Platform::StartDirectory() const {
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
}

std::optional<std::vector<DirectoryItem>> Platform::ReadDirectory(const std::string& directory,
                                                                  std::error_code& reason) const {
    std::vector<DirectoryItem> items;
    reason.clear();
#ifdef _WIN32
    // FindFirstFileExW gives each name with its attributes in one pass, hidden ones included.
    const std::wstring pattern = PathFromUtf8(directory).wstring() + (directory.ends_with('\\') ? L"*" : L"\\*");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return items;  // a drive's empty root
        reason.assign(static_cast<int>(error), std::system_category());
        return std::nullopt;
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L".." || (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) continue;
        items.push_back({Utf8FromWide(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &found));
    FindClose(search);
#else
    std::filesystem::directory_iterator entries(PathFromUtf8(directory), reason);
    if (reason) return std::nullopt;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(reason)) {
        if (reason) return std::nullopt;
        std::string name = Utf8FromPath(entries->path().filename());
        if (name.starts_with('.')) continue;
        std::error_code ignored;
        // Links are followed; a broken one, a pipe or a device is neither a directory nor a file to open.
        if (entries->is_directory(ignored)) items.push_back({std::move(name), true});
        else if (entries->is_regular_file(ignored)) items.push_back({std::move(name), false});
    }
    if (reason) return std::nullopt;
#endif
    return items;
}

bool Platform::IsDirectory(const std::string& path) const {
    std::error_code ignored;
    return std::filesystem::is_directory(PathFromUtf8(path), ignored);
}

int Platform::AnsiCodePage() const { return SystemAnsiCodePage(); }

bool Platform::OpenWebPage(const std::string& address) { return StartOpener({}, address); }

std::string DecodeAnsi(std::string_view bytes, int codePage) {
#ifdef _WIN32
    if (bytes.empty()) return {};
    const int length = MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), static_cast<int>(bytes.size()),
                                           nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        length);
    return Utf8FromWide(wide);
#else
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t converter = iconv_open("UTF-8", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) converter = iconv_open("UTF-8", "CP1252");
    std::string text;
    char buffer[4096];
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
        text.append(buffer, static_cast<std::size_t>(out - buffer));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An undefined byte, or a lead byte with nothing after it: one replacement, then on.
            text += "\xEF\xBF\xBD";
            ++in;
            --inLeft;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(converter);
    return text;
#endif
}


std::string DecodeRcText(std::string_view bytes, int ansiCodePage) {
    return IsUtf8(bytes) ? std::string(bytes) : DecodeAnsi(bytes, ansiCodePage);
}

std::string ReasonText(const std::error_code& reason) {
#ifdef _WIN32
    if (reason.category() == std::system_category()) {
        wchar_t* text = nullptr;
        const DWORD length = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
            static_cast<DWORD>(reason.value()), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::wstring message(text != nullptr ? text : L"", length);
        LocalFree(text);
        while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L'.'))
            message.pop_back();
        if (!message.empty()) return Utf8FromWide(message);
    }
#endif
    return reason.message();
}

bool StartOpener(const std::string& program, const std::string& address) {
#ifdef _WIN32
    if (program.empty()) {
        // ShellExecute reports success with a value above 32.
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", WideFromUtf8(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
    }
    std::wstring commandLine = L"\"" + WideFromUtf8(program) + L"\" \"" + WideFromUtf8(address) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
#else
    std::string opener = program.empty() ? std::string("xdg-open") : program;
    std::string argument = address;
    char* arguments[] = {opener.data(), argument.data(), nullptr};
    // The opener runs as a grandchild that nobody waits for; the pipe, closed by
    // a successful exec, carries the errno of a failed one back here.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            setsid();
            execvp(arguments[0], arguments);
            const int failure = errno;
            static_cast<void>(write(report[1], &failure, sizeof failure));
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int failure = 0;
    ssize_t got;
    while ((got = read(report[0], &failure, sizeof failure)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
#endif
}

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

#ifdef _WIN32

std::wstring WideFromUtf8(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

#endif

}  // namespace tarvel::ui
