#include "delivery.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "utf8.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;

// The input that a file to be written is, if any.
const InputFile* InputAt(const std::optional<FileIdentity>& identity, std::span<const InputFile> inputs) {
    if (!identity) return nullptr;
    for (const InputFile& input : inputs)
        if (input.identity == *identity) return &input;
    return nullptr;
}

// A short name of its own, so that a target whose name is near the system's
// limit still has room for its temporary file beside it.
fs::path TemporaryName(std::mt19937& random) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".tarvel-";
    for (int i = 0; i < 10; ++i) name += kLetters[random() % 36];
    return fs::path(name + ".tmp");
}

// Reads what is left of `file` into `buffer`, as much as it holds; fewer
// bytes only at the file's end or on a failure.
std::string_view ReadOn(std::FILE* file, std::string& buffer) {
    return std::string_view(buffer.data(), std::fread(buffer.data(), 1, buffer.size(), file));
}

// Does `file` hold exactly `text`, or exactly what the file `other` holds
// when `text` is null? Anything that cannot be read counts as a difference.
bool HoldsExactly(const fs::path& file, const std::string* text, const fs::path& other) {
    // A pipe swapped in for the target would keep the reading waiting for ever.
    if (IsDevice(file)) return false;
    std::error_code ignored;
    const UniqueFile held = OpenFile(file, "rb", ignored);
    const UniqueFile compared = text ? nullptr : OpenFile(other, "rb", ignored);
    if (!held || (!text && !compared)) return false;
    std::string buffer(64 * 1024, '\0'), otherBuffer(text ? 0 : buffer.size(), '\0');
    std::string_view rest = text ? std::string_view(*text) : std::string_view();
    for (;;) {
        const std::string_view bytes = ReadOn(held.get(), buffer);
        std::string_view expected;
        if (text) {
            expected = rest.substr(0, bytes.size());
            rest.remove_prefix(expected.size());
        } else {
            expected = ReadOn(compared.get(), otherBuffer);
        }
        if (bytes != expected) return false;
        if (bytes.size() < buffer.size()) {
            if (std::ferror(held.get())) return false;
            return text ? rest.empty() : std::fgetc(compared.get()) == EOF && !std::ferror(compared.get());
        }
    }
}

constexpr fs::perms kNewFilePermissions = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                          fs::perms::group_write | fs::perms::others_read | fs::perms::others_write;

}  // namespace

SafeFile::SafeFile(SafeFile&& other) noexcept
    : requested_(std::move(other.requested_)),
      target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      cleanup_(std::move(other.cleanup_)),
      replaced_(other.replaced_),
      replacing_(other.replacing_),
      file_(std::move(other.file_)),
      pending_(std::move(other.pending_)),
      written_(other.written_),
      error_(other.error_),
      way_(other.way_),
      active_(std::exchange(other.active_, false)) {}

SafeFile::~SafeFile() { Abandon(); }

ConvertError SafeFile::Failure(ErrorKind kind, std::error_code reason) const {
    return FileError(kind, Utf8FromPath(requested_), reason);
}

void SafeFile::Abandon() {
    if (!std::exchange(active_, false)) return;
    if (file_.is_open()) (void)file_.Close();
    std::error_code ignored;
    if (way_ == Way::Replace) fs::remove(temporary_, ignored);
    cleanup_.Forget();
    pending_ = std::string();
}

std::vector<InputFile> InputFilesAt(const fs::path& form, std::span<const fs::path> alsoRead) {
    std::vector<InputFile> inputs;
    if (const std::optional<FileIdentity> identity = form.empty() ? std::nullopt : IdentityOf(form))
        inputs.push_back({*identity, {}});
    for (const fs::path& path : alsoRead)
        if (const std::optional<FileIdentity> identity = IdentityOf(path); identity && !InputAt(identity, inputs))
            inputs.push_back({*identity, Utf8FromPath(path)});
    return inputs;
}

