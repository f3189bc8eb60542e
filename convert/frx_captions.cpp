#include "frx_captions.h"

#include "ascii.h"
#include "file_io.h"
#include "utf8.h"

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

// The form was written on Windows, where names are not told apart by case:
// "form1.FRX" must still find Form1.frx on a system where they are.
std::filesystem::path FindIgnoringCase(const std::filesystem::path& directory, const std::string& name) {
    const std::filesystem::path exact = directory / PathFromUtf8(name);
    std::error_code error;
    if (std::filesystem::exists(exact, error)) return exact;
    const std::string lowerName = LowerAscii(name);
    // A listing that fails part way finds nothing more; it never throws.
    std::filesystem::directory_iterator entry(directory, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string candidate = Utf8FromPath(entry->path().filename());
        if (candidate.size() == lowerName.size() && StartsWithNoCase(candidate, lowerName)) return entry->path();
    }
    return exact;
}

}  // namespace

std::optional<FrxReference> ParseFrxReference(std::string_view value) {
    value = TrimBlanks(value);
    if (value.size() < 5 || value[0] != '$' || value[1] != '"') return std::nullopt;
    const std::size_t close = value.find('"', 2);
    if (close == std::string_view::npos || close == 2 || close + 2 >= value.size() || value[close + 1] != ':')
        return std::nullopt;
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
    if (start + 4 + length > frx.size())
        return Failure(ErrorKind::FrxOutOfRange, fileName);
    return std::string(frx.substr(start + 4, length));
}

FrxFiles::FrxFiles(std::filesystem::path formDirectory)
    : directory_(formDirectory.empty() ? std::filesystem::path(".") : std::move(formDirectory)) {}

Result<std::string> FrxFiles::Caption(const FrxReference& reference) {
    const std::string& name = reference.fileName;
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\:") != std::string::npos)
        return Failure(ErrorKind::FrxUnreadable, name, std::make_error_code(std::errc::invalid_argument));
    const std::filesystem::path path = FindIgnoringCase(directory_, name);
    const std::string shown = Utf8FromPath(path);

    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error) return Failure(ErrorKind::FrxUnreadable, shown, error);
    if (!std::filesystem::is_regular_file(status))
        return Failure(ErrorKind::FrxUnreadable, shown, std::make_error_code(std::errc::invalid_argument));
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return Failure(ErrorKind::FrxUnreadable, shown, error);

    UniqueFile file = OpenFile(path, "rb", error);
    if (!file) return Failure(ErrorKind::FrxUnreadable, shown, error);
    auto readAt = [&](std::uint64_t offset, std::size_t count, std::string& bytes) {
        bytes.resize(count);
        if (std::fseek(file.get(), static_cast<long>(offset), SEEK_SET) != 0) return false;
        return std::fread(bytes.data(), 1, count, file.get()) == count;
    };

    const std::uint64_t start = reference.offset;
    std::string header;
    if (start + 4 > size || !readAt(start, 4, header)) return Failure(ErrorKind::FrxOutOfRange, shown);
    const std::uint64_t length = LengthAt(header.data());
    std::string caption;
    if (start + 4 + length > size || !readAt(start + 4, static_cast<std::size_t>(length), caption))
        return Failure(ErrorKind::FrxOutOfRange, shown);
    return caption;
}

}  // namespace tarvel
