// Forms nobody would write by hand: empty, binary, huge, deep, broken in
// their text encoding or their line ends, or in a folder with awkward letters.
// Each converts into sound RC text or is refused with a message that names
// the form.
#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <random>
#include <string>

#include "conversion_check.h"
#include "utf8.h"
#include "hostile_support.h"

namespace tarvel::hostile {
namespace {

void ExpectSound(const Result<std::string>& result, bool useDefines) {
    ASSERT_TRUE(result.ok()) << Describe(result.error());
    EXPECT_EQ(check::CheckRcText(result.value(), useDefines, 100), "");
}

void ExpectNotAForm(const Result<std::string>& result, const fs::path& form) {
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ErrorKind::NotAForm);
    EXPECT_TRUE(Describe(result.error()).starts_with(Utf8FromPath(form) + ":")) << Describe(result.error());
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

TEST(HostileForms, AnEmptyFileIsNoForm) {
    ScratchDir dir;
    WriteBytes(dir / "Empty.frm", "");
    ExpectNotAForm(ConvertText(dir / "Empty.frm"), dir / "Empty.frm");
}

TEST(HostileForms, BinaryBytesAreNoForm) {
    ScratchDir dir;
    WriteBytes(dir / "Binary.frm", RandomBytes(1 << 20, 1));
    ExpectNotAForm(ConvertText(dir / "Binary.frm"), dir / "Binary.frm");
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

TEST(HostileForms, NulBytesInCaptionsBecomeEscapesOfThemselves) {
    ScratchDir dir;
    const std::string parent("&F\0ile", 6);
    const std::string leaf("a\0b\0\0c", 6);
    WriteBytes(dir / "Nul.frm", FormHead() + "   Begin VB.Menu mnuFile\r\n      Caption = \"" + parent +
                                    "\"\r\n" + LeafItem("mnuA", leaf, "      ") + "   End\r\n" + FormTail());
    const Result<std::string> result = ConvertText(dir / "Nul.frm");
    ExpectSound(result, true);
    ASSERT_TRUE(result.ok());
    EXPECT_NE(result.value().find("POPUP \"&F\\000ile\"\r\n"), std::string::npos);
    EXPECT_NE(result.value().find("MENUITEM \"a\\000b\\000\\000c\", mnuA\r\n"), std::string::npos);
}

TEST(HostileForms, TwentyMegabyteLineIsRefusedWithAClearError) {
    ScratchDir dir;
    const std::string huge(20 << 20, 'x');
    const std::string menu = "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n" +
                             LeafItem("mnuOpen", "&Open", "      ") + "   End\r\n";
    // Before the menu, inside it, and as a name: no real form has such a line.
    WriteBytes(dir / "OneLine.frm", huge);
    WriteBytes(dir / "Tail.frm", FormHead() + menu + huge);
    WriteBytes(dir / "LongName.frm", "Begin VB.Menu " + huge);
    const std::string tailLine = std::to_string(CountLines(FormHead() + menu, "") + 1);
    for (const auto& [name, line] : {std::pair{"OneLine.frm", std::string("1")}, std::pair{"Tail.frm", tailLine},
                                     std::pair{"LongName.frm", std::string("1")}}) {
        const Result<std::string> result = ConvertText(dir / name);
        ASSERT_FALSE(result.ok()) << name;
        EXPECT_EQ(result.error().kind, ErrorKind::FormLineTooLong);
        EXPECT_EQ(Describe(result.error()),
                  Utf8FromPath(dir / name) + ":" + line + ": cannot read the form: the line is longer than 16 MiB");
    }
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

TEST(HostileForms, AsManyItemsAsAMenuCanNumber) {
    // 65,536 items fill the numbers 0 to 65535; one more number is refused, not wrapped round to 0.
    constexpr int kPopups = 64, kPerPopup = 1024;
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
        ConversionRequest request;
        request.form = dir / "Many.frm";
        request.rc.firstId = 0;
        request.rc.useDefines = useDefines;
        std::string text;
        Destination destination;
        destination.text = &text;
        ASSERT_TRUE(ConvertForm(request, destination));
        EXPECT_EQ(check::CheckRcText(text, useDefines, 0), "");
        EXPECT_EQ(CountLines(text, "MENUITEM \""), static_cast<std::size_t>(kPopups * kPerPopup));
        EXPECT_EQ(CountLines(text, "#define "), useDefines ? static_cast<std::size_t>(kPopups * kPerPopup) : 0u);
    }
    const Result<std::string> past = ConvertText(dir / "Many.frm");  // from 100
    ASSERT_FALSE(past.ok());
    EXPECT_EQ(past.error().kind, ErrorKind::ItemNumberOutOfRange);
    EXPECT_EQ(past.error().number, 65536);
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
    // Cut to the start that one RC string holds (4,096 bytes as written, quotes included), never inside a "" pair.
    const std::string& rc = result.value();
    const std::size_t begin = rc.find("    MENUITEM \"") + 14, end = rc.find("\", mnuLong\r\n");
    ASSERT_NE(end, std::string::npos);
    const std::string kept = rc.substr(begin, end - begin);
    EXPECT_TRUE(caption.starts_with(kept));
    EXPECT_LE(kept.size() + 2, 4096u);
    EXPECT_GE(kept.size() + 2, 4095u);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), '"') % 2, 0);
}

