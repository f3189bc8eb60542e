// The one entry to the conversion, for the command-line converter, the windows
// and the fuzzer alike, and its pipeline: the form (a file, or bytes with the
// folder its .frx files lie in) is read once into its tree, the dialog laid
// out, every name and number given by the name table, the RC text written by
// the one RC writer (the header and MASM file from the same table, the
// pictures' files from the form's .frx files), and the
// text goes where the caller says: saved safely to a file, or handed back.
// Nothing here knows windows, clipboards or standard streams.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "frx_captions.h"
#include "rc_options.h"
#include "result.h"

namespace tarvel {

struct ConversionRequest {
    /// The form's file: read from here unless `formBytes` is given; its folder
    /// holds the .frx files, and it is never overwritten.
    std::filesystem::path form;
    /// The form's bytes when they come from elsewhere; `form`'s folder ("" for
    /// the current one) still holds the .frx files.
    std::optional<std::string_view> formBytes;
    /// Or an open stream the form is read from, a piece at a time (standard
    /// input), which the caller keeps open; `form`'s folder holds the .frx files.
    /// When it is a regular file, no output may overwrite that file.
    std::FILE* formStream = nullptr;
    /// How messages name the form; `form` as UTF-8 when empty.
    std::string formName;
    /// Where .frx captions come from; the files in `form`'s folder when null.
    FrxSource* frx = nullptr;
    /// The run's listings of its forms' folders, which a batch shares so that
    /// .frx names in another case cost one listing of each folder for the run;
    /// null: the conversion lists the folder itself, once, when it needs to.
    FolderListings* folderListings = nullptr;
    RcOptions rc;
    /// The code page the form's text is taken to be in when nothing in the
    /// form says (the last step of --code-page auto); 0: the system's own.
    int systemCodePage = 0;
    /// Tell the form's code page (ConversionReport::codePage) even when the
    /// RC text names none; without it a form's controls are read faster.
    bool reportCodePage = false;
};

class SaveBatch;

/// Where the RC text goes: exactly one of `file` and `text`; the numbers for
/// the program's sources go to `header` and `masm` when they are named.
struct Destination {
    std::filesystem::path file;   ///< saved safely, followed by CR LF
    std::string* text = nullptr;  ///< or appended here, without the final CR LF
    std::filesystem::path header; ///< a C header with the #define list, saved safely
    std::filesystem::path masm;   ///< the same numbers as MASM equ lines, saved safely
    /// Or the header's and the MASM file's text appended here, named as
    /// `header` and `masm` say all the same (the fuzz target's way to read them).
    std::string* headerText = nullptr;
    std::string* masmText = nullptr;
    /// A Make-style rule: the files above depend on the form and its .frx
    /// files (ConversionReport::filesRead), saved safely.
    std::filesystem::path depfile;
    /// The form as a C program (with RcOptions::program, a dialog and `header`), saved safely; it
    /// names the header as `programHeader` says, the way from its own folder.
    std::filesystem::path program;
    std::string programHeader;
    /// Or the program's text appended here, named as `program` says all the same.
    std::string* programText = nullptr;
    /// With RcOptions::pictures, the folder their files are saved to, safely;
    /// when empty, the one `file` lies in (a text handed back needs one).
    std::filesystem::path pictures;
    /// Or each picture's bytes appended here, in the order of
    /// ConversionReport::picturesWritten, which names them as they would be
    /// saved (in `pictures`, or bare names when it is empty); nothing is saved.
    std::vector<std::string>* pictureBytes = nullptr;
    /// The picture files the other conversions of a run write (without case,
    /// as Windows tells them apart): a picture gets a name of its own, never
    /// one of theirs. Null: only the form's own pictures are told apart.
    std::set<std::string>* pictureFiles = nullptr;
    /// The conversion's files join this batch, which puts them in place with
    /// the others' (one wait for the disk for many forms); without it they are
    /// put in place before ConvertForm returns.
    SaveBatch* batch = nullptr;
};

/// A string of the form left empty because it could not be read from the .frx file.
struct LostString {
    std::string owner;       ///< the menu item's or control's name
    std::string property;    ///< "Caption" or "Text"
    std::uint32_t line = 0;  ///< the line of the form that refers to it
    std::optional<ConvertError> frxError;  ///< why, when the .frx file failed (else it is kept there as data)
    std::string malformedReference;        ///< or the form's reference to the .frx file, which is malformed
};

/// What a conversion that succeeded has to say.
struct ConversionReport {
    std::vector<std::string> warnings;  ///< things left out, each naming the form and what
    std::vector<LostString> lost;       ///< the strings among them that the form keeps in a .frx file
    int codePage = 0;                   ///< the code page of the form's text, by the rule of --code-page auto;
                                        ///< 0 unless asked for (reportCodePage or --code-page auto)
    /// The form's file (when it is read from one), then every .frx file the
    /// conversion opened, each once, in the order first opened.
    std::vector<std::filesystem::path> filesRead;
    std::vector<std::filesystem::path> picturesWritten;  ///< with RcOptions::pictures, each picture's file, in order
};

/// Converts one form. On failure nothing has been written to the file
/// (`text` may hold part of the text).
Result<ConversionReport> ConvertForm(const ConversionRequest& request, const Destination& destination);

/// Converts one form and gives its RC text, without the final CR LF a file gets.
Result<std::string> ConvertFormToText(const ConversionRequest& request);

}  // namespace tarvel
