// Forms nobody would write by hand: empty, binary, huge, deep, broken in
// their text encoding or their line ends, or in a folder with awkward letters.
// Each converts into sound RC text or is refused with a message that names
// the form.
#include <gtest/gtest.h>

#include <pthread.h>

#include <random>
#include <string>

#include "conversion_check.h"
#include "file_io.h"
#include "hostile_support.h"

namespace tarvel::hostile {
namespace {

void ExpectSound(const Result<std::string>& result, bool useDefines) {
    ASSERT_TRUE(result.ok()) << Describe(result.error());
    EXPECT_EQ(check::CheckRcText(result.value(), useDefines, 100), "");
}

void ExpectNoMenu(const Result<std::string>& result, const fs::path& form) {
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ErrorKind::NoMenu);
    EXPECT_NE(Describe(result.error()).find(PathText(form)), std::string::npos) << Describe(result.error());
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

TEST(HostileForms, EmptyFormHasNoMenu) {
    ScratchDir dir;
    WriteBytes(dir / "Empty.frm", "");
    ExpectNoMenu(ConvertText(dir / "Empty.frm"), dir / "Empty.frm");
}

TEST(HostileForms, BinaryBytesHaveNoMenu) {
    ScratchDir dir;
    WriteBytes(dir / "Binary.frm", RandomBytes(1 << 20, 1));
    ExpectNoMenu(ConvertText(dir / "Binary.frm"), dir / "Binary.frm");
}

TEST(HostileForms, BinaryLinesInsideTheMenuAreIgnored) {
    ScratchDir dir;
    const std::string junk = RandomBytes(64 * 1024, 2);
    const std::string menu = "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n" +
                             LeafItem("mnuOpen", "&Open", "      ") + junk + "\r\n" +
                             LeafItem("mnuExit", "E&xit", "      ") + "   End\r\n";
    WriteBytes(dir / "Junk.frm", FormHead() + menu + FormTail());
    for (bool useDefines : {true, false}) {
        const Result<std::string> result = ConvertText(dir / "Junk.frm", useDefines);
        ExpectSound(result, useDefines);
        if (!result.ok()) continue;
        EXPECT_NE(result.value().find("MENUITEM \"&Open\""), std::string::npos);
        EXPECT_NE(result.value().find("MENUITEM \"E&xit\""), std::string::npos);
    }
}

TEST(HostileForms, NulBytesInCaptionsPassThroughByteForByte) {
    ScratchDir dir;
    const std::string parent("&F\0ile", 6);
    const std::string leaf("a\0b\0\0c", 6);
    WriteBytes(dir / "Nul.frm", FormHead() + "   Begin VB.Menu mnuFile\r\n      Caption = \"" + parent +
                                    "\"\r\n" + LeafItem("mnuA", leaf, "      ") + "   End\r\n" + FormTail());
    const Result<std::string> result = ConvertText(dir / "Nul.frm");
    ExpectSound(result, true);
    ASSERT_TRUE(result.ok());
    EXPECT_NE(result.value().find("POPUP \"" + parent + "\"\r\n"), std::string::npos);
    EXPECT_NE(result.value().find("MENUITEM \"" + leaf + "\", mnuA\r\n"), std::string::npos);
}

TEST(HostileForms, TwentyMegabyteLineWithoutLineEnd) {
    ScratchDir dir;
    const std::string huge(20 << 20, 'x');
    WriteBytes(dir / "OneLine.frm", huge);
    ExpectNoMenu(ConvertText(dir / "OneLine.frm"), dir / "OneLine.frm");

    // The same line after a real menu is one property line that sets nothing.
    const std::string menu = "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n" +
                             LeafItem("mnuOpen", "&Open", "      ") + "   End\r\n";
    WriteBytes(dir / "Plain.frm", FormHead() + menu);
    WriteBytes(dir / "Tail.frm", FormHead() + menu + huge);
    const Result<std::string> plain = ConvertText(dir / "Plain.frm");
    const Result<std::string> tail = ConvertText(dir / "Tail.frm");
    ExpectSound(tail, true);
    ASSERT_TRUE(plain.ok() && tail.ok());
    EXPECT_EQ(tail.value(), plain.value());

    // A begin line 20 MB long: an item without a caption, which writes nothing.
    WriteBytes(dir / "LongName.frm", "Begin VB.Menu " + huge);
    ExpectSound(ConvertText(dir / "LongName.frm"), true);
}

TEST(HostileForms, MixedLineEndsConvertLikeCrLf) {
    ScratchDir dir;
    const std::string menu = "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n" +
                             LeafItem("mnuOpen", "&Open", "      ") + LeafItem("mnuSep", "-", "      ") +
                             "      Begin VB.Menu mnuRecent\r\n         Caption = \"&Recent\"\r\n" +
                             LeafItem("mnuOne", "One", "         ") + "      End\r\n" +
                             LeafItem("mnuExit", "E&xit", "      ") + "   End\r\n" +
                             LeafItem("mnuAbout", "&About");
    const std::string crlf = FormHead() + menu + FormTail();
    std::string mixed;
    const char* const ends[] = {"\r", "\n", "\r\n"};
    std::size_t which = 0;
    for (std::size_t p = 0; p < crlf.size();) {
        const std::size_t end = crlf.find("\r\n", p);
        mixed += crlf.substr(p, end - p);
        mixed += ends[which++ % 3];
        p = end + 2;
    }
    WriteBytes(dir / "CrLf.frm", crlf);
    WriteBytes(dir / "Mixed.frm", mixed);
    for (bool useDefines : {true, false}) {
        const Result<std::string> expected = ConvertText(dir / "CrLf.frm", useDefines);
        const Result<std::string> result = ConvertText(dir / "Mixed.frm", useDefines);
        ExpectSound(result, useDefines);
        ASSERT_TRUE(expected.ok() && result.ok());
        EXPECT_EQ(result.value(), expected.value());
        EXPECT_EQ(CountLines(result.value(), "MENUITEM \""), 4u);
    }
}

// Runs `body` on a thread whose stack is far too small for a recursion as
// deep as the menu, so that any recursion over the nesting overflows it.
template <class Body>
void OnSmallStack(Body body) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 256 * 1024), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(
                  &thread, &attributes,
                  [](void* argument) -> void* {
                      (*static_cast<Body*>(argument))();
                      return nullptr;
                  },
                  &body),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

TEST(HostileForms, MenuNestedTenThousandLevels) {
    constexpr int kDepth = 10000;
    ScratchDir dir;
    std::string menu;
    for (int i = 0; i < kDepth; ++i)
        menu += "Begin VB.Menu mnuLevel" + std::to_string(i) + "\r\nCaption = \"Level " + std::to_string(i) + "\"\r\n";
    menu += LeafItem("mnuBottom", "Bottom", "");
    for (int i = 0; i < kDepth; ++i) menu += "End\r\n";
    WriteBytes(dir / "Deep.frm", FormHead() + menu + FormTail());

    Result<std::string> result = ConvertError{ErrorKind::NoMenu, "not run", {}};
    OnSmallStack([&] { result = ConvertText(dir / "Deep.frm"); });
    ExpectSound(result, true);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(CountLines(result.value(), "POPUP \""), static_cast<std::size_t>(kDepth));
    EXPECT_NE(result.value().find("\r\n" + std::string(4 * kDepth, ' ') + "MENUITEM \"Bottom\", mnuBottom\r\n"),
              std::string::npos);
}

TEST(HostileForms, FiveHundredThousandItems) {
    constexpr int kPopups = 500, kPerPopup = 1000;
    ScratchDir dir;
    std::string menu;
    for (int p = 0; p < kPopups; ++p) {
        menu += "   Begin VB.Menu mnuP" + std::to_string(p) + "\r\n      Caption = \"P" + std::to_string(p) + "\"\r\n";
        for (int i = 0; i < kPerPopup; ++i) {
            const std::string n = std::to_string(p * kPerPopup + i);
            menu += LeafItem("mnuI" + n, "Item " + n, "      ");
        }
        menu += "   End\r\n";
    }
    WriteBytes(dir / "Many.frm", FormHead() + menu + FormTail());
    for (bool useDefines : {true, false}) {
        const Result<std::string> result = ConvertText(dir / "Many.frm", useDefines);
        ExpectSound(result, useDefines);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(CountLines(result.value(), "MENUITEM \""), static_cast<std::size_t>(kPopups * kPerPopup));
        EXPECT_EQ(CountLines(result.value(), "#define "), useDefines ? static_cast<std::size_t>(kPopups * kPerPopup) : 0u);
    }
}

TEST(HostileForms, CaptionOfOneHundredThousandCharacters) {
    ScratchDir dir;
    std::string caption;
    for (int i = 0; caption.size() < 100000; ++i) caption += (i % 97 == 0) ? std::string("\"\"") : std::string(1, static_cast<char>('a' + i % 26));
    caption.resize(100000);
    if (caption.back() == '"' && caption[caption.size() - 2] != '"') caption.back() = 'z';
    WriteBytes(dir / "Long.frm", FormHead() + "   Begin VB.Menu mnuFile\r\n      Caption = \"File\"\r\n" +
                                     LeafItem("mnuLong", caption, "      ") + "   End\r\n" + FormTail());
    const Result<std::string> result = ConvertText(dir / "Long.frm");
    ExpectSound(result, true);
    ASSERT_TRUE(result.ok());
    EXPECT_NE(result.value().find("    MENUITEM \"" + caption + "\", mnuLong\r\n"), std::string::npos);
}

TEST(HostileForms, InvalidUtf8PassesThroughByteForByte) {
    ScratchDir dir;
    // A lone continuation byte, a truncated sequence, an overlong slash, a surrogate, 0xFF.
    const std::string caption = "\x80 \xC3( \xC0\xAF \xED\xA0\x80 \xFF\xFE";
    const std::string name = "mnu\xE9\xFF";
    WriteBytes(dir / "Bytes.frm", FormHead() + "   Begin VB.Menu mnuFile\r\n      Caption = \"\xC3\"\r\n" +
                                      LeafItem(name, caption, "      ") + "   End\r\n" + FormTail());
    const Result<std::string> result = ConvertText(dir / "Bytes.frm");
    ExpectSound(result, true);
    ASSERT_TRUE(result.ok());
    EXPECT_NE(result.value().find("POPUP \"\xC3\"\r\n"), std::string::npos);
    EXPECT_NE(result.value().find("    MENUITEM \"" + caption + "\", " + name + "\r\n"), std::string::npos);
    EXPECT_NE(result.value().find("#define " + name + " 100\r\n"), std::string::npos);
}

TEST(HostileForms, SpacesQuotesAndNonAsciiLettersInThePath) {
    ScratchDir dir;
    const fs::path folder = dir / fs::path(u8"a b \"q\" 'z' Żółw ü");
    fs::create_directories(folder);
    const fs::path form = folder / fs::path(u8"Form \"1\" ż.frm");
    const fs::path output = folder / fs::path(u8"wynik \"ż\".rc");
    WriteBytes(form, FormHead() + LeafItem("mnuAbout", "&About") + FormTail());

    const Result<std::string> result = ConvertToFile(form, output);
    ExpectSound(result, true);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(ReadBytes(output), result.value() + "\r\n");

    const fs::path empty = folder / fs::path(u8"Pusty \"formularz\" ą.frm");
    WriteBytes(empty, "VERSION 5.00\r\n");
    ExpectNoMenu(ConvertText(empty), empty);
}

}  // namespace
}  // namespace tarvel::hostile
