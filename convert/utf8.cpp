#include "utf8.h"

#include <cstdint>

namespace tarvel {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The well-formed sequence at `bytes[at]`: its length, and its code point in
// `decoded`. When none starts there: 0, and in `broken` the length of the
// part that begins one (one U+FFFD stands for it, as in Windows' conversion).
std::size_t DecodeAt(std::string_view bytes, std::size_t at, char32_t& decoded, std::size_t* broken = nullptr) {
    if (broken) *broken = 1;
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead < 0x80) {
        decoded = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;        // no overlong forms
        else if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        else if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    char32_t value = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if (at + k >= bytes.size()) return 0;
        const unsigned char next = static_cast<unsigned char>(bytes[at + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return 0;
        if (broken) *broken = k + 1;
        value = (value << 6) | (next & 0x3F);
    }
    decoded = value;
    return length;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool IsUtf8(std::string_view bytes) {
    char32_t ignored;
    for (std::size_t i = 0; i < bytes.size();) {
        // Most text is ASCII: eight bytes at a time while it is.
        while (i + 8 <= bytes.size()) {
            std::uint64_t word = 0;
            for (std::size_t k = 0; k < 8; ++k) word |= std::uint64_t{static_cast<unsigned char>(bytes[i + k])} << (8 * k);
            if (word & 0x8080808080808080u) break;
            i += 8;
        }
        if (i >= bytes.size()) break;
        const std::size_t length = DecodeAt(bytes, i, ignored);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::wstring WideFromUtf8(std::string_view utf8) {
    std::wstring wide;
    wide.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = kReplacement;
        std::size_t broken = 1;
        const std::size_t length = DecodeAt(utf8, i, c, &broken);
        i += length ? length : broken;
        if (c >= 0x10000) {
            wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(c);
        }
    }
    return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
    std::string utf8;
    utf8.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char32_t>(wide[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(wide[++i]) - 0xDC00);
        } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            c = kReplacement;
        }
        AppendUtf8(utf8, c);
    }
    return utf8;
}

}  // namespace tarvel
