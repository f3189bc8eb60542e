#include "menu_block_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "form_lines.h"

namespace tarvel {

namespace {
constexpr std::size_t kBufferSize = 256 * 1024;
}

FormFile::FormFile(UniqueFile file, std::filesystem::path path, std::uintmax_t size)
    : file_(std::move(file)), path_(std::move(path)), buffer_(kBufferSize), size_(size) {}

Result<FormFile> FormFile::Open(const std::filesystem::path& path) {
    std::error_code error;
    // fopen happily opens a directory on some systems; reading it then fails
    // with a less helpful reason.
    if (std::filesystem::is_directory(path, error))
        return ConvertError{ErrorKind::FormUnreadable, PathText(path),
                            std::make_error_code(std::errc::is_a_directory)};
    error.clear();
    UniqueFile file = OpenFile(path, "rb", error);
    if (!file) return ConvertError{ErrorKind::FormUnreadable, PathText(path), error};
    std::error_code sizeError;
    std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (sizeError) size = 0;
    return FormFile(std::move(file), path, size);
}

std::size_t FormFile::Read(char* into, std::size_t count) {
    if (!file_) return 0;
    errno = 0;
    const std::size_t read = std::fread(into, 1, count, file_.get());
    consumed_ += read;
    if (read == 0 && std::ferror(file_.get()))
        readError_ = LastSystemError();
    return read;
}

bool FormFile::Fill() {
    begin_ = 0;
    end_ = Read(buffer_.data(), buffer_.size());
    return end_ > 0;
}

std::size_t FormFile::AppendBytes(std::string& text, std::size_t count) {
    if (pendingLf_) {
        pendingLf_ = false;
        if (begin_ == end_ && !Fill()) return 0;
        if (buffer_[begin_] == '\n') ++begin_;
    }
    if (begin_ < end_) {
        const std::size_t taken = std::min(count, end_ - begin_);
        text.append(buffer_.data() + begin_, taken);
        begin_ += taken;
        return taken;
    }
    // Straight into the text: the bytes are copied once, not through the buffer.
    const std::size_t size = text.size();
    text.resize(size + count);
    const std::size_t read = Read(text.data() + size, count);
    text.resize(size + read);
    return read;
}

std::uintmax_t FormFile::RemainingSize() const {
    const std::uintmax_t read = consumed_ - (end_ - begin_);
    return size_ > read ? size_ - read : 0;
}

bool FormFile::AppendLine(std::string& line) {
    if (begin_ == end_ && !Fill()) return false;
    if (pendingLf_) {
        pendingLf_ = false;
        if (buffer_[begin_] == '\n' && ++begin_ == end_ && !Fill()) return false;
    }
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const std::size_t length = end_ - begin_;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', length));
        const std::size_t scan = lf ? static_cast<std::size_t>(lf - start) : length;
        const char* cr = static_cast<const char*>(std::memchr(start, '\r', scan));
        const char* stop = cr ? cr : lf;
        if (stop) {
            line.append(start, stop);
            begin_ += static_cast<std::size_t>(stop - start) + 1;
            if (*stop == '\r') {
                if (begin_ < end_) {
                    if (buffer_[begin_] == '\n') ++begin_;
                } else {
                    pendingLf_ = true;
                }
            }
            return true;
        }
        line.append(start, length);
        begin_ = end_;
        if (!Fill()) return true;  // the last line has no line end
    }
}

bool CzyJestMenu(MainFormState& state, FormFile& form) {
    std::string line, lastLine;
    bool found = false;
    while (form.ReadLine(line)) {
        lastLine.swap(line);
        if (IsMenuBeginLine(TrimBlanks(lastLine))) {
            found = true;
            break;
        }
    }
    state.firstMenuLine = std::move(lastLine);
    state.firstMenuLine += "\r\n";
    if (!found) form.Close();
    return found;
}

namespace {

constexpr std::size_t kBlockReadSize = 1024 * 1024;

// Finds the first Attribute line while the block grows read by read: the first
// line end followed by "attribute" in any case. Horspool's search looks at one
// byte in ten for most of a form: a byte that occurs nowhere in the pattern, a
// blank or a digit, moves it the pattern's whole length on.
class AttributeSearch {
public:
    explicit AttributeSearch(std::size_t from) : from_(from) {
        shift_.fill(kPattern.size());
        for (int c = 0; c < 256; ++c)
            for (std::size_t i = 0; i + 1 < kPattern.size(); ++i)
                if (Matches(static_cast<char>(c), i)) shift_[c] = kPattern.size() - 1 - i;
    }

    /// Where the first Attribute line of `text` starts, or npos while none is
    /// known. A pattern that reaches past the text is looked at again once more
    /// bytes have come.
    std::size_t Find(std::string_view text) {
        for (; from_ + kPattern.size() <= text.size();
             from_ += shift_[static_cast<unsigned char>(text[from_ + kPattern.size() - 1])]) {
            std::size_t i = kPattern.size();
            while (i > 0 && Matches(text[from_ + i - 1], i - 1)) --i;
            if (i == 0) return from_ + 1;
        }
        return std::string_view::npos;
    }

private:
    // A line end (CR or LF, the CR of CR LF too, as an LF follows it) then the word.
    static constexpr std::string_view kPattern = "\nattribute";
    static bool Matches(char c, std::size_t at) {
        return at == 0 ? c == '\r' || c == '\n' : LowerAscii(c) == kPattern[at];
    }

    std::array<std::size_t, 256> shift_;
    std::size_t from_;  // where the pattern is looked for next
};

}  // namespace

Status CollectMenuBlock(MainFormState& state, FormFile& form) {
    std::string& block = state.menuText;
    block.clear();
    // Room for the whole rest of the form and one read past its end, which finds nothing.
    block.reserve(state.firstMenuLine.size() + form.RemainingSize() + kBlockReadSize);
    block = state.firstMenuLine;
    // From the LF that ends the first menu line: the line after it may be an Attribute line.
    AttributeSearch attribute(block.empty() ? 0 : block.size() - 1);
    while (form.AppendBytes(block, kBlockReadSize) > 0) {
        const std::size_t cut = attribute.Find(block);
        if (cut != std::string_view::npos) {
            block.resize(cut);
            break;
        }
    }
    const std::error_code error = form.readError();
    form.Close();
    if (error) return ConvertError{ErrorKind::FormUnreadable, PathText(form.path()), error};
    return Done{};
}

}  // namespace tarvel
