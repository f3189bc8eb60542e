// The one entry to the conversion, for the command-line converter, the windows
// and the fuzzer alike: a form (a file, or bytes with the folder its .frx files
// lie in) goes in, its menu is parsed into a tree, the tree is written as RC
// text, and the text goes where the caller says: saved safely to a file, or
// handed back. Nothing here knows windows, clipboards or standard streams.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frx_captions.h"
#include "rc_writer.h"
#include "result.h"

namespace tarvel {

struct ConversionRequest {
    /// The form's file: read from here unless `formBytes` is given; it names the
    /// form in messages, its folder holds the .frx files, and it is never overwritten.
    std::filesystem::path form;
    /// The form's bytes when they come from elsewhere (standard input); `form`'s
    /// folder ("" for the current one) still holds the .frx files.
    std::optional<std::string_view> formBytes;
    /// Where .frx captions come from; the files in `form`'s folder when null.
    FrxSource* frx = nullptr;
    RcOptions rc;
};

class SaveBatch;

/// Where the RC text goes: exactly one of `file` and `text`; the item numbers
/// for the program's sources go to `header` and `masm` when they are named.
struct Destination {
    std::filesystem::path file;   ///< saved safely, followed by CR LF
    std::string* text = nullptr;  ///< or appended here, without the final CR LF
    std::filesystem::path header; ///< a C header with the #define list, saved safely
    std::filesystem::path masm;   ///< the same numbers as MASM equ lines, saved safely
    /// The conversion's files join this batch, which puts them in place with
    /// the others' (one wait for the disk for many forms); without it they are
    /// put in place before ConvertForm returns.
    SaveBatch* batch = nullptr;
};

/// What a conversion that succeeded has to say.
struct ConversionReport {
    std::vector<std::string> warnings;  ///< things left out, each naming the form and what
};

/// Converts one form. On failure nothing has been written to the file
/// (`text` may hold part of the text).
Result<ConversionReport> ConvertForm(const ConversionRequest& request, const Destination& destination);

/// Converts one form and gives its RC text, without the final CR LF a file gets.
Result<std::string> ConvertFormToText(const ConversionRequest& request);

}  // namespace tarvel
