// The .frx readers: every picture, image list entry and list of the real
// forms in ../shared/corpus/pictures, the forms whose .frx is missing or named
// in another case, and hostile lengths, which must be refused before a byte
// of what they claim is read.
#include "frx_data.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "corpus_forms.h"
#include "test_support.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;
using test::FrxRef;

struct OpenedFrx {
    std::unique_ptr<FrxFile> file;
    std::set<std::uint64_t> offsets;  ///< every offset the form names in it, and its size
};

// The form's .frx files, opened by the reader, with the offsets the form names in each.
std::map<std::string, OpenedFrx> OpenFrxFiles(const fs::path& folder, const test::WalkedForm& form) {
    std::map<std::string, OpenedFrx> files;
    for (const FrxRef& ref : form.refs) {
        OpenedFrx& opened = files[ref.frxName];
        if (!opened.file) {
            Result<std::unique_ptr<FrxFile>> file = FrxFile::Open(folder, ref.frxName);
            EXPECT_TRUE(file.ok()) << folder << ": " << (file.ok() ? "" : Describe(file.error()));
            if (!file) continue;
            opened.file = std::move(file.value());
            opened.offsets.insert(opened.file->Size());
        }
        opened.offsets.insert(ref.offset);
    }
    return files;
}

// The bytes a List or ItemData takes: its count, the word after it, and each item's length and bytes.
std::uint64_t ListSize(const std::vector<std::string>& items) {
    std::uint64_t size = items.empty() ? 2 : 4;
    for (const std::string& item : items) size += 2 + item.size();
    return size;
}

TEST(FrxCorpus, EveryPictureIsReadAndEndsWhereTheNextDatumBegins) {
    SKIP_WITHOUT_CORPUS(test::PicturesDir());
    int pictures = 0, forms = 0;
    for (const auto& [row, folder, form] : test::FormsWithFrx()) {
        std::map<std::string, OpenedFrx> files = OpenFrxFiles(folder, form);
        std::set<std::string> kinds;
        for (const FrxRef& ref : form.refs) {
            if (!test::IsPictureRef(ref) || !files[ref.frxName].file) continue;
            SCOPED_TRACE(row.folder + ":" + std::to_string(ref.line) + " " + ref.control + "." + ref.property);
            OpenedFrx& frx = files[ref.frxName];
            Result<FrxPicture> picture = ReadPicture(*frx.file, ref.offset);
            ASSERT_TRUE(picture.ok()) << Describe(picture.error());
            ++pictures;
            // VB's own controls keep the short layout, every other control the one with a class id,
            // but for the DragIcon that VB gives every control.
            EXPECT_EQ(picture.value().activeX, ref.controlClass.rfind("VB.", 0) != 0 && ref.property != "DragIcon");
            // Each datum of a .frx is followed by the next one the form names, or by the file's end:
            // a length read wrong by a single byte breaks the chain.
            EXPECT_TRUE(frx.offsets.count(picture.value().end())) << "ends at " << picture.value().end();
            kinds.insert(picture.value().empty() ? std::string("empty")
                                                 : std::string(ImageKindName(picture.value().kind)));
        }
        if (row.imageKinds == "-") continue;
        std::string joined;
        for (const std::string& kind : kinds) joined += (joined.empty() ? "" : ",") + kind;
        EXPECT_EQ(joined, row.imageKinds) << row.folder;
        ++forms;
    }
    EXPECT_EQ(forms, 36);
    EXPECT_EQ(pictures, 503);
}

