#include "form_reader.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace tarvel {
namespace {

constexpr std::size_t kPieceSize = 1024 * 1024;

ConvertError Unreadable(const std::string& name, std::error_code reason) {
    return FileError(ErrorKind::FormUnreadable, name, reason);
}

// The first CR or LF in [p, end), or `end`. Lines are short and many, so the
// bytes are looked at eight at a time for one below 14, the first of which is
// then told apart from a tab or another control byte.
const char* FindLineEnd(const char* p, const char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighBits = 0x8080808080808080u;
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            // The lowest high bit set marks the first byte below 14.
            const std::uint64_t below = (word - kOnes * 14) & ~word & kHighBits;
            if (!below) {
                p += 8;
                continue;
            }
            p += std::countr_zero(below) / 8;
            if (*p == '\n' || *p == '\r') return p;
            ++p;
        }
    }
    while (p < end && *p != '\n' && *p != '\r') ++p;
    return p;
}

// Can the line begin or end a block or the definition? Only one whose first
// byte is an A, or whose first byte after blanks is a B or an E, in either case.
bool MayBeBlockLine(std::string_view line) {
    if (line.empty()) return false;
    if ((line.front() | 0x20) == 'a') return true;
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    const char c = first < line.size() ? static_cast<char>(line[first] | 0x20) : ' ';
    return c == 'b' || c == 'e';
}

}  // namespace

BlockWord BlockWordOf(std::string_view line) {
    const char first = line.empty() ? ' ' : LowerAscii(line.front());
    if (first == 'b') {
        if (StartsWithWord(line, "beginproperty")) return BlockWord::BeginProperty;
        if (StartsWithWord(line, "begin")) return BlockWord::Begin;
    } else if (first == 'e' && (StartsWithWord(line, "end") || StartsWithWord(line, "endproperty"))) {
        return BlockWord::End;
    }
    return BlockWord::None;
}

Result<FormReader> FormReader::Open(const std::filesystem::path& path, std::string name) {
    FormReader reader;
    FileFacts facts;
    if (const std::error_code error = OpenInput(path, reader.file_, facts)) return Unreadable(name, error);
    if (facts.directory) return Unreadable(name, std::make_error_code(std::errc::is_a_directory));
    if (!reader.file_) return FileError(ErrorKind::NotARegularFile, std::move(name));
    reader.stream_ = reader.file_.get();
    reader.identity_ = facts.identity;
    reader.name_ = std::move(name);
    return reader;
}

FormReader FormReader::FromStream(std::FILE* stream, std::string name) {
    FormReader reader;
    reader.stream_ = stream;
    if (FileFacts facts; !InspectStream(stream, facts) && facts.regular) reader.identity_ = facts.identity;
    reader.name_ = std::move(name);
    return reader;
}

FormReader FormReader::FromBytes(std::string_view bytes, std::string name) {
    FormReader reader;
    reader.name_ = std::move(name);
    reader.text_ = bytes;
    reader.atEnd_ = true;
    return reader;
}

// Keeps the unread rest of the piece and reads more after it.
bool FormReader::Fill() {
    if (atEnd_) return false;
    const std::size_t kept = filled_ - position_;
    if (kept >= kMaxLineLength) {
        error_ = LineError(ErrorKind::FormLineTooLong, name_, line_ + 1);
        atEnd_ = true;
        return false;
    }
    if (capacity_ < kept + kPieceSize) {
        // A line longer than a piece: room for it, and a piece after it.
        const std::size_t capacity = 2 * (kept + kPieceSize);
        std::unique_ptr<char[]> larger = std::make_unique_for_overwrite<char[]>(capacity);
        if (kept > 0) std::memcpy(larger.get(), buffer_.get() + position_, kept);
        buffer_ = std::move(larger);
        capacity_ = capacity;
    } else if (kept > 0 && position_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + position_, kept);
    }
    position_ = 0;
    errno = 0;
    const std::size_t read = std::fread(buffer_.get() + kept, 1, kPieceSize, stream_);
    filled_ = kept + read;
    text_ = std::string_view(buffer_.get(), filled_);
    if (read < kPieceSize) {
        if (std::ferror(stream_)) error_ = Unreadable(name_, LastSystemError());
        atEnd_ = true;
        stream_ = nullptr;
        file_.reset();
    }
    return read > 0;
}

std::optional<std::string_view> FormReader::Next(bool blockLinesOnly) {
    if (error_) return std::nullopt;
    for (std::size_t searched = position_;;) {
        if (skipLf_ && position_ < text_.size()) {
            skipLf_ = false;
            if (text_[position_] == '\n') searched = ++position_;
        }
        const char* const stop = FindLineEnd(text_.data() + searched, text_.data() + text_.size());
        if (stop != text_.data() + text_.size()) {
            const std::size_t end = static_cast<std::size_t>(stop - text_.data());
            const std::string_view line = text_.substr(position_, end - position_);
            position_ = end + 1;
            ++line_;
            if (*stop == '\r') {
                if (position_ < text_.size()) {
                    if (text_[position_] == '\n') ++position_;
                } else {
                    skipLf_ = true;  // the LF of a CR LF may begin the next piece
                }
            }
            if (blockLinesOnly && !MayBeBlockLine(line)) {
                searched = position_;
                continue;
            }
            return line;
        }
        const std::size_t unread = text_.size() - position_;
        if (!Fill()) {
            if (error_ || unread == 0) {
                position_ = text_.size();
                return std::nullopt;
            }
            // The last line has no line end.
            const std::string_view line = text_.substr(position_);
            position_ = text_.size();
            ++line_;
            return line;
        }
        searched = position_ + unread;
    }
}

}  // namespace tarvel

namespace tarvel {

std::optional<std::string_view> FormReader::NextLineOutside(std::size_t& depth) {
    while (depth > 0) {
        const std::optional<std::string_view> line = Next(true);
        if (!line || EndsDefinition(*line)) return line;
        switch (BlockWordOf(TrimBlanks(*line))) {
            case BlockWord::Begin:
            case BlockWord::BeginProperty: ++depth; break;
            case BlockWord::End: --depth; break;
            case BlockWord::None: break;
        }
    }
    return NextLine();
}

}  // namespace tarvel
