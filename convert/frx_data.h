// The binary data a form keeps in its .frx file: pictures, and the items of a
// ComboBox's or ListBox's List and ItemData. The form names each by offset
// ("Form1.frx":0B2D); this reads what lies there, checking every length
// against the bytes the file really has before anything is read or kept, so a
// hostile length costs nothing. It does not find the references in the form,
// decide what a picture is used for, or turn images into resource files
// (image_files does that); captions stay with frx_captions.
//
// The layouts, as VB 5 and 6 write them (all numbers little-endian):
// - a picture of one of VB's own controls (Icon, Picture, DownPicture,
//   DragIcon, MouseIcon...): a 32-bit length L, the mark 6C 74 00 00, a 32-bit
//   size S and S bytes of a whole image file; L = S + 8, S = 0 for an empty
//   picture;
// - the same in an ActiveX control's own property (an ImageList's ListImageN
//   Picture, SSTab's TabPicture(n), a StatusBar's panel, its MouseIcon, a
//   LaVolpeButton's MICON): a
//   16-byte class id (StdPicture's, {0BE35204-8F91-11CE-9DE3-00AA004BB851})
//   between L and the mark; L = S + 24. The DragIcon that VB itself gives
//   every control keeps VB's layout there too;
// - a TextBox's Text that the form cannot hold (a multi-line one, with its
//   line breaks): `Text = "Form1.frx":0123`, without the "$" of a caption.
//   No real form here comes with such a .frx, so the layout is the one VB's
//   documentation of its stored string properties gives: one byte of length
//   below 255, else the byte 255 and a 16-bit length, then the text. A 32-bit
//   length before the text, as long captions have, is read too when it is
//   below 65536: its upper two bytes are 0, which no text's second and third
//   bytes are;
// - List and ItemData: a 16-bit count; when it is not 0, a 16-bit word that
//   the items do not need (the longest item's length, at least 3), then count
//   times a 16-bit length and that many bytes. ItemData's items are the
//   values as decimal text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "file_io.h"
#include "result.h"

namespace tarvel {

/// Where a property's binary data lies: `"Form1.frx":0B2D` as the form writes
/// a Picture, Icon, List or ItemData (no "$", which marks a string).
struct FrxDatumReference {
    std::string fileName;
    std::uint32_t offset = 0;
};

/// Reads `"NAME":HEX` (blanks around it allowed); nothing when the value is
/// not such a reference or its offset does not fit 32 bits.
std::optional<FrxDatumReference> ParseFrxDatumReference(std::string_view value);

/// The most one picture or list may hold: no form has more, and it keeps a
/// single damaged length from reading the rest of a large file.
inline constexpr std::uint64_t kLargestFrxDatum = std::uint64_t{64} << 20;

/// One .frx file's bytes, read where a reader asks.
class FrxData {
public:
    virtual ~FrxData() = default;
    /// The file's name for messages, as the form writes it or as found on the disk.
    virtual const std::string& Name() const = 0;
    virtual std::uint64_t Size() const = 0;
    /// `count` bytes at `offset`; the caller has checked that they lie within Size().
    virtual Result<std::string> Read(std::uint64_t offset, std::size_t count) = 0;
};

/// A .frx file's bytes held in memory (a test's, or a form's read from elsewhere).
class FrxBytes : public FrxData {
public:
    FrxBytes(std::string name, std::string_view bytes) : name_(std::move(name)), bytes_(bytes) {}
    const std::string& Name() const override { return name_; }
    std::uint64_t Size() const override { return bytes_.size(); }
    Result<std::string> Read(std::uint64_t offset, std::size_t count) override;

private:
    std::string name_;
    std::string_view bytes_;
};

/// The listings of the folders that a run's forms lie in, each made once for
/// the whole run: a batch of many forms in one folder, each naming its .frx in
/// another case, lists that folder once, not once a form. A listing is kept by
/// the folder's path made plain ("a/b", "a/b/" and "a/./b" are one folder), and
/// holds each entry's name by its name in lower case. It is only asked when no
/// file has a name exactly, which each conversion looks at afresh.
///
/// A listing does not go stale in a way that matters within a run: a run
/// writes RC files, headers, MASM files, depfiles, programs and pictures, and
/// no output may be a file that a conversion reads, so it never changes a .frx.
/// A file that appears meanwhile under a name in another case (another
/// program's, or an output named like a .frx) is missed just as it would be
/// were the folder listed a moment earlier, and one that goes is reported
/// missing when opened. The listings of the last kMostFolders folders are
/// kept: a run over more folders that comes back to one lists it again, which
/// costs time, never a wrong result.
class FolderListings {
public:
    using Listing = std::unordered_map<std::string, std::filesystem::path>;  // lower-case name -> the entry's name
    static constexpr std::size_t kMostFolders = 64;
    /// The folder's listing, made now when this run has none; a listing that
    /// fails part way finds nothing more, and it never throws.
    const Listing& Of(const std::filesystem::path& directory);
    /// How many listings this run has made.
    std::size_t listingsMade() const { return listingsMade_; }
    /// How many listings every FolderListings of the process has made (a
    /// batch's test counts the listings of a run it does not hold).
    static std::size_t ListingsMadeInProcess();

private:
    std::vector<std::pair<std::filesystem::path, Listing>> folders_;  // the oldest first
    std::size_t listingsMade_ = 0;
};

/// The form's folder as one conversion reads .frx files from it. A name that
/// no file has exactly (the form was saved on Windows, where case does not
/// count) is matched without case from one listing of the folder, made the
/// first time one is needed (or the run's, when the caller passes its
/// listings): thousands of references cost one listing, not one each. Every
/// file opened is noted once, in the order first opened, so that no output of
/// the conversion may overwrite it.
class FrxFolder {
public:
    explicit FrxFolder(std::filesystem::path formDirectory, FolderListings* runListings = nullptr);
    const std::filesystem::path& directory() const { return directory_; }
    /// Where the file `name` (no path) is: as written when the folder has it,
    /// else the entry whose name differs only in the case of ASCII letters,
    /// else as written (which opening then reports missing).
    std::filesystem::path Find(const std::string& name);
    struct ReadFile {
        std::filesystem::path path;
        std::optional<FileIdentity> identity;
    };
    /// Notes a file opened to be read.
    void NoteRead(const std::filesystem::path& path, const std::optional<FileIdentity>& identity);
    /// The files opened so far, each once, in the order first opened.
    const std::vector<ReadFile>& filesRead() const { return filesRead_; }

private:
    std::filesystem::path directory_;
    std::unordered_map<std::string, std::filesystem::path> found_;  // each name asked for, and where it is
    FolderListings ownListings_;      // when the caller passes none
    FolderListings* listings_ = nullptr;  // the run's, or null for ownListings_
    std::vector<ReadFile> filesRead_;
};

/// A .frx file on the disk, opened once and read piece by piece.
class FrxFile : public FrxData {
public:
    /// Opens the .frx that a form in `folder` names. The name may only be a
    /// file in that folder (no path), is matched without case when no file
    /// has it exactly, and must be a regular file: else FrxUnreadable naming
    /// it, with the system's reason.
    static Result<std::unique_ptr<FrxFile>> Open(FrxFolder& folder, const std::string& name);
    /// The same, for a folder looked at for this one file.
    static Result<std::unique_ptr<FrxFile>> Open(const std::filesystem::path& formDirectory, const std::string& name);