TEST(FrxCorpus, EveryImageListEntryIsAnActiveXPicture) {
    SKIP_WITHOUT_CORPUS(test::PicturesDir());
    int imageLists = 0;
    for (const auto& [row, folder, form] : test::FormsWithFrx()) {
        std::map<std::string, OpenedFrx> files = OpenFrxFiles(folder, form);
        for (std::size_t control = 0; control < form.controls.size(); ++control) {
            if (form.controls[control].listImages == 0) continue;
            SCOPED_TRACE(row.folder + " " + form.controls[control].name);
            int entries = 0;
            for (const FrxRef& ref : form.refs) {
                if (ref.controlIndex != control || ref.propertyBlock.rfind("ListImage", 0) != 0) continue;
                EXPECT_EQ(ref.property, "Picture");
                EXPECT_EQ(ref.propertyBlock, "ListImage" + std::to_string(++entries));
                Result<FrxPicture> picture = ReadPicture(*files[ref.frxName].file, ref.offset);
                ASSERT_TRUE(picture.ok()) << Describe(picture.error());
                EXPECT_TRUE(picture.value().activeX);
                EXPECT_FALSE(picture.value().empty());
                EXPECT_NE(picture.value().kind, ImageKind::Unknown);
            }
            EXPECT_EQ(entries, form.controls[control].listImages);
            ++imageLists;
        }
    }
    EXPECT_EQ(imageLists, 18);
}

TEST(FrxCorpus, EveryListAndItemDataIsReadWithOneValueAnItem) {
    SKIP_WITHOUT_CORPUS(test::PicturesDir());
    int lists = 0, items = 0;
    for (const auto& [row, folder, form] : test::FormsWithFrx()) {
        std::map<std::string, OpenedFrx> files = OpenFrxFiles(folder, form);
        for (std::size_t i = 0; i < form.refs.size(); ++i) {
            const FrxRef& list = form.refs[i];
            if (list.property != "List") continue;
            SCOPED_TRACE(row.folder + ":" + std::to_string(list.line) + " " + list.control);
            OpenedFrx& frx = files[list.frxName];
            Result<std::vector<std::string>> texts = ReadList(*frx.file, list.offset);
            ASSERT_TRUE(texts.ok()) << Describe(texts.error());
            EXPECT_TRUE(frx.offsets.count(list.offset + ListSize(texts.value())));
            ++lists;
            items += static_cast<int>(texts.value().size());
            // VB writes a control's ItemData just before its List, one value an item.
            ASSERT_GT(i, 0u);
            const FrxRef& itemData = form.refs[i - 1];
            ASSERT_EQ(itemData.property, "ItemData");
            ASSERT_EQ(itemData.control, list.control);
            Result<std::vector<std::int32_t>> values = ReadItemData(*frx.file, itemData.offset);
            ASSERT_TRUE(values.ok()) << Describe(values.error());
            EXPECT_EQ(values.value().size(), texts.value().size());
            Result<std::vector<std::string>> valueTexts = ReadList(*frx.file, itemData.offset);
            ASSERT_TRUE(valueTexts.ok());
            EXPECT_EQ(itemData.offset + ListSize(valueTexts.value()), list.offset);
        }
    }
    EXPECT_EQ(lists, 15);
    EXPECT_EQ(items, 52);
}

TEST(FrxCorpus, AMissingFrxIsNamedAndOneInAnotherCaseIsFound) {
    SKIP_WITHOUT_CORPUS(test::PicturesDir());
    int missing = 0, otherCase = 0;
    for (const test::ManifestRow& row : test::ReadManifest()) {
        const fs::path folder = test::PicturesDir() / row.folder;
        const test::WalkedForm form = test::WalkForm(test::ReadBytes(test::FormIn(folder)));
        ASSERT_FALSE(form.refs.empty()) << row.folder;
        const std::string& name = form.refs.front().frxName;
        Result<std::unique_ptr<FrxFile>> file = FrxFile::Open(folder, name);
        if (!row.frxPresent) {
            ASSERT_FALSE(file.ok()) << row.folder;
            EXPECT_EQ(file.error().kind, ErrorKind::FrxUnreadable);
            EXPECT_EQ(file.error().file, test::PathUtf8(folder / name));
            EXPECT_EQ(file.error().system, std::errc::no_such_file_or_directory);
            ++missing;
        } else if (row.notes.find("matches only case-insensitively") != std::string::npos) {
            ASSERT_TRUE(file.ok()) << row.folder;
            const std::string found = fs::path(file.value()->Name()).filename().string();
            EXPECT_NE(found, name);
            EXPECT_TRUE(std::equal(found.begin(), found.end(), name.begin(), name.end(),
                                   [](char a, char b) { return std::tolower(a) == std::tolower(b); }));
            EXPECT_EQ(file.value()->Size(), fs::file_size(folder / found));
            ++otherCase;
        }
    }
    EXPECT_EQ(missing, 4);
    EXPECT_EQ(otherCase, 2);
}

