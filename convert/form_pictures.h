// The pictures a form holds, read from its .frx files and made into the
// files that go beside the RC file: the form's Icon (and Picture), each
// control's Picture, DownPicture and DisabledPicture, the mouse pointers
// (MouseIcon, DragIcon, a LaVolpeButton's MICON), an SSTab's TabPicture(n), a
// StatusBar panel's Picture, and every image of an ImageList, in the form's
// order, the form's icon first. Each gets a file name of its own from the
// form's file name and the control's ("Form1.ico", "Form1_picLogo.bmp",
// "Form1_Command1_MouseIcon.cur", "Form1_SSTab1_TabPicture2.bmp",
// "Form1_ImageList1_3.bmp"). A picture that cannot be
// read is a warning naming the form, the line and the control, and is left
// out; an empty one is no picture. It does not name the resources (the name
// table does), write the RC text or put the files on the disk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "form.h"
#include "frx_captions.h"
#include "image_files.h"

namespace tarvel {

struct FormPicture {
    std::uint32_t object = 0;  ///< in Form::objects; 0 for the form's own
    Prop property{};           ///< one that IsPictureProperty tells
    std::uint16_t image = 0;   ///< N of an ImageList's ListImageN or a StatusBar's PanelN, n of TabPicture(n), else 0
    std::uint32_t line = 0;    ///< the line of the form that refers to it
    ResourceImage file;        ///< the file's bytes and what resource it makes
    std::string fileName;      ///< its name beside the RC file, ASCII, unlike every other picture's without case
};

struct FormPictures {
    std::vector<FormPicture> pictures;
};

/// Claims a file name for a picture: false when it is taken already.
using ClaimFileName = std::function<bool(const std::string& fileName)>;

/// The pictures of `form` (read with its controls for more than the form's
/// own), from the .frx files that `frx` gives. `stem` begins every file's name
/// (the form's file name without its extension), made unique through `claim`
/// ("Form1_Image1_2.bmp" after "Form1_Image1.bmp"); `formFile` names the form
/// in the warnings, which go to `warnings`.
FormPictures ReadFormPictures(const Form& form, FrxSource& frx, std::string_view stem,
                              const std::string& formFile, const ClaimFileName& claim, std::vector<std::string>& warnings);

}  // namespace tarvel