TEST(HostileForms, InvalidUtf8PassesThroughByteForByteAndItsNameGetsANumber) {
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
    EXPECT_NE(result.value().find("    MENUITEM \"" + caption + "\", 100\r\n"), std::string::npos);
    EXPECT_EQ(result.value().find("#define"), std::string::npos);
}

TEST(HostileForms, SpacesQuotesAndNonAsciiLettersInThePath) {
    ScratchDir dir;
    const fs::path folder = dir / fs::path(u8"a b \"q\" 'z' Żółw ü");
    fs::create_directories(folder);
    const fs::path form = folder / fs::path(u8"Form \"1\" ż.frm");
    const fs::path output = folder / fs::path(u8"wynik \"ż\".rc");
    WriteBytes(form, FormHead() + LeafItem("mnuAbout", "&About") + FormTail());

    ASSERT_TRUE(ConvertToFile(form, output));
    const Result<std::string> result = ConvertText(form);
    ExpectSound(result, true);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(ReadBytes(output), result.value() + "\r\n");

    const fs::path empty = folder / fs::path(u8"Pusty \"formularz\" ą.frm");
    WriteBytes(empty, "VERSION 5.00\r\n");
    ExpectNotAForm(ConvertText(empty), empty);
}

// Every place and size of a DIALOGEX is a signed 16-bit number: what a form
// gives outside that range is brought into it, a negative size to 0, and
// each is named with its form, line and control.
TEST(HostileForms, DialogPlacesAndSizesBeyondSixteenBitsAreFittedWithAWarning) {
    ScratchDir dir;
    WriteBytes(dir / "Big.frm", "VERSION 5.00\r\nBegin VB.Form Form1\r\n   Caption = \"Big\"\r\n   ClientHeight = 3000\r\n"
                                "   ClientWidth = 99999999\r\n   Begin VB.ComboBox Combo1\r\n      Height = 2147483647\r\n"
                                "      Left = 120\r\n      Top = 120\r\n      Width = 1500\r\n   End\r\n"
                                "   Begin VB.TextBox Text1\r\n      Height = -300\r\n      Left = -999999999\r\n"
                                "      Top = 600\r\n      Width = -1500\r\n   End\r\nEnd\r\n");
    ConversionRequest request;
    request.form = dir / "Big.frm";
    request.formName = "Big.frm";
    request.rc.dialog = true;
    request.rc.useDefines = false;
    std::string text;
    Destination destination;
    destination.text = &text;
    const Result<ConversionReport> result = ConvertForm(request, destination);
    ASSERT_TRUE(result.ok()) << Describe(result.error());
    EXPECT_NE(text.find("Form1 DIALOGEX 0, 0, 32767, 123\r\n"), std::string::npos) << text;
    // The combo box's list adds to its height after it is fitted no more.
    EXPECT_NE(text.find("    COMBOBOX 100, 5, 5, 67, 32767, "), std::string::npos) << text;
    EXPECT_NE(text.find("WS_BORDER | WS_TABSTOP, -32768, 25, 0, 0\r\n"), std::string::npos) << text;
    const std::string fit = " (x, y, width, height in dialog units) does not fit a dialog, whose numbers lie within -32768"
                            " to 32767 and whose sizes are not negative; written as ";
    EXPECT_EQ(check::CheckResourceScript(text + "\r\n"), "");
    // What the dialog was written as before: the fuzz target's rulebook refuses it.
    EXPECT_NE(check::CheckResourceScript("A DIALOGEX 0, 0, 10, 10\r\n{\r\n    COMBOBOX 100, 5, 5, 67, 32831, WS_TABSTOP\r\n}\r\n"),
              "");
    EXPECT_EQ(result.value().warnings,
              (std::vector<std::string>{"Big.frm:2: the form Form1 at 0, 0, 4444444, 123" + fit + "0, 0, 32767, 123",
                                        "Big.frm:6: Combo1 (VB.ComboBox) at 5, 5, 67, 88101957" + fit + "5, 5, 67, 32767",
                                        "Big.frm:12: Text1 (VB.TextBox) at -44444444, 25, -67, -12" + fit + "-32768, 25, 0, 0"}));
}

