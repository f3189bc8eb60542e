#include "form_reader.h"

#include <cstring>


namespace tarvel {
namespace {

constexpr std::size_t kPieceSize = 1024 * 1024;

ConvertError Unreadable(const std::string& name, std::error_code reason) {
    return FileError(ErrorKind::FormUnreadable, name, reason);
}

}  // namespace

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
        const char* start = text_.data() + searched;
        const std::size_t length = text_.size() - searched;
        const void* lf = length ? std::memchr(start, '\n', length) : nullptr;
        const std::size_t scan = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : length;
        const void* cr = scan ? std::memchr(start, '\r', scan) : nullptr;
        const char* stop = static_cast<const char*>(cr ? cr : lf);
        if (stop) {
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

}  // namespace tarvel
