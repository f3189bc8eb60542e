// Where written text goes. The RC writers write small pieces; a BufferedSink
// gathers them into large writes, so the whole text is never held at once.
#pragma once

#include <string>
#include <string_view>

namespace tarvel {

class TextSink {
public:
    virtual ~TextSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

/// Appends to a string the caller owns.
class StringSink : public TextSink {
public:
    explicit StringSink(std::string& text) : text_(text) {}
    void Write(std::string_view bytes) override { text_.append(bytes); }

private:
    std::string& text_;
};

/// Passes text on in pieces of a fixed size; Flush (or the destructor) sends the rest.
class BufferedSink : public TextSink {
public:
    explicit BufferedSink(TextSink& out, std::size_t capacity = 256 * 1024) : out_(out) { buffer_.reserve(capacity); }
    ~BufferedSink() override { Flush(); }
    BufferedSink(const BufferedSink&) = delete;
    BufferedSink& operator=(const BufferedSink&) = delete;

    void Write(std::string_view bytes) override {
        if (buffer_.size() + bytes.size() > buffer_.capacity()) {
            Flush();
            if (bytes.size() >= buffer_.capacity()) {
                out_.Write(bytes);
                return;
            }
        }
        buffer_.append(bytes);
    }
    void Flush() {
        if (buffer_.empty()) return;
        out_.Write(buffer_);
        buffer_.clear();
    }

private:
    TextSink& out_;
    std::string buffer_;
};

}  // namespace tarvel
