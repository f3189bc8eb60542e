// The window's Polish texts for what went wrong, as UTF-8: the two the window
// always had word for word, a sentence for every kind of error a conversion
// can stop with (looked up by the conversion's own ErrorKind), and one for a
// directory that cannot be opened, each naming the file or directory
// concerned, the form's line where one is at fault and, where the system gave
// one, its reason.
#pragma once

#include <string>
#include <string_view>

#include <vector>

#include "convert_form.h"
#include "result.h"

namespace tarvel::ui {

/// The title of every message box the window shows.
inline constexpr std::string_view kErrorTitle = "Błąd";
inline constexpr std::string_view kNoMenuMessage = "Podany plik (formularz) nie posiada menu";
inline constexpr std::string_view kDriveNotReadyMessage = "Włóż dyskietkę";

std::string ConversionFailureMessage(const ConvertError& failure);

/// The captions a conversion had to leave empty, as their .frx file could not be read.
std::string LostStringsMessage(const std::vector<LostString>& lost);

/// Convert with no name selected in the file list.
std::string NoFormChosenMessage(const std::string& directory);

/// The first-ID box holds a number outside the signed 32-bit range.
std::string FirstIdOutOfRangeMessage(const std::string& text);

/// The clipboard could not be opened or would not take the text.
std::string ClipboardUnavailableMessage(const std::string& reason);

/// A directory chosen in the directory list that cannot be opened, with the system's reason.
std::string DirectoryUnreadableMessage(const std::string& directory, const std::string& reason);

/// A form or folder named on the command line or dropped on the window that cannot be reached.
std::string NothingToOpenMessage(const std::string& name, const std::string& reason);

/// A file named on the command line or dropped on the window that is no *.frm form.
std::string NotAFormMessage(const std::string& name);

/// A form named on the command line or dropped on the window that the file list does not show.
std::string HiddenFormMessage(const std::string& name);

/// What the Convert button's last guard tells of an exception.
std::string FileOperationFailedMessage(const std::string& file, const std::string& reason);
std::string ConversionFailedMessage(const std::string& form, const std::string& reason);

}  // namespace tarvel::ui
