// What a step of the conversion gives back: its value, or the one reason it
// stopped. Nothing in convert/ throws across its boundary; the window and the
// command-line converter turn a ConvertError into a message box or an exit code.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace tarvel {

enum class ErrorKind {
    FormUnreadable,       ///< the form is missing, a directory, not a regular file, or cannot be read
    FormLineTooLong,      ///< one line of the form is longer than any form can hold
    NoMenu,               ///< the form holds no menu
    FrxUnreadable,        ///< a caption's .frx file cannot be read
    FrxOutOfRange,        ///< a caption's offset or length runs past the end of its .frx file
    ItemNumberOutOfRange, ///< an item's number falls outside the 0 to 65535 a MENU resource holds
    ControlNumberOutOfRange, ///< a dialog control's number falls outside 0 to 65535
    OutputNameEmpty,      ///< no output file was named
    OutputIsForm,         ///< the output file would overwrite the form itself
    OutputUnwritable,     ///< the output file cannot be created or written
    OutputLinkRefused,    ///< a link on the way to the output is another user's in a shared sticky folder
    OutputIncomplete,     ///< rewriting the output in place failed part way: it may be incomplete
    OutputFolderNotFlushed, ///< the output is in place, but its folder's entries could not be put on the disk
    OutOfMemory,          ///< the system refused memory part way (a last guard's error)
};

struct ConvertError {
    ErrorKind kind{};
    std::string file{};        ///< the file concerned, UTF-8
    std::string detail{};      ///< what in it: the item's or control's name for a number out of range, the link not followed, else empty
    std::int64_t number = 0;   ///< the number that did not fit, for a number out of range
    std::error_code system{};  ///< the operating system's reason, where there is one
};

/// An error about `file`, with the system's reason where there is one.
inline ConvertError FileError(ErrorKind kind, std::string file, std::error_code system = {}) {
    ConvertError error;
    error.kind = kind;
    error.file = std::move(file);
    error.system = system;
    return error;
}

/// The error in one English sentence that names the file and the reason.
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
