#include "form_reader.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvel {
namespace {

constexpr std::size_t kPieceSize = 1024 * 1024;

ConvertError Unreadable(const std::string& name, std::error_code reason) {
    return FileError(ErrorKind::FormUnreadable, name, reason);
}

// The first CR or LF in [p, end), or `end`. Lines are short and many: the
// bytes are looked at sixteen at a time where the processor compares so many
// at once, else eight at a time for one below 14, the first of which is then
// told apart from a tab or another control byte.
const char* FindLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned ends =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr))));
        if (ends) return p + std::countr_zero(ends);
        p += 16;
    }
#else
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
#endif
    while (p < end && *p != '\n' && *p != '\r') ++p;
    return p;
}

// The first byte in [p, end) that is not a blank, or `end`. Lines are
// indented with spaces, eight of which are passed over at a time.
const char* SkipBlanks(const char* p, const char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            const std::uint64_t other = word ^ 0x2020202020202020u;  // a space gives a zero byte
            if (!other) {
                p += 8;
                continue;
            }
            p += std::countr_zero(other) / 8;
            if (*p != '\t') return p;
            ++p;
        }
    }
    while (p < end && IsBlank(*p)) ++p;
    return p;
}

// Does `text` begin with `lowerLetters` (lower-case ASCII letters only), in either case?
constexpr bool StartsWithLetters(std::string_view text, std::string_view lowerLetters) {
    if (text.size() < lowerLetters.size()) return false;
    for (std::size_t i = 0; i < lowerLetters.size(); ++i)
        if ((text[i] | 0x20) != lowerLetters[i]) return false;
    return true;
}

}  // namespace

BlockWord BlockWordOf(std::string_view line) {
    const auto wordEndsAt = [&](std::size_t size) { return line.size() == size || IsBlank(line[size]); };
    if (line.size() < 3) return BlockWord::None;
    if ((line[0] | 0x20) == 'b') {
        if (!StartsWithLetters(line, "begin")) return BlockWord::None;
        if (wordEndsAt(5)) return BlockWord::Begin;
        if (StartsWithLetters(line.substr(5), "property") && wordEndsAt(13)) return BlockWord::BeginProperty;
    } else if ((line[0] | 0x20) == 'e' && StartsWithLetters(line, "end")) {
        if (wordEndsAt(3) || (StartsWithLetters(line.substr(3), "property") && wordEndsAt(11))) return BlockWord::End;
    }
    return BlockWord::None;
}

Result<FormReader> FormReader::Open(const std::filesystem::path& path, std::string name) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error) return Unreadable(name, error);
    if (std::filesystem::is_directory(status)) return Unreadable(name, std::make_error_code(std::errc::is_a_directory));
    if (!std::filesystem::is_regular_file(status) || IsDevice(path))
        return FileError(ErrorKind::NotARegularFile, std::move(name));
    FormReader reader;
    reader.file_ = OpenFile(path, "rb", error);
    if (!reader.file_) return Unreadable(name, error);
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
    const std::size_t read = std::fread(buffer_.get() + kept, 1, kPieceSize, file_.get());
    filled_ = kept + read;
    text_ = std::string_view(buffer_.get(), filled_);
    if (read < kPieceSize) {
        if (std::ferror(file_.get())) error_ = Unreadable(name_, LastSystemError());
        atEnd_ = true;
        file_.reset();
    }
    return read > 0;
}

std::optional<std::string_view> FormReader::NextLine() {
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

// Passes over the lines of the piece that cannot begin or end a block nor
// the definition: only one whose first byte is an A, or whose first byte
// after blanks is a B or an E, in either case, can. It stops before the
// first line that may, and before a line the piece does not hold whole,
// which NextLine then reads as it reads any line.
void FormReader::PassOverPlainLines() {
    if (skipLf_) return;
    const char* const text = text_.data();
    const char* const end = text + text_.size();
    const char* p = text + position_;
    std::uint32_t lines = line_;
    while (p < end && (*p | 0x20) != 'a') {
        const char* const first = SkipBlanks(p, end);
        if (first == end || (*first | 0x20) == 'b' || (*first | 0x20) == 'e') break;
        const char* const stop = FindLineEnd(first, end);
        // A CR at the end of the piece may be the first half of a CR LF.
        if (end - stop < 2) break;
        ++lines;
        p = stop + 1 + (stop[0] == '\r' && stop[1] == '\n');
    }
    position_ = static_cast<std::size_t>(p - text);
    line_ = lines;
}

}  // namespace tarvel

namespace tarvel {

std::optional<std::string_view> FormReader::NextLineOutside(std::size_t& depth) {
    while (depth > 0) {
        PassOverPlainLines();
        const std::optional<std::string_view> line = NextLine();
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
