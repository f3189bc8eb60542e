#include "menu_block_reader.h"

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

bool FormFile::Fill() {
    if (!file_) return false;
    begin_ = 0;
    errno = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
    consumed_ += end_;
    if (end_ == 0 && std::ferror(file_.get()))
        readError_ = std::error_code(errno ? errno : EIO, std::generic_category());
    return end_ > 0;
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

Status CollectMenuBlock(MainFormState& state, FormFile& form) {
    state.menuText.clear();
    state.menuText.reserve(state.firstMenuLine.size() + form.RemainingSize() + form.RemainingSize() / 16);
    state.menuText = state.firstMenuLine;
    // Lines are read straight into the block; an Attribute line is taken back out.
    for (std::size_t start = state.menuText.size(); form.AppendLine(state.menuText); start = state.menuText.size()) {
        if (IsAttributeLine(std::string_view(state.menuText).substr(start))) {
            state.menuText.resize(start);
            break;
        }
        state.menuText += "\r\n";
    }
    const std::error_code error = form.readError();
    form.Close();
    if (error) return ConvertError{ErrorKind::FormUnreadable, PathText(form.path()), error};
    return Done{};
}

}  // namespace tarvel
