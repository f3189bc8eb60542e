// Reads a form file and takes its menu block out of it: from the first
// "Begin VB.Menu" line up to the first Attribute line. A line ends with CR LF,
// a lone CR or a lone LF; the block keeps the form's own line ends, so that it
// is read in large pieces instead of line by line, and the generator reads all
// three. The form is read as bytes, so a form of any size costs little more
// memory than its menu block.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "file_io.h"
#include "main_form_state.h"
#include "result.h"

namespace tarvel {

/// An open form file, read line by line.
class FormFile {
public:
    /// Opens the form; a missing file, a directory or no access is FormUnreadable.
    static Result<FormFile> Open(const std::filesystem::path& path);

    /// The next line without its line end; false at the end of the file or on a read error.
    bool ReadLine(std::string& line) {
        line.clear();
        return AppendLine(line);
    }
    /// Appends the next line, without its line end, to `text`; false at the end of the file.
    bool AppendLine(std::string& text);
    /// Appends up to `count` of the bytes after the last line read, as they are, to
    /// `text`; gives how many (0 at the end of the file or on a read error).
    std::size_t AppendBytes(std::string& text, std::size_t count);

    /// Bytes not yet read, as far as the file's size tells.
    std::uintmax_t RemainingSize() const;

    void Close() { file_.reset(); }
    const std::filesystem::path& path() const { return path_; }
    /// The system's reason when reading failed part way, else empty.
    const std::error_code& readError() const { return readError_; }

private:
    FormFile(UniqueFile file, std::filesystem::path path, std::uintmax_t size);
    bool Fill();
    std::size_t Read(char* into, std::size_t count);

    UniqueFile file_;
    std::filesystem::path path_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0, end_ = 0;
    std::uintmax_t size_ = 0, consumed_ = 0;
    bool pendingLf_ = false;  // the last line ended with CR: an LF right after it belongs to it
    std::error_code readError_;
};

/// Looks for the form's first menu line. True: `firstMenuLine` holds it and
/// the file stays open for CollectMenuBlock. False: no menu, the file is closed.
bool CzyJestMenu(MainFormState& state, FormFile& form);

/// Puts the first menu line (ended by CR LF) and the form's bytes after it, up to
/// the first Attribute line, into `menuText`, and closes the file.
Status CollectMenuBlock(MainFormState& state, FormFile& form);

}  // namespace tarvel
