// The parts of the window's platform layer that every system shares.
#include "platform.h"

#include "code_page.h"

namespace tarvel::ui {

bool Platform::IsDirectory(const std::string& path) const {
    std::error_code ignored;
    return std::filesystem::is_directory(PathFromUtf8(path), ignored);
}

int Platform::AnsiCodePage() const { return SystemAnsiCodePage(); }

bool Platform::OpenWebPage(const std::string& address) { return StartOpener({}, address); }

std::string DecodeText(std::string_view bytes, int codePage) {
    if (codePage != 65001) return DecodeAnsi(bytes, codePage);
    return IsUtf8(bytes) ? std::string(bytes) : Utf8FromWide(WideFromUtf8(bytes));
}

}  // namespace tarvel::ui
