#include "form_reader.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define TARVEL_AVX2_SCAN 1
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

#if defined(TARVEL_AVX2_SCAN)
// The same, thirty-two bytes at a time, on processors that have AVX2.
[[gnu::target("avx2")]] const char* FindLineEndAvx2(const char* p, const char* end) {
    const __m256i lf = _mm256_set1_epi8('\n'), cr = _mm256_set1_epi8('\r');
    while (end - p >= 32) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const auto ends = static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(bytes, lf), _mm256_cmpeq_epi8(bytes, cr))));
        if (ends) return p + std::countr_zero(ends);
        p += 32;
    }
    return FindLineEnd(p, end);
}
#endif

// The first byte in [p, end) that is not a blank, or `end`.
const char* SkipBlanks(const char* p, const char* end) {
    return p + LeadingBlanks(std::string_view(p, static_cast<std::size_t>(end - p)));
}

// A line that begins a block counts `depth` up, one that ends a block down.
void CountBlocks(BlockWord word, std::size_t& depth) {
    if (word == BlockWord::End) --depth;
    else if (word != BlockWord::None) ++depth;
}

// std::popcount, without the call to a library routine that a processor
// without the instruction for it (the x86-64 baseline) would cost.
constexpr std::uint32_t CountBits(std::uint64_t bits) {
    bits -= (bits >> 1) & 0x5555555555555555u;
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    return static_cast<std::uint32_t>((bits * 0x0101010101010101u) >> 56);
}
static_assert(CountBits(0) == 0 && CountBits(~std::uint64_t{0}) == 64 && CountBits(0x8000000100000011u) == 4);

// What the scan below looks at in 64 bytes, one bit a byte: the LFs, the
// line ends (CR and LF), the blanks (space and tab), and the letters that
// may begin a word that opens or ends a block or the definition (A, B, E in
// either case).
struct BlockMasks {
    std::uint64_t lfs, ends, blanks, letters;
};

#if defined(__SSE2__)
struct Sse2Masks {
    static BlockMasks Of(const char* block) {
        const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), space = _mm_set1_epi8(' '),
                      tab = _mm_set1_epi8('\t'), caseBit = _mm_set1_epi8(0x20), b = _mm_set1_epi8('b'),
                      e = _mm_set1_epi8('e'), a = _mm_set1_epi8('a');
        BlockMasks masks{};
#pragma GCC unroll 4
        for (int part = 0; part < 4; ++part) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
            const __m128i lower = _mm_or_si128(bytes, caseBit);
            const __m128i isLf = _mm_cmpeq_epi8(bytes, lf);
            const __m128i isLetter = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(lower, b), _mm_cmpeq_epi8(lower, e)),
                                                  _mm_cmpeq_epi8(lower, a));
            const auto bits = [&](__m128i set) {
                return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(set))} << (16 * part);
            };
            masks.lfs |= bits(isLf);
            masks.ends |= bits(_mm_or_si128(isLf, _mm_cmpeq_epi8(bytes, cr)));
            masks.blanks |= bits(_mm_or_si128(_mm_cmpeq_epi8(bytes, space), _mm_cmpeq_epi8(bytes, tab)));
            masks.letters |= bits(isLetter);
        }
        return masks;
    }
};
#endif

#if defined(TARVEL_AVX2_SCAN)
// Thirty-two bytes at a time, on processors that have AVX2.
struct Avx2Masks {
    [[gnu::target("avx2")]] static BlockMasks Of(const char* block) {
        const __m256i lf = _mm256_set1_epi8('\n'), cr = _mm256_set1_epi8('\r'), space = _mm256_set1_epi8(' '),
                      tab = _mm256_set1_epi8('\t'), caseBit = _mm256_set1_epi8(0x20), b = _mm256_set1_epi8('b'),
                      e = _mm256_set1_epi8('e'), a = _mm256_set1_epi8('a');
        BlockMasks masks{};
#pragma GCC unroll 2
        for (int part = 0; part < 2; ++part) {
            const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * part));
            const __m256i lower = _mm256_or_si256(bytes, caseBit);
            const __m256i isLf = _mm256_cmpeq_epi8(bytes, lf);
            const __m256i isLetter = _mm256_or_si256(
                _mm256_or_si256(_mm256_cmpeq_epi8(lower, b), _mm256_cmpeq_epi8(lower, e)), _mm256_cmpeq_epi8(lower, a));
            const __m256i isEnd = _mm256_or_si256(isLf, _mm256_cmpeq_epi8(bytes, cr));
            const __m256i isBlank = _mm256_or_si256(_mm256_cmpeq_epi8(bytes, space), _mm256_cmpeq_epi8(bytes, tab));
            const int shift = 32 * part;
            masks.lfs |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(isLf))} << shift;
            masks.ends |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(isEnd))} << shift;
            masks.blanks |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(isBlank))} << shift;
            masks.letters |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(isLetter))} << shift;
        }
        return masks;
    }
};
#endif

