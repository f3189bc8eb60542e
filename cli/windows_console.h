// What tarvel-rc needs from the Windows console that POSIX systems give for
// free: binary standard output, and a standard error that shows UTF-8 text
// right in a console window. Windows only: main_windows.cpp alone uses it.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace tarvel::cli {

/// Standard output as raw bytes: RC text keeps its CR LF line ends and its code page.
void MakeStandardOutputBinary();

/// Standard input as raw bytes: a form read from it keeps its line ends and every byte.
void MakeStandardInputBinary();

/// Takes UTF-8 text. A console gets it as UTF-16 through WriteConsoleW, so
/// that it shows right whatever the console's code page; a file or a pipe
/// gets the UTF-8 bytes as they are.
class StandardErrorBuffer : public std::streambuf {
public:
    StandardErrorBuffer();
    ~StandardErrorBuffer() override;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    bool Flush(bool all);

    void* handle_;
    bool console_;
    std::string pending_;  // bytes not yet written; for a console, also a character cut in two
};

class StandardErrorStream : public std::ostream {
public:
    StandardErrorStream() : std::ostream(&buffer_) { setf(std::ios::unitbuf); }

private:
    StandardErrorBuffer buffer_;
};

}  // namespace tarvel::cli
