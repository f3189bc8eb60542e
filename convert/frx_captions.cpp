#include "frx_captions.h"

#include <cerrno>
#include <vector>

#include "file_io.h"
#include "form_lines.h"

namespace tarvel {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, std::error_code& error) {
    if (std::filesystem::is_directory(path, error)) {
        error = std::make_error_code(std::errc::is_a_directory);
        return std::nullopt;
    }
    error.clear();
    UniqueFile file = OpenFile(path, "rb", error);
    if (!file) return std::nullopt;
    std::string bytes;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        errno = 0;
        const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), file.get());
        bytes.append(chunk.data(), n);
        if (n < chunk.size()) break;
    }
    if (std::ferror(file.get())) {
        error = std::error_code(errno ? errno : EIO, std::generic_category());
        return std::nullopt;
    }
    return bytes;
}

// The form was written on Windows, where names are not told apart by case:
// "form1.FRX" must still find Form1.frx on a system where they are.
std::filesystem::path FindIgnoringCase(const std::filesystem::path& directory, const std::string& name) {
    const std::filesystem::path exact = directory / std::filesystem::path(std::u8string(name.begin(), name.end()));
    std::error_code error;
    if (std::filesystem::exists(exact, error)) return exact;
    std::string lowerName;
    for (char c : name) lowerName += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        const std::string candidate = PathText(entry.path().filename());
        if (candidate.size() == lowerName.size() && StartsWithNoCase(candidate, lowerName)) return entry.path();
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
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        offset = offset * 16 + static_cast<unsigned>(d);
        if (offset > 0xFFFFFFFFu) return std::nullopt;
    }
    return FrxReference{std::string(value.substr(2, close - 2)), static_cast<std::uint32_t>(offset)};
}

Result<std::string> CaptionAt(std::string_view frx, std::uint32_t offset, const std::string& fileName) {
    const std::uint64_t start = offset;
    if (start + 4 > frx.size())
        return ConvertError{ErrorKind::FrxOutOfRange, fileName, {}};
    std::uint64_t length = 0;
    for (int i = 3; i >= 0; --i) length = length * 256 + static_cast<unsigned char>(frx[start + i]);
    if (start + 4 + length > frx.size())
        return ConvertError{ErrorKind::FrxOutOfRange, fileName, {}};
    return std::string(frx.substr(start + 4, length));
}

FrxFiles::FrxFiles(std::filesystem::path formDirectory)
    : directory_(formDirectory.empty() ? std::filesystem::path(".") : std::move(formDirectory)) {}

Result<std::string> FrxFiles::Caption(const FrxReference& reference) {
    const std::filesystem::path path = FindIgnoringCase(directory_, reference.fileName);
    const std::string name = PathText(path);
    auto found = loaded_.find(name);
    if (found == loaded_.end()) {
        std::error_code error;
        std::optional<std::string> bytes = ReadWholeFile(path, error);
        if (!bytes) return ConvertError{ErrorKind::FrxUnreadable, name, error};
        found = loaded_.emplace(name, std::move(*bytes)).first;
    }
    return CaptionAt(found->second, reference.offset, name);
}

}  // namespace tarvel
