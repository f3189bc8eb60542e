// The window's platform layer on Linux and other POSIX systems: the root and
// the mounted disks as drives, the locale's code page through iconv, and
// xdg-open for web pages.
#include "platform.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvel::ui {
namespace {

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

}  // namespace

std::vector<std::string> Platform::Drives() const {
    std::vector<std::string> drives;
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
    return drives;
}

std::string Platform::DriveDirectory(const std::string& drive) const {
    return drive;
}

std::string Platform::DriveOf(const std::string& directory) const {
    const std::vector<std::string> drives = Drives();
    // The innermost mount wins: /home/ann lies on /home, not on the root.
    std::string best;
    for (const std::string& drive : drives) {
        const std::string prefix = drive.ends_with('/') ? drive : drive + '/';
        const bool holds = directory == drive || directory.starts_with(prefix);
        if (holds && drive.size() > best.size()) best = drive;
    }
    if (!best.empty()) return best;
    return drives.empty() ? std::string() : drives.front();
}

std::string Platform::StartDrive() const {
    return "/";
}

std::string Platform::StartDirectory() const {
    return "/";
}

std::optional<std::vector<DirectoryItem>> Platform::ReadDirectory(const std::string& directory,
                                                                  std::error_code& reason) const {
    std::vector<DirectoryItem> items;
    reason.clear();
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
    return items;
}

std::string DecodeAnsi(std::string_view bytes, int codePage) {
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
}

std::string ReasonText(const std::error_code& reason) {
    return reason.message();
}

bool StartOpener(const std::string& program, const std::string& address) {
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
}

}  // namespace tarvel::ui
