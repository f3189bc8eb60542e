// Prints the Windows clipboard's text (CF_UNICODETEXT) as UTF-8 on standard
// output, byte for byte, for the window's end-to-end test under Wine. Exit 1
// when the clipboard cannot be opened or holds no text.
#include <windows.h>

#include <string>

int wmain() {
    if (!OpenClipboard(nullptr)) return 1;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* wide = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (wide == nullptr) {
        CloseClipboard();
        return 1;
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
    GlobalUnlock(data);
    CloseClipboard();
    text.pop_back();  // the terminating zero
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return 0;
}