// Passes over the lines of the blocks being passed over, from the line that
// begins at `p`, 64 bytes at a time: a line that begins a block counts
// `depth` up, one that ends a block down. Gives where the caller goes on:
// after the line that closes the last of them (`depth` then 0), or at the
// start of a line these bytes do not settle (one they do not hold whole, or
// one beginning with an A, which may end the definition); `lines` counts the
// lines passed over. Only a line whose first byte is an A, or whose first byte
// after blanks is a B or an E, in either case, can begin or end a block; the
// rest are most of a form, and a line at a time would cost a branch the
// processor cannot foresee for each.
template <class Masks>
[[gnu::always_inline]] inline const char* PassOverLinesInBlocks(const char* p, const char* end, std::uint32_t& lines,
                                                                std::size_t& depth) {
    const char* lineStart = p;
    std::uint64_t startCarry = 1;  // the block begins a line
    std::uint64_t blankCarry = 0;  // the block goes on with the blanks that began a line
    // The byte after the block tells whether a CR at its end is half a CR LF.
    for (const char* block = p; end - block > 64; block += 64) {
        const BlockMasks m = Masks::Of(block);
        // One bit a line end: an LF, or a CR that no LF follows.
        const std::uint64_t lfAfter = (m.lfs >> 1) | (std::uint64_t{block[64] == '\n'} << 63);
        const std::uint64_t lineEnds = m.lfs | (m.ends & ~m.lfs & ~lfAfter);
        const std::uint64_t starts = (m.ends << 1) | startCarry;
        // A line's first byte that is no blank: the carry of an addition runs over the blanks from its start.
        const std::uint64_t from = starts | blankCarry;
        const std::uint64_t sum = from + m.blanks;
        // The lines that may begin or end a block are told here by their first word, when the block holds
        // them whole; any other is left to the caller, from its start.
        for (std::uint64_t hits = sum & ~m.blanks & m.letters; hits; hits &= hits - 1) {
            const int hit = std::countr_zero(hits);
            const std::uint64_t after = ~std::uint64_t{0} << hit;
            if ((block[hit] | 0x20) == 'a' && !(starts >> hit & 1)) continue;  // an A after blanks
            // A line that the block does not hold whole with the start of the next (a CR LF could
            // cross its end), or that may end the definition, is the caller's.
            const int stop = (m.ends & after) ? std::countr_zero(m.ends & after) : 64;
            if (stop >= 63 || (block[hit] | 0x20) == 'a') {
                const std::uint64_t before = lineEnds & ~after;
                lines += CountBits(before);
                return before ? block + 64 - std::countl_zero(before) : lineStart;
            }
            CountBlocks(BlockWordOf(std::string_view(block + hit, static_cast<std::size_t>(stop - hit))), depth);
            if (depth == 0) {
                // The line that closes the last block: what follows it is the caller's.
                const int next = stop + 1 + (block[stop] == '\r' && block[stop + 1] == '\n');
                lines += CountBits(next == 64 ? lineEnds : lineEnds & ((std::uint64_t{1} << next) - 1));
                return block + next;
            }
        }
        lines += CountBits(lineEnds);
        if (lineEnds) lineStart = block + 64 - std::countl_zero(lineEnds);
        startCarry = m.ends >> 63;
        blankCarry = sum < from;
    }
    return lineStart;
}

using PassOverFunction = const char* (*)(const char*, const char*, std::uint32_t&, std::size_t&);

#if defined(__SSE2__)
const char* PassOverLinesSse2(const char* p, const char* end, std::uint32_t& lines, std::size_t& depth) {
    return PassOverLinesInBlocks<Sse2Masks>(p, end, lines, depth);
}
#else
// Without the instructions to look at many bytes at once, the lines are the caller's, one at a time.
const char* PassOverLinesSse2(const char* p, const char*, std::uint32_t&, std::size_t&) { return p; }
#endif

#if defined(TARVEL_AVX2_SCAN)
[[gnu::target("avx2"), gnu::flatten]] const char* PassOverLinesAvx2(const char* p, const char* end,
                                                                     std::uint32_t& lines, std::size_t& depth) {
    return PassOverLinesInBlocks<Avx2Masks>(p, end, lines, depth);
}
#endif

