// Writing files on Windows with the system's own wide calls: CreateFileW with
// CREATE_NEW for a new file, FlushFileBuffers before MoveFileExW replaces the
// target (with MOVEFILE_WRITE_THROUGH, so there is no directory to flush).
#include <windows.h>

#include <cerrno>

#include "file_io.h"

namespace tarvel {
namespace {

std::error_code LastWindowsError() {
    const DWORD code = GetLastError();
    return std::error_code(code ? static_cast<int>(code) : ERROR_WRITE_FAULT, std::system_category());
}

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::error_code Open(const std::filesystem::path& path, DWORD disposition, std::intptr_t& handle) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastWindowsError();
    handle = reinterpret_cast<std::intptr_t>(h);
    return {};
}

}  // namespace

const bool kNamesIgnoreCase = true;

UniqueFile OpenFile(const std::filesystem::path& path, const char* mode, std::error_code& error) {
    errno = 0;
    // Windows refuses to write a read-only file even for an administrator, but a
    // file system that keeps the attribute as Unix permissions (Wine, a Samba
    // share) may let root through; the attribute decides, as on Windows.
    if (std::string_view(mode).find_first_of("wa+") != std::string_view::npos) {
        std::error_code ignored;
        const std::filesystem::file_status status = std::filesystem::status(path, ignored);
        if (std::filesystem::is_regular_file(status) &&
            (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none) {
            error = std::make_error_code(std::errc::permission_denied);
            return nullptr;
        }
    }
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    std::FILE* f = _wfopen(path.c_str(), wideMode.c_str());
    if (!f) error = LastSystemError();
    return UniqueFile(f);
}

std::error_code OutputFile::CreateNew(const std::filesystem::path& path, OutputFile& file) {
    file = OutputFile();
    const std::error_code error = Open(path, CREATE_NEW, file.handle_);
    if (error.value() == ERROR_FILE_EXISTS || error.value() == ERROR_ALREADY_EXISTS)
        return std::make_error_code(std::errc::file_exists);
    return error;
}

std::error_code OutputFile::Overwrite(const std::filesystem::path& path, OutputFile& file) {
    file = OutputFile();
    // A device has nothing to cut short: it is opened as it is.
    return Open(path, IsDevice(path) ? OPEN_EXISTING : TRUNCATE_EXISTING, file.handle_);
}

std::error_code OutputFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(Handle(handle_), bytes.data(), chunk, &written, nullptr)) return LastWindowsError();
        if (written == 0) return std::make_error_code(std::errc::io_error);
        bytes.remove_prefix(written);
    }
    return {};
}

std::error_code OutputFile::FlushToDisk() {
    if (FlushFileBuffers(Handle(handle_))) return {};
    const DWORD code = GetLastError();
    // A console or a pipe holds nothing to flush.
    if (code == ERROR_INVALID_HANDLE || code == ERROR_INVALID_FUNCTION) return {};
    return std::error_code(static_cast<int>(code), std::system_category());
}

std::error_code OutputFile::Close() {
    const HANDLE h = Handle(std::exchange(handle_, kNoHandle));
    if (!CloseHandle(h)) return LastWindowsError();
    return {};
}

bool IsDevice(const std::filesystem::path& path) {
    // NUL, CON, PRN, AUX, COM1-9 and LPT1-9 name devices in every folder, also with an extension.
    std::wstring stem = path.filename().wstring();
    stem = stem.substr(0, stem.find(L'.'));
    while (!stem.empty() && (stem.back() == L' ' || stem.back() == L':')) stem.pop_back();
    for (wchar_t& c : stem)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (stem == L"NUL" || stem == L"CON" || stem == L"PRN" || stem == L"AUX") return true;
    if (stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) && stem[3] >= L'1' && stem[3] <= L'9')
        return true;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(h);
    CloseHandle(h);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

std::error_code FlushAllToDisk(std::span<OutputFile* const> files) {
    for (OutputFile* file : files)
        if (const std::error_code error = file->FlushToDisk()) return error;
    return {};
}

std::error_code RenameOver(const std::filesystem::path& source, const std::filesystem::path& target) {
    if (!MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return LastWindowsError();
    return {};
}

std::error_code FlushDirectory(const std::filesystem::path&) { return {}; }

}  // namespace tarvel
