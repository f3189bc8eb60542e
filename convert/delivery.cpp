#include "delivery.h"

#include <algorithm>
#include <random>
#include <string>
#include <utility>

#include "utf8.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;

ConvertError Failure(ErrorKind kind, const fs::path& file, std::error_code reason = {}) {
    return FileError(kind, Utf8FromPath(file), reason);
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return !b.empty() && fs::equivalent(a, b, error) && !error;
}

// A short name of its own, so that a target whose name is near the system's
// limit still has room for its temporary file beside it.
fs::path TemporaryName(std::mt19937& random) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".tarvel-";
    for (int i = 0; i < 10; ++i) name += kLetters[random() % 36];
    return fs::path(name + ".tmp");
}

// No new file can be made in the folder: a read-only folder, or no right to write it.
bool FolderRefusesNewFiles(const std::error_code& error) {
    return error == std::errc::permission_denied || error == std::errc::read_only_file_system ||
           error == std::errc::operation_not_permitted;
}

}  // namespace

SafeFile::SafeFile(SafeFile&& other) noexcept
    : requested_(std::move(other.requested_)),
      target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      permissions_(other.permissions_),
      file_(std::move(other.file_)),
      error_(other.error_),
      active_(std::exchange(other.active_, false)),
      device_(other.device_) {}

SafeFile::~SafeFile() { Abandon(); }

ConvertError SafeFile::Unwritable(std::error_code reason) const {
    return Failure(ErrorKind::OutputUnwritable, requested_, reason);
}

void SafeFile::Abandon() {
    if (!std::exchange(active_, false)) return;
    if (file_.is_open()) (void)file_.Close();
    std::error_code ignored;
    if (!temporary_.empty()) fs::remove(temporary_, ignored);
}

Result<SafeFile> SafeFile::Open(const fs::path& requested, const fs::path& form) {
    if (requested.empty()) return Failure(ErrorKind::OutputNameEmpty, {});
    SafeFile out;
    out.requested_ = requested;
    out.target_ = requested;

    // Writing through a link replaces the file it points to, not the link.
    std::error_code error;
    if (fs::is_symlink(requested, error)) {
        const fs::path resolved = fs::weakly_canonical(requested, error);
        if (!error) out.target_ = resolved;
    }
    const fs::path& target = out.target_;
    if (SameFile(target, form)) return Failure(ErrorKind::OutputIsForm, requested);
    const fs::file_status existing = fs::status(target, error);
    if (fs::is_directory(existing) || !target.has_filename())
        return out.Unwritable(std::make_error_code(std::errc::is_a_directory));

    // A device or a pipe (/dev/stdout, a FIFO) cannot be replaced, only written to.
    const bool regular = fs::is_regular_file(existing);
    if (IsDevice(target)) {
        if (const std::error_code opened = OutputFile::Overwrite(target, out.file_)) return out.Unwritable(opened);
        out.active_ = true;
        out.device_ = true;
        return out;
    }
    // A file the user may not write to stays as it is, as it would when opened for writing.
    if (regular) {
        if (!OpenFile(target, "ab", error)) return out.Unwritable(error);
        out.permissions_ = existing.permissions();
    }

    fs::path directory = target.parent_path();
    std::mt19937 random(std::random_device{}());
    std::error_code created;
    for (int attempt = 0; attempt < 100; ++attempt) {
        out.temporary_ = directory / TemporaryName(random);
        created = OutputFile::CreateNew(out.temporary_, out.file_);
        if (created != std::errc::file_exists) break;
    }
    if (!created) {
        out.active_ = true;
        return out;
    }
    out.temporary_.clear();
    // Where no new file can be made, an existing file is written in place, as an editor would.
    if (regular && FolderRefusesNewFiles(created)) {
        if (const std::error_code opened = OutputFile::Overwrite(target, out.file_)) return out.Unwritable(opened);
        out.active_ = true;
        return out;
    }
    return out.Unwritable(created);
}

void SafeFile::Write(std::string_view bytes) {
    if (error_ || !active_) return;
    error_ = file_.Write(bytes);
}

Status SafeFile::Commit() {
    // A device keeps nothing to flush (and NUL on Windows refuses to be asked).
    if (active_ && !device_ && !error_) error_ = file_.FlushToDisk();
    Status closed = Close();
    if (!closed) return closed;
    Status placed = Place();
    // The rename is in the folder's entries: flush them too, or a crash could bring back the old file.
    if (placed) (void)FlushDirectory(target_.parent_path());
    return placed;
}

Status SafeFile::Close() {
    if (!active_) return Unwritable(std::make_error_code(std::errc::bad_file_descriptor));
    if (const std::error_code closed = file_.Close(); !error_) error_ = closed;
    if (!error_) return Done{};
    const ConvertError failure = Unwritable(error_);
    Abandon();
    return failure;
}

Status SafeFile::Place() {
    if (!active_) return Unwritable(std::make_error_code(std::errc::bad_file_descriptor));
    if (temporary_.empty()) {
        active_ = false;
        return Done{};
    }
    // The file that is replaced keeps its permissions.
    std::error_code ignored;
    if (permissions_) fs::permissions(temporary_, *permissions_, ignored);
    if (const std::error_code replaced = RenameOver(temporary_, target_)) {
        const ConvertError failure = Unwritable(replaced);
        Abandon();
        return failure;
    }
    active_ = false;
    return Done{};
}

void SaveBatch::Add(SafeFile file) { files_.push_back(std::move(file)); }

std::vector<Status> SaveBatch::Commit() {
    std::vector<OutputFile*> open;
    for (SafeFile& file : files_)
        if (file.active_ && !file.device_ && !file.error_) open.push_back(&file.file_);
    const std::error_code flushed = FlushAllToDisk(open);
    std::vector<Status> outcomes;
    std::vector<fs::path> folders;
    for (SafeFile& file : files_) {
        if (flushed && !file.error_) file.error_ = flushed;
        Status closed = file.Close();
        if (!closed) {
            outcomes.push_back(closed);
            continue;
        }
        outcomes.push_back(file.Place());
        if (outcomes.back() && std::find(folders.begin(), folders.end(), file.target_.parent_path()) == folders.end())
            folders.push_back(file.target_.parent_path());
    }
    for (const fs::path& folder : folders) (void)FlushDirectory(folder);
    files_.clear();
    return outcomes;
}

Status DeliverToFile(std::string_view text, const fs::path& target, const fs::path& form) {
    Result<SafeFile> file = SafeFile::Open(target, form);
    if (!file) return file.error();
    file.value().Write(text);
    file.value().Write("\r\n");
    return file.value().Commit();
}

}  // namespace tarvel
