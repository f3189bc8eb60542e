// The system's ANSI code page on POSIX systems: the locale's language.
#include <cstdlib>

#include "code_page.h"

namespace tarvel {

int SystemAnsiCodePage() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(variable); value && *value) return AnsiCodePageForLocale(value);
    return 1252;
}

}  // namespace tarvel
