// What a conversion gives back: the text it made, or the one reason it stopped.
// Nothing in the conversion throws across its boundary; the window and the
// command-line converter turn a ConvertError into a message box or an exit code.
#pragma once

#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace tarvel {

enum class ErrorKind {
    FirstIdOutOfRange,  ///< the first-ID text's number does not fit a signed 32-bit integer
    FormUnreadable,     ///< the form is missing, a directory, or cannot be read
    NoMenu,             ///< the form holds no menu
    FrxUnreadable,      ///< a caption's .frx file cannot be read
    FrxOutOfRange,      ///< a caption's offset or length runs past the end of its .frx file
    IdOutOfRange,       ///< the items' numbers run past the signed 32-bit range
    OutputNameEmpty,    ///< no output file was named
    OutputIsForm,       ///< the output file would overwrite the form itself
    OutputUnwritable,   ///< the output file cannot be created or written
};

struct ConvertError {
    ErrorKind kind;
    std::string file;          ///< the file concerned, UTF-8; the first-ID text for FirstIdOutOfRange
    std::error_code system{};  ///< the operating system's reason, where there is one
};

/// The error in one English sentence that names the file and the reason.
std::string Describe(const ConvertError& error);

template <class T>
class Result {
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