PassOverFunction WidestPassOver() {
#if defined(TARVEL_AVX2_SCAN)
    // Asked before the constructors have run (this is one), the processor must be looked at first.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return PassOverLinesAvx2;
#endif
    return PassOverLinesSse2;
}

using FindLineEndFunction = const char* (*)(const char*, const char*);

FindLineEndFunction WidestFindLineEnd() {
#if defined(TARVEL_AVX2_SCAN)
    if (WidestPassOver() == PassOverLinesAvx2) return FindLineEndAvx2;
#endif
    return FindLineEnd;
}

std::atomic<PassOverFunction> passOver{WidestPassOver()};
std::atomic<FindLineEndFunction> findLineEnd{WidestFindLineEnd()};

}  // namespace

void UseBlockScan(BlockScan scan) {
    const bool widest = scan == BlockScan::Widest;
    passOver.store(widest ? WidestPassOver() : PassOverLinesSse2, std::memory_order_relaxed);
    findLineEnd.store(widest ? WidestFindLineEnd() : FindLineEnd, std::memory_order_relaxed);
}

bool HasWiderBlockScan() { return WidestPassOver() != PassOverLinesSse2; }

namespace {

// Eight bytes of `text` from `at`, letters in lower case (other bytes
// changed too, but never into a letter), as one word to compare with a lower-case word.
std::uint64_t LowerWord(std::string_view text, std::size_t at) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + at, 8);
    return word | 0x2020202020202020u;
}

constexpr std::uint64_t WordOf(const char (&letters)[9]) {
    return std::bit_cast<std::uint64_t>(std::array<char, 8>{letters[0], letters[1], letters[2], letters[3], letters[4],
                                                            letters[5], letters[6], letters[7]});
}

}  // namespace

