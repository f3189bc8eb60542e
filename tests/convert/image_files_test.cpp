// Pictures as resource files: every picture of the real forms in
// ../shared/corpus/pictures written as a resource compiler takes it (BMP and
// ICO as stored, a cursor as an icon, GIF and JPEG decoded back to the same
// pixels from the BMP written), the files compiled by windres and llvm-rc and
// read back from the .res, and the pictures that cannot be used.
#include "image_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

// The test's own decoder, with BMP too, to read back what was written.
#define STBI_NO_STDIO
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "corpus_forms.h"
#include "test_support.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;

std::uint32_t Le32At(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint16_t Le16At(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

struct Pixels {
    int width = 0, height = 0;
    std::string rgba;
};

Pixels Decode(std::string_view file) {
    Pixels pixels;
    int channels = 0;
    stbi_uc* data = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(file.data()), static_cast<int>(file.size()),
                                          &pixels.width, &pixels.height, &channels, 4);
    if (data) pixels.rgba.assign(reinterpret_cast<const char*>(data), std::size_t(pixels.width) * pixels.height * 4);
    stbi_image_free(data);
    return pixels;
}

// Checks the image file written for a stored picture, kind by kind.
void ExpectWrittenAsAResourceTakesIt(const FrxPicture& picture, const ResourceImage& file) {
    const std::string& stored = picture.image;
    switch (picture.kind) {
        case ImageKind::Icon:
        case ImageKind::Bitmap:
            EXPECT_EQ(file.type, picture.kind == ImageKind::Icon ? ResourceImageType::Icon : ResourceImageType::Bitmap);
            EXPECT_FALSE(file.decoded);
            EXPECT_EQ(file.bytes, stored);
            break;
        case ImageKind::Cursor: {
            if (file.type == ResourceImageType::Cursor) {
                // A mouse pointer's cursor, as stored.
                EXPECT_EQ(file.extension, "cur");
                EXPECT_FALSE(file.decoded);
                EXPECT_EQ(file.bytes, stored);
                break;
            }
            EXPECT_EQ(file.type, ResourceImageType::Icon);
            EXPECT_EQ(file.extension, "ico");
            ASSERT_EQ(file.bytes.size(), stored.size());
            EXPECT_EQ(Le16At(file.bytes, 2), 1);
            // Only the type and the entries' hotspots change, to the planes and bit count of each image.
            std::string expected = stored;
            expected[2] = 1;
            for (std::size_t i = 0; i < Le16At(stored, 4); ++i) {
                const std::size_t entry = 6 + 16 * i;
                const std::uint16_t bitCount = Le16At(stored, Le32At(stored, entry + 12) + 14);
                expected.replace(entry + 4, 4, std::string{1, 0, static_cast<char>(bitCount), 0});
            }
            EXPECT_EQ(file.bytes, expected);
            break;
        }
        case ImageKind::Gif:
        case ImageKind::Jpeg: {
            EXPECT_EQ(file.type, ResourceImageType::Bitmap);
            EXPECT_EQ(file.extension, "bmp");
            EXPECT_TRUE(file.decoded);
            ASSERT_GE(file.bytes.size(), 54u);
            EXPECT_EQ(file.bytes.substr(0, 2), "BM");
            EXPECT_EQ(Le32At(file.bytes, 2), file.bytes.size());
            const Pixels original = Decode(stored);
            const Pixels written = Decode(file.bytes);
            ASSERT_GT(original.width, 0);
            EXPECT_EQ(written.width, original.width);
            EXPECT_EQ(written.height, original.height);
            EXPECT_EQ(static_cast<int>(Le32At(file.bytes, 22)), original.height);  // bottom-up
            const std::uint16_t bitCount = Le16At(file.bytes, 28);
            ASSERT_TRUE(bitCount == 24 || bitCount == 32) << bitCount;
            bool opaque = true;
            for (std::size_t i = 3; i < original.rgba.size(); i += 4) opaque = opaque && original.rgba[i] == '\xFF';
            EXPECT_EQ(bitCount == 24, opaque);
            EXPECT_TRUE(written.rgba == original.rgba) << "the pixels differ";
            break;
        }
        case ImageKind::Metafile:
            EXPECT_EQ(file.type, ResourceImageType::Metafile);
            EXPECT_EQ(file.extension, "wmf");
            EXPECT_EQ(file.bytes, stored);
            break;
        default:
            ADD_FAILURE() << "no picture of the corpus is of kind " << ImageKindName(picture.kind);
    }
}

struct CorpusImage {
    std::string where;
    FrxPicture picture;
    ResourceImage file;
};

// Every picture of the corpus with an image, and the file written for it.
std::vector<CorpusImage> CorpusImages() {
    std::vector<CorpusImage> images;
    for (const auto& [row, folder, form] : test::FormsWithFrx()) {
        std::map<std::string, std::unique_ptr<FrxFile>> files;
        for (const test::FrxRef& ref : form.refs) {
            if (!test::IsPictureRef(ref)) continue;
            std::unique_ptr<FrxFile>& frx = files[ref.frxName];
            if (!frx) frx = std::move(FrxFile::Open(folder, ref.frxName).value());
            Result<FrxPicture> picture = ReadPicture(*frx, ref.offset);
            if (!picture || picture.value().empty()) continue;
            const std::string where = row.folder + ":" + std::to_string(ref.line) + " " + ref.control + "." + ref.property;
            const bool pointer = ref.property == "MouseIcon" || ref.property == "DragIcon" || ref.property == "MICON";
            Result<ResourceImage> file =
                ResourceImageOf(picture.value(), frx->Name(), pointer ? ImageUse::Pointer : ImageUse::Picture);
            EXPECT_TRUE(file.ok()) << where << ": " << (file.ok() ? "" : Describe(file.error()));
            if (file) images.push_back({where, std::move(picture.value()), std::move(file.value())});
        }
    }
    return images;
}

TEST(ImageFilesCorpus, EveryPictureIsWrittenAsAResourceCompilerTakesIt) {
    SKIP_WITHOUT_CORPUS(test::PicturesDir());
    std::map<ImageKind, int> kinds;
    int cursors = 0;  // kept as cursors: the mouse pointers' CUR files
    for (const CorpusImage& image : CorpusImages()) {
        SCOPED_TRACE(image.where);
        ExpectWrittenAsAResourceTakesIt(image.picture, image.file);
        ++kinds[image.picture.kind];
        if (image.file.type == ResourceImageType::Cursor) ++cursors;
    }
    EXPECT_EQ(cursors, 16);
    EXPECT_EQ(kinds[ImageKind::Icon], 272);
    EXPECT_EQ(kinds[ImageKind::Cursor], 18);
    EXPECT_EQ(kinds[ImageKind::Bitmap], 94);
    EXPECT_EQ(kinds[ImageKind::Gif], 48);
    EXPECT_EQ(kinds[ImageKind::Jpeg], 23);
    EXPECT_EQ(kinds[ImageKind::Metafile], 2);
}

// The resources of a .res file by type: each one's data.
std::multimap<int, std::string> ReadRes(const std::string& res) {
    std::multimap<int, std::string> resources;
    for (std::size_t at = 0; at + 8 <= res.size();) {
        const std::uint32_t dataSize = Le32At(res, at), headerSize = Le32At(res, at + 4);
        const int type = Le16At(res, at + 8) == 0xFFFF ? Le16At(res, at + 10) : -1;
        if (dataSize > 0 && at + headerSize + dataSize <= res.size())
            resources.emplace(type, res.substr(at + headerSize, dataSize));
        at += (headerSize + dataSize + 3) / 4 * 4;
    }
    return resources;
}

TEST(ImageFilesCorpus, WindresAndLlvmRcCompileTheFilesAndKeepTheirBytes) {
    SKIP_WITHOUT_CORPUS(test::PicturesDir());
    // One file of each way of writing: an icon as stored, the form icon that is a cursor, a bitmap as
    // stored, an opaque JPEG and a GIF with transparent pixels.
    std::vector<const CorpusImage*> chosen;
    const std::vector<CorpusImage> images = CorpusImages();
    auto pick = [&](ImageKind kind, auto&& also) {
        for (const CorpusImage& image : images) {
            if (image.picture.kind == kind && also(image)) return chosen.push_back(&image);
        }
        ADD_FAILURE() << "no " << ImageKindName(kind) << " to compile";
    };
    pick(ImageKind::Icon, [](const CorpusImage&) { return true; });
    pick(ImageKind::Cursor, [](const CorpusImage& image) { return image.where.find("Form001a") != std::string::npos; });
    pick(ImageKind::Bitmap, [](const CorpusImage&) { return true; });
    pick(ImageKind::Jpeg, [](const CorpusImage& image) { return Le16At(image.file.bytes, 28) == 24; });
    pick(ImageKind::Gif, [](const CorpusImage& image) { return Le16At(image.file.bytes, 28) == 32; });
    ASSERT_EQ(chosen.size(), 5u);

    test::TempDir dir;
    std::string rc;
    std::size_t iconImages = 0;
    std::vector<std::string> bitmaps;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const ResourceImage& file = chosen[i]->file;
        const std::string name = "picture" + std::to_string(i) + "." + std::string(file.extension);
        test::WriteBytes(dir / name, file.bytes);
        const bool icon = file.type == ResourceImageType::Icon;
        rc += std::to_string(i + 1) + (icon ? " ICON \"" : " BITMAP \"") + name + "\"\r\n";
        if (icon) iconImages += Le16At(file.bytes, 4);
        else bitmaps.push_back(file.bytes.substr(14));
    }
    test::WriteBytes(dir / "pictures.rc", rc);

    const std::string in = test::PathUtf8(dir / "pictures.rc");
    const std::string compilers[] = {
        std::string(TARVEL_WINDRES) + " -O res -i '" + in + "' -o '" + test::PathUtf8(dir / "windres.res") + "'",
        std::string(TARVEL_LLVM_RC) + " -no-preprocess -fo '" + test::PathUtf8(dir / "llvm-rc.res") + "' '" + in + "'",
    };
    for (const std::string& command : compilers) {
        SCOPED_TRACE(command);
        ASSERT_EQ(std::system(("cd '" + test::PathUtf8(dir.path()) + "' && " + command).c_str()), 0);
    }
    for (const char* res : {"windres.res", "llvm-rc.res"}) {
        SCOPED_TRACE(res);
        const std::multimap<int, std::string> resources = ReadRes(test::ReadBytes(dir / res));
        EXPECT_EQ(resources.count(3), iconImages);  // RT_ICON: one resource an image of each icon
        EXPECT_EQ(resources.count(14), 2u);         // RT_GROUP_ICON
        std::vector<std::string> compiled;
        for (auto [at, end] = resources.equal_range(2); at != end; ++at) compiled.push_back(at->second);
        EXPECT_TRUE(compiled == bitmaps) << "RT_BITMAP holds each BMP without its file header";
    }
}

