#include "image_files.h"

#include <cstdint>
#include <memory>

#include "little_endian.h"

// Only the decoders needed here, from memory, without the C library's files.
#define STBI_ONLY_GIF
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace tarvel {
namespace {

constexpr std::size_t kBitmapHeaders = 14 + 40;  // BITMAPFILEHEADER, BITMAPINFOHEADER
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots an inch

ConvertError Unusable(const FrxPicture& picture, const std::string& frxName, std::string what) {
    ConvertError error = FileError(ErrorKind::FrxOutOfRange, frxName);
    error.number = picture.offset;
    error.detail = std::move(what);
    return error;
}

// What is wrong with an icon's or cursor's directory, or nothing when each
// entry's image lies within the file after the directory.
std::string IconDirectoryFault(std::string_view image) {
    if (image.size() < 6) return "the icon ends inside its header";
    const std::size_t count = Little16(image, 4);
    if (count == 0) return "the icon holds no image";
    const std::size_t directoryEnd = 6 + 16 * count;
    if (directoryEnd > image.size())
        return "the icon's directory of " + std::to_string(count) + " entries runs past its " +
               std::to_string(image.size()) + " bytes";
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const std::uint64_t size = Little32(image, entry + 8);
        const std::uint64_t offset = Little32(image, entry + 12);
        if (size == 0 || offset < directoryEnd || offset + size > image.size())
            return "image " + std::to_string(i) + " of the icon lies outside its " + std::to_string(image.size()) +
                   " bytes";
    }
    return {};
}

// The cursor as an icon: the directory's type 1, and in each entry the planes
// and bit count that a cursor's entry uses for its hotspot, taken from the
// image itself (a PNG image is 32-bit).
std::string CursorAsIcon(std::string_view cursor) {
    std::string icon(cursor);
    PutLittle(icon, 2, 1, 2);
    const std::size_t count = Little16(cursor, 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const std::size_t offset = Little32(cursor, entry + 12);
        const std::string_view image = cursor.substr(offset, Little32(cursor, entry + 8));
        std::uint32_t bitCount = 0;
        if (image.substr(0, 8) == "\x89PNG\r\n\x1A\n") bitCount = 32;
        else if (image.size() >= 16 && Little32(image, 0) >= 40) bitCount = Little16(image, 14);
        PutLittle(icon, entry + 4, 1, 2);
        PutLittle(icon, entry + 6, bitCount, 2);
    }
    return icon;
}

std::string BitmapFault(std::string_view image) {
    if (image.size() < 14 + 12) return "the bitmap ends inside its headers";
    const std::uint64_t headerSize = Little32(image, 14);
    if (headerSize < 12 || 14 + headerSize > image.size())
        return "the bitmap's header of " + std::to_string(headerSize) + " bytes does not fit its " +
               std::to_string(image.size()) + " bytes";
    return {};
}

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

// RGBA pixels, top row first, as a BMP file: bottom-up rows, BGR(A), each row
// padded to four bytes.
std::string BitmapFile(const stbi_uc* rgba, std::uint32_t width, std::uint32_t height) {
    bool opaque = true;
    for (std::size_t i = 3; i < std::size_t{width} * height * 4; i += 4) opaque = opaque && rgba[i] == 0xFF;
    const std::uint32_t bytesPerPixel = opaque ? 3 : 4;
    const std::uint32_t rowSize = (width * bytesPerPixel + 3) / 4 * 4;
    const std::uint32_t pixelBytes = rowSize * height;

    std::string file(kBitmapHeaders + pixelBytes, '\0');
    file[0] = 'B';
    file[1] = 'M';
    PutLittle(file, 2, static_cast<std::uint32_t>(file.size()), 4);
    PutLittle(file, 10, kBitmapHeaders, 4);
    PutLittle(file, 14, 40, 4);
    PutLittle(file, 18, width, 4);
    PutLittle(file, 22, height, 4);  // positive: bottom-up
    PutLittle(file, 26, 1, 2);
    PutLittle(file, 28, bytesPerPixel * 8, 2);
    PutLittle(file, 34, pixelBytes, 4);  // BI_RGB at 30 stays 0
    PutLittle(file, 38, kPixelsPerMetre, 4);
    PutLittle(file, 42, kPixelsPerMetre, 4);
    for (std::uint32_t y = 0; y < height; ++y) {
        const stbi_uc* source = rgba + std::size_t{height - 1 - y} * width * 4;
        char* row = file.data() + kBitmapHeaders + std::size_t{y} * rowSize;
        for (std::uint32_t x = 0; x < width; ++x, source += 4, row += bytesPerPixel) {
            row[0] = static_cast<char>(source[2]);
            row[1] = static_cast<char>(source[1]);
            row[2] = static_cast<char>(source[0]);
            if (bytesPerPixel == 4) row[3] = static_cast<char>(source[3]);
        }
    }
    return file;
}

Result<std::string> DecodedAsBitmap(const FrxPicture& picture, const std::string& frxName) {
    const std::string_view kind = ImageKindName(picture.kind);
    const auto* data = reinterpret_cast<const stbi_uc*>(picture.image.data());
    // stb_image takes an int for the size; no picture near that is kept (kLargestFrxDatum).
    const int size = static_cast<int>(picture.image.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, size, &width, &height, &channels))
        return Unusable(picture, frxName, "the " + std::string(kind) + " picture cannot be decoded: " + stbi_failure_reason());
    // Checked before decoding: a few hostile bytes may claim a picture of 65535 x 65535.
    const std::uint64_t largest = kBitmapHeaders + std::uint64_t(width) * std::uint64_t(height) * 4;
    if (width <= 0 || height <= 0 || largest > kLargestFrxDatum)
        return Unusable(picture, frxName, "the " + std::string(kind) + " picture is " + std::to_string(width) + " x " +
                                              std::to_string(height) + " pixels, more than a 64 MiB bitmap holds");
    std::unique_ptr<stbi_uc, StbFree> rgba(stbi_load_from_memory(data, size, &width, &height, &channels, 4));
    if (!rgba)
        return Unusable(picture, frxName, "the " + std::string(kind) + " picture cannot be decoded: " + stbi_failure_reason());
    return BitmapFile(rgba.get(), static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
}

}  // namespace

