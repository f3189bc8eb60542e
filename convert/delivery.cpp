#include "delivery.h"

#include <cerrno>
#include <random>
#include <string>

#include "file_io.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;

ConvertError Unwritable(const fs::path& target, std::error_code reason) {
    return ConvertError{ErrorKind::OutputUnwritable, PathText(target), reason};
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

// The temporary file's name starts with the target's, so that a write cut off
// by a crash is recognised and cleared away by the next successful one.
std::string TemporaryPrefix(const fs::path& target) {
    return "." + PathText(target.filename()) + ".tarvel-";
}

void RemoveLeftovers(const fs::path& directory, const std::string& prefix) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        const std::string name = PathText(entry.path().filename());
        if (name.compare(0, prefix.size(), prefix) == 0 && name.size() == prefix.size() + 8)
            fs::remove(entry.path(), error);
    }
}

bool WriteAll(std::FILE* file, std::string_view text, std::error_code& error) {
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                         std::fwrite("\r\n", 1, 2, file) == 2 && std::fflush(file) == 0;
    if (!written) error = LastSystemError();
    return written;
}

Status WriteInPlace(std::string_view text, const fs::path& target, const fs::path& requested) {
    std::error_code error;
    UniqueFile file = OpenFile(target, "wb", error);
    if (!file) return Unwritable(requested, error);
    if (!WriteAll(file.get(), text, error)) return Unwritable(requested, error);
    errno = 0;
    if (std::fclose(file.release()) != 0)
        return Unwritable(requested, LastSystemError());
    return Done{};
}

}  // namespace

Status DeliverToFile(std::string_view text, const fs::path& requested, const fs::path& form) {
    if (requested.empty()) return ConvertError{ErrorKind::OutputNameEmpty, "", {}};

    // Writing through a link replaces the file it points to, not the link.
    std::error_code error;
    fs::path target = requested;
    if (fs::is_symlink(requested, error)) {
        const fs::path resolved = fs::weakly_canonical(requested, error);
        if (!error) target = resolved;
    }
    if (SameFile(target, form)) return ConvertError{ErrorKind::OutputIsForm, PathText(requested), {}};
    const fs::file_status existing = fs::status(target, error);
    if (fs::is_directory(existing) || !target.has_filename())
        return Unwritable(requested, std::make_error_code(std::errc::is_a_directory));
    // A device or a pipe (/dev/stdout, a FIFO) cannot be replaced, only written to.
    if (fs::exists(existing) && !fs::is_regular_file(existing)) return WriteInPlace(text, target, requested);

    // A file the user may not write to stays as it is, as it would when opened for writing.
    if (fs::is_regular_file(existing) && !OpenFile(target, "ab", error)) return Unwritable(requested, error);
    error.clear();

    fs::path directory = target.parent_path();
    if (directory.empty()) directory = ".";
    const std::string prefix = TemporaryPrefix(target);

    std::random_device seed;
    std::mt19937 random(seed());
    const char* const letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    fs::path temporary;
    UniqueFile file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        std::string suffix(8, 'x');
        for (char& c : suffix) c = letters[random() % 36];
        temporary = directory / PathFromUtf8(prefix + suffix);
        error.clear();
        file = OpenFile(temporary, "wbx", error);  // x: never take over an existing file
        if (!file && error != std::errc::file_exists) return Unwritable(requested, error);
    }
    if (!file) return Unwritable(requested, error);

    bool written = WriteAll(file.get(), text, error) && FlushToDisk(file.get(), error);
    errno = 0;
    if (std::fclose(file.release()) != 0 && written) {
        written = false;
        error = LastSystemError();
    }
    if (!written) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Unwritable(requested, error);
    }

    // A file that is being replaced keeps its permissions.
    if (fs::is_regular_file(existing)) fs::permissions(temporary, existing.permissions(), error);

    error.clear();
    fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Unwritable(requested, error);
    }
    RemoveLeftovers(directory, prefix);
    return Done{};
}

}  // namespace tarvel
