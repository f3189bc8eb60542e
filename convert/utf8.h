// UTF-8, the text every layer speaks inside: file paths spelled as UTF-8 on
// every system, the test whether bytes are UTF-8 at all, and the UTF-16 that
// Windows' wide calls take. One copy for the conversion, the command line and
// the window alike; plain C++, so each is tested on every system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarvel {

/// The path that UTF-8 text names, and back: the same on every system.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

/// Is `bytes` well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF)?
bool IsUtf8(std::string_view bytes);

/// UTF-8 as UTF-16 code units, and back. A byte that starts no well-formed
/// sequence, and a lone surrogate, become U+FFFD, as Windows' own
/// conversions make them.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace tarvel
