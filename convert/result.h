// What a step of the conversion gives back: its value, or the one reason it
// stopped. There is one kind of error for every layer: the conversion makes
// it, and the command line (its exit status), the window (its Polish
// message) and the fuzz check look it up by its kind as it is. An error names
// the file and, where one line of the form is at fault, that line, as a
// compiler does: "Form1.frm:42: ...". Nothing in convert/ throws across
// ConvertForm; a refused allocation deep inside becomes OutOfMemory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <variant>

namespace tarvel {

enum class ErrorKind {
    FormUnreadable,           ///< the form is missing, a directory, or cannot be read
    NotARegularFile,          ///< a pipe, a socket or a device lies where the form should be
    FormLineTooLong,          ///< one line of the form is longer than any form can hold
    FrxEntryTooLong,          ///< a string the form's line refers to claims more bytes in its .frx file than
                              ///< a line of a form may hold: `detail` names the .frx, `number` the length
    NotAForm,                 ///< the file does not begin a VB.Form or VB.MDIForm
    NoMenu,                   ///< the form holds no menu (with a dialog: neither a menu nor a dialog)
    FrxUnreadable,            ///< a .frx file that a string refers to cannot be read (`detail` is
                              ///< "not a regular file" for a pipe, a socket or a device, ".frx" for a picture's)
    FrxOutOfRange,            ///< a string's offset or length runs past the end of its .frx file; for a
                              ///< picture or list, `detail` says what is wrong at offset `number`
    ItemNumberOutOfRange,     ///< a menu item's number falls outside the 0 to 65535 a MENU resource holds
    ControlNumberOutOfRange,  ///< a dialog control's number falls outside 0 to 65535
    OutputNameEmpty,          ///< no output file was named
    OutputIsForm,             ///< the output file would overwrite the form itself
    OutputIsInput,            ///< the output file would overwrite another file the conversion reads
                              ///< (a .frx file), which `detail` names
    OutputsShareAFile,        ///< a picture of the form at `line` would be written to `detail`, the file that
                              ///< another output of the conversion, `otherFile`, is written to
    OutputUnwritable,         ///< the output file cannot be created or written
    OutputLinkRefused,        ///< a link on the way to the output is another user's in a shared sticky folder
    OutputIncomplete,         ///< rewriting the output in place failed part way: it may be incomplete
    OutputFolderNotFlushed,   ///< the output is in place, but its folder's entries could not be put on the disk
    OutOfMemory,              ///< the system refused memory part way
};

/// The kind's name as the code spells it: "NoMenu".
std::string_view ErrorKindName(ErrorKind kind);

struct ConvertError {
    ErrorKind kind{};
    std::string file{};        ///< the file concerned, UTF-8
    std::uint32_t line = 0;    ///< the form's line at fault, from 1; 0 when no one line is
    std::string detail{};      ///< what in it: the item's or control's name for a number out of range, the
                               ///< block for NotAForm, the link not followed for OutputLinkRefused
    std::int64_t number = 0;   ///< the number that did not fit, for a number out of range
    std::error_code system{};  ///< the operating system's reason, where there is one
    std::string otherFile{};   ///< the other output that would be the same file, for OutputsShareAFile
};

/// An error about `file`, with the system's reason where there is one.
inline ConvertError FileError(ErrorKind kind, std::string file, std::error_code system = {}) {
    ConvertError error;
    error.kind = kind;
    error.file = std::move(file);
    error.system = system;
    return error;
}

/// An error at one line of the form `file`.
inline ConvertError LineError(ErrorKind kind, std::string file, std::uint32_t line) {
    ConvertError error = FileError(kind, std::move(file));
    error.line = line;
    return error;
}

/// "FILE:LINE: " or "FILE: ": where an error or a warning is.
std::string Where(const std::string& file, std::uint32_t line);

/// The error in one English sentence that begins with where it is.
std::string Describe(const ConvertError& error);

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(ConvertError error) : state_(std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    const ConvertError& error() const { return std::get<1>(state_); }

private:
    std::variant<T, ConvertError> state_;
};

/// For steps that give nothing back but may fail.
struct Done {};
using Status = Result<Done>;

}  // namespace tarvel