Result<SafeFile> SafeFile::Open(const fs::path& requested, std::span<const InputFile> inputs) {
    if (requested.empty()) return FileError(ErrorKind::OutputNameEmpty, {});
    WatchInterrupts();
    SafeFile out;
    out.requested_ = requested;
    const std::error_code isDirectory = std::make_error_code(std::errc::is_a_directory);
    if (!requested.has_filename()) return out.Failure(ErrorKind::OutputUnwritable, isDirectory);

    // Writing through a link replaces the file it points to, not the link.
    OutputPlace place = FindOutputPlace(requested);
    if (!place.refusedLink.empty()) {
        ConvertError refused = out.Failure(ErrorKind::OutputLinkRefused, {});
        if (place.refusedLink != requested) refused.detail = Utf8FromPath(place.refusedLink);
        return refused;
    }
    out.target_ = std::move(place.file);
    const fs::path& target = out.target_;
    // An output that is an input would destroy what the conversion was made from.
    const auto overwritesInput = [&](const std::optional<FileIdentity>& identity) -> std::optional<ConvertError> {
        const InputFile* input = InputAt(identity, inputs);
        if (!input) return std::nullopt;
        if (input->name.empty()) return out.Failure(ErrorKind::OutputIsForm, {});
        ConvertError refused = out.Failure(ErrorKind::OutputIsInput, {});
        refused.detail = input->name;
        return refused;
    };
    if (std::optional<ConvertError> refused = overwritesInput(IdentityOf(target))) return *refused;
    std::error_code error;
    if (fs::is_directory(target, error) || !target.has_filename()) return out.Failure(ErrorKind::OutputUnwritable, isDirectory);

    // The target is opened first and what was opened is looked at: a name
    // checked first and opened after may lead somewhere else by then. Opening
    // it for writing is also the proof that the user may write it; a file
    // that they may not write stays as it is.
    OutputFile existing;
    std::error_code opened =
        IsDevice(target) ? OutputFile::OpenDevice(target, existing) : OutputFile::OpenExisting(target, existing);
    // A pipe without a reader yet: wait for one, as writing to a pipe does.
    if (opened == std::errc::no_such_device_or_address) opened = OutputFile::OpenDevice(target, existing);
    if (opened && opened != std::errc::no_such_file_or_directory) return out.Failure(ErrorKind::OutputUnwritable, opened);
    if (!opened) {
        if (const std::error_code inspected = existing.Inspect(out.replaced_))
            return out.Failure(ErrorKind::OutputUnwritable, inspected);
        // Looked at again as opened: the name may lead elsewhere by now.
        if (std::optional<ConvertError> refused = overwritesInput(out.replaced_.identity)) return *refused;
        // A device or a pipe (/dev/stdout, a FIFO, NUL) cannot be replaced, only written to.
        if (!out.replaced_.regular) {
            out.file_ = std::move(existing);
            out.way_ = Way::Device;
            out.active_ = true;
            return out;
        }
        out.replacing_ = true;
    }

    const fs::perms permissions = out.replacing_ ? out.replaced_.permissions : kNewFilePermissions;
    std::mt19937 random(std::random_device{}());
    std::error_code created;
    {
        // Registered before a signal can end the program with the file made but unknown.
        InterruptsHeld held;
        for (int attempt = 0; attempt < 100; ++attempt) {
            out.temporary_ = target.parent_path() / TemporaryName(random);
            created = OutputFile::CreateNew(out.temporary_, out.file_, permissions);
            if (created != std::errc::file_exists) break;
        }
        if (!created) {
            out.cleanup_ = RemovedOnInterrupt(out.temporary_);
            out.active_ = true;
        }
    }
    // The old file's handle closes here: kept open it would stop the rename on Windows.
    if (!created) return out;
    out.temporary_.clear();
    // Where no new file can be made, an existing file is rewritten in place, as an editor would.
    if (out.replacing_ && RefusesNewFiles(created)) {
        out.file_ = std::move(existing);
        out.way_ = Way::InPlace;
        out.active_ = true;
        return out;
    }
    return out.Failure(ErrorKind::OutputUnwritable, created);
}

void SafeFile::Write(std::string_view bytes) {
    if (error_ || !active_) return;
    if (way_ == Way::InPlace) pending_.append(bytes);
    else error_ = file_.Write(bytes);
    written_ += bytes.size();
}

Status SafeFile::Commit() {
    SaveBatch alone;
    std::vector<SafeFile> files;
    files.push_back(std::move(*this));
    alone.Add(std::move(files));
    return alone.Commit().front();
}

bool SafeFile::HoldsTheNewText() const {
    if (!replacing_ || error_ || written_ != replaced_.size) return false;
    return way_ == Way::InPlace ? HoldsExactly(target_, &pending_, {}) : HoldsExactly(target_, nullptr, temporary_);
}

void SafeFile::KeepTarget() {
    (void)file_.Close();
    std::error_code ignored;
    if (way_ == Way::Replace) fs::remove(temporary_, ignored);
    cleanup_.Forget();
    pending_ = std::string();
    way_ = Way::Unchanged;
}

Status SafeFile::Settle() {
    if (!active_) return Failure(ErrorKind::OutputUnwritable, std::make_error_code(std::errc::bad_file_descriptor));
    // Replacing a file by its own bytes would only give it a new time stamp, and a build would then redo all that follows from it.
    if (HoldsTheNewText()) {
        KeepTarget();
        return Done{};
    }
    if (!error_ && way_ == Way::Replace && replacing_) error_ = file_.TakeOwnerAndPermissions(replaced_);
    // A full disk or a file-size limit is found while the old text is still whole.
    if (!error_ && way_ == Way::InPlace) error_ = file_.Reserve(pending_.size());
    if (!error_) return Done{};
    const ConvertError failure = Failure(ErrorKind::OutputUnwritable, error_);
    Abandon();
    return failure;
}