std::string Gif(bool transparent) {
    using namespace std::string_literals;
    // 1 x 2 pixels: the top one of colour 0, the bottom one of colour 1 (transparent, if so asked).
    std::string gif = "GIF89a\x01\x00\x02\x00\x80\x00\x00"s + "\x10\x20\x30\xA0\xB0\xC0"s;
    if (transparent) gif += "\x21\xF9\x04\x01\x00\x00\x01\x00"s;
    gif += "\x2C\0\0\0\0\x01\x00\x02\x00\x00"s + "\x02\x02\x44\x0A\x00"s + "\x3B"s;
    return gif;
}

FrxPicture PictureOf(std::string image, std::uint32_t offset = 0x0C) {
    FrxPicture picture;
    picture.offset = offset;
    picture.kind = ImageKindOf(image);
    picture.image = std::move(image);
    return picture;
}

TEST(ImageFiles, AGifBecomesABottomUpBitmapOfItsPixels) {
    using namespace std::string_literals;
    Result<ResourceImage> opaque = ResourceImageOf(PictureOf(Gif(false)), "Form1.frx");
    ASSERT_TRUE(opaque.ok()) << Describe(opaque.error());
    EXPECT_EQ(opaque.value().bytes,
              "BM\x3E\0\0\0\0\0\0\0\x36\0\0\0"s                          // file header: 62 bytes, pixels at 54
              "\x28\0\0\0\x01\0\0\0\x02\0\0\0\x01\0\x18\0\0\0\0\0"s       // 40-byte header, 1 x 2, 24-bit, BI_RGB
              "\x08\0\0\0\xC4\x0E\0\0\xC4\x0E\0\0\0\0\0\0\0\0\0\0"s       // 8 bytes of pixels, 96 dpi
              "\xC0\xB0\xA0\0\x30\x20\x10\0"s);                          // the bottom row first, BGR, padded

    Result<ResourceImage> transparent = ResourceImageOf(PictureOf(Gif(true)), "Form1.frx");
    ASSERT_TRUE(transparent.ok()) << Describe(transparent.error());
    const std::string& bitmap = transparent.value().bytes;
    ASSERT_EQ(bitmap.size(), 54u + 8);
    EXPECT_EQ(Le16At(bitmap, 28), 32);
    EXPECT_EQ(bitmap[54 + 3], '\0');                       // the bottom pixel is transparent
    EXPECT_EQ(bitmap.substr(58), "\x30\x20\x10\xFF"s);     // the top one opaque
}

