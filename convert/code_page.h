// Which Windows code page a resource compiler should read the RC text in. The
// captions are never converted: their bytes stay the form's, and the
// "#pragma code_page" line only says what they are. The one place that asks
// the system for its ANSI code page (GetACP on Windows, the locale elsewhere).
#pragma once

#include <string_view>

#include "menu.h"

namespace tarvel {

/// The Windows ANSI code page of a POSIX locale name ("pl_PL.UTF-8", "zh_TW"),
/// from its language (and, for Chinese, its territory); 1252 when none fits.
int AnsiCodePageForLocale(std::string_view locale);

/// The system's ANSI code page: GetACP on Windows; elsewhere from the locale
/// that LC_ALL, LC_CTYPE or LANG names, the first that is set.
int SystemAnsiCodePage();

/// Is `bytes` well-formed UTF-8?
bool IsUtf8(std::string_view bytes);

/// The code page for "auto": 65001 when the captions are UTF-8 and not plain
/// ASCII (a form saved by a modern editor), otherwise the system's ANSI code page.
int AutoCodePage(const Menu& menu);

}  // namespace tarvel
