// Captions kept beside the form. VB stores a long caption in the form's .frx
// file and writes a reference instead: $"Form1.frx":BC26. At that offset the
// .frx holds a 4-byte little-endian length, then the caption's bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frx_data.h"
#include "result.h"

namespace tarvel {

/// A caption reference: the .frx file's name as the form writes it, and the offset.
struct FrxReference {
    std::string fileName;
    std::uint32_t offset = 0;
};

/// Reads `$"NAME":HEX`; nothing when the value is not such a reference.
std::optional<FrxReference> ParseFrxReference(std::string_view value);

/// Where the form's .frx files come from: referenced captions, and the
/// files' bytes for the pictures and lists read from them.
class FrxSource {
public:
    virtual ~FrxSource() = default;
    /// The caption's bytes as stored, or FrxUnreadable / FrxOutOfRange naming the file;
    /// FrxEntryTooLong for a length beyond the longest line a form may have.
    virtual Result<std::string> Caption(const FrxReference& reference) = 0;
    /// The .frx file the form names `fileName`, kept open while the source
    /// lives and opened once however often it is asked for (a failure too is
    /// told the same each time); FrxUnreadable naming it when it cannot be
    /// read. A source of captions only has no such files.
    virtual Result<FrxData*> Data(const std::string& fileName);
};

/// The .frx files in the form's directory. A reference may name only a file
/// there: a path elsewhere (/etc/..., ../x) or anything but a regular file is
/// unreadable, and only the caption's own bytes are read.
class FrxFiles : public FrxSource {
public:
    /// `runListings`: the run's folder listings, for names in another case (else the folder's own, made once).
    explicit FrxFiles(std::filesystem::path formDirectory, FolderListings* runListings = nullptr)
        : folder_(std::move(formDirectory), runListings) {}
    Result<std::string> Caption(const FrxReference& reference) override;
    /// A name in another case is the same file, as on Windows where the form was saved.
    Result<FrxData*> Data(const std::string& fileName) override;
    /// The folder, with the files read from it so far.
    FrxFolder& folder() { return folder_; }

private:
    FrxFolder folder_;
    std::map<std::string, Result<std::unique_ptr<FrxFile>>> opened_;  // by the name in lower case
};

/// Caption bytes from one .frx file's contents; `fileName` is for the error.
Result<std::string> CaptionAt(std::string_view frx, std::uint32_t offset, const std::string& fileName);

}  // namespace tarvel