// A damaged reference to the .frx file is no caption: it is left empty, and
// the warning names the form, the line and the reference.
TEST(HostileForms, AMalformedFrxReferenceIsToldWithItsFormAndLine) {
    ScratchDir dir;
    WriteBytes(dir / "Form1.frx", std::string("\1\0\0\0x", 5));
    const std::vector<std::string> references = {"$\"Form1.frx\":-1", "$\"Form1.frx\":", "$\"Form1.frx\"",
                                                 "$\"Form1.frx\":000000000", "$\"\":0", "$Form1.frx:0000"};
    std::string menu = "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n";
    for (std::size_t i = 0; i < references.size(); ++i)
        menu += "      Begin VB.Menu mnu" + std::to_string(i) + "\r\n         Caption = " + references[i] + "\r\n      End\r\n";
    menu += "      Begin VB.Menu mnuGood\r\n         Caption = $\"Form1.frx\":0000\r\n      End\r\n";
    WriteBytes(dir / "Form1.frm", FormHead() + menu + "   End\r\n" + FormTail());
    ConversionRequest request;
    request.form = dir / "Form1.frm";
    request.formName = "Form1.frm";
    std::string text;
    Destination destination;
    destination.text = &text;
    const Result<ConversionReport> result = ConvertForm(request, destination);
    ASSERT_TRUE(result.ok()) << Describe(result.error());
    EXPECT_NE(text.find("MENUITEM \"x\", mnuGood"), std::string::npos) << text;
    EXPECT_EQ(text.find("Form1.frx"), std::string::npos) << text;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < references.size(); ++i)
        expected.push_back("Form1.frm:" + std::to_string(7 + 3 * i) + ": the Caption of mnu" + std::to_string(i) +
                           " is left empty: its reference to the .frx file, " + references[i] +
                           ", is malformed (a reference is $\"NAME.frx\":OFFSET, the offset in one to eight hex digits)");
    for (std::size_t i = 0; i < references.size(); ++i)
        expected.push_back("Form1.frm:" + std::to_string(6 + 3 * i) + ": menu item 'mnu" + std::to_string(i) +
                           "' has no caption and no items; it is left out");
    EXPECT_EQ(result.value().warnings, expected);
}