BlockWord BlockWordOf(std::string_view line) {
    const std::size_t size = line.size();
    const auto wordEndsAt = [&](std::size_t at) { return size == at || IsBlank(line[at]); };
    const auto lower = [&](std::size_t at) { return static_cast<char>(line[at] | 0x20); };
    if (size < 3) return BlockWord::None;
    if (lower(0) == 'b') {
        if (size < 5 || lower(1) != 'e' || lower(2) != 'g' || lower(3) != 'i' || lower(4) != 'n') return BlockWord::None;
        if (wordEndsAt(5)) return BlockWord::Begin;
        if (size >= 13 && LowerWord(line, 5) == WordOf("property") && wordEndsAt(13)) return BlockWord::BeginProperty;
    } else if (lower(0) == 'e' && lower(1) == 'n' && lower(2) == 'd') {
        if (wordEndsAt(3) || (size >= 11 && LowerWord(line, 3) == WordOf("property") && wordEndsAt(11))) return BlockWord::End;
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
    if (facts.size > 0) {
        reader.window_ = std::make_unique<FileWindow>();
        reader.mapEnd_ = facts.size;
    }
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

// Shows the next piece of the file from the first byte not yet given (the
// unread rest of this piece, and a piece after it). Once the file's size when
// opened is all shown, the form ends there if the file is still that size;
// otherwise, or where it cannot be shown, it is read from there on: what it
// has grown by since is read too, and a file that shrank under
// the piece (whose bytes then read as zeros) is read as it is now. No line
// has been given from the bytes that are not the file's: they hold no line end.
bool FormReader::ShowNextPiece() {
    const std::uint64_t from = textOffset_ + position_;
    const std::uint64_t shownEnd = textOffset_ + text_.size();
    bool more = shownEnd < mapEnd_ && !window_->Shrank();
    if (more && !text_.empty()) {
        // Cut shorter within the piece's last page, the file raises no fault: its size tells.
        FileFacts facts;
        more = !InspectStream(stream_, facts) && facts.size >= shownEnd;
    }
    if (more) {
        const std::uint64_t start = from - from % FileWindow::Granularity();
        const std::uint64_t wanted = shownEnd - start + kPieceSize;
        const auto length = static_cast<std::size_t>(std::min(wanted, mapEnd_ - start));
        if (!window_->Show(stream_, start, length)) {
            textOffset_ = start;
            text_ = window_->bytes();
            position_ = static_cast<std::size_t>(from - start);
            return true;
        }
    } else if (shownEnd == mapEnd_ && !text_.empty() && !window_->Shrank()) {
        // All of the file is shown: unless its size has changed since, nothing more is there to read.
        FileFacts facts;
        if (!InspectStream(stream_, facts) && facts.size == mapEnd_) {
            atEnd_ = true;
            return false;
        }
    }
    window_.reset();
    text_ = {};
    position_ = filled_ = 0;
    reread_ = true;
    if (from > 0) {
        if (const std::error_code error = SeekTo(stream_, from)) {
            error_ = Unreadable(name_, error);
            atEnd_ = true;
            stream_ = nullptr;
            file_.reset();
        }
    }
    return false;
}

// Keeps the unread rest of the piece and shows or reads more after it.
bool FormReader::Fill() {
    if (atEnd_) return false;
    if (text_.size() - position_ >= kMaxLineLength) {
        error_ = LineError(ErrorKind::FormLineTooLong, name_, line_ + 1);
        atEnd_ = true;
        return false;
    }
    if (window_ && ShowNextPiece()) return true;
    if (atEnd_) return false;
    const std::size_t kept = filled_ - position_;
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

std::optional<std::string_view> FormReader::NextLine() {
    if (error_) return std::nullopt;
    for (std::size_t searched = position_;;) {
        if (skipLf_ && position_ < text_.size()) {
            skipLf_ = false;
            if (text_[position_] == '\n') searched = ++position_;
        }
        const char* const stop = findLineEnd.load(std::memory_order_relaxed)(text_.data() + searched, text_.data() + text_.size());
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
            if (error_ || position_ == text_.size()) {
                position_ = text_.size();
                return std::nullopt;
            }
            // The last line has no line end.
            const std::string_view line = text_.substr(position_);
            position_ = text_.size();
            ++line_;
            return line;
        }
        // Bytes read again through the file are looked at again: they may not be the ones shown.
        searched = std::exchange(reread_, false) ? position_ : position_ + unread;
    }
}

// Passes over the lines of the blocks being passed over, as far as the piece
// holds them whole, by their first word only: a line that begins a block
// counts `depth` up, one that ends a block down. It stops after the line
// that closes the last of them, and before a line that ends the definition
// or that the piece does not hold whole, which NextLine then reads.
void FormReader::PassOverBlockLines(std::size_t& depth) {
    if (skipLf_) return;
    const char* const text = text_.data();
    const char* const end = text + text_.size();
    const char* p = text + position_;
    std::uint32_t lines = line_;
    const PassOverFunction scan = passOver.load(std::memory_order_relaxed);
    const FindLineEndFunction find = findLineEnd.load(std::memory_order_relaxed);
    while (depth > 0) {
        p = scan(p, end, lines, depth);
        if (depth == 0) break;
        const char* const first = SkipBlanks(p, end);
        const char* const stop = find(first, end);
        // A CR at the end of the piece may be the first half of a CR LF.
        if (end - stop < 2) break;
        // Only a line whose first byte is an A, or whose first byte after blanks is a B or an E, matters.
        const char letter = static_cast<char>(*first | 0x20);
        if (letter == 'b' || letter == 'e') {
            CountBlocks(BlockWordOf(std::string_view(first, static_cast<std::size_t>(stop - first))), depth);
        } else if (letter == 'a' && first == p && EndsDefinition(std::string_view(p, static_cast<std::size_t>(stop - p)))) {
            break;
        }
        ++lines;
        p = stop + 1 + (stop[0] == '\r' && stop[1] == '\n');
    }
    position_ = static_cast<std::size_t>(p - text);
    line_ = lines;
}

std::optional<std::string_view> FormReader::NextLineOutside(std::size_t& depth, bool siblings) {
    for (;;) {
        for (PassOverBlockLines(depth); depth > 0; PassOverBlockLines(depth)) {
            const std::optional<std::string_view> line = NextLine();
            if (!line || EndsDefinition(*line)) return line;
            CountBlocks(BlockWordOf(TrimBlanks(*line)), depth);
        }
        const std::optional<std::string_view> line = NextLine();
        if (!siblings || !line) return line;
        const std::string_view trimmed = TrimBlanks(*line);
        if (BlockWordOf(trimmed) != BlockWord::Begin) return line;
        // The block's type: the word after Begin, up to a blank.
        std::string_view type = trimmed.substr(5);
        type.remove_prefix(LeadingBlanks(type));
        type = type.substr(0, static_cast<std::size_t>(std::find_if(type.begin(), type.end(), IsBlank) - type.begin()));
        if (EqualNoCase(type, "vb.menu")) return line;
        depth = 1;
    }
}

}  // namespace tarvel
