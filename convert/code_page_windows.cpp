// The system's ANSI code page on Windows: the system locale's.
#include <windows.h>

#include "code_page.h"

namespace tarvel {

int SystemAnsiCodePage() {
    // The manifest makes UTF-8 this program's own ANSI code page, so GetACP()
    // says 65001; forms are written in the system's, which its locale tells.
    DWORD codePage = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<wchar_t*>(&codePage), sizeof codePage / sizeof(wchar_t)) &&
        codePage != 0)
        return static_cast<int>(codePage);
    return 1252;  // a locale with Unicode only has no ANSI code page of its own
}

}  // namespace tarvel
