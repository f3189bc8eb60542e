// The window's platform layer on Windows: drive letters, the wide file and
// shell calls, MultiByteToWideChar for a code page, and the system's own
// messages for its error codes.
#include "platform.h"

#include <algorithm>

#include <windows.h>
#include <shellapi.h>

#include "ascii.h"
#include "system_functions_windows.h"

namespace tarvel::ui {

std::vector<std::string> Platform::Drives() const {
    std::vector<std::string> drives;
    // Every drive letter, also one without a medium: picking it is how the
    // user learns to insert the diskette.
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (letters & (1u << i)) drives.push_back(std::string(1, static_cast<char>('a' + i)) + ":");
    // The start drive first, as the list opens on it.
    const auto c = std::find(drives.begin(), drives.end(), "c:");
    if (c != drives.end()) std::rotate(drives.begin(), c, c + 1);
    return drives;
}

std::string Platform::DriveDirectory(const std::string& drive) const {
    return drive.substr(0, 2) + "\\";
}

std::string Platform::DriveOf(const std::string& directory) const {
    const std::vector<std::string> drives = Drives();
    std::string letter = directory.substr(0, 2);
    for (char& c : letter) c = tarvel::LowerAscii(c);
    if (std::find(drives.begin(), drives.end(), letter) != drives.end()) return letter;
    return drives.empty() ? std::string() : drives.front();
}

std::string Platform::StartDrive() const {
    return "c:";
}

std::string Platform::StartDirectory() const {
    return "\\";
}

std::optional<std::vector<DirectoryItem>> Platform::ReadDirectory(const std::string& directory,
                                                                  std::error_code& reason) const {
    std::vector<DirectoryItem> items;
    reason.clear();
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
    return items;
}

std::string DecodeAnsi(std::string_view bytes, int codePage) {
    if (bytes.empty()) return {};
    const int length = MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), static_cast<int>(bytes.size()),
                                           nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        length);
    return Utf8FromWide(wide);
}

std::string ReasonText(const std::error_code& reason) {
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
    return reason.message();
}

bool StartOpener(const std::string& program, const std::string& address) {
    if (program.empty()) {
        static auto* const shellExecute = ShellFunction<decltype(ShellExecuteW)>("ShellExecuteW");
        if (shellExecute == nullptr) return false;
        // ShellExecute reports success with a value above 32.
        const auto result = reinterpret_cast<INT_PTR>(
            shellExecute(nullptr, L"open", WideFromUtf8(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
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
}

}  // namespace tarvel::ui