// A pipe, a socket or a device in the place of the form or of its .frx file is
// told as what it is, never with a library's words ("Illegal seek", "No such
// device or address"), and never waited on.
TEST(HostileForms, APipeASocketOrADeviceIsToldAsNotARegularFile) {
    ScratchDir dir;
    ASSERT_EQ(mkfifo((dir / "Pipe.frm").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((dir / "Pipe.frx").c_str(), 0600), 0);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = Utf8FromPath(dir / "Socket.frm");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink(dir / "Socket.frm", dir / "Socket.frx");
    fs::create_symlink("/dev/zero", dir / "Zero.frx");

    const std::string notRegular = ": cannot read the form: it is not a regular file but a pipe, a socket or a device";
    for (const fs::path& form : {dir / "Pipe.frm", dir / "Socket.frm", fs::path("/dev/zero")}) {
        const Result<std::string> result = ConvertText(form);
        ASSERT_FALSE(result.ok()) << form;
        EXPECT_EQ(Describe(result.error()), Utf8FromPath(form) + notRegular);
    }
    for (const char* frx : {"Pipe.frx", "Socket.frx", "Zero.frx"}) {
        WriteBytes(dir / "Form1.frm", FormHead() + "   Begin VB.Menu mnuA\r\n      Caption = $\"" + frx +
                                          "\":0000\r\n   End\r\n" + LeafItem("mnuB", "B") + FormTail());
        ConversionRequest request;
        request.form = dir / "Form1.frm";
        request.formName = "Form1.frm";
        std::string text;
        Destination destination;
        destination.text = &text;
        const Result<ConversionReport> result = ConvertForm(request, destination);
        ASSERT_TRUE(result.ok()) << Describe(result.error());
        ASSERT_FALSE(result.value().warnings.empty());
        EXPECT_EQ(result.value().warnings[0], "Form1.frm:5: the Caption of mnuA is left empty: " + Utf8FromPath(dir / frx) +
                                                  ": cannot read the caption file: it is not a regular file but a pipe, a"
                                                  " socket or a device");
    }
    close(listener);
}

// A .frx entry may claim no more than a line of the form may hold: a sparse
// file that claims a caption of 1 GiB is refused before room is made for it.
TEST(HostileForms, AFrxEntryLongerThanALineIsRefusedWithTheFormsLine) {
    ScratchDir dir;
    WriteBytes(dir / "Form1.frm", FormHead() + "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n" +
                                      "      Begin VB.Menu mnuHuge\r\n         Caption = $\"Form1.frx\":0000\r\n" +
                                      "      End\r\n   End\r\n" + FormTail());
    WriteBytes(dir / "Form1.frx", std::string("\0\0\0\x40", 4));  // 1 GiB follows, says the length
    fs::resize_file(dir / "Form1.frx", (std::uintmax_t{1} << 30) + 4);
    ConversionRequest request;
    request.form = dir / "Form1.frm";
    request.formName = "Form1.frm";
    const Result<std::string> result = ConvertFormToText(request);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ErrorKind::FrxEntryTooLong);
    EXPECT_EQ(Describe(result.error()), "Form1.frm:7: the string it refers to in " + Utf8FromPath(dir / "Form1.frx") +
                                            " claims 1073741824 bytes, more than the 16 MiB a line of a form may hold");
    // One byte within the bound is read as ever.
    WriteBytes(dir / "Form1.frx", std::string("\0\0\0\1", 4));
    fs::resize_file(dir / "Form1.frx", (std::uintmax_t{16} << 20) + 4);
    EXPECT_TRUE(ConvertFormToText(request).ok());
}

