// Writing files on Windows with the system's own wide calls: CreateFileW with
// CREATE_NEW for a new file, FlushFileBuffers before MoveFileExW replaces the
// target (with MOVEFILE_WRITE_THROUGH, so there is no directory to flush), and
// SetFileInformationByHandle to find a full disk before a rewrite in place.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>

#include "file_io.h"
#include "utf8.h"

namespace tarvel {
namespace {

std::error_code LastWindowsError() {
    const DWORD code = GetLastError();
    return std::error_code(code ? static_cast<int>(code) : ERROR_WRITE_FAULT, std::system_category());
}

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::error_code Open(const std::filesystem::path& path, DWORD disposition, DWORD sharing, std::intptr_t& handle) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastWindowsError();
    handle = reinterpret_cast<std::intptr_t>(h);
    return {};
}

std::error_code SetSize(HANDLE h, std::uint64_t size) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(h, position, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) return LastWindowsError();
    return {};
}

// The reasons a reader acts on, in the C library's words, as _wfopen gave them.
std::error_code ReadingError(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME: return std::make_error_code(std::errc::no_such_file_or_directory);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return std::make_error_code(std::errc::permission_denied);
        default: return std::error_code(code ? static_cast<int>(code) : ERROR_READ_FAULT, std::system_category());
    }
}

// What an open handle is: a disk file's identity, size and kind; a console,
// NUL or a pipe is no regular file.
std::error_code FactsOf(HANDLE h, FileFacts& facts) {
    facts = FileFacts();
    if (GetFileType(h) != FILE_TYPE_DISK) return {};
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(h, &information)) return LastWindowsError();
    using std::filesystem::perms;
    facts.directory = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.regular = !facts.directory;
    facts.identity = FileIdentity{information.dwVolumeSerialNumber,
                                  (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
    facts.size = (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    facts.permissions = perms::owner_read | perms::group_read | perms::others_read;
    if (!(information.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        facts.permissions |= perms::owner_write | perms::group_write | perms::others_write;
    return {};
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    // No access asked: the file's identity needs none. Backup semantics open a folder too.
    const HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    FileFacts facts;
    const std::error_code error = FactsOf(h, facts);
    CloseHandle(h);
    if (error) return std::nullopt;
    return facts.identity;
}

std::error_code OpenInput(const std::filesystem::path& path, UniqueFile& file, FileFacts& facts) {
    file.reset();
    facts = FileFacts();
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return ReadingError(GetLastError());
    if (const std::error_code error = FactsOf(h, facts); error || !facts.regular) {
        CloseHandle(h);
        return error;
    }
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return LastSystemError();
    }
    std::FILE* stream = _fdopen(fd, "rb");
    if (!stream) {
        const std::error_code error = LastSystemError();
        _close(fd);
        return error;
    }
    file.reset(stream);
    return {};
}

std::error_code InspectStream(std::FILE* stream, FileFacts& facts) {
    facts = FileFacts();
    const int fd = _fileno(stream);
    const std::intptr_t handle = fd < 0 ? -1 : _get_osfhandle(fd);
    if (handle == -1 || handle == -2) return std::make_error_code(std::errc::bad_file_descriptor);
    // A stream that tells nothing of itself is read all the same, as a pipe is.
    if (FactsOf(Handle(handle), facts)) facts = FileFacts();
    return {};
}

std::error_code SeekTo(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return std::make_error_code(std::errc::value_too_large);
    errno = 0;
    if (_fseeki64(file, static_cast<__int64>(offset), SEEK_SET) != 0) return LastSystemError();
    return {};
}

// Only a file on a fixed disk of this machine is shown in memory: a network
// or removable drive that goes away would fault the reading of a mapped page
// (an in-page error), where reading the file merely fails. A mapped file
// cannot be cut shorter (SetEndOfFile fails while it is), so it never shrinks.
std::size_t FileWindow::Granularity() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    return system.dwAllocationGranularity;
}

FileWindow::~FileWindow() { Close(); }

std::error_code FileWindow::Show(std::FILE* file, std::uint64_t offset, std::size_t length) {
    const int fd = _fileno(file);
    const std::intptr_t handle = fd < 0 ? -1 : _get_osfhandle(fd);
    if (handle == -1 || handle == -2) return std::make_error_code(std::errc::bad_file_descriptor);
    const HANDLE h = Handle(handle);
    if (slot_ < 0) {
        wchar_t name[MAX_PATH + 8];
        const DWORD size = GetFinalPathNameByHandleW(h, name, MAX_PATH + 8, VOLUME_NAME_DOS);
        // "\\?\C:\..." for a drive letter; "\\?\UNC\..." for a share.
        if (size < 7 || size >= MAX_PATH + 8 || name[5] != L':') return std::make_error_code(std::errc::operation_not_supported);
        const wchar_t root[] = {name[4], L':', L'\\', L'\0'};
        if (GetDriveTypeW(root) != DRIVE_FIXED) return std::make_error_code(std::errc::operation_not_supported);
        slot_ = 0;
    }
    if (data_) {
        UnmapViewOfFile(data_);
        data_ = nullptr;
        length_ = 0;
    }
    const HANDLE mapping = CreateFileMappingW(h, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) return LastWindowsError();
    const void* const shown = MapViewOfFile(mapping, FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                                            static_cast<DWORD>(offset), length);
    const std::error_code error = shown ? std::error_code() : LastWindowsError();
    CloseHandle(mapping);  // the view keeps what it shows
    if (error) return error;
    data_ = static_cast<const char*>(shown);
    length_ = length;
    return {};
}

bool FileWindow::Shrank() const { return false; }

void FileWindow::Close() {
    if (data_) UnmapViewOfFile(data_);
    data_ = nullptr;
    length_ = 0;
    slot_ = -1;
}

std::string NameCaseFolded(std::string text) {
    const std::wstring wide = WideFromUtf8(text);
    if (wide.empty()) return text;
    const int length = static_cast<int>(wide.size());
    const int needed = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(), length, nullptr, 0,
                                     nullptr, nullptr, 0);
    if (needed <= 0) return text;
    std::wstring upper(static_cast<std::size_t>(needed), L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(), length, upper.data(), needed, nullptr,
                      nullptr, 0) != needed)
        return text;
    return Utf8FromWide(upper);
}

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