// Bytes in memory that remember the most any one read asked for.
class CountingFrx : public FrxData {
public:
    explicit CountingFrx(std::string bytes) : bytes_(std::move(bytes)), inner_("Form1.frx", bytes_) {}
    const std::string& Name() const override { return inner_.Name(); }
    std::uint64_t Size() const override { return inner_.Size(); }
    Result<std::string> Read(std::uint64_t offset, std::size_t count) override {
        largestRead = std::max(largestRead, count);
        return inner_.Read(offset, count);
    }
    std::size_t largestRead = 0;

private:
    std::string bytes_;
    FrxBytes inner_;
};

std::string Le32(std::uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

std::string Le16(std::uint16_t value) { return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)}; }

const std::string kMark("lt\0\0", 4);
const std::string kStdPicture("\x04\x52\xE3\x0B\x91\x8F\xCE\x11\x9D\xE3\x00\xAA\x00\x4B\xB8\x51", 16);

TEST(FrxData, PicturesInBothLayoutsAndEmptyOnes) {
    const std::string icon = std::string("\0\0\1\0", 4) + "rest of an icon";
    const std::string bytes = std::string(12, 'x') + Le32(icon.size() + 8) + kMark + Le32(icon.size()) + icon +
                              Le32(24) + kStdPicture + kMark + Le32(0) + Le32(8) + kMark + Le32(0);
    FrxBytes frx("Form1.frx", bytes);

    Result<FrxPicture> own = ReadPicture(frx, 12);
    ASSERT_TRUE(own.ok()) << Describe(own.error());
    EXPECT_FALSE(own.value().activeX);
    EXPECT_EQ(own.value().image, icon);
    EXPECT_EQ(own.value().kind, ImageKind::Icon);
    const auto activeXAt = static_cast<std::uint32_t>(own.value().end());

    Result<FrxPicture> activeX = ReadPicture(frx, activeXAt);
    ASSERT_TRUE(activeX.ok()) << Describe(activeX.error());
    EXPECT_TRUE(activeX.value().activeX);
    EXPECT_TRUE(activeX.value().empty());
    EXPECT_EQ(activeX.value().end(), activeXAt + 28u);

    Result<FrxPicture> empty = ReadPicture(frx, activeXAt + 28);
    ASSERT_TRUE(empty.ok()) << Describe(empty.error());
    EXPECT_TRUE(empty.value().empty());
    EXPECT_EQ(empty.value().end(), bytes.size());
}

