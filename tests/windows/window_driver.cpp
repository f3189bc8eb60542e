// What the end-to-end test of tarvel.exe cannot do with keyboard and mouse,
// as a small Windows program run beside it in the same Wine:
//
//   window_driver drop TITLE PATH   drops PATH on the window titled TITLE, as
//                                   Explorer does: WM_DROPFILES with a DROPFILES
//                                   block, written into the window's process
//   window_driver check TITLE       reads the window's pixels off the screen and
//                                   checks that its folders and its drive carry
//                                   the shell's icons (not a document's), and
//                                   that Label1 leaves Text1's border whole
//
// The window numbers its controls from 1000 in the order of its layout table:
// Dir1, Drive1, File1, Text1, Label1, ... Exit status 0 when all is well; each
// failure is printed.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kDir1 = 1000, kDrive1 = 1001, kText1 = 1003, kLabel1 = 1004;
int failures = 0;

void Check(bool condition, const char* what) {
    std::printf("%s: %s\n", condition ? "ok" : "FAIL", what);
    if (!condition) ++failures;
}

int Drop(HWND window, const wchar_t* path) {
    // The block lives in the window's own process, as the shell's drop does:
    // a handle of this process would mean nothing there.
    std::vector<char> block(sizeof(DROPFILES) + (std::wcslen(path) + 2) * sizeof(wchar_t), 0);
    auto* drop = reinterpret_cast<DROPFILES*>(block.data());
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::wcscpy(reinterpret_cast<wchar_t*>(block.data() + sizeof(DROPFILES)), path);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process);
    void* remote = target ? VirtualAllocEx(target, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr;
    const bool written = remote && WriteProcessMemory(target, remote, block.data(), block.size(), nullptr);
    const bool posted = written && PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
    if (target) CloseHandle(target);
    Check(posted, "WM_DROPFILES posted");
    return posted ? 0 : 1;
}

// A 32-bit top-down picture of pixels, 0x00RRGGBB.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned> pixels;
    unsigned at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)] & 0xFFFFFF; }
};

// Draws into a fresh picture with `paint(dc)`.
template <class Paint>
Picture Draw(int width, int height, Paint paint) {
    Picture picture{width, height, {}};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    paint(dc);
    GdiFlush();
    const auto* begin = static_cast<const unsigned*>(bits);
    picture.pixels.assign(begin, begin + width * height);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return picture;
}

// What the screen shows of `control`, its border included.
Picture Screen(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    HDC screen = GetDC(nullptr);
    Picture picture = Draw(rect.right - rect.left, rect.bottom - rect.top, [&](HDC dc) {
        BitBlt(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top, screen, rect.left, rect.top, SRCCOPY);
    });
    ReleaseDC(nullptr, screen);
    return picture;
}

// `icon` as a list draws it on a line of `background`.
Picture IconOn(HICON icon, int size, int background) {
    return Draw(size, size, [&](HDC dc) {
        RECT all{0, 0, size, size};
        FillRect(dc, &all, GetSysColorBrush(background));
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    });
}

bool Contains(const Picture& picture, const Picture& part) {
    for (int top = 0; top + part.height <= picture.height; ++top)
        for (int left = 0; left + part.width <= picture.width; ++left) {
            bool same = true;
            for (int y = 0; y < part.height && same; ++y)
                for (int x = 0; x < part.width && same; ++x) same = picture.at(left + x, top + y) == part.at(x, y);
            if (same) return true;
        }
    return false;
}

// The shell's small icon: its stock icon where it has one, else what its system
// image list shows for `path` (Wine's SHGetStockIconInfo gives no icon at all).
HICON ShellIcon(SHSTOCKICONID stock, const wchar_t* path, DWORD attributes, UINT flags) {
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    if (SUCCEEDED(SHGetStockIconInfo(stock, SHGSI_ICON | SHGSI_SMALLICON, &info)) && info.hIcon) {
        std::printf("the shell's stock icon %d\n", static_cast<int>(stock));
        return info.hIcon;
    }
    SHFILEINFOW file{};
    SHGetFileInfoW(path, attributes, &file, sizeof file, SHGFI_ICON | SHGFI_SMALLICON | flags);
    std::printf("no stock icon %d: the system image list's for %ls\n", static_cast<int>(stock), path);
    return file.hIcon;
}

int CheckWindow(HWND window) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    wchar_t windows[MAX_PATH];
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const HICON closed = ShellIcon(SIID_FOLDER, windows, 0, 0);
    const HICON open = ShellIcon(SIID_FOLDEROPEN, windows, 0, SHGFI_OPENICON);
    const HICON document = ShellIcon(SIID_DOCNOASSOC, L"x.txt", FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
    const HICON drive = ShellIcon(SIID_DRIVEFIXED, L"c:\\", 0, 0);
    Check(closed && open && document && drive, "the shell gives its icons");
    if (failures) return 1;

    // On c:\ the root's line is chosen (open, highlighted), its subdirectories closed.
    const Picture dir1 = Screen(GetDlgItem(window, kDir1));
    Check(Contains(dir1, IconOn(closed, size, COLOR_WINDOW)), "Dir1 shows the shell's closed folder");
    Check(Contains(dir1, IconOn(open, size, COLOR_HIGHLIGHT)), "Dir1 shows the shell's open folder on the chosen line");
    Check(!Contains(dir1, IconOn(document, size, COLOR_WINDOW)), "Dir1 shows no document icon");
    Check(Contains(Screen(GetDlgItem(window, kDrive1)), IconOn(drive, size, COLOR_WINDOW)),
          "Drive1 shows the shell's icon of drive c:");

    // Label1 reaches 15 twips into Text1: beneath it, Text1's top border runs on unbroken.
    RECT text1, label1;
    GetWindowRect(GetDlgItem(window, kText1), &text1);
    GetWindowRect(GetDlgItem(window, kLabel1), &label1);
    Check(label1.bottom > text1.top, "Label1 overlaps Text1's border (the case to check)");
    const Picture border = Screen(GetDlgItem(window, kText1));
    const unsigned beyond = border.at(label1.right - text1.left + 8, 0);
    int broken = 0;
    for (int x = 2; x < label1.right - text1.left; ++x) broken += border.at(x, 0) != beyond;
    Check(broken == 0, "Text1's top border is whole beneath Label1");
    return failures ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_driver drop TITLE PATH | check TITLE\n");
        return 2;
    }
    HWND window = FindWindowW(nullptr, argv[2]);
    if (!window) {
        std::printf("FAIL: no window titled %ls\n", argv[2]);
        return 1;
    }
    const std::wstring command = argv[1];
    if (command == L"drop" && argc == 4) return Drop(window, argv[3]);
    if (command == L"check") return CheckWindow(window);
    std::fprintf(stderr, "usage: window_driver drop TITLE PATH | check TITLE\n");
    return 2;
}
