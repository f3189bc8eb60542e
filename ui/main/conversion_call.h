// The window's one door into the conversion: reading the first-ID box's text
// and running one conversion from a form to a file or to text. Everything the
// window knows of convert/ passes through here, in the window's own terms, so
// a change of the conversion's interface is met in this one file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tarvel::ui {

enum class FailureKind {
    FormUnreadable,        ///< the form is missing, a directory, or cannot be read
    FormLineTooLong,       ///< a line of the form is longer than the reader takes
    NoMenu,                ///< the form holds no menu
    FrxUnreadable,         ///< a caption's .frx file cannot be read
    FrxOutOfRange,         ///< a caption's offset or length runs past the end of its .frx file
    ItemNumberOutOfRange,  ///< an item's number does not fit the MENU resource
    ControlNumberOutOfRange,  ///< a dialog control's number does not fit (only with the dialog, never in the window)
    OutputNameEmpty,       ///< no output file was named
    OutputIsForm,          ///< the output file would overwrite the form itself
    OutputUnwritable,      ///< the output file cannot be created or written
    OutputLinkRefused,     ///< the output is another user's link in a shared sticky folder
    OutputIncomplete,      ///< rewriting the output in place failed part way
    OutputFolderNotFlushed,  ///< the output was saved, but its folder could not be flushed to the disk
    OutOfMemory,           ///< the form's menu does not fit in memory
};

/// Why a conversion stopped; nothing was delivered.
struct ConversionFailure {
    FailureKind kind = FailureKind::FormUnreadable;
    std::string file;          ///< the file concerned, UTF-8
    std::string detail;        ///< ItemNumberOutOfRange: the item's name (may be empty)
    std::int64_t number = 0;   ///< ItemNumberOutOfRange: the number that does not fit
    std::error_code system{};  ///< the operating system's reason, where there is one
};

struct ConversionOrder {
    std::filesystem::path form;
    std::int32_t firstId = 100;
    bool useDefines = true;
    /// Where the RC text is saved (plus CR LF); nothing: the text is only handed back.
    std::optional<std::filesystem::path> outputFile;
};

struct ConversionOutcome {
    std::string text;  ///< the RC text, without the file's final CR LF
    std::optional<ConversionFailure> failure;
};

/// The first-ID box's text by the lenient leading-number rule ("12abc" is 12);
/// nothing when the number does not fit a signed 32-bit integer.
std::optional<std::int32_t> ReadFirstId(std::string_view text);

/// Runs one conversion; on failure nothing has been written.
ConversionOutcome RunConvert(const ConversionOrder& order);

}  // namespace tarvel::ui
