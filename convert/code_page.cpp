#include "code_page.h"

#include <utility>

namespace tarvel {
namespace {

struct LanguageCodePage {
    std::string_view language;  ///< ISO 639 code, as a locale name begins
    int codePage;
};

// The code page Windows gives each language's ANSI text.
constexpr LanguageCodePage kLanguages[] = {
    {"pl", 1250}, {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"hr", 1250}, {"sl", 1250}, {"ro", 1250},
    {"ru", 1251}, {"uk", 1251}, {"be", 1251}, {"bg", 1251}, {"sr", 1251}, {"mk", 1251},
    {"el", 1253}, {"tr", 1254}, {"he", 1255}, {"iw", 1255}, {"ar", 1256},
    {"et", 1257}, {"lv", 1257}, {"lt", 1257}, {"vi", 1258}, {"th", 874},
    {"ja", 932},  {"ko", 949},  {"zh", 936},
};

// Windows' character sets (LOGFONT's lfCharSet) and the code page each is written in.
constexpr std::pair<int, int> kCharsets[] = {
    {0, 1252},   {128, 932},  {129, 949},  {134, 936},  {136, 950},  {161, 1253}, {162, 1254},
    {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250},
};

}  // namespace

int AnsiCodePageForLocale(std::string_view locale) {
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@-"));
    if (language == "zh") {
        // Traditional Chinese (Taiwan, Hong Kong, Macao) has its own code page.
        const std::string_view territory = locale.substr(language.size() + (language.size() < locale.size()), 2);
        if (territory == "TW" || territory == "HK" || territory == "MO") return 950;
    }
    for (const LanguageCodePage& entry : kLanguages)
        if (entry.language == language) return entry.codePage;
    return 1252;
}

int CodePageOfCharset(int charset) {
    for (const auto& [set, codePage] : kCharsets)
        if (set == charset) return codePage;
    return 0;
}

CodePageChoice ChooseCodePage(const TextFacts& facts, int systemCodePage) {
    if (facts.allUtf8 && facts.beyondAscii) return {65001, {}};
    // The fonts that show text beyond ASCII say most; without such text, every font counts.
    const auto named = [](const std::array<std::uint32_t, 256>& counts) {
        for (const auto& [charset, codePage] : kCharsets)
            if (counts[static_cast<std::size_t>(charset)] > 0) return true;
        return false;
    };
    const std::array<std::uint32_t, 256>& counts = named(facts.textCharsets) ? facts.textCharsets : facts.charsets;
    int chosen = -1, sets = 0;
    for (const auto& [charset, codePage] : kCharsets) {
        const std::uint32_t count = counts[static_cast<std::size_t>(charset)];
        if (count == 0) continue;
        ++sets;
        // On a tie, the character set of the form's own font.
        const std::uint32_t best = chosen < 0 ? 0 : counts[static_cast<std::size_t>(chosen)];
        if (count > best || (count == best && charset == facts.formCharset)) chosen = charset;
    }
    if (chosen < 0) return {systemCodePage, {}};
    CodePageChoice choice{CodePageOfCharset(chosen), {}};
    if (sets > 1) {
        choice.warning = "its fonts name different character sets (";
        bool first = true;
        for (const auto& [charset, codePage] : kCharsets) {
            const std::uint32_t count = counts[static_cast<std::size_t>(charset)];
            if (count == 0) continue;
            choice.warning += (first ? "" : ", ") + std::to_string(charset) + " in " + std::to_string(count) +
                              (count == 1 ? " font" : " fonts");
            first = false;
        }
        choice.warning += std::string(&counts == &facts.textCharsets ? " of text beyond ASCII" : "") +
                          "); the code page is " + std::to_string(choice.codePage) + ", that of " +
                          std::to_string(chosen) + ", the most named";
    }
    return choice;
}

std::size_t WholeCharacters(std::string_view text, std::size_t bytes, int codePage) {
    if (bytes >= text.size()) return text.size();
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (codePage == 65001) {
        // Back to the start of the sequence that the cut would split.
        while (bytes > 0 && (byte(bytes) & 0xC0) == 0x80) --bytes;
        return bytes;
    }
    // Lead bytes of the double-byte code pages; a trail byte may look like ASCII, so only a walk from the start tells.
    const auto lead = [&](unsigned char c) {
        switch (codePage) {
        case 932: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        case 936: case 949: case 950: return c >= 0x81 && c <= 0xFE;
        case 1361: return (c >= 0x84 && c <= 0xD3) || (c >= 0xD8 && c <= 0xDE) || (c >= 0xE0 && c <= 0xF9);
        default: return false;
        }
    };
    std::size_t whole = 0;
    while (whole < bytes) {
        const std::size_t next = whole + (lead(byte(whole)) ? 2 : 1);
        if (next > bytes) break;
        whole = next;
    }
    return whole;
}

}  // namespace tarvel
