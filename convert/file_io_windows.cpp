// Writing files on Windows with the system's own wide calls: CreateFileW with
// CREATE_NEW for a new file, FlushFileBuffers before MoveFileExW replaces the
// target (with MOVEFILE_WRITE_THROUGH, so there is no directory to flush).
#include <windows.h>

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

std::error_code OutputFile::CreateNew(const std::filesystem::path& path, OutputFile& file) {
    file = OutputFile();
    const std::error_code error = Open(path, CREATE_NEW, file.handle_);
    if (error.value() == ERROR_FILE_EXISTS || error.value() == ERROR_ALREADY_EXISTS)
        return std::make_error_code(std::errc::file_exists);
    return error;
}

std::error_code OutputFile::Overwrite(const std::filesystem::path& path, OutputFile& file) {
    file = OutputFile();
    return Open(path, TRUNCATE_EXISTING, file.handle_);
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
