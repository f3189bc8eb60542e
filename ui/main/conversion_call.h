// The window's use of the conversion: one form converted with the options the
// window sets, the text always handed back (the result box shows it) and,
// for a file, saved safely after; with the code page the form's text is in,
// for the clipboard, and the captions that could not be read, to be told.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "convert_form.h"
#include "rc_options.h"
#include "result.h"

namespace tarvel::ui {

struct ConversionOrder {
    std::filesystem::path form;
    RcOptions rc;
    /// Where the RC text is saved (plus CR LF); nothing: the text is only handed back.
    std::optional<std::filesystem::path> outputFile;
    /// The code page of a form whose text says none (the platform's ANSI code page).
    int systemCodePage = 0;
};

struct ConversionOutcome {
    std::string text;       ///< the RC text, without the file's final CR LF
    int codePage = 0;       ///< the code page the text is in
    std::vector<LostString> lost;  ///< strings kept in a .frx file that could not be read, left empty
    std::optional<ConvertError> failure;  ///< why nothing was delivered
};

/// Runs one conversion; on failure nothing has been written.
ConversionOutcome RunConvert(const ConversionOrder& order);

}  // namespace tarvel::ui
