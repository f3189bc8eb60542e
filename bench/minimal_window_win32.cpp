// The yardstick for tarvel.exe's start-up under Wine: the least a Win32
// program does to put a window on the screen, one empty window with a caption
// and the main window's client size, static and Unicode as tarvel.exe is.
// Built with TARVEL_LIKE_TARVEL_EXE it has tarvel.exe's manifest, imports the
// common controls 6 (which tarvel.exe loads only once its window is shown) and
// accepts dropped files as tarvel.exe does, by its style, which needs no shell.
// bench/startup.sh times them under the same Wine.
#include <windows.h>
#ifdef TARVEL_LIKE_TARVEL_EXE
#include <commctrl.h>
#endif

namespace {

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
#ifdef TARVEL_LIKE_TARVEL_EXE
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
#endif
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"MinimalWindow";
    RegisterClassExW(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, 495, 329};
    AdjustWindowRect(&frame, style, FALSE);
#ifdef TARVEL_LIKE_TARVEL_EXE
    const DWORD exStyle = WS_EX_ACCEPTFILES;
#else
    const DWORD exStyle = 0;
#endif
    HWND window = CreateWindowExW(exStyle, L"MinimalWindow", L"Minimal Win32 window", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
