/* A Win32 program whose menu and dialog come from a Visual Basic form,
   converted at build time by tarvel_add_resources (see CMakeLists.txt).

     win32-app           shows the form's dialog, with its menu, until it is closed;
                         a menu item's caption shows in the dialog's title
     win32-app /tree     prints every MENU resource as a tree, then creates
                         every dialog and prints the tree of the menu it has;
                         exit status 0 when every one loaded, 1 otherwise

   The program is written for any form: it finds the menus and dialogs among
   its own resources (EnumResourceNamesW) instead of naming them, and reads
   every item with GetMenuItemInfoW. A program made for one form would load
   its menu by name, LoadMenuW(instance, L"Glowne"), and compare the ids of
   WM_COMMAND with the names of the form's header. */
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

/* The form's item and control numbers, as the RC text gives them. */
#include FORM_HEADER

static int failures;

static void Print(const char *text) { fputs(text, stdout); }

/* A caption in quotes, UTF-8, with \\, \", \t and other control characters escaped. */
static void PrintCaption(const wchar_t *caption) {
    char bytes[8];
    Print("\"");
    for (const wchar_t *c = caption; *c; ++c) {
        if (*c == L'\\' || *c == L'"') {
            bytes[0] = '\\';
            bytes[1] = (char)*c;
            bytes[2] = 0;
        } else if (*c == L'\t') {
            strcpy(bytes, "\\t");
        } else if (*c < 0x20) {
            sprintf(bytes, "\\x%02x", (unsigned)*c);
        } else {
            /* A surrogate pair is converted as a pair. */
            const int units = (*c >= 0xD800 && *c < 0xDC00 && c[1]) ? 2 : 1;
            const int length = WideCharToMultiByte(CP_UTF8, 0, c, units, bytes, sizeof bytes - 1, NULL, NULL);
            bytes[length > 0 ? length : 0] = 0;
            c += units - 1;
        }
        Print(bytes);
    }
    Print("\"");
}

static void PrintMenu(HMENU menu, int depth) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW item = {.cbSize = sizeof item, .fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING};
        if (!GetMenuItemInfoW(menu, (UINT)i, TRUE, &item)) {
            printf("%*scannot read item %d (error %lu)\n", depth * 2, "", i, GetLastError());
            ++failures;
            continue;
        }
        wchar_t *caption = calloc(item.cch + 1, sizeof *caption);
        item.dwTypeData = caption;
        item.cch += 1;
        GetMenuItemInfoW(menu, (UINT)i, TRUE, &item);
        printf("%*s", depth * 2, "");
        if (item.fType & MFT_SEPARATOR) {
            Print("SEPARATOR");
        } else {
            Print(item.hSubMenu ? "POPUP " : "MENUITEM ");
            PrintCaption(caption);
            if (!item.hSubMenu) printf(" %u", item.wID);
        }
        /* A separator is always disabled: no flag of the form's. */
        if ((item.fState & MFS_GRAYED) && !(item.fType & MFT_SEPARATOR)) Print(" GRAYED");
        if (item.fState & MFS_CHECKED) Print(" CHECKED");
        Print("\n");
        free(caption);
        if (item.hSubMenu) {
            PrintMenu(item.hSubMenu, depth + 1);
            printf("%*sEND\n", depth * 2, "");
        }
    }
}

static void PrintName(const wchar_t *name) {
    if (IS_INTRESOURCE(name)) {
        printf("%u", (unsigned)(ULONG_PTR)name);
    } else {
        char bytes[512];
        const int length = WideCharToMultiByte(CP_UTF8, 0, name, -1, bytes, sizeof bytes, NULL, NULL);
        Print(length > 0 ? bytes : "?");
    }
}

static BOOL CALLBACK PrintMenuResource(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR unused) {
    (void)type;
    (void)unused;
    Print("MENU ");
    PrintName(name);
    Print("\n");
    HMENU menu = LoadMenuW(module, name);
    if (!menu) {
        printf("cannot load it (error %lu)\n", GetLastError());
        ++failures;
        return TRUE;
    }
    PrintMenu(menu, 1);
    DestroyMenu(menu);
    return TRUE;
}

static INT_PTR CALLBACK Quiet(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)dialog;
    (void)wParam;
    (void)lParam;
    return message == WM_INITDIALOG;
}

static BOOL CALLBACK CountControl(HWND control, LPARAM count) {
    (void)control;
    ++*(int *)count;
    return TRUE;
}

static BOOL CALLBACK LoadDialog(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR unused) {
    (void)type;
    (void)unused;
    Print("DIALOG ");
    PrintName(name);
    HWND dialog = CreateDialogParamW(module, name, NULL, Quiet, 0);
    if (!dialog) {
        printf(" cannot be created (error %lu)\n", GetLastError());
        ++failures;
        return TRUE;
    }
    int controls = 0;
    EnumChildWindows(dialog, CountControl, (LPARAM)&controls);
    printf(" created with %d windows\n", controls);
    if (GetMenu(dialog)) PrintMenu(GetMenu(dialog), 1);
    DestroyWindow(dialog);
    return TRUE;
}

static BOOL CALLBACK FirstName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found) {
    (void)module;
    (void)type;
    *(LPCWSTR *)found = IS_INTRESOURCE(name) ? name : _wcsdup(name);
    return FALSE;
}

/* The form's dialog, shown: a chosen item's caption goes to the title. */
static INT_PTR CALLBACK ShowForm(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, 0);
            } else if (HIWORD(wParam) == 0 && lParam == 0 && GetMenu(dialog)) {
                wchar_t caption[256];
                if (GetMenuStringW(GetMenu(dialog), LOWORD(wParam), caption, 256, MF_BYCOMMAND) > 0)
                    SetWindowTextW(dialog, caption);
            }
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
    (void)previous;
    (void)show;
    /* The window classes of the common controls and rich edit, which a form's dialog may hold. */
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&classes);
    LoadLibraryW(L"riched20.dll");

    if (wcscmp(arguments, L"/tree") == 0) {
        EnumResourceNamesW(instance, (LPCWSTR)RT_MENU, PrintMenuResource, 0);
        EnumResourceNamesW(instance, (LPCWSTR)RT_DIALOG, LoadDialog, 0);
        fflush(stdout);
        return failures ? 1 : 0;
    }
    LPCWSTR dialog = NULL;
    EnumResourceNamesW(instance, (LPCWSTR)RT_DIALOG, FirstName, (LONG_PTR)&dialog);
    if (!dialog) {
        MessageBoxW(NULL, L"The form gives no dialog (an MDI form).", L"win32-app", MB_ICONINFORMATION);
        return 1;
    }
    return (int)DialogBoxParamW(instance, dialog, NULL, ShowForm, 0);
}
