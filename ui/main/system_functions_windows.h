// Functions of Windows' own DLLs looked up when first called instead of
// imported: those that older Windows versions lack, and the shell's, which the
// window needs only once it is on the screen (its icons, a drop, opening a web
// page) or when it is given a name to open. Loading shell32.dll and what it
// brings is a good part of a small window's start under Wine.
#pragma once

#include <windows.h>

namespace tarvel::ui {

/// `name` of the system DLL `dll`, which is loaded if it is not yet; null where there is none.
template <class Function>
Function* SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (module == nullptr) module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return nullptr;
    // Through void (*)(), the one cast between function types that says "any function".
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

/// The shell's function `name`, declared as `Function` in <shellapi.h> or <shlobj.h>.
template <class Function>
Function* ShellFunction(const char* name) {
    return SystemFunction<Function>(L"shell32.dll", name);
}

}  // namespace tarvel::ui
