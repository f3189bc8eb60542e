// Reads a form as lines, a large piece at a time, so that a form of any size
// costs only a fixed buffer: from its file (shown in memory a piece at a
// time where the system can, else read), from a stream (standard input), or
// from bytes already in memory. A line ends with CR LF, a lone CR or a lone LF, so a form
// checked out with LF line ends reads exactly like its CR LF twin; lines are
// counted from 1, as an editor shows them, for messages that name one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ascii.h"
#include "file_io.h"
#include "result.h"

namespace tarvel {

/// What a line of a form, blanks trimmed, does by its first word (in any
/// case): Begin and BeginProperty open a block, End and EndProperty close one.
enum class BlockWord : std::uint8_t { None, Begin, BeginProperty, End };
BlockWord BlockWordOf(std::string_view trimmedLine);

/// Does the line, as read, begin with the word Attribute? The Attribute lines
/// follow the form's definition, so the first of them ends it.
inline bool EndsDefinition(std::string_view line) {
    return !line.empty() && (line.front() | 0x20) == 'a' && StartsWithWord(line, "attribute");
}

/// The scans that find the line ends and pass over the lines of blocks not
/// read: the widest the processor runs (AVX2 where it has it), or the narrow
/// ones that every x86-64 processor runs (SSE2). Both give the same; UseBlockScan chooses the one the
/// readers use from then on, so that both can be run on the same forms.
enum class BlockScan : std::uint8_t { Widest, Narrow };
void UseBlockScan(BlockScan scan);
/// Does this processor run a scan wider than the narrow one?
bool HasWiderBlockScan();

class FormReader {
public:
    /// No line of a real form comes near this; a longer one is an error, not a reason to run out of memory.
    static constexpr std::size_t kMaxLineLength = 16u << 20;

    /// Opens the form's file; what is not a regular file (a folder, a pipe, a
    /// device) is refused once opened and before a byte is read, as reading it
    /// could wait for ever: FormUnreadable for a folder, NotARegularFile for the
    /// rest. `name` names it in messages.
    static Result<FormReader> Open(const std::filesystem::path& path, std::string name);
    /// Reads bytes the caller keeps alive; `name` names them in messages.
    static FormReader FromBytes(std::string_view bytes, std::string name);
    /// Reads an open stream the caller keeps open (standard input), a piece at
    /// a time like a file; `name` names it in messages.
    static FormReader FromStream(std::FILE* stream, std::string name);

    /// The file read, where the system tells it (a file, or a stream that is one).
    const std::optional<FileIdentity>& identity() const { return identity_; }

    /// The next line without its line end, valid until the next call; nothing
    /// at the end of the form. After nothing, `error()` tells whether reading failed.
    std::optional<std::string_view> NextLine();

    /// Passes over the rest of `depth` blocks already open, counting a line
    /// that begins a block up and one that ends a block down, without a look
    /// at what the others say (they are counted all the same), and gives the
    /// line after the one that closes the last of them, `depth` then 0. A line
    /// that ends the form's definition among them is given as it comes. With
    /// `siblings`, a block that begins right after them (a Begin line of any
    /// type but VB.Menu) is passed over too, and so on.
    std::optional<std::string_view> NextLineOutside(std::size_t& depth, bool siblings = false);

    /// The number of the line NextLine gave last.
    std::uint32_t line() const { return line_; }

    const std::optional<ConvertError>& error() const { return error_; }
    /// The form as messages name it.
    const std::string& name() const { return name_; }

private:
    FormReader() = default;
    void PassOverBlockLines(std::size_t& depth);
    bool Fill();
    bool ShowNextPiece();

    UniqueFile file_;           // the form's file, when it is opened here
    std::FILE* stream_ = nullptr;  // what is read: file_, or the caller's stream
    std::unique_ptr<FileWindow> window_;  // the piece of the file shown, while the file is read so
    std::uint64_t mapEnd_ = 0;            // how far the file is shown: its size when opened
    std::uint64_t textOffset_ = 0;        // where text_ begins in the file, while it is shown
    std::optional<FileIdentity> identity_;
    std::string name_;
    std::unique_ptr<char[]> buffer_;  // the piece being read (unused for bytes in memory and a file shown)
    std::size_t capacity_ = 0;        // the buffer's size
    std::size_t filled_ = 0;          // how much of it holds the form's bytes
    std::string_view text_;     // what is read from: the buffer, the piece shown, or the caller's bytes
    std::size_t position_ = 0;  // where the next line starts in text_
    bool atEnd_ = false;        // nothing more comes from the file
    bool skipLf_ = false;       // the last line ended with a CR at the end of a piece
    bool reread_ = false;       // the unread rest of the piece shown is read again through the file
    std::uint32_t line_ = 0;
    std::optional<ConvertError> error_;
};

}  // namespace tarvel
