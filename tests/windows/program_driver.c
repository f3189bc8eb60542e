/* Drives a program that tarvel-rc --program wrote, as a user would but
   faster: starts it, finds its window, says "ready" and waits for a line on
   standard input (a screenshot is taken meanwhile), then sends WM_COMMAND for
   every menu item id it is given (the menu of another process cannot be read
   under Wine), BM_CLICK to every button that is shown and enabled,
   new text to every edit field, a step to the next tab of every tab control
   (and clicks the buttons that tab shows), and WM_CLOSE. Each step is
   printed first ("menu 100", "click 105", "text 107", "tab 110"), then
   "exit N" with the program's exit status. Before the steps it tells, for
   each button that shows a bitmap or an icon, whether it has one ("image
   100", "noimage 100"), for each control the mouse pointer the program
   sets for it when asked by WM_SETCURSOR ("cursor 100" then "handle N", the
   cursor's handle, 0 for none), each tab control that has an image list
   ("imagelist 110"), and where the window's client area begins on the screen
   ("left X", "top Y"). (The window's icon is read from its X window: Wine
   answers WM_GETICON from another process with none.)

     program_driver.exe PROGRAM.exe [MENU_ID ...] */
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#define MOST_CONTROLS 8192

static DWORD target;
static HWND window;
static HWND controls[MOST_CONTROLS];
static BOOL clicked[MOST_CONTROLS];
static int count;

static BOOL CALLBACK FindWindowOfProgram(HWND candidate, LPARAM unused)
{
    DWORD process = 0;
    (void)unused;
    GetWindowThreadProcessId(candidate, &process);
    if (process != target || !IsWindowVisible(candidate) || GetWindow(candidate, GW_OWNER) != NULL) return TRUE;
    window = candidate;
    return FALSE;
}

/* The dialog's own controls in their order (a combo box's edit field is the combo box's). */
static BOOL CALLBACK CollectControl(HWND control, LPARAM dialog)
{
    if (GetParent(control) == (HWND)dialog && count < MOST_CONTROLS) controls[count++] = control;
    return TRUE;
}

static void Say(const char *what, long id)
{
    printf("%s %ld\n", what, id);
    fflush(stdout);
}

static BOOL IsClass(HWND control, const wchar_t *name)
{
    wchar_t found[64];
    return GetClassNameW(control, found, 64) > 0 && lstrcmpiW(found, name) == 0;
}

static BOOL Reachable(HWND control) { return IsWindowVisible(control) && IsWindowEnabled(control); }

static void ClickButtons(void)
{
    int i;
    for (i = 0; i < count; ++i) {
        LONG type = GetWindowLongW(controls[i], GWL_STYLE) & BS_TYPEMASK;
        if (clicked[i] || !IsClass(controls[i], L"Button") || !Reachable(controls[i])) continue;
        if (type == BS_GROUPBOX || type == BS_OWNERDRAW || type == BS_USERBUTTON) continue;
        clicked[i] = TRUE;
        Say("click", (long)GetDlgCtrlID(controls[i]));
        SendMessageW(controls[i], BM_CLICK, 0, 0);
    }
}

int wmain(int argc, wchar_t **argv)
{
    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    DWORD status = 0;
    char line[64];
    int i, tries;

    if (argc < 2) {
        fprintf(stderr, "usage: program_driver.exe PROGRAM.exe [MENU_ID ...]\n");
        return 2;
    }
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessW(argv[1], NULL, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "cannot start the program: error %lu\n", GetLastError());
        return 1;
    }
    target = process.dwProcessId;
    WaitForInputIdle(process.hProcess, 10000);
    for (tries = 0; window == NULL && tries < 200; ++tries) {
        EnumWindows(FindWindowOfProgram, 0);
        if (window == NULL) Sleep(50);
    }
    if (window == NULL) {
        fprintf(stderr, "the program shows no window\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    Sleep(300);
    printf("ready\n");
    fflush(stdout);
    if (fgets(line, sizeof line, stdin) == NULL) line[0] = 0;

    EnumChildWindows(window, CollectControl, (LPARAM)window);
    for (i = 0; i < count; ++i) {
        LONG style = GetWindowLongW(controls[i], GWL_STYLE);
        WPARAM type = (style & BS_ICON) ? IMAGE_ICON : IMAGE_BITMAP;
        if (!IsClass(controls[i], L"Button") || !(style & (BS_ICON | BS_BITMAP))) continue;
        Say(SendMessageW(controls[i], BM_GETIMAGE, type, 0) != 0 ? "image" : "noimage", (long)GetDlgCtrlID(controls[i]));
    }
    for (i = 0; i < count; ++i) {
        CURSORINFO info;
        SendMessageW(window, WM_SETCURSOR, (WPARAM)controls[i], MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        info.cbSize = sizeof info;
        Say("cursor", (long)GetDlgCtrlID(controls[i]));
        Say("handle", GetCursorInfo(&info) ? (long)(LONG_PTR)info.hCursor : 0);
        if (IsClass(controls[i], L"SysTabControl32") && SendMessageW(controls[i], 0x1302 /* TCM_GETIMAGELIST */, 0, 0) != 0)
            Say("imagelist", (long)GetDlgCtrlID(controls[i]));
    }
    {
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        Say("left", origin.x);
        Say("top", origin.y);
    }
    for (i = 2; i < argc; ++i) {
        const long id = wcstol(argv[i], NULL, 10);
        Say("menu", id);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    ClickButtons();
    for (i = 0; i < count; ++i) {
        if (!IsClass(controls[i], L"Edit") || !Reachable(controls[i]) ||
            (GetWindowLongW(controls[i], GWL_STYLE) & ES_READONLY))
            continue;
        Say("text", (long)GetDlgCtrlID(controls[i]));
        SendMessageW(controls[i], WM_SETTEXT, 0, (LPARAM)L"Tarvel");
    }
    for (i = 0; i < count; ++i) {
        if (!IsClass(controls[i], L"SysTabControl32") || !Reachable(controls[i])) continue;
        if (SendMessageW(controls[i], 0x1304 /* TCM_GETITEMCOUNT */, 0, 0) < 2) continue;
        Say("tab", (long)GetDlgCtrlID(controls[i]));
        SendMessageW(controls[i], WM_KEYDOWN, VK_RIGHT, 0);
        SendMessageW(controls[i], WM_KEYUP, VK_RIGHT, 0);
        ClickButtons();
    }
    Say("close", 0);
    SendMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        fprintf(stderr, "the program did not end after WM_CLOSE\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    GetExitCodeProcess(process.hProcess, &status);
    Say("exit", (long)status);
    return 0;
}
