#include "frx_data.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <climits>

#include "ascii.h"
#include "little_endian.h"
#include "utf8.h"

namespace tarvel {
namespace {

std::atomic<std::size_t> listingsInProcess{0};

constexpr std::string_view kPictureMark("lt\0\0", 4);
constexpr std::size_t kPictureHeader = 12;         // L, the mark, S
constexpr std::size_t kActiveXPictureHeader = 28;  // L, the class id, the mark, S

ConvertError Malformed(const FrxData& frx, std::uint32_t offset, std::string what) {
    ConvertError error = FileError(ErrorKind::FrxOutOfRange, frx.Name());
    error.number = offset;
    error.detail = std::move(what);
    return error;
}

ConvertError Unreadable(std::string name, std::error_code reason) {
    return FileError(ErrorKind::FrxUnreadable, std::move(name), reason);
}

// Reads the `count` bytes of a datum that the file is known to hold from `at`
// on, after the checks every datum shares: the bytes must be there, and no
// more than any form could need.
Result<std::string> ReadDatum(FrxData& frx, std::uint32_t offset, std::uint64_t at, std::uint64_t count,
                              std::string_view what) {
    if (count > kLargestFrxDatum)
        return Malformed(frx, offset, std::string(what) + " claims " + std::to_string(count) +
                                          " bytes, more than the 64 MiB that any form holds");
    const std::uint64_t left = at <= frx.Size() ? frx.Size() - at : 0;
    if (count > left)
        return Malformed(frx, offset, std::string(what) + " claims " + std::to_string(count) + " bytes, but only " +
                                          std::to_string(left) + " follow in the file");
    return frx.Read(at, static_cast<std::size_t>(count));
}

}  // namespace

std::optional<FrxDatumReference> ParseFrxDatumReference(std::string_view value) {
    value = TrimBlanks(value);
    if (value.empty() || value.front() != '"') return std::nullopt;
    const std::size_t close = value.find('"', 1);
    if (close == std::string_view::npos || close == 1 || close + 2 >= value.size() || value[close + 1] != ':')
        return std::nullopt;
    std::uint32_t offset = 0;
    const char* const last = value.data() + value.size();
    const auto [end, error] = std::from_chars(value.data() + close + 2, last, offset, 16);
    if (error != std::errc() || end != last) return std::nullopt;
    return FrxDatumReference{std::string(value.substr(1, close - 1)), offset};
}

Result<std::string> FrxBytes::Read(std::uint64_t offset, std::size_t count) {
    return std::string(bytes_.substr(static_cast<std::size_t>(offset), count));
}

const FolderListings::Listing& FolderListings::Of(const std::filesystem::path& directory) {
    std::filesystem::path key = (directory / "").lexically_normal();  // "a", "a/" and "a/./" alike
    for (const auto& [folder, listing] : folders_)
        if (folder == key) return listing;
    if (folders_.size() >= kMostFolders) folders_.erase(folders_.begin());
    Listing& listing = folders_.emplace_back(std::move(key), Listing()).second;
    ++listingsMade_;
    ++listingsInProcess;
    std::error_code error;
    std::filesystem::directory_iterator entry(directory, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::filesystem::path name = entry->path().filename();
        listing.emplace(LowerAscii(Utf8FromPath(name)), std::move(name));
    }
    return listing;
}

std::size_t FolderListings::ListingsMadeInProcess() { return listingsInProcess.load(); }

FrxFolder::FrxFolder(std::filesystem::path formDirectory, FolderListings* runListings)
    : directory_(formDirectory.empty() ? std::filesystem::path(".") : std::move(formDirectory)),
      listings_(runListings) {}

std::filesystem::path FrxFolder::Find(const std::string& name) {
    if (const auto known = found_.find(name); known != found_.end()) return known->second;
    std::filesystem::path path = directory_ / PathFromUtf8(name);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        const FolderListings::Listing& listing = (listings_ ? *listings_ : ownListings_).Of(directory_);
        if (const auto entry = listing.find(LowerAscii(name)); entry != listing.end()) path = directory_ / entry->second;
    }
    found_.emplace(name, path);
    return path;
}

void FrxFolder::NoteRead(const std::filesystem::path& path, const std::optional<FileIdentity>& identity) {
    for (const ReadFile& read : filesRead_)
        if (read.path == path) return;
    filesRead_.push_back({path, identity});
}