// The form and its .frx file are opened first and looked at as opened: a FIFO
// put in the file's place between a look at its name and the open would make
// the open wait for a writer for ever. Here another thread swaps FIFOs in and
// out as fast as it can while a child converts again and again; the child
// must always finish (an alarm ends it if it waits).
TEST(HostileForms, AFifoSwappedInForTheFormOrItsFrxIsNeverWaitedOn) {
    ScratchDir dir;
    WriteBytes(dir / "Form1.frx", std::string("\1\0\0\0x", 5));
    const std::string form = FormHead() + "   Begin VB.Menu mnuA\r\n      Caption = $\"Form1.frx\":0000\r\n   End\r\n" +
                             LeafItem("mnuB", "B") + FormTail();
    WriteBytes(dir / "Form1.frm", form);
    WriteBytes(dir / "form.regular", form);
    fs::copy_file(dir / "Form1.frx", dir / "frx.regular");
    ASSERT_EQ(mkfifo((dir / "form.fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((dir / "frx.fifo").c_str(), 0600), 0);

    const pid_t swapper = fork();
    if (swapper == 0) {
        // Each name takes the FIFO's place and then the regular file's, over and over.
        for (;;)
            for (const char* what : {"form", "frx"}) {
                const std::string name = Utf8FromPath(dir / (std::string(what) == "form" ? "Form1.frm" : "Form1.frx"));
                const std::string fifo = Utf8FromPath(dir / (std::string(what) + ".fifo"));
                const std::string regular = Utf8FromPath(dir / (std::string(what) + ".regular"));
                if (link(name.c_str(), regular.c_str()) == 0 || errno == EEXIST) (void)!rename(fifo.c_str(), name.c_str());
                (void)!link(name.c_str(), fifo.c_str());
                (void)!rename(regular.c_str(), name.c_str());
            }
    }
    const pid_t converter = fork();
    if (converter == 0) {
        alarm(120);
        int converted = 0;
        for (int i = 0; i < 50000; ++i) converted += ConvertText(dir / "Form1.frm").ok() ? 1 : 0;
        _exit(converted > 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(converter, &status, 0), converter);
    kill(swapper, SIGKILL);
    waitpid(swapper, nullptr, 0);
    EXPECT_FALSE(WIFSIGNALED(status)) << "the conversion waited on a FIFO until signal " << WTERMSIG(status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "no conversion found the regular form";
}

// The rulebook the fuzz target judges every writer by: what no resource
// compiler, C compiler or assembler would take is found, what they take passes.
TEST(HostileForms, TheRulebookOfEveryWriterRefusesWhatNoCompilerTakes) {
    const std::string good = "#pragma code_page(1250)\r\n#include <windows.h>\r\n#include \"ids.h\"\r\n\r\nMain MENU\r\n{\r\n"
                             "    MENUITEM \"&Open\\tCtrl+O\", mnuOpen  // open\r\n}\r\nMain ACCELERATORS\r\n{\r\n"
                             "    \"O\", mnuOpen, VIRTKEY, CONTROL\r\n}\r\n";
    EXPECT_EQ(check::CheckResourceScript(good), "");
    for (const std::string bad : {"M MENU\r\n{\r\n", "M MENU\r\n}\r\n", "MENUITEM \"a, 1\r\n", "MENUITEM \"a\", 70000\r\n",
                                  "#pragma code_page(0)\r\n", "#define a 1\r\n#define a 2\r\n", "MENUITEM \"a\", 1\n",
                                  "MENUITEM \"a\" ; 1\r\n", "/* open\r\n", "MENUITEM \"\\q\", 1\r\n"})
        EXPECT_NE(check::CheckResourceScript(bad), "") << bad;

    std::vector<std::pair<std::string, std::int64_t>> defines, equs;
    EXPECT_EQ(check::CheckHeaderText("/* numbers */\r\n#ifndef IDS_H\r\n#define IDS_H\r\n\r\n#define mnuOpen 100\r\n"
                                     "/* exit is 101: a name C has */\r\n\r\n#endif\r\n",
                                     &defines),
              "");
    EXPECT_EQ(defines, (std::vector<std::pair<std::string, std::int64_t>>{{"mnuOpen", 100}}));
    for (const std::string bad : {"#define 1x 100\r\n", "#ifndef G\r\n#define G\r\n", "#define a 65536\r\n", "int x;\r\n",
                                  "#ifndef G\r\n#define G\r\n#endif\r\n#define a 1\r\n"})
        EXPECT_NE(check::CheckHeaderText(bad), "") << bad;
    EXPECT_EQ(check::CheckMasmText("; numbers\r\nmnuOpen equ 100\r\n", &equs), "");
    EXPECT_EQ(equs, defines);
    for (const std::string bad : {"mnuOpen = 100\r\n", "mnu Open equ 100\r\n", "a equ 1\r\na equ 2\r\n"})
        EXPECT_NE(check::CheckMasmText(bad), "") << bad;
}

// The pictures: each resource names a file of the run of its own type, whose name says what its bytes are.
TEST(HostileForms, TheRulebookOfThePicturesRefusesAResourceWithoutItsFile) {
    using Files = std::vector<check::PictureFile>;
    const std::string icon("\0\0\1\0\1\0", 6), bitmap = "BM....";
    const std::string rc = "F_Icon ICON \"Form1.ico\"\r\nP_Picture BITMAP \"Form1_P.bmp\"  // 2\r\n"
                           "F DIALOGEX 0, 0, 10, 10\r\n{\r\n    ICON F_Icon, 3, 0, 0, 0, 0\r\n}\r\n";
    EXPECT_EQ(check::CheckPictures(rc, Files{{"Form1.ico", icon}, {"Form1_P.bmp", bitmap}}), "");
    const std::pair<std::string, Files> bad[] = {
        {rc, Files{{"Form1.ico", icon}}},                                         // a resource of no file
        {rc, Files{{"Form1.ico", bitmap}, {"Form1_P.bmp", bitmap}}},              // a bitmap named .ico
        {rc, Files{{"Form1.ico", icon}, {"Form1_P.bmp", bitmap}, {"FORM1.ico", icon}}},  // one name twice
        {"", Files{{"Form1 \xC5\xBC.bmp", bitmap}}},                               // not ASCII
        {"", Files{{"Form1.bmp", "GIF89a"}}},                                     // no picture of ours
        {"F ICON \"Form1_P.bmp\"\r\n", Files{{"Form1_P.bmp", bitmap}}},           // an icon of a bitmap's file
    };
    for (const auto& [text, files] : bad) EXPECT_NE(check::CheckPictures(text, files), "") << text;
}

// The program: every handler once or listed, and the form's code whole inside comments.
TEST(HostileForms, TheRulebookOfTheProgramRefusesCodeThatEscapesItsComment) {
    const std::string code = "Private Sub Command1_Click()\r\n    x = 1 ' */\r\nEnd Sub\r\nPrivate Sub Text1_KeyPress()\r\nEnd Sub\r\n";
    const std::vector<check::CodeHandler> handlers = {{"Command1_Click", "Private Sub Command1_Click()"},
                                                      {"Text1_KeyPress", "Private Sub Text1_KeyPress()"}};
    const std::string function = "static void Command1_Click(void)\r\n{\r\n#ifdef TARVEL_TRACE\r\n"
                                 "    tarvelTrace(\"Command1_Click\", -1);\r\n#endif\r\n    /*\r\n"
                                 "    Private Sub Command1_Click()\r\n        x = 1 ' * /\r\n    End Sub\r\n    */\r\n}\r\n";
    const std::string call = "static void tarvelCommand(int id)\r\n{\r\n    if (id == 1) Command1_Click();\r\n}\r\n";
    const std::string rest = "/* rest:\r\nPrivate Sub Text1_KeyPress()\r\nEnd Sub\r\n*/\r\n";
    const std::string listed = "/* Handlers of the form's code that no Windows message of this program stands for:\r\n"
                               "     Text1_KeyPress (line 4)\r\n*/\r\n" + rest;
    EXPECT_EQ(check::CheckProgramText(function + call + listed, code, handlers), "");
    std::string escaped = function;
    escaped.replace(escaped.find("* /"), 3, "*/");
    const std::string bad[] = {
        escaped + call + listed,                  // the code's "*/" ends the comment
        function + listed,                        // a handler that nothing calls
        function + call + rest,                   // a handler neither defined nor listed
        function + function + call + listed,      // one handler defined twice
        function + call + listed + "}\r\n",       // a brace that closes nothing
        function + call + listed + "/* a /* b */\r\n",  // a comment opened inside another
        function + call + listed + "/* a *\\\r\n/ b */\r\n",  // a backslash that joins "*" to "/"
        function + call + listed + "int \xC5\xBC;\r\n",  // a byte beyond ASCII outside comments and strings
    };
    for (const std::string& text : bad) EXPECT_NE(check::CheckProgramText(text, code, handlers), "") << text;
}

}  // namespace
}  // namespace tarvel::hostile
