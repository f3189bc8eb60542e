// The rules every RC text the converter gives must keep, whatever form it was
// fed: shared by the fuzz target, the replay of its old findings and the tests
// of hostile forms, so that all three judge the output by the same rulebook.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvel::check {

/// What went wrong with `rc`, or empty when it is sound: every line ends with
/// CR LF; "{" and "}" lines balance and never close more than was opened;
/// every MENUITEM and POPUP line holds one quoted caption (doubled quotes
/// inside) and no stray quote after it; every item's number (literal, or
/// through its #define) is different, given in order from `firstId`.
std::string CheckRcText(std::string_view rc, bool useDefines, std::int32_t firstId);

/// What went wrong with the RC text of any options, or empty: every line ends
/// with CR LF; a preprocessor line is #pragma code_page(1 to 65535), #include
/// <windows.h> or "FILE", or #define NAME NUMBER (an ASCII identifier, defined
/// once, 0 to 65535); outside comments every string is closed on its line with
/// only the escapes that give back its own bytes, braces balance and never
/// close more than was opened, no byte is one that RC reads as no token, and
/// every number fits: 0 to 65535 (hex up to 32 bits), and in a DIALOGEX every
/// place and size fits the signed 16 bits it holds (sizes not negative).
std::string CheckResourceScript(std::string_view rc);

/// The same for a C header: CR LF lines that are a /* comment */, an include
/// guard (#ifndef G, #define G, #endif last), or #define NAME NUMBER as above.
/// `defines` gets the names and numbers in order.
std::string CheckHeaderText(std::string_view header, std::vector<std::pair<std::string, std::int64_t>>* defines = nullptr);

/// The same for a MASM include: "; comment" lines and "NAME equ NUMBER".
std::string CheckMasmText(std::string_view masm, std::vector<std::pair<std::string, std::int64_t>>* equs = nullptr);

/// The picture files of one conversion, by name as the RC text names them, with their bytes.
struct PictureFile {
    std::string name;
    std::string bytes;
};

/// What went wrong with the pictures of an RC text, or empty: every picture
/// file's name is ASCII (letters, digits, '_', '-', one '.'), different from
/// every other's without case, and ends in the extension of what its bytes
/// are (.ico, .cur, .bmp, .wmf, .emf); every ICON, BITMAP or CURSOR resource
/// of `rc` names one of these files, of its own type.
std::string CheckPictures(std::string_view rc, const std::vector<PictureFile>& pictures);

/// A handler of the form's code: its name, and the first line of its text.
struct CodeHandler {
    std::string name;
    std::string header;
};

/// What went wrong with a C program of a form, or empty: CR LF lines; outside
/// comments and strings only printable ASCII, braces that balance and never
/// close more than was opened, no trigraph and no line that a backslash
/// continues; no comment that opens another; every handler of `handlers`
/// either defined once (a function whose comment begins with its header and
/// which the program calls) or listed among those without a counterpart,
/// and no function for anything else; and every line of `code` (the form's
/// code) kept whole inside a comment, so none of it escapes into the C text.
std::string CheckProgramText(std::string_view program, std::string_view code, const std::vector<CodeHandler>& handlers);

/// Feeds `form` (the bytes of a form file; bytes that begin no form are put
/// inside one) through the conversion, with and without #define and near the
/// end of the number range, and once with every option and the dialog, and
/// checks every result. Captions, pictures and lists kept in a .frx file are
/// read from the form's own bytes, so arbitrary offsets and lengths are
/// exercised without touching the disk, and the pictures' files and the
/// program are handed back, not saved.
/// Gives what went wrong, or empty.
std::string CheckConversion(std::string_view form);

}  // namespace tarvel::check