TEST(FrxData, HostileLengthsAreRefusedBeforeAnythingIsRead) {
    struct Case {
        const char* what;
        std::string bytes;
        std::uint32_t offset;
        std::string message;
    };
    const std::uint32_t gib = 1u << 30;
    const Case cases[] = {
        {"a picture claiming 1 GiB", Le32(gib) + kMark + Le32(gib - 8) + "tiny", 0,
         "Form1.frx: at offset 0000: the picture claims 1073741816 bytes, more than the 64 MiB that any form holds"},
        {"an ActiveX picture claiming 1 GiB", Le32(gib) + kStdPicture + kMark + Le32(gib - 24), 0,
         "Form1.frx: at offset 0000: the picture claims 1073741800 bytes, more than the 64 MiB that any form holds"},
        {"a picture longer than the file", "ab" + Le32(108) + kMark + Le32(100) + "only this", 2,
         "Form1.frx: at offset 0002: the picture claims 100 bytes, but only 9 follow in the file"},
        {"lengths that disagree", Le32(50) + kMark + Le32(4) + "BMxx", 0,
         "Form1.frx: at offset 0000: the picture's lengths disagree: 50 bytes in all, but an image of 4"},
        {"no mark", Le32(12) + "abcd" + Le32(4) + "BMxx", 0,
         "Form1.frx: at offset 0000: no picture: the mark 6C 74 00 00 is not where a picture has it"},
        {"a picture cut inside its header", Le32(12) + kMark + "\1", 0,
         "Form1.frx: at offset 0000: no picture: the mark 6C 74 00 00 is not where a picture has it"},
        {"an offset past the end", "abc", 0xBC26,
         "Form1.frx: at offset BC26: no picture: the file ends before it, at 3 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountingFrx frx(c.bytes);
        Result<FrxPicture> picture = ReadPicture(frx, c.offset);
        ASSERT_FALSE(picture.ok());
        EXPECT_EQ(picture.error().kind, ErrorKind::FrxOutOfRange);
        EXPECT_EQ(Describe(picture.error()), c.message);
        EXPECT_LE(frx.largestRead, 28u);
    }
}

TEST(FrxData, ListsKeepTheirBytesAndRefuseWhatTheFileCannotHold) {
    const std::string items = Le16(3) + Le16(5) + Le16(5) + "Zupa\xB3" + Le16(0) + Le16(2) + "\"x";
    const std::string itemData = Le16(3) + Le16(11) + Le16(2) + "-1" + Le16(10) + "2147483647" + Le16(11) + "-2147483648";
    const std::string bytes = Le16(0) + items + itemData;
    FrxBytes frx("Form1.frx", bytes);

    Result<std::vector<std::string>> empty = ReadList(frx, 0);
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty.value().empty());
    Result<std::vector<std::string>> list = ReadList(frx, 2);
    ASSERT_TRUE(list.ok()) << Describe(list.error());
    EXPECT_EQ(list.value(), (std::vector<std::string>{"Zupa\xB3", "", "\"x"}));
    Result<std::vector<std::int32_t>> values = ReadItemData(frx, static_cast<std::uint32_t>(2 + items.size()));
    ASSERT_TRUE(values.ok()) << Describe(values.error());
    EXPECT_EQ(values.value(), (std::vector<std::int32_t>{-1, 2147483647, -2147483647 - 1}));

    struct Case {
        const char* what;
        std::string bytes;
        bool itemData;
        std::string message;
    };
    const Case cases[] = {
        {"65535 items in 10 bytes", Le16(65535) + Le16(3) + Le16(1) + "a" + "bcd", false,
         "Form1.frx: at offset 0000: the list claims 65535 items, more than the 6 bytes left in the file can hold"},
        {"an item longer than the file", Le16(2) + Le16(3) + Le16(1) + "a" + Le16(60000) + "b", false,
         "Form1.frx: at offset 0000: item 1 of the list claims 60000 bytes, but only 1 follow in the file"},
        {"a list cut after its count", Le16(2), false, "Form1.frx: at offset 0000: the list runs past the end of the file"},
        {"a value that is no number", Le16(1) + Le16(3) + Le16(3) + "1e5", true,
         "Form1.frx: at offset 0000: item 0 of the ItemData, \"1e5\", is no whole number from -2147483648 to 2147483647"},
        {"a value beyond a Long", Le16(2) + Le16(10) + Le16(1) + "0" + Le16(10) + "2147483648", true,
         "Form1.frx: at offset 0000: item 1 of the ItemData, \"2147483648\", is no whole number from -2147483648 to "
         "2147483647"},
        {"an empty value", Le16(1) + Le16(3) + Le16(0), true,
         "Form1.frx: at offset 0000: item 0 of the ItemData, \"\", is no whole number from -2147483648 to 2147483647"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountingFrx hostile(c.bytes);
        const ConvertError error =
            c.itemData ? ReadItemData(hostile, 0).error() : ReadList(hostile, 0).error();
        EXPECT_EQ(error.kind, ErrorKind::FrxOutOfRange);
        EXPECT_EQ(Describe(error), c.message);
        EXPECT_LE(hostile.largestRead, c.bytes.size());
    }
}

TEST(FrxData, ATextInEachLengthsLayoutKeepsItsLineBreaks) {
    using namespace std::string_literals;
    const std::string shortText = "one\r\ntwo";
    const std::string longText(300, 'x');
    const std::string captionLike = "a\r\nb";
    const std::string bytes = static_cast<char>(shortText.size()) + shortText + "\xFF"s + Le16(300) + longText +
                              Le32(static_cast<std::uint32_t>(captionLike.size())) + captionLike;
    FrxBytes frx("Form1.frx", bytes);
    const std::uint32_t second = static_cast<std::uint32_t>(1 + shortText.size());
    const std::uint32_t third = second + 3 + 300;
    for (const auto& [offset, expected] : {std::pair{0u, shortText}, {second, longText}, {third, captionLike}}) {
        Result<std::string> text = ReadText(frx, offset);
        ASSERT_TRUE(text.ok()) << offset << ": " << Describe(text.error());
        EXPECT_EQ(text.value(), expected);
    }

    const std::pair<std::string, std::string> hostile[] = {
        {"\x09" "abc", "Form1.frx: at offset 0000: the text claims 9 bytes, but only 3 follow in the file"},
        {"\xFF" + Le16(60000) + "abc", "Form1.frx: at offset 0000: the text claims 60000 bytes, but only 3 follow in the file"},
        {"\xFF\x01"s, "Form1.frx: at offset 0000: the text's length runs past the end of the file"},
        {"", "Form1.frx: at offset 0000: the text lies past the end of the file"},
    };
    for (const auto& [stored, message] : hostile) {
        CountingFrx file(stored);
        Result<std::string> text = ReadText(file, 0);
        ASSERT_FALSE(text.ok()) << message;
        EXPECT_EQ(Describe(text.error()), message);
        EXPECT_LE(file.largestRead, std::max<std::size_t>(stored.size(), 1));
    }
}

TEST(FrxData, ImageKindsFromTheFirstBytes) {
    using namespace std::string_literals;
    std::string emf = "\1\0\0\0"s + std::string(36, '\0') + " EMF" + std::string(8, '\0');
    const std::pair<std::string, ImageKind> cases[] = {
        {"\0\0\1\0\1\0"s, ImageKind::Icon},          {"\0\0\2\0\1\0"s, ImageKind::Cursor},
        {"BM\x36\x10"s, ImageKind::Bitmap},          {"GIF89a\x10\0"s, ImageKind::Gif},
        {"GIF87a"s, ImageKind::Gif},                 {"\xFF\xD8\xFF\xE0"s, ImageKind::Jpeg},
        {"\xD7\xCD\xC6\x9A\0\0"s, ImageKind::Metafile}, {"\1\0\x09\0\0\3"s, ImageKind::Metafile},
        {emf, ImageKind::Enhanced},                  {"\x89PNG\r\n\x1A\n"s, ImageKind::Unknown},
        {"GIF88a"s, ImageKind::Unknown},             {""s, ImageKind::Unknown},
        {"\0\0\1"s, ImageKind::Unknown},
    };
    for (const auto& [bytes, kind] : cases) EXPECT_EQ(ImageKindOf(bytes), kind) << ImageKindName(kind);
}

TEST(FrxData, ReferencesToData) {
    const std::optional<FrxDatumReference> picture = ParseFrxDatumReference("  \"Form 1.frx\":0B2d ");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->fileName, "Form 1.frx");
    EXPECT_EQ(picture->offset, 0x0B2Du);
    EXPECT_EQ(ParseFrxDatumReference("\"F.frx\":FFFFFFFF")->offset, 0xFFFFFFFFu);
    for (const char* none : {"$\"F.frx\":0000", "\"F.frx\":100000000", "\"F.frx\":", "\"\":0000", "\"F.frx\"0000",
                             "\"F.frx\":00 1", "\"F.frx\":-1", "\"F.frx", "1", ""})
        EXPECT_FALSE(ParseFrxDatumReference(none)) << none;
}