TEST(ImageFiles, PicturesThatCannotBeUsedSayWhy) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {""s, "the picture is empty"},
        {"<?xml version"s, "the picture is no ICO, CUR, BMP, GIF, JPEG, WMF or EMF (it begins 3C 3F 78 6D)"},
        {"\0\0\1\0\0\0"s, "the icon holds no image"},
        {"\0\0\1\0\5\0"s + std::string(24, 'x'), "the icon's directory of 5 entries runs past its 30 bytes"},
        {"\0\0\2\0\1\0"s + "\x20\x20\0\0\0\0\0\0\x28\0\0\0\x16\0\0\0"s + "short"s,
         "image 0 of the icon lies outside its 27 bytes"},
        {"BM"s + std::string(20, '\0'), "the bitmap ends inside its headers"},
        {"BM"s + std::string(12, '\0') + "\x7C\0\0\0"s + std::string(20, '\0'),
         "the bitmap's header of 124 bytes does not fit its 38 bytes"},
        // A few bytes claiming a huge picture: refused before a pixel is decoded.
        {"\xFF\xD8\xFF\xC0\x00\x11\x08\x4E\x20\x4E\x20\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01"s,
         "the JPEG picture is 20000 x 20000 pixels, more than a 64 MiB bitmap holds"},
        {"GIF89a\x20\x4E\x20\x4E\x00\x00\x00"s, "the GIF picture is 20000 x 20000 pixels, more than a 64 MiB bitmap holds"},
    };
    for (const auto& [image, why] : cases) {
        Result<ResourceImage> file = ResourceImageOf(PictureOf(image), "Form1.frx");
        ASSERT_FALSE(file.ok()) << why;
        EXPECT_EQ(file.error().kind, ErrorKind::FrxOutOfRange);
        EXPECT_EQ(Describe(file.error()), "Form1.frx: at offset 000C: " + why);
    }
    Result<ResourceImage> broken = ResourceImageOf(PictureOf("\xFF\xD8\xFF\xE0 not a JPEG after all"s), "Form1.frx");
    ASSERT_FALSE(broken.ok());
    EXPECT_EQ(Describe(broken.error()).rfind("Form1.frx: at offset 000C: the JPEG picture cannot be decoded: ", 0), 0u)
        << Describe(broken.error());
}

}  // namespace
}  // namespace tarvel
