#include "code_page.h"

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tarvel {
namespace {

struct LanguageCodePage {
    std::string_view language;  ///< ISO 639 code, as a locale name begins
    int codePage;
};

// The code page Windows gives each language's ANSI text.
constexpr LanguageCodePage kCodePages[] = {
    {"pl", 1250}, {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"hr", 1250}, {"sl", 1250}, {"ro", 1250},
    {"ru", 1251}, {"uk", 1251}, {"be", 1251}, {"bg", 1251}, {"sr", 1251}, {"mk", 1251},
    {"el", 1253}, {"tr", 1254}, {"he", 1255}, {"iw", 1255}, {"ar", 1256},
    {"et", 1257}, {"lv", 1257}, {"lt", 1257}, {"vi", 1258}, {"th", 874},
    {"ja", 932},  {"ko", 949},  {"zh", 936},
};

}  // namespace

int AnsiCodePageForLocale(std::string_view locale) {
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@-"));
    if (language == "zh") {
        // Traditional Chinese (Taiwan, Hong Kong, Macao) has its own code page.
        const std::string_view territory = locale.substr(language.size() + (language.size() < locale.size()), 2);
        if (territory == "TW" || territory == "HK" || territory == "MO") return 950;
    }
    for (const LanguageCodePage& entry : kCodePages)
        if (entry.language == language) return entry.codePage;
    return 1252;
}

int SystemAnsiCodePage() {
#ifdef _WIN32
    // The manifest makes UTF-8 this program's own ANSI code page, so GetACP()
    // says 65001; forms are written in the system's, which its locale tells.
    DWORD codePage = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<wchar_t*>(&codePage), sizeof codePage / sizeof(wchar_t)) &&
        codePage != 0)
        return static_cast<int>(codePage);
    return 1252;  // a locale with Unicode only has no ANSI code page of its own
#else
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(variable); value && *value) return AnsiCodePageForLocale(value);
    return 1252;
#endif
}

bool IsUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length;
        unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
        if (lead < 0x80) length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;        // no overlong forms
            else if (lead == 0xED) high = 0x9F;  // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            else if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
        } else {
            return false;
        }
        if (bytes.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return false;
        }
        i += length;
    }
    return true;
}

int AutoCodePage(const Menu& menu) {
    bool beyondAscii = false;
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        const std::string_view caption = menu.items[i].caption;
        if (!IsUtf8(caption)) return SystemAnsiCodePage();
        for (const char c : caption) beyondAscii |= static_cast<unsigned char>(c) >= 0x80;
    }
    return beyondAscii ? 65001 : SystemAnsiCodePage();
}

}  // namespace tarvel
