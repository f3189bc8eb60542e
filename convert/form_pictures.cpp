#include "form_pictures.h"

#include <optional>

#include "ascii.h"
#include "frx_data.h"
#include "utf8.h"

namespace tarvel {
namespace {

// A file name's piece in letters, digits, '_' and '-' only: what every file
// system, make and resource compiler take alike, whatever code page the
// form's names are in. A run of other bytes (one letter in UTF-8, or a word
// in the form's code page) is one '_'.
std::string FileNamePiece(std::string_view text) {
    std::string piece;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-') {
            piece += c;
        } else if (static_cast<unsigned char>(c) < 0x80 || i == 0 || static_cast<unsigned char>(text[i - 1]) < 0x80) {
            piece += '_';
        }
    }
    return piece;
}

// "Form1", "Form1_Picture", "Form1_MouseIcon", "Form1_picLogo", "Form1_Command1_DownPicture",
// "Form1_SSTab1_TabPicture2", "Form1_StatusBar1_PanelPicture1", "Form1_ImageList1_3".
std::string FileStem(std::string_view stem, const Form& form, const FormPicture& picture) {
    std::string name = FileNamePiece(stem);
    if (picture.object == 0)
        return picture.property == Prop::Icon ? name : name.append("_").append(PropertyName(picture.property));
    name.append("_").append(FileNamePiece(form.objects[picture.object].ArrayName()));
    if (picture.property == Prop::ListImage) name.append("_").append(std::to_string(picture.image));
    else if (picture.property != Prop::Picture) name.append("_").append(PropertyName(picture.property));
    if (picture.property == Prop::TabPicture || picture.property == Prop::PanelPicture)
        name.append(std::to_string(picture.image));
    return name;
}

// "the Picture of picLogo", "the image 3 of ImageList1", "the TabPicture(2) of SSTab1",
// "the Picture of panel 1 of StatusBar1", "the Icon of frmMain".
std::string WhichPicture(const Form& form, const FormPicture& picture) {
    const std::string owner = form.objects[picture.object].ArrayName();
    const std::string number = std::to_string(picture.image);
    if (picture.property == Prop::ListImage) return "the image " + number + " of " + owner;
    if (picture.property == Prop::TabPicture) return "the TabPicture(" + number + ") of " + owner;
    if (picture.property == Prop::PanelPicture) return "the Picture of panel " + number + " of " + owner;
    return "the " + std::string(PropertyName(picture.property)) + " of " + owner;
}

}  // namespace

FormPictures ReadFormPictures(const Form& form, FrxSource& frxSource, std::string_view stem,
                              const std::string& formFile, const ClaimFileName& claim, std::vector<std::string>& warnings) {
    // Where each picture is written in the form, the form's icon first.
    struct Slot {
        std::uint32_t object;
        const FormProperty* property;
    };
    std::vector<Slot> slots;
    for (std::uint32_t i = 0; i < form.objects.size(); ++i)
        for (const FormProperty& property : form.objects[i].properties) {
            if (!IsPictureProperty(property.property)) continue;
            // Only a form has an icon of its own; the form's comes first, so that Explorer shows it for the program.
            if (property.property == Prop::Icon && i != 0) continue;
            if (property.property == Prop::Icon) slots.insert(slots.begin(), {i, &property});
            else slots.push_back({i, &property});
        }

    FormPictures read;
    for (const Slot& slot : slots) {
        FormPicture picture;
        picture.object = slot.object;
        picture.property = slot.property->property;
        picture.image = IsNumberedPicture(picture.property) ? slot.property->tab : 0;
        picture.line = slot.property->line;
        const std::string leftOut = Where(formFile, picture.line) + WhichPicture(form, picture) + " is left out: ";

        const std::optional<FrxDatumReference> reference = ParseFrxDatumReference(slot.property->value);
        if (!reference) {
            warnings.push_back(leftOut + "'" + std::string(slot.property->value) + "' names no place in a .frx file");
            continue;
        }
        Result<FrxData*> frx = frxSource.Data(reference->fileName);
        if (!frx) {
            ConvertError unreadable = frx.error();
            unreadable.detail = ".frx";  // it holds pictures here, not only captions
            warnings.push_back(leftOut + Describe(unreadable));
            continue;
        }
        Result<FrxPicture> stored = ReadPicture(*frx.value(), reference->offset);
        if (!stored) {
            warnings.push_back(leftOut + Describe(stored.error()));
            continue;
        }
        // An empty picture is how the form says it has none.
        if (stored.value().empty()) continue;
        Result<ResourceImage> file = ResourceImageOf(stored.value(), frx.value()->Name(),
                                                     IsPointerProperty(picture.property) ? ImageUse::Pointer : ImageUse::Picture);
        if (!file) {
            warnings.push_back(leftOut + Describe(file.error()));
            continue;
        }
        picture.file = std::move(file.value());

        const std::string fileStem = FileStem(stem, form, picture);
        picture.fileName = fileStem + "." + std::string(picture.file.extension);
        for (int n = 2; !claim(picture.fileName); ++n)
            picture.fileName = fileStem + "_" + std::to_string(n) + "." + std::string(picture.file.extension);
        if (picture.file.type == ResourceImageType::Metafile)
            warnings.push_back(Where(formFile, picture.line) + WhichPicture(form, picture) + " is a " +
                               std::string(ImageKindName(stored.value().kind)) +
                               " metafile, which no dialog shows: it is written as " + picture.fileName +
                               " and named in no resource");
        read.pictures.push_back(std::move(picture));
    }
    return read;
}

}  // namespace tarvel
