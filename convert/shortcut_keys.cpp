#include "shortcut_keys.h"

#include "ascii.h"

namespace tarvel {
namespace {

constexpr unsigned kCtrl = ShortcutKey::kCtrl, kShift = ShortcutKey::kShift, kAlt = ShortcutKey::kAlt;

// Every shortcut of the Visual Basic menu editor's list, as a form stores it.
constexpr ShortcutKey kShortcuts[] = {
    {"^A", "Ctrl+A", 'A', kCtrl}, {"^B", "Ctrl+B", 'B', kCtrl}, {"^C", "Ctrl+C", 'C', kCtrl}, {"^D", "Ctrl+D", 'D', kCtrl},
    {"^E", "Ctrl+E", 'E', kCtrl}, {"^F", "Ctrl+F", 'F', kCtrl}, {"^G", "Ctrl+G", 'G', kCtrl}, {"^H", "Ctrl+H", 'H', kCtrl},
    {"^I", "Ctrl+I", 'I', kCtrl}, {"^J", "Ctrl+J", 'J', kCtrl}, {"^K", "Ctrl+K", 'K', kCtrl}, {"^L", "Ctrl+L", 'L', kCtrl},
    {"^M", "Ctrl+M", 'M', kCtrl}, {"^N", "Ctrl+N", 'N', kCtrl}, {"^O", "Ctrl+O", 'O', kCtrl}, {"^P", "Ctrl+P", 'P', kCtrl},
    {"^Q", "Ctrl+Q", 'Q', kCtrl}, {"^R", "Ctrl+R", 'R', kCtrl}, {"^S", "Ctrl+S", 'S', kCtrl}, {"^T", "Ctrl+T", 'T', kCtrl},
    {"^U", "Ctrl+U", 'U', kCtrl}, {"^V", "Ctrl+V", 'V', kCtrl}, {"^W", "Ctrl+W", 'W', kCtrl}, {"^X", "Ctrl+X", 'X', kCtrl},
    {"^Y", "Ctrl+Y", 'Y', kCtrl}, {"^Z", "Ctrl+Z", 'Z', kCtrl},
    {"{F1}", "F1", 0x70, 0}, {"{F2}", "F2", 0x71, 0}, {"{F3}", "F3", 0x72, 0},
    {"{F4}", "F4", 0x73, 0}, {"{F5}", "F5", 0x74, 0}, {"{F6}", "F6", 0x75, 0},
    {"{F7}", "F7", 0x76, 0}, {"{F8}", "F8", 0x77, 0}, {"{F9}", "F9", 0x78, 0},
    {"{F10}", "F10", 0x79, 0}, {"{F11}", "F11", 0x7A, 0}, {"{F12}", "F12", 0x7B, 0},
    {"^{F1}", "Ctrl+F1", 0x70, kCtrl}, {"^{F2}", "Ctrl+F2", 0x71, kCtrl}, {"^{F3}", "Ctrl+F3", 0x72, kCtrl},
    {"^{F4}", "Ctrl+F4", 0x73, kCtrl}, {"^{F5}", "Ctrl+F5", 0x74, kCtrl}, {"^{F6}", "Ctrl+F6", 0x75, kCtrl},
    {"^{F7}", "Ctrl+F7", 0x76, kCtrl}, {"^{F8}", "Ctrl+F8", 0x77, kCtrl}, {"^{F9}", "Ctrl+F9", 0x78, kCtrl},
    {"^{F10}", "Ctrl+F10", 0x79, kCtrl}, {"^{F11}", "Ctrl+F11", 0x7A, kCtrl}, {"^{F12}", "Ctrl+F12", 0x7B, kCtrl},
    {"+{F1}", "Shift+F1", 0x70, kShift}, {"+{F2}", "Shift+F2", 0x71, kShift}, {"+{F3}", "Shift+F3", 0x72, kShift},
    {"+{F4}", "Shift+F4", 0x73, kShift}, {"+{F5}", "Shift+F5", 0x74, kShift}, {"+{F6}", "Shift+F6", 0x75, kShift},
    {"+{F7}", "Shift+F7", 0x76, kShift}, {"+{F8}", "Shift+F8", 0x77, kShift}, {"+{F9}", "Shift+F9", 0x78, kShift},
    {"+{F10}", "Shift+F10", 0x79, kShift}, {"+{F11}", "Shift+F11", 0x7A, kShift}, {"+{F12}", "Shift+F12", 0x7B, kShift},
    {"+^{F1}", "Ctrl+Shift+F1", 0x70, kCtrl | kShift}, {"+^{F2}", "Ctrl+Shift+F2", 0x71, kCtrl | kShift},
    {"+^{F3}", "Ctrl+Shift+F3", 0x72, kCtrl | kShift}, {"+^{F4}", "Ctrl+Shift+F4", 0x73, kCtrl | kShift},
    {"+^{F5}", "Ctrl+Shift+F5", 0x74, kCtrl | kShift}, {"+^{F6}", "Ctrl+Shift+F6", 0x75, kCtrl | kShift},
    {"+^{F7}", "Ctrl+Shift+F7", 0x76, kCtrl | kShift}, {"+^{F8}", "Ctrl+Shift+F8", 0x77, kCtrl | kShift},
    {"+^{F9}", "Ctrl+Shift+F9", 0x78, kCtrl | kShift}, {"+^{F10}", "Ctrl+Shift+F10", 0x79, kCtrl | kShift},
    {"+^{F11}", "Ctrl+Shift+F11", 0x7A, kCtrl | kShift}, {"+^{F12}", "Ctrl+Shift+F12", 0x7B, kCtrl | kShift},
    {"^{INSERT}", "Ctrl+Ins", 0x2D, kCtrl}, {"+{INSERT}", "Shift+Ins", 0x2D, kShift},
    {"{DEL}", "Del", 0x2E, 0}, {"+{DEL}", "Shift+Del", 0x2E, kShift},
    {"%{BKSP}", "Alt+Bksp", 0x08, kAlt},
};

constexpr bool LettersComeFirst() {
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (kShortcuts[letter - 'A'].code.size() != 2 || kShortcuts[letter - 'A'].code[0] != '^' ||
            kShortcuts[letter - 'A'].code[1] != letter)
            return false;
    for (const ShortcutKey& key : kShortcuts)
        if (key.code.size() < 2) return false;
    return true;
}
static_assert(LettersComeFirst());

}  // namespace

std::string_view VirtualKeyName(int virtualKey) {
    static constexpr std::string_view kFunctionKeys[] = {"VK_F1", "VK_F2", "VK_F3", "VK_F4",  "VK_F5",  "VK_F6",
                                                         "VK_F7", "VK_F8", "VK_F9", "VK_F10", "VK_F11", "VK_F12"};
    if (virtualKey >= 0x70 && virtualKey <= 0x7B) return kFunctionKeys[virtualKey - 0x70];
    switch (virtualKey) {
        case 0x08: return "VK_BACK";
        case 0x2D: return "VK_INSERT";
        case 0x2E: return "VK_DELETE";
    }
    return {};
}

const ShortcutKey* FindShortcutKey(std::string_view code) {
    // No code is shorter; Ctrl and a letter, the most common, is found by its letter.
    if (code.size() < 2) return nullptr;
    if (code.size() == 2 && code[0] == '^' && IsAsciiLetter(code[1])) return &kShortcuts[UpperAscii(code[1]) - 'A'];
    for (const ShortcutKey& key : kShortcuts)
        if (EqualNoCase(key.code, code)) return &key;
    return nullptr;
}

void WarnUnknownShortcuts(const Form& form, const NameTable& names, const std::string& formFile,
                          std::vector<std::string>& warnings) {
    for (std::size_t i = 0; i < form.menu.size(); ++i) {
        const MenuItem& item = form.menu[i];
        if (!names.Item(i) || item.shortcut.empty() || FindShortcutKey(item.shortcut)) continue;
        std::string warning = formFile + ": menu item '";
        warning.append(item.name).append("' has the shortcut '").append(item.shortcut);
        warning += "', which is not a key of the menu editor; it is left out";
        warnings.push_back(std::move(warning));
    }
}

}  // namespace tarvel