Result<ResourceImage> ResourceImageOf(const FrxPicture& picture, const std::string& frxName, ImageUse use) {
    const std::string_view image = picture.image;
    ResourceImage file;
    switch (picture.kind) {
        case ImageKind::Icon:
        case ImageKind::Cursor:
            if (std::string fault = IconDirectoryFault(image); !fault.empty()) return Unusable(picture, frxName, fault);
            if (picture.kind == ImageKind::Cursor && use == ImageUse::Pointer) {
                file.type = ResourceImageType::Cursor;
                file.extension = "cur";
                file.bytes = std::string(image);
                return file;
            }
            file.type = ResourceImageType::Icon;
            file.extension = "ico";
            file.decoded = picture.kind == ImageKind::Cursor;
            file.bytes = file.decoded ? CursorAsIcon(image) : std::string(image);
            return file;
        case ImageKind::Bitmap:
            if (std::string fault = BitmapFault(image); !fault.empty()) return Unusable(picture, frxName, fault);
            file.type = ResourceImageType::Bitmap;
            file.extension = "bmp";
            file.bytes = std::string(image);
            return file;
        case ImageKind::Gif:
        case ImageKind::Jpeg: {
            Result<std::string> bitmap = DecodedAsBitmap(picture, frxName);
            if (!bitmap) return bitmap.error();
            file.type = ResourceImageType::Bitmap;
            file.extension = "bmp";
            file.bytes = std::move(bitmap.value());
            file.decoded = true;
            return file;
        }
        case ImageKind::Metafile:
        case ImageKind::Enhanced:
            file.type = ResourceImageType::Metafile;
            file.extension = picture.kind == ImageKind::Metafile ? "wmf" : "emf";
            file.bytes = std::string(image);
            return file;
        case ImageKind::Unknown:
            break;
    }
    if (image.empty()) return Unusable(picture, frxName, "the picture is empty");
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string begins;
    for (std::size_t i = 0; i < 4 && i < image.size(); ++i) {
        const auto byte = static_cast<unsigned char>(image[i]);
        if (i) begins += ' ';
        begins += kDigits[byte >> 4];
        begins += kDigits[byte & 15];
    }
    return Unusable(picture, frxName, "the picture is no ICO, CUR, BMP, GIF, JPEG, WMF or EMF (it begins " + begins + ")");
}

}  // namespace tarvel
