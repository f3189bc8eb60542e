// A Windows program for the picture tests: it creates the dialog that a
// compiled RC text linked into it holds, and reports the images its statics
// show, so that a test sees that a dialog loads the pictures by itself.
//
//   picture_host NAME
//
// Prints "first-icon N", the icon group that comes first among the program's
// resources (Explorer shows it for the program; a name in place of N when it
// has one), then one line for each static with SS_BITMAP or SS_ICON: its ID
// and "bitmap W H RRGGBB" (size and top-left pixel of the image STM_GETIMAGE
// gives), "icon W H RRGGBB" (of the icon's colour image), or "none". Exit
// status 0, or 1 when the dialog cannot be made.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

INT_PTR CALLBACK Quiet(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

BOOL CALLBACK FirstIconGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
    if (IS_INTRESOURCE(name)) std::swprintf(reinterpret_cast<wchar_t*>(found), 64, L"%u", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
    else std::swprintf(reinterpret_cast<wchar_t*>(found), 64, L"%ls", name);
    return FALSE;  // the first is enough
}

// "W H RRGGBB" of a bitmap.
void DescribeBitmap(HBITMAP bitmap) {
    BITMAP facts{};
    GetObjectW(bitmap, sizeof facts, &facts);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const COLORREF corner = GetPixel(memory, 0, 0);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf(" %ld %ld %02X%02X%02X\n", facts.bmWidth, facts.bmHeight, GetRValue(corner), GetGValue(corner),
                GetBValue(corner));
}

BOOL CALLBACK Report(HWND control, LPARAM dialog) {
    if (GetParent(control) != reinterpret_cast<HWND>(dialog)) return TRUE;
    wchar_t windowClass[32] = L"";
    GetClassNameW(control, windowClass, 32);
    const LONG type = GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK;
    if (lstrcmpiW(windowClass, L"Static") != 0 || (type != SS_BITMAP && type != SS_ICON)) return TRUE;
    std::printf("%d", GetDlgCtrlID(control));
    if (type == SS_BITMAP) {
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
        if (!bitmap) return std::printf(" none\n"), TRUE;
        std::printf(" bitmap");
        DescribeBitmap(bitmap);
    } else {
        HICON icon = reinterpret_cast<HICON>(SendMessageW(control, STM_GETIMAGE, IMAGE_ICON, 0));
        ICONINFO info{};
        if (!icon || !GetIconInfo(icon, &info) || !info.hbmColor) return std::printf(" none\n"), TRUE;
        std::printf(" icon");
        DescribeBitmap(info.hbmColor);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: picture_host NAME\n");
        return 2;
    }
    wchar_t first[64] = L"none";
    EnumResourceNamesW(nullptr, RT_GROUP_ICON, FirstIconGroup, reinterpret_cast<LONG_PTR>(first));
    std::printf("first-icon %ls\n", first);
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), argv[1], nullptr, Quiet, 0);
    if (!dialog) {
        std::fprintf(stderr, "picture_host: cannot create dialog %ls (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    EnumChildWindows(dialog, Report, reinterpret_cast<LPARAM>(dialog));
    std::fflush(stdout);
    DestroyWindow(dialog);
    return 0;
}