Result<std::unique_ptr<FrxFile>> FrxFile::Open(const std::filesystem::path& formDirectory, const std::string& name) {
    FrxFolder folder(formDirectory);
    return Open(folder, name);
}

Result<std::unique_ptr<FrxFile>> FrxFile::Open(FrxFolder& folder, const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\:") != std::string::npos)
        return Unreadable(name, std::make_error_code(std::errc::invalid_argument));
    const std::filesystem::path path = folder.Find(name);
    std::string shown = Utf8FromPath(path);

    UniqueFile file;
    FileFacts facts;
    if (const std::error_code error = OpenInput(path, file, facts)) return Unreadable(std::move(shown), error);
    if (facts.directory) return Unreadable(std::move(shown), std::make_error_code(std::errc::is_a_directory));
    if (!file) {
        ConvertError refused = Unreadable(std::move(shown), {});
        refused.detail = "not a regular file";
        return refused;
    }
    folder.NoteRead(path, facts.identity);
    return std::unique_ptr<FrxFile>(new FrxFile(std::move(shown), std::move(file), facts.size));
}

Result<std::string> FrxFile::Read(std::uint64_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    if (const std::error_code error = SeekTo(file_.get(), offset)) return Unreadable(name_, error);
    if (std::fread(bytes.data(), 1, count, file_.get()) != count) {
        const bool shrunk = !std::ferror(file_.get());
        return Unreadable(name_, shrunk ? std::make_error_code(std::errc::io_error) : LastSystemError());
    }
    return bytes;
}

ImageKind ImageKindOf(std::string_view image) {
    using namespace std::string_view_literals;
    const auto starts = [&](std::string_view prefix) { return image.substr(0, prefix.size()) == prefix; };
    if (starts("\0\0\1\0"sv)) return ImageKind::Icon;
    if (starts("\0\0\2\0"sv)) return ImageKind::Cursor;
    if (starts("BM"sv)) return ImageKind::Bitmap;
    if (starts("GIF87a"sv) || starts("GIF89a"sv)) return ImageKind::Gif;
    if (starts("\xFF\xD8\xFF"sv)) return ImageKind::Jpeg;
    if (starts("\xD7\xCD\xC6\x9A"sv)) return ImageKind::Metafile;
    // A metafile without the placeable header: in memory or on disk, 9 words of header, version 1 or 3.
    if ((starts("\1\0\x09\0\0\3"sv) || starts("\2\0\x09\0\0\3"sv) || starts("\1\0\x09\0\0\1"sv) ||
         starts("\2\0\x09\0\0\1"sv)))
        return ImageKind::Metafile;
    if (image.size() >= 44 && Little32(image, 0) == 1 && image.substr(40, 4) == " EMF") return ImageKind::Enhanced;
    return ImageKind::Unknown;
}

std::string_view ImageKindName(ImageKind kind) {
    switch (kind) {
        case ImageKind::Icon: return "ICO";
        case ImageKind::Cursor: return "CUR";
        case ImageKind::Bitmap: return "BMP";
        case ImageKind::Gif: return "GIF";
        case ImageKind::Jpeg: return "JPEG";
        case ImageKind::Metafile: return "WMF";
        case ImageKind::Enhanced: return "EMF";
        case ImageKind::Unknown: break;
    }
    return "unknown";
}

Result<FrxPicture> ReadPicture(FrxData& frx, std::uint32_t offset) {
    if (offset >= frx.Size())
        return Malformed(frx, offset, "no picture: the file ends before it, at " + std::to_string(frx.Size()) + " bytes");
    const std::uint64_t left = frx.Size() - offset;
    Result<std::string> header = frx.Read(offset, static_cast<std::size_t>(std::min<std::uint64_t>(left, kActiveXPictureHeader)));
    if (!header) return header.error();
    const std::string_view bytes = header.value();

    FrxPicture picture;
    picture.offset = offset;
    std::size_t headerSize = 0;
    if (bytes.size() >= kPictureHeader && bytes.substr(4, 4) == kPictureMark) {
        headerSize = kPictureHeader;
    } else if (bytes.size() >= kActiveXPictureHeader && bytes.substr(20, 4) == kPictureMark) {
        headerSize = kActiveXPictureHeader;
        picture.activeX = true;
    } else {
        return Malformed(frx, offset, "no picture: the mark 6C 74 00 00 is not where a picture has it");
    }
    const std::uint64_t recordLength = Little32(bytes, 0);
    const std::uint64_t imageSize = Little32(bytes, headerSize - 4);
    if (recordLength != imageSize + headerSize - 4)
        return Malformed(frx, offset, "the picture's lengths disagree: " + std::to_string(recordLength) +
                                          " bytes in all, but an image of " + std::to_string(imageSize));
    Result<std::string> image = ReadDatum(frx, offset, offset + headerSize, imageSize, "the picture");
    if (!image) return image.error();
    picture.image = std::move(image.value());
    picture.kind = ImageKindOf(picture.image);
    return picture;
}