// A name in another case is found from one listing of the folder, made once:
// thousands of references do not list it thousands of times. The files read
// are noted once each, in the order first opened.
TEST(FrxFile, NamesInAnotherCaseAreFoundFromOneListingOfTheFolder) {
    test::TempDir dir;
    for (int i = 0; i < 3000; ++i) test::WriteBytes(dir / ("Other" + std::to_string(i) + ".frx"), "");
    test::WriteBytes(dir / "Form1.frx", Le32(8) + kMark + Le32(0));
    FrxFolder folder(dir.path());
    for (int i = 0; i < 20000; ++i) {
        Result<std::unique_ptr<FrxFile>> found = FrxFile::Open(folder, i % 2 ? "FORM1.FRX" : "form1.frx");
        ASSERT_TRUE(found.ok()) << Describe(found.error());
        EXPECT_EQ(found.value()->Name(), test::PathUtf8(dir / "Form1.frx"));
    }
    ASSERT_EQ(folder.filesRead().size(), 1u);
    EXPECT_EQ(folder.filesRead()[0].path, dir / "Form1.frx");
    // A file that comes after the listing is not in it: the folder was listed once.
    test::WriteBytes(dir / "Late.frx", Le32(8) + kMark + Le32(0));
    EXPECT_FALSE(FrxFile::Open(folder, "LATE.FRX").ok());
    EXPECT_TRUE(FrxFile::Open(folder, "Late.frx").ok());
    EXPECT_TRUE(FrxFile::Open(dir.path(), "LATE.FRX").ok());

    // The run's listings serve every conversion of that folder, however it is
    // spelled; each still notes the files it read itself.
    FolderListings run;
    FrxFolder first(dir.path(), &run);
    FrxFolder second(dir.path() / "." / "", &run);
    EXPECT_EQ(FrxFile::Open(first, "LATE.FRX").value()->Name(), test::PathUtf8(dir / "Late.frx"));
    EXPECT_EQ(FrxFile::Open(second, "FORM1.frx").value()->Name(), test::PathUtf8(dir.path() / "." / "" / "Form1.frx"));
    EXPECT_EQ(run.listingsMade(), 1u);
    ASSERT_EQ(first.filesRead().size(), 1u);
    EXPECT_EQ(first.filesRead()[0].path, dir / "Late.frx");
    ASSERT_EQ(second.filesRead().size(), 1u);
    EXPECT_EQ(second.filesRead()[0].path, dir.path() / "." / "" / "Form1.frx");
}

