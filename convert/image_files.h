// A picture of the form as a file that a resource compiler takes. BMP and
// ICO files are written as the .frx stores them, byte for byte (trailing
// bytes after the image included: they harm nothing and the stored bytes
// stay the proof). GIF and JPEG, which no resource compiler reads, are
// decoded and written as a BMP of the same width and height: 24-bit when
// every pixel is opaque, else 32-bit with the alpha kept, bottom-up with
// BI_RGB, as Windows reads it. Placeable WMF and EMF metafiles are kept as
// they are (a dialog cannot show them; the caller warns). A picture shown as
// the mouse pointer (MouseIcon, DragIcon) keeps its bytes: a CUR file is a
// CURSOR resource, hotspot and all, and an ICO stays an ICON, because an
// icon has no hotspot to make a cursor of: Windows shows an icon as a
// pointer with its hotspot in the middle, as VB does, so the program loads
// it as an icon and sets it as the cursor. Any other cursor (a CUR
// file where a picture or an icon is wanted, as VB allows) becomes an ICO:
// the same images, with the directory's type 1 and each entry's hotspot
// replaced by the planes and bit count an icon entry has, because every
// place a form shows a picture takes an icon, and windres and llvm-rc refuse
// a cursor file as an ICON. It does not choose file names or resource
// names, or write anything to the disk.
#pragma once

#include <string>
#include <string_view>

#include "frx_data.h"
#include "result.h"

namespace tarvel {

/// How a resource script names an image file.
enum class ResourceImageType {
    Icon,      ///< an ICON resource
    Cursor,    ///< a CURSOR resource: a mouse pointer's CUR file
    Bitmap,    ///< a BITMAP resource
    Metafile,  ///< no resource type shows it in a dialog: kept as a file only
};

/// "ICON", "CURSOR" or "BITMAP": the resource statement; empty for a metafile.
constexpr std::string_view ResourceTypeName(ResourceImageType type) {
    switch (type) {
        case ResourceImageType::Icon: return "ICON";
        case ResourceImageType::Cursor: return "CURSOR";
        case ResourceImageType::Bitmap: return "BITMAP";
        case ResourceImageType::Metafile: break;
    }
    return {};
}

struct ResourceImage {
    ResourceImageType type = ResourceImageType::Bitmap;
    std::string_view extension;  ///< "ico", "cur", "bmp", "wmf" or "emf"
    std::string bytes;           ///< the whole file
    bool decoded = false;        ///< written anew from a GIF or JPEG (or a cursor made an icon), not as stored
};

/// What a picture is for: shown in a control or as the form's icon, or as the mouse pointer.
enum class ImageUse { Picture, Pointer };

/// The file for a picture read from `frxName`. FrxOutOfRange naming the .frx
/// and the picture's offset when it is empty, of no kind a resource holds, an
/// icon or bitmap whose own headers do not fit its bytes, or an image that
/// cannot be decoded (or would decode to more than 64 MiB of bitmap).
Result<ResourceImage> ResourceImageOf(const FrxPicture& picture, const std::string& frxName,
                                     ImageUse use = ImageUse::Picture);

}  // namespace tarvel
