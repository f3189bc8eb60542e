// Saves a text to its file so that nothing is ever lost: the bytes go to a new
// temporary file beside the target, which replaces the target only once it is
// complete and on the disk, and the folder is flushed after it. On any failure
// the previous file is left as it was and the temporary file is removed; only
// the temporary file this save made is ever removed.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "file_io.h"
#include "result.h"
#include "text_sink.h"

namespace tarvel {

class SafeFile : public TextSink {
public:
    /// Checks the target and opens the file that will replace it. `form` is
    /// the converted form, which is never overwritten.
    static Result<SafeFile> Open(const std::filesystem::path& target, const std::filesystem::path& form);

    SafeFile(SafeFile&& other) noexcept;
    SafeFile& operator=(SafeFile&&) = delete;
    /// Without Commit, the temporary file goes and the target stays as it was.
    ~SafeFile() override;

    /// Writes on; the first failure is kept and told by Commit.
    void Write(std::string_view bytes) override;

    /// Puts the written text in the target's place, once it is on the disk.
    Status Commit();

private:
    friend class SaveBatch;
    SafeFile() = default;
    Status Close();  // reports a write that failed; on failure the temporary file is gone
    Status Place();  // renames the temporary file over the target
    ConvertError Unwritable(std::error_code reason) const;
    void Abandon();

    std::filesystem::path requested_;   // as the caller named it, for messages
    std::filesystem::path target_;      // the file that is replaced: a link's target
    std::filesystem::path temporary_;   // empty when writing in place
    std::optional<std::filesystem::perms> permissions_;  // of the file being replaced
    OutputFile file_;
    std::error_code error_;
    bool active_ = false;  // a temporary file to remove, or a file written in place, is open
    bool device_ = false;  // the target is a device or a pipe, written in place
};

/// Saves many files with one wait for the disk instead of one each: every file
/// is written to its own temporary file, then all are flushed to the disk
/// together, renamed into place, and their folders flushed.
class SaveBatch {
public:
    void Add(SafeFile file);
    std::size_t size() const { return files_.size(); }
    /// Puts every file in its target's place; one outcome a file, in the order added.
    std::vector<Status> Commit();

private:
    std::vector<SafeFile> files_;
};

/// Saves `text` followed by CR LF as `target`.
Status DeliverToFile(std::string_view text, const std::filesystem::path& target, const std::filesystem::path& form);

}  // namespace tarvel
