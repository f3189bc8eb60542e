// A picture of the form as a file that a resource compiler takes. BMP and
// ICO files are written as the .frx stores them, byte for byte (trailing
// bytes after the image included: they harm nothing and the stored bytes
// stay the proof). GIF and JPEG, which no resource compiler reads, are
// decoded and written as a BMP of the same width and height: 24-bit when
// every pixel is opaque, else 32-bit with the alpha kept, bottom-up with
// BI_RGB, as Windows reads it. Placeable WMF and EMF metafiles are kept as
// they are (a dialog cannot show them; the caller warns). A cursor (a CUR
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
    Bitmap,    ///< a BITMAP resource
    Metafile,  ///< no resource type shows it in a dialog: kept as a file only
};

struct ResourceImage {
    ResourceImageType type = ResourceImageType::Bitmap;
    std::string_view extension;  ///< "ico", "bmp", "wmf" or "emf"
    std::string bytes;           ///< the whole file
    bool decoded = false;        ///< written anew from a GIF or JPEG (or a cursor made an icon), not as stored
};

/// The file for a picture read from `frxName`. FrxOutOfRange naming the .frx
/// and the picture's offset when it is empty, of no kind a resource holds, an
/// icon or bitmap whose own headers do not fit its bytes, or an image that
/// cannot be decoded (or would decode to more than 64 MiB of bitmap).
Result<ResourceImage> ResourceImageOf(const FrxPicture& picture, const std::string& frxName);

}  // namespace tarvel