TEST(FrxFile, OnlyARegularFileBesideTheFormIsOpened) {
    test::TempDir dir;
    test::WriteBytes(dir / "Form1.frx", Le32(8) + kMark + Le32(0));
    fs::create_directory(dir / "Folder.frx");
    ASSERT_EQ(mkfifo((dir / "Pipe.frx").c_str(), 0600), 0);

    Result<std::unique_ptr<FrxFile>> found = FrxFile::Open(dir.path(), "FORM1.FRX");
    ASSERT_TRUE(found.ok()) << Describe(found.error());
    Result<FrxPicture> picture = ReadPicture(*found.value(), 0);
    ASSERT_TRUE(picture.ok()) << Describe(picture.error());
    EXPECT_TRUE(picture.value().empty());

    for (const char* name : {"../Form1.frx", "/etc/passwd", "sub\\Form1.frx", "C:Form1.frx", "", ".."}) {
        Result<std::unique_ptr<FrxFile>> refused = FrxFile::Open(dir.path(), name);
        ASSERT_FALSE(refused.ok()) << name;
        EXPECT_EQ(refused.error().system, std::errc::invalid_argument) << name;
    }
    // Looked at once opened: a FIFO is never waited on, and the message says what it is.
    for (const char* name : {"Folder.frx", "Pipe.frx"}) {
        Result<std::unique_ptr<FrxFile>> refused = FrxFile::Open(dir.path(), name);
        ASSERT_FALSE(refused.ok()) << name;
        EXPECT_EQ(refused.error().kind, ErrorKind::FrxUnreadable);
        EXPECT_EQ(refused.error().file, test::PathUtf8(dir / name));
    }
    EXPECT_EQ(Describe(FrxFile::Open(dir.path(), "Folder.frx").error()),
              test::PathUtf8(dir / "Folder.frx") + ": cannot read the caption file: Is a directory");
    EXPECT_EQ(Describe(FrxFile::Open(dir.path(), "Pipe.frx").error()),
              test::PathUtf8(dir / "Pipe.frx") +
                  ": cannot read the caption file: it is not a regular file but a pipe, a socket or a device");
}

}  // namespace
}  // namespace tarvel
