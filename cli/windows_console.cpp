#include "windows_console.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "utf8.h"

namespace tarvel::cli {
namespace {

// The length of the longest prefix of `bytes` that does not end inside a
// UTF-8 sequence, so that a character is never converted in two halves.
std::size_t CompleteUtf8Prefix(const std::string& bytes) {
    const std::size_t size = bytes.size();
    std::size_t start = size;
    // A sequence is at most four bytes: look back over up to three continuation bytes.
    for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80) continue;
        start = size - back;
        const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return needed > back ? start : size;
    }
    return size;
}

bool WriteAll(HANDLE handle, const char* bytes, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = size > 0x10000 ? 0x10000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(handle, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool WriteConsoleText(HANDLE handle, const std::string& utf8) {
    if (utf8.empty()) return true;
    const std::wstring wide = tarvel::WideFromUtf8(utf8);
    const wchar_t* text = wide.data();
    std::size_t left = wide.size();
    while (left > 0) {
        const DWORD chunk = left > 8192 ? 8192 : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteConsoleW(handle, text, chunk, &written, nullptr) || written == 0) return false;
        text += written;
        left -= written;
    }
    return true;
}

}  // namespace

void MakeStandardOutputBinary() { _setmode(_fileno(stdout), _O_BINARY); }

void MakeStandardInputBinary() {
    if (_fileno(stdin) >= 0) _setmode(_fileno(stdin), _O_BINARY);
}

StandardErrorBuffer::StandardErrorBuffer() : handle_(GetStdHandle(STD_ERROR_HANDLE)) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
}

// What is left at the end is written even when it ends inside a character.
StandardErrorBuffer::~StandardErrorBuffer() { Flush(true); }

StandardErrorBuffer::int_type StandardErrorBuffer::overflow(int_type c) {
    if (!traits_type::eq_int_type(c, traits_type::eof())) pending_.push_back(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
}

std::streamsize StandardErrorBuffer::xsputn(const char* s, std::streamsize n) {
    pending_.append(s, static_cast<std::size_t>(n));
    return n;
}

int StandardErrorBuffer::sync() { return Flush(false) ? 0 : -1; }

bool StandardErrorBuffer::Flush(bool all) {
    if (pending_.empty()) return true;
    const HANDLE handle = static_cast<HANDLE>(handle_);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        pending_.clear();  // no standard error at all: nowhere to tell anything
        return true;
    }
    bool written;
    if (console_) {
        const std::size_t complete = all ? pending_.size() : CompleteUtf8Prefix(pending_);
        written = WriteConsoleText(handle, pending_.substr(0, complete));
        pending_.erase(0, complete);
    } else {
        written = WriteAll(handle, pending_.data(), pending_.size());
        pending_.clear();
    }
    return written;
}

}  // namespace tarvel::cli
