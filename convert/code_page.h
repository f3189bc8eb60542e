// Which Windows code page the form's text is in, for the "#pragma code_page"
// line of "--code-page auto" and for the window, which decodes the RC text it
// puts on the clipboard by the same rule. The text is never converted: its
// bytes stay the form's, and the pragma only says what they are.
#pragma once

#include <string>
#include <string_view>

#include "form.h"

namespace tarvel {

/// The Windows ANSI code page of a POSIX locale name ("pl_PL.UTF-8", "zh_TW"),
/// from its language (and, for Chinese, its territory); 1252 when none fits.
int AnsiCodePageForLocale(std::string_view locale);

/// The system's ANSI code page: on Windows the system locale's (the program's
/// own is UTF-8 by its manifest); elsewhere from the locale that LC_ALL,
/// LC_CTYPE or LANG names, the first that is set.
int SystemAnsiCodePage();

/// The code page of a font's Charset (238 gives 1250, 128 gives 932, ...);
/// 0 for a character set that names none (symbol fonts, OEM, the default).
int CodePageOfCharset(int charset);

struct CodePageChoice {
    int codePage = 0;
    std::string warning;  ///< when the form's fonts disagree: which sets they name, without the form's name
};

/// The form's code page, in this order: 65001 when every caption and text is
/// UTF-8 and not plain ASCII (a form saved again by a modern editor, whatever
/// its fonts still say); else the code page of the character set the form's
/// fonts name (the one most of them name when they differ); else
/// `systemCodePage`.
CodePageChoice ChooseCodePage(const TextFacts& facts, int systemCodePage);

/// The length of the longest start of `text`, at most `bytes` long, that ends
/// at a whole character of `codePage`: never between the bytes of a UTF-8
/// sequence (65001) or of a double-byte character (932, 936, 949, 950, 1361).
std::size_t WholeCharacters(std::string_view text, std::size_t bytes, int codePage);

}  // namespace tarvel
