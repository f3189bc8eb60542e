// The conversion as the Convert button runs it, over plain values: read the
// first-ID text, find and read the form's menu block, generate the RC text,
// and deliver it to a file or hand it back to the caller.
#pragma once

#include <filesystem>
#include <string>

#include "main_form_state.h"
#include "result.h"

namespace tarvel {

enum class Target {
    File,      ///< write the text plus CR LF to the output file
    Clipboard, ///< hand the text back; the caller puts it on the clipboard (or prints it)
};

struct ConversionRequest {
    std::filesystem::path form;      ///< the form file
    std::string firstIdText;         ///< the first-ID box's text, read by the leading-number rule
    bool useDefines = true;          ///< names and a #define list, or numbers in place of names
    Target target = Target::File;
    std::filesystem::path output;    ///< the output file; not looked at for Target::Clipboard
};

/// Runs one conversion, resetting every conversion field of `state` first
/// (`dirPath` is left alone). Gives the RC text, without the extra CR LF that
/// the file gets; on failure nothing has been written.
Result<std::string> RunConversion(MainFormState& state, const ConversionRequest& request);

}  // namespace tarvel