    const std::string& Name() const override { return name_; }
    std::uint64_t Size() const override { return size_; }
    Result<std::string> Read(std::uint64_t offset, std::size_t count) override;

private:
    FrxFile(std::string name, UniqueFile file, std::uint64_t size)
        : name_(std::move(name)), file_(std::move(file)), size_(size) {}

    std::string name_;
    UniqueFile file_;
    std::uint64_t size_;
};

/// What an image file is, from its first bytes.
enum class ImageKind {
    Unknown,
    Icon,      ///< ICO: 00 00 01 00
    Cursor,    ///< CUR: 00 00 02 00
    Bitmap,    ///< BMP: "BM"
    Gif,       ///< "GIF87a" or "GIF89a"
    Jpeg,      ///< FF D8 FF
    Metafile,  ///< WMF: placeable (D7 CD C6 9A) or a bare metafile header
    Enhanced,  ///< EMF: record 1 with " EMF" at byte 40
};

ImageKind ImageKindOf(std::string_view image);

/// "ICO", "CUR", "BMP", "GIF", "JPEG", "WMF", "EMF", or "unknown".
std::string_view ImageKindName(ImageKind kind);

/// A picture read from a .frx.
struct FrxPicture {
    std::uint32_t offset = 0;   ///< where the form says it is
    bool activeX = false;       ///< stored with a class id, as ActiveX controls store pictures
    std::string image;          ///< the whole image file; empty for an empty picture
    ImageKind kind = ImageKind::Unknown;

    bool empty() const { return image.empty(); }
    /// Where the next datum of the file begins.
    std::uint64_t end() const { return std::uint64_t{offset} + (activeX ? 28u : 12u) + image.size(); }
};

/// The picture at `offset`, in either layout (told apart by where the mark is).
/// FrxOutOfRange, naming the file and the offset and saying what is wrong, when
/// the bytes there are no picture, its two lengths disagree, or it runs past
/// the end of the file; the same for the lists below.
Result<FrxPicture> ReadPicture(FrxData& frx, std::uint32_t offset);

/// The text of a Text at `offset`, as its bytes (in the form's code page, line breaks as stored).
Result<std::string> ReadText(FrxData& frx, std::uint32_t offset);

/// The items of a List at `offset`, each as its bytes (in the form's code page).
Result<std::vector<std::string>> ReadList(FrxData& frx, std::uint32_t offset);

/// The values of an ItemData at `offset`: decimal text, each within a Long.
Result<std::vector<std::int32_t>> ReadItemData(FrxData& frx, std::uint32_t offset);

}  // namespace tarvel
