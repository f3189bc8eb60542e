// Saves texts to their files so that nothing is ever lost. Each text goes to a
// new temporary file beside its target (no more readable than the target),
// which takes the target's place, owner and permissions only once it is
// complete and on the disk; the folder is flushed after it. The files of one
// conversion (the RC file, its header, its MASM file) are put in place
// together, the RC file first, once every one of them is written: a failure
// anywhere leaves every old file as it was and removes only the temporary files
// this save made, also when the program is told to end (see interrupt.h).
// A writable file in a folder that takes no new files is rewritten in place,
// but only once its whole text is known, every other file of the conversion is
// written and the room for it is reserved on the disk. A device or a pipe is
// written to as it is. A file that already holds exactly the new text is
// left as it is, its time stamp too, so a build that converts every time
// rebuilds nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "file_io.h"
#include "interrupt.h"
#include "result.h"
#include "text_sink.h"

namespace tarvel {

/// A file that a conversion reads: none of its outputs may be that file,
/// however the output is spelled (a link, another name for it).
struct InputFile {
    FileIdentity identity;
    std::string name;  ///< as messages name it; empty for the form itself
};

/// The inputs that `form` and `alsoRead` lead to, the form first; a file that is not there reads nothing.
std::vector<InputFile> InputFilesAt(const std::filesystem::path& form, std::span<const std::filesystem::path> alsoRead = {});

class SafeFile : public TextSink {
public:
    /// Checks the target and opens the file that will replace it. No file
    /// among `inputs` is ever overwritten: OutputIsForm for the form, else
    /// OutputIsInput naming the input.
    static Result<SafeFile> Open(const std::filesystem::path& target, std::span<const InputFile> inputs);

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
    enum class Way { Replace, InPlace, Device, Unchanged };

    SafeFile() = default;
    Status Settle();  // everything that can fail before the target is touched
    bool HoldsTheNewText() const;
    void KeepTarget();  // the target holds the new text already: it stays, untouched
    Status Close();   // a replacement closed: the last word on its writes
    Status Place();   // the one step that changes the target
    ConvertError Failure(ErrorKind kind, std::error_code reason) const;
    void Abandon();

    std::filesystem::path requested_;   // as the caller named it, for messages
    std::filesystem::path target_;      // the file that is replaced: a link's target
    std::filesystem::path temporary_;   // the replacement, while it is being written
    RemovedOnInterrupt cleanup_;        // removes the replacement if the program is told to end
    FileFacts replaced_;                // the target as it was, when there was one
    bool replacing_ = false;
    OutputFile file_;
    std::string pending_;  // in place: the whole text, written only once it is complete
    std::uint64_t written_ = 0;  // the bytes of the replacement so far
    std::error_code error_;
    Way way_ = Way::Replace;
    bool active_ = false;  // a temporary file to remove, or a file to write in place, is open
};

/// Saves many conversions with one wait for the disk instead of one each:
/// every file is written to its own temporary file, then all are flushed to
/// the disk together, renamed into place, and their folders flushed.
class SaveBatch {
public:
    /// One conversion's files, put in place together in this order (the RC file first).
    void Add(std::vector<SafeFile> files);
    std::size_t size() const { return groups_.size(); }
    /// The files the batch keeps open, and the bytes it keeps for rewrites in place.
    std::size_t OpenFiles() const;
    std::size_t HeldBytes() const;
    /// Puts every conversion's files in place; one outcome a conversion, in the order added.
    std::vector<Status> Commit();

private:
    std::vector<std::vector<SafeFile>> groups_;
};

/// Saves `text` followed by CR LF as `target`, which may be neither the form
/// nor any file in `alsoRead` (the .frx files the conversion read).
Status DeliverToFile(std::string_view text, const std::filesystem::path& target, const std::filesystem::path& form,
                     std::span<const std::filesystem::path> alsoRead = {});

}  // namespace tarvel
