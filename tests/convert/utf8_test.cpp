// UTF-8 as every layer checks it and turns it into the UTF-16 of Windows' wide calls.
#include "utf8.h"

#include <gtest/gtest.h>

namespace tarvel {
namespace {

TEST(Utf8, WellFormedTextOnlyIsUtf8) {
    for (const char* text : {"", "plain ASCII", "Zażółć", "ファイル", "\xF0\x9F\x98\x80"}) EXPECT_TRUE(IsUtf8(text)) << text;
    // Overlong, a surrogate, past U+10FFFF, cut short, a lone continuation byte, cp1250.
    for (const char* text : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80", "Zo\xB3w", "12345678\xB3"})
        EXPECT_FALSE(IsUtf8(text)) << text;
}

TEST(Utf8, WideTextGoesThereAndBackAndWhatIsBrokenBecomesTheReplacementCharacter) {
    const std::string text = "Zażółć ファイル \xF0\x9F\x98\x80";
    const std::wstring wide = WideFromUtf8(text);
    EXPECT_EQ(wide.size(), 14u);  // the emoji is a surrogate pair
    EXPECT_EQ(wide[2], L'\x017C');
    EXPECT_EQ(wide[12], static_cast<wchar_t>(0xD83D));
    EXPECT_EQ(Utf8FromWide(wide), text);
    EXPECT_EQ(WideFromUtf8("a\xB3" "b\xE2\x82"), std::wstring(L"a\xFFFD" L"b\xFFFD"));
    const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xDC00), L'b', 0};
    EXPECT_EQ(Utf8FromWide(lone), "a\xEF\xBF\xBD" "b");
}

}  // namespace
}  // namespace tarvel