Status SafeFile::Close() {
    if (way_ != Way::Replace) return Done{};
    if (const std::error_code closed = file_.Close(); !error_) error_ = closed;
    if (!error_) return Done{};
    const ConvertError failure = Failure(ErrorKind::OutputUnwritable, error_);
    Abandon();
    return failure;
}

Status SafeFile::Place() {
    std::error_code error;
    ErrorKind kind = ErrorKind::OutputUnwritable;
    switch (way_) {
        case Way::Replace:
            error = RenameOver(temporary_, target_);
            break;
        case Way::InPlace:
            // Past this point the old text is gone: only a dying machine should fail here.
            kind = ErrorKind::OutputIncomplete;
            error = file_.Rewrite(pending_);
            if (!error) error = file_.FlushToDisk();
            if (const std::error_code closed = file_.Close(); !error) error = closed;
            break;
        case Way::Device:
            error = file_.Close();
            break;
        case Way::Unchanged:
            break;
    }
    if (error) {
        const ConvertError failure = Failure(kind, error);
        Abandon();
        return failure;
    }
    cleanup_.Forget();
    pending_ = std::string();
    active_ = false;
    return Done{};
}

void SaveBatch::Add(std::vector<SafeFile> files) { groups_.push_back(std::move(files)); }

std::size_t SaveBatch::OpenFiles() const {
    std::size_t open = 0;
    for (const std::vector<SafeFile>& group : groups_)
        for (const SafeFile& file : group) open += file.file_.is_open() ? 1 : 0;
    return open;
}

std::size_t SaveBatch::HeldBytes() const {
    std::size_t held = 0;
    for (const std::vector<SafeFile>& group : groups_)
        for (const SafeFile& file : group) held += file.pending_.size();
    return held;
}

std::vector<Status> SaveBatch::Commit() {
    std::vector<std::optional<ConvertError>> failures(groups_.size());
    auto fail = [&](std::size_t group, const ConvertError& error) {
        if (!failures[group]) failures[group] = error;
        for (SafeFile& file : groups_[group]) file.Abandon();
    };
    auto forEachLive = [&](auto&& step) {
        for (std::size_t group = 0; group < groups_.size(); ++group)
            for (SafeFile& file : groups_[group]) {
                if (failures[group]) break;
                if (Status done = step(file); !done) fail(group, done.error());
            }
    };

    // First everything that can fail while every target is still as it was.
    forEachLive([](SafeFile& file) { return file.Settle(); });
    std::vector<OutputFile*> replacements;
    std::vector<std::pair<std::size_t, const SafeFile*>> waiting;  // each replacement's conversion
    for (std::size_t group = 0; group < groups_.size(); ++group)
        for (SafeFile& file : groups_[group])
            if (!failures[group] && file.way_ == SafeFile::Way::Replace) {
                replacements.push_back(&file.file_);
                waiting.emplace_back(group, &file);
            }
    if (const std::error_code flushed = FlushAllToDisk(replacements))
        for (const auto& [group, file] : waiting)
            if (!failures[group]) fail(group, file->Failure(ErrorKind::OutputUnwritable, flushed));
    forEachLive([](SafeFile& file) { return file.Close(); });

    // Then the targets, a conversion's files in a row that a signal does not cut.
    struct Renamed {
        fs::path folder;
        std::size_t group;
        const SafeFile* file;
    };
    std::vector<Renamed> renamed;
    for (std::size_t group = 0; group < groups_.size(); ++group) {
        InterruptsHeld held;
        for (SafeFile& file : groups_[group]) {
            if (failures[group]) break;
            const bool replaced = file.way_ == SafeFile::Way::Replace;
            if (Status placed = file.Place(); !placed) fail(group, placed.error());
            else if (replaced) renamed.push_back({file.target_.parent_path(), group, &file});
        }
    }
    // A rename lives in the folder's entries: until they are on the disk a crash could bring back the old file.
    std::vector<fs::path> flushed;
    for (const Renamed& entry : renamed) {
        if (std::find(flushed.begin(), flushed.end(), entry.folder) != flushed.end()) continue;
        flushed.push_back(entry.folder);
        if (const std::error_code error = FlushDirectory(entry.folder))
            for (const Renamed& inFolder : renamed)
                if (inFolder.folder == entry.folder && !failures[inFolder.group])
                    failures[inFolder.group] = inFolder.file->Failure(ErrorKind::OutputFolderNotFlushed, error);
    }

    std::vector<Status> outcomes;
    for (const std::optional<ConvertError>& failure : failures)
        outcomes.push_back(failure ? Status(*failure) : Status(Done{}));
    groups_.clear();
    return outcomes;
}

Status DeliverToFile(std::string_view text, const fs::path& target, const fs::path& form,
                     std::span<const fs::path> alsoRead) {
    Result<SafeFile> file = SafeFile::Open(target, InputFilesAt(form, alsoRead));
    if (!file) return file.error();
    file.value().Write(text);
    file.value().Write("\r\n");
    return file.value().Commit();
}

}  // namespace tarvel
