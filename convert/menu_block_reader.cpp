#include "menu_block_reader.h"

#include <algorithm>
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
        readError_ = std::error_code(errno ? errno : EIO, std::generic_category());
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

// Finds the first Attribute line while the block grows read by read. A line
// start is judged only once its first bytes have all arrived, so that a line
// split between two reads is judged whole.
class AttributeSearch {
public:
    explicit AttributeSearch(std::size_t from) : lineStart_(from), searchFrom_(from) {}

    /// Where the first Attribute line of `text` starts, or npos while none is
    /// known; `complete` when no more bytes will come.
    std::size_t Find(std::string_view text, bool complete) {
        LineEnds ends(text, searchFrom_);
        for (;;) {
            if (lineStart_ == std::string_view::npos) {
                const std::size_t end = ends.Find(searchFrom_);
                if (end == text.size()) {
                    searchFrom_ = end;
                    return std::string_view::npos;
                }
                lineStart_ = ends.After(end);
            }
            if (!complete && text.size() - lineStart_ < kAttributeLength) return std::string_view::npos;
            if (IsAttributeLine(text.substr(lineStart_))) return lineStart_;
            searchFrom_ = lineStart_;
            lineStart_ = std::string_view::npos;
        }
    }

private:
    static constexpr std::size_t kAttributeLength = std::string_view("attribute").size();
    std::size_t lineStart_;   // a line start not judged yet, or npos
    std::size_t searchFrom_;  // where the search for the next line end goes on
};

}  // namespace

Status CollectMenuBlock(MainFormState& state, FormFile& form) {
    std::string& block = state.menuText;
    block.clear();
    // Room for the whole rest of the form and one read past its end, which finds nothing.
    block.reserve(state.firstMenuLine.size() + form.RemainingSize() + kBlockReadSize);
    block = state.firstMenuLine;
    AttributeSearch attribute(block.size());
    for (bool complete = false; !complete;) {
        complete = form.AppendBytes(block, kBlockReadSize) == 0;
        const std::size_t cut = attribute.Find(block, complete);
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