Result<std::string> ReadText(FrxData& frx, std::uint32_t offset) {
    const std::uint64_t left = offset <= frx.Size() ? frx.Size() - offset : 0;
    if (left == 0) return Malformed(frx, offset, "the text lies past the end of the file");
    Result<std::string> head = frx.Read(offset, static_cast<std::size_t>(std::min<std::uint64_t>(left, 4)));
    if (!head) return head.error();
    const std::string& bytes = head.value();
    if (bytes.size() == 4 && bytes[2] == '\0' && bytes[3] == '\0')
        return ReadDatum(frx, offset, std::uint64_t{offset} + 4, Little32(bytes, 0), "the text");
    if (static_cast<unsigned char>(bytes[0]) != 0xFF)
        return ReadDatum(frx, offset, std::uint64_t{offset} + 1, static_cast<unsigned char>(bytes[0]), "the text");
    if (bytes.size() < 3) return Malformed(frx, offset, "the text's length runs past the end of the file");
    return ReadDatum(frx, offset, std::uint64_t{offset} + 3, Little16(bytes, 1), "the text");
}

Result<std::vector<std::string>> ReadList(FrxData& frx, std::uint32_t offset) {
    std::uint64_t at = offset;
    auto word = [&]() -> Result<std::uint16_t> {
        if (at + 2 > frx.Size()) return Malformed(frx, offset, "the list runs past the end of the file");
        Result<std::string> bytes = frx.Read(at, 2);
        if (!bytes) return bytes.error();
        at += 2;
        return Little16(bytes.value(), 0);
    };
    Result<std::uint16_t> count = word();
    if (!count) return count.error();
    std::vector<std::string> items;
    if (count.value() == 0) return items;
    if (Result<std::uint16_t> unused = word(); !unused) return unused.error();
    // Every item takes at least its length word: a count the file cannot hold is refused before any room is made.
    if (at + std::uint64_t{count.value()} * 2 > frx.Size())
        return Malformed(frx, offset, "the list claims " + std::to_string(count.value()) + " items, more than the " +
                                          std::to_string(frx.Size() - at) + " bytes left in the file can hold");
    items.reserve(count.value());
    std::uint64_t total = 0;
    for (std::uint16_t i = 0; i < count.value(); ++i) {
        Result<std::uint16_t> length = word();
        if (!length) return length.error();
        total += length.value();
        if (total > kLargestFrxDatum)
            return Malformed(frx, offset, "the list holds more than the 64 MiB that any form holds");
        Result<std::string> item = ReadDatum(frx, offset, at, length.value(), "item " + std::to_string(i) + " of the list");
        if (!item) return item.error();
        at += length.value();
        items.push_back(std::move(item.value()));
    }
    return items;
}

Result<std::vector<std::int32_t>> ReadItemData(FrxData& frx, std::uint32_t offset) {
    Result<std::vector<std::string>> texts = ReadList(frx, offset);
    if (!texts) return texts.error();
    std::vector<std::int32_t> values;
    values.reserve(texts.value().size());
    for (const std::string& text : texts.value()) {
        const bool negative = !text.empty() && text[0] == '-';
        const std::string_view digits = std::string_view(text).substr(negative ? 1 : 0);
        std::int64_t value = 0;
        bool number = !digits.empty() && digits.size() <= 10;
        for (char c : digits) {
            if (c < '0' || c > '9') number = false;
            value = value * 10 + (c - '0');
        }
        if (negative) value = -value;
        if (!number || value < INT32_MIN || value > INT32_MAX) {
            // A damaged item may be long: the message shows enough of it to be found.
            const std::string shown = text.size() > 24 ? text.substr(0, 24) + "..." : text;
            return Malformed(frx, offset, "item " + std::to_string(values.size()) + " of the ItemData, \"" + shown +
                                              "\", is no whole number from -2147483648 to 2147483647");
        }
        values.push_back(static_cast<std::int32_t>(value));
    }
    return values;
}

}  // namespace tarvel
