#include "frx_captions.h"

#include "ascii.h"
#include "form_reader.h"

namespace tarvel {
namespace {

ConvertError Failure(ErrorKind kind, std::string file, std::error_code reason = {}) {
    return FileError(kind, std::move(file), reason);
}

// The caption's length, stored before it as 4 bytes, least significant first.
std::uint64_t LengthAt(const char* bytes) {
    std::uint64_t length = 0;
    for (int i = 3; i >= 0; --i) length = length * 256 + static_cast<unsigned char>(bytes[i]);
    return length;
}

// A caption is a line's worth of text: a claim beyond what a line of a form
// may hold is refused before any room is made for it.
std::optional<ConvertError> TooLong(std::uint64_t length, const std::string& fileName) {
    if (length <= FormReader::kMaxLineLength) return std::nullopt;
    ConvertError tooLong = Failure(ErrorKind::FrxEntryTooLong, fileName);
    tooLong.number = static_cast<std::int64_t>(length);
    return tooLong;
}

}  // namespace

std::optional<FrxReference> ParseFrxReference(std::string_view value) {
    value = TrimBlanks(value);
    if (value.size() < 5 || value[0] != '$' || value[1] != '"') return std::nullopt;
    const std::size_t close = value.find('"', 2);
    if (close == std::string_view::npos || close == 2 || close + 2 >= value.size() || value[close + 1] != ':')
        return std::nullopt;
    // VB writes at least four hex digits and no more than the eight of 32 bits.
    if (value.size() - (close + 2) > 8) return std::nullopt;
    std::uint64_t offset = 0;
    for (char c : value.substr(close + 2)) {
        const int d = HexDigitValue(c);
        if (d < 0) return std::nullopt;
        offset = offset * 16 + static_cast<unsigned>(d);
        if (offset > 0xFFFFFFFFu) return std::nullopt;
    }
    return FrxReference{std::string(value.substr(2, close - 2)), static_cast<std::uint32_t>(offset)};
}

Result<std::string> CaptionAt(std::string_view frx, std::uint32_t offset, const std::string& fileName) {
    const std::uint64_t start = offset;
    if (start + 4 > frx.size())
        return Failure(ErrorKind::FrxOutOfRange, fileName);
    const std::uint64_t length = LengthAt(frx.data() + start);
    if (std::optional<ConvertError> tooLong = TooLong(length, fileName)) return *tooLong;
    if (start + 4 + length > frx.size())
        return Failure(ErrorKind::FrxOutOfRange, fileName);
    return std::string(frx.substr(start + 4, length));
}

Result<FrxData*> FrxSource::Data(const std::string& fileName) {
    ConvertError none = Failure(ErrorKind::FrxUnreadable, fileName, std::make_error_code(std::errc::no_such_file_or_directory));
    none.detail = ".frx";
    return none;
}

Result<FrxData*> FrxFiles::Data(const std::string& fileName) {
    auto slot = opened_.find(LowerAscii(fileName));
    if (slot == opened_.end()) slot = opened_.emplace(LowerAscii(fileName), FrxFile::Open(folder_, fileName)).first;
    if (!slot->second) return slot->second.error();
    return slot->second.value().get();
}

Result<std::string> FrxFiles::Caption(const FrxReference& reference) {
    Result<std::unique_ptr<FrxFile>> opened = FrxFile::Open(folder_, reference.fileName);
    if (!opened) return opened.error();
    FrxFile& frx = *opened.value();

    const std::uint64_t start = reference.offset;
    if (start + 4 > frx.Size()) return Failure(ErrorKind::FrxOutOfRange, frx.Name());
    Result<std::string> header = frx.Read(start, 4);
    if (!header) return header;
    const std::uint64_t length = LengthAt(header.value().data());
    if (std::optional<ConvertError> tooLong = TooLong(length, frx.Name())) return *tooLong;
    if (start + 4 + length > frx.Size()) return Failure(ErrorKind::FrxOutOfRange, frx.Name());
    return frx.Read(start + 4, static_cast<std::size_t>(length));
}

}  // namespace tarvel