std::error_code OutputFile::CreateNew(const std::filesystem::path& path, OutputFile& file, std::filesystem::perms) {
    file = OutputFile();
    // The new file takes the folder's access rules. Delete sharing lets Ctrl+C
    // remove it while it is still being written.
    const std::error_code error = Open(path, CREATE_NEW, FILE_SHARE_READ | FILE_SHARE_DELETE, file.handle_);
    if (error.value() == ERROR_FILE_EXISTS || error.value() == ERROR_ALREADY_EXISTS)
        return std::make_error_code(std::errc::file_exists);
    return error;
}

std::error_code OutputFile::OpenExisting(const std::filesystem::path& path, OutputFile& file) {
    file = OutputFile();
    // Windows refuses to write a read-only file even for an administrator, but a
    // file system that keeps the attribute as Unix permissions (Wine, a Samba
    // share) may let root through; the attribute decides, as on Windows.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::error_code(ERROR_ACCESS_DENIED, std::system_category());
    const std::error_code error =
        Open(path, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, file.handle_);
    if (error.value() == ERROR_FILE_NOT_FOUND || error.value() == ERROR_PATH_NOT_FOUND)
        return std::make_error_code(std::errc::no_such_file_or_directory);
    return error;
}

std::error_code OutputFile::OpenDevice(const std::filesystem::path& path, OutputFile& file) {
    file = OutputFile();
    return Open(path, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE, file.handle_);
}

std::error_code OutputFile::Inspect(FileFacts& facts) const {
    return FactsOf(Handle(handle_), facts);
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

std::error_code OutputFile::Reserve(std::uint64_t size) {
    const HANDLE h = Handle(handle_);
    LARGE_INTEGER current;
    if (!GetFileSizeEx(h, &current)) return LastWindowsError();
    const std::uint64_t old = static_cast<std::uint64_t>(current.QuadPart);
    if (size <= old) return {};
    // The allocation grows, the end of the file stays where it is.
    FILE_ALLOCATION_INFO allocation;
    allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
    if (SetFileInformationByHandle(h, FileAllocationInfo, &allocation, sizeof allocation)) return {};
    const DWORD code = GetLastError();
    if (code != ERROR_CALL_NOT_IMPLEMENTED && code != ERROR_NOT_SUPPORTED && code != ERROR_INVALID_PARAMETER &&
        code != ERROR_INVALID_FUNCTION)
        return std::error_code(static_cast<int>(code), std::system_category());
    // Where the allocation cannot be set (Wine), zeros after the old end take
    // the room; the old bytes stay, and on failure the old end comes back.
    static const char kZeros[64 * 1024] = {};
    LARGE_INTEGER end;
    end.QuadPart = current.QuadPart;
    if (!SetFilePointerEx(h, end, nullptr, FILE_BEGIN)) return LastWindowsError();
    for (std::uint64_t left = size - old; left > 0;) {
        const std::size_t chunk = left < sizeof kZeros ? static_cast<std::size_t>(left) : sizeof kZeros;
        if (const std::error_code error = Write(std::string_view(kZeros, chunk))) {
            (void)SetSize(h, old);
            return error;
        }
        left -= chunk;
    }
    return {};
}

std::error_code OutputFile::Rewrite(std::string_view bytes) {
    const HANDLE h = Handle(handle_);
    LARGE_INTEGER start;
    start.QuadPart = 0;
    if (!SetFilePointerEx(h, start, nullptr, FILE_BEGIN)) return LastWindowsError();
    if (const std::error_code error = Write(bytes)) return error;
    if (!SetEndOfFile(h)) return LastWindowsError();
    return {};
}

// A new file takes the folder's access rules, and a read-only file is never
// replaced (opening it for writing is refused first): nothing to copy.
std::error_code OutputFile::TakeOwnerAndPermissions(const FileFacts&) { return {}; }

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

OutputPlace FindOutputPlace(const std::filesystem::path& path) {
    // Windows has no sticky folders: a link leads to the file it names.
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
        if (!error) return {std::move(resolved), {}};
    }
    return {path, {}};
}

bool RefusesNewFiles(const std::error_code& error) {
    if (error.category() == std::system_category())
        return error.value() == ERROR_ACCESS_DENIED || error.value() == ERROR_WRITE_PROTECT;
    return error == std::errc::permission_denied || error == std::errc::read_only_file_system;
}

std::size_t OpenFileLimit() { return static_cast<std::size_t>(_getmaxstdio()); }

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
