#include "frm_main.h"

#include <shellapi.h>  // before windowsx.h, which then cracks WM_DROPFILES too
#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <system_error>

#include "error_messages.h"
#include "frm_about.h"
#include "system_functions_windows.h"
#include "window_support.h"

namespace {

using tarvel::ui::ControlKind;
using tarvel::ui::ShellFunction;
using tarvel::ui::ControlPlace;
using tarvel::ui::kMainWindowControls;
using tarvel::ui::WideFromUtf8;
using tarvel::ui::Utf8FromWide;
using namespace tarvel::ui::win32;

constexpr wchar_t kWindowClass[] = L"frmMain";
constexpr int kFirstControlId = 1000;  // clear of IDOK and IDCANCEL, which the keyboard sends
constexpr int kDirectoryIndentTwips = 240;
constexpr int kDroppedDriveLines = 8;
// Form_Load, posted to the window by Load.
constexpr UINT kLoadMessage = WM_APP + 1;

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::DirectoryList:
            // Drawn by the window: each line indented to its depth, behind a folder.
            return {L"LISTBOX",
                    WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                    WS_EX_CLIENTEDGE};
        // Drawn by the window too: each drive behind the shell's icon for it.
        case ControlKind::DriveList:
            return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0};
        case ControlKind::FileList:
            return {L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
        case ControlKind::TextBox: return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        // A caption wider than its label is cut at the edge rather than wrapped out of sight.
        // Clipped by the controls above it, a label never paints over one it touches (Label1
        // reaches 15 twips into Text1's border), as Visual Basic draws labels beneath them.
        case ControlKind::Label: return {L"STATIC", WS_CLIPSIBLINGS | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
        case ControlKind::Button: return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
        // No tab stop: the result box lies below the window and must never hold the focus unseen.
        case ControlKind::ResultBox:
            return {L"EDIT", WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, WS_EX_CLIENTEDGE};
        case ControlKind::Frame: return {L"BUTTON", WS_CLIPSIBLINGS | BS_GROUPBOX, 0};
        case ControlKind::CheckBox: return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
        case ControlKind::OptionButton: return {L"BUTTON", BS_AUTORADIOBUTTON, 0};
        case ControlKind::Picture: return {L"STATIC", SS_ICON, 0};
    }
    return {L"STATIC", 0, 0};
}

const ControlPlace* FindPlace(std::string_view name) {
    for (const ControlPlace& place : kMainWindowControls)
        if (place.name == name) return &place;
    return nullptr;
}

// A control's rectangle in the window's client area, in twips: a frame's
// controls are placed from the frame's corner, and frames are siblings here.
RECT TwipsRect(const ControlPlace& place) {
    int left = place.left, top = place.top;
    if (place.container != "frmMain")
        if (const ControlPlace* frame = FindPlace(place.container)) left += frame->left, top += frame->top;
    return {left, top, left + place.width, top + place.height};
}

// The shell's small icon for the file, folder or drive `path` (`flags` may ask
// for the open one), loaded from the file the shell names for it; where it
// names none (an icon it makes itself), its system image list's. The same
// picture either way, but under Wine the first icon from the image list took
// 40 to 80 ms, as long as the whole window before it, and one from its file 2 to 20 ms.
HICON FileIcon(const wchar_t* path, UINT flags) {
    static auto* const fileInfo = ShellFunction<decltype(SHGetFileInfoW)>("SHGetFileInfoW");
    static auto* const extractIcons = ShellFunction<decltype(ExtractIconExW)>("ExtractIconExW");
    if (fileInfo == nullptr) return nullptr;
    SHFILEINFOW file{};
    HICON icon = nullptr;
    if (extractIcons != nullptr && fileInfo(path, 0, &file, sizeof file, SHGFI_ICONLOCATION | flags) != 0 &&
        file.szDisplayName[0] != L'\0' && extractIcons(file.szDisplayName, file.iIcon, nullptr, &icon, 1) == 1 &&
        icon != nullptr)
        return icon;
    file = {};
    return fileInfo(path, 0, &file, sizeof file, SHGFI_ICON | SHGFI_SMALLICON | flags) != 0 ? file.hIcon : nullptr;
}

// The shell's small folder icon, open or closed, as Explorer draws folders: its
// stock icon, or where the shell gives none (Wine's SHGetStockIconInfo returns
// no icon) the system image list's for a folder that is always there. An
// icon picked from shell32.dll by number is no folder in every version of it.
HICON FolderIcon(bool open) {
    static auto* const stockIcon = ShellFunction<decltype(SHGetStockIconInfo)>("SHGetStockIconInfo");
    SHSTOCKICONINFO stock{};
    stock.cbSize = sizeof stock;
    if (stockIcon != nullptr &&
        SUCCEEDED(stockIcon(open ? SIID_FOLDEROPEN : SIID_FOLDER, SHGSI_ICON | SHGSI_SMALLICON, &stock)) &&
        stock.hIcon != nullptr)
        return stock.hIcon;
    wchar_t windows[MAX_PATH];
    if (GetSystemWindowsDirectoryW(windows, MAX_PATH) == 0) return nullptr;
    return FileIcon(windows, open ? SHGFI_OPENICON : 0);
}

// The shell's small icon for a drive ("c:"), as Explorer shows it: fixed disk, CD, stick, network.
HICON DriveIcon(const std::wstring& drive) {
    const std::wstring root = drive + L"\\";
    return FileIcon(root.c_str(), 0);
}

void DestroyIcons(std::vector<HICON>& icons) {
    for (HICON icon : icons)
        if (icon != nullptr) DestroyIcon(icon);
    icons.clear();
}

// An icon, then a text, on an owner-drawn line of a list: the line's own
// colours, the icon `iconSize` square, centred in the height.
void DrawIconLine(const DRAWITEMSTRUCT& item, HICON icon, int left, int iconSize, int gap, const std::wstring& text) {
    HDC dc = item.hDC;
    const RECT& line = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &line, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    int x = line.left + left;
    if (icon != nullptr)
        DrawIconEx(dc, x, line.top + (line.bottom - line.top - iconSize) / 2, icon, iconSize, iconSize, 0, nullptr,
                   DI_NORMAL);
    x += iconSize + gap;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT room{x, line.top, line.right, line.bottom};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &room, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &line);
}

// A control's rectangle in the window's client area, in pixels at `dpi`.
RECT PixelRect(const ControlPlace& place, UINT dpi) {
    const RECT twips = TwipsRect(place);
    int height = Px(twips.bottom - twips.top, dpi);
    // A drop-down list's height includes its list when dropped; the closed box sizes itself to the font.
    if (place.kind == ControlKind::DriveList) height *= kDroppedDriveLines + 1;
    const int left = Px(twips.left, dpi), top = Px(twips.top, dpi);
    return {left, top, left + Px(twips.right - twips.left, dpi), top + height};
}

std::wstring ListText(HWND list, int index) {
    std::wstring text(static_cast<std::size_t>(std::max(0, ListBox_GetTextLen(list, index))) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max(0, ListBox_GetText(list, index, text.data()))));
    return text;
}

// What the system says of its last failure, in its own words.
std::string LastErrorText() {
    return tarvel::ui::ReasonText(std::error_code(static_cast<int>(GetLastError()), std::system_category()));
}

}  // namespace

frmMain::frmMain(HINSTANCE instance, tarvel::ui::Platform& platform)
    : instance_(instance), platform_(platform), behaviour_(*this, platform) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &ForwardToView<frmMain>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClass;
    windowClass.hIcon = LoadProgramIcon(instance, GetSystemMetrics(SM_CXICON));
    windowClass.hIconSm = LoadProgramIcon(instance, GetSystemMetrics(SM_CXSMICON));
    RegisterClassExW(&windowClass);

    // A fixed single border with a close box only: no resizing, no minimising or maximising.
    // WS_EX_ACCEPTFILES is all DragAcceptFiles does, without loading the shell.
    CreateWindowExW(WS_EX_ACCEPTFILES, kWindowClass, WideFromUtf8(tarvel::ui::kMainWindowCaption).c_str(),
                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    PlaceClientCentred(window_, Px(tarvel::ui::kMainWindowWidth, dpi_), Px(tarvel::ui::kMainWindowHeight, dpi_),
                       dpi_);
}

void frmMain::Load(const std::string& startName) {
    startName_ = startName;
    PostMessageW(window_, kLoadMessage, 0, 0);
}

frmMain::~frmMain() {
    StopWatching();
    if (window_ != nullptr) DestroyWindow(window_);
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(text1Brush_)})
        if (object != nullptr) DeleteObject(object);
    for (HICON icon : {bigIcon_, smallIcon_, openFolder_, closedFolder_})
        if (icon != nullptr) DestroyIcon(icon);
    DestroyIcons(driveIcons_);
}

LRESULT frmMain::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) window_ = hwnd;
    switch (message) {
        HANDLE_MSG(hwnd, WM_CREATE, OnCreate);
        HANDLE_MSG(hwnd, WM_COMMAND, OnCommand);
        HANDLE_MSG(hwnd, WM_ACTIVATE, OnActivate);
        HANDLE_MSG(hwnd, WM_MEASUREITEM, OnMeasureItem);
        HANDLE_MSG(hwnd, WM_DRAWITEM, OnDrawItem);
        HANDLE_MSG(hwnd, WM_DROPFILES, OnDropFiles);
        HANDLE_MSG(hwnd, WM_CTLCOLOREDIT, OnCtlColor);
        HANDLE_MSG(hwnd, WM_CTLCOLORSTATIC, OnCtlColor);
        HANDLE_MSG(hwnd, WM_DESTROY, OnDestroy);
        case kLoadMessage:
            behaviour_.Load(startName_);
            return 0;
    }
    return HandleSharedMessage(hwnd, message, wParam, lParam, tarvel::ui::kMainWindowWidth, tarvel::ui::kMainWindowHeight,
                               [this](UINT dpi) { ApplyDpi(dpi); });
}

BOOL frmMain::OnCreate(HWND hwnd, LPCREATESTRUCTW) {
    window_ = hwnd;
    dpi_ = WindowDpi(hwnd);
    font_ = CreateDialogFont(dpi_);
    // At the system's DPI the class's icons are these very sizes, and loading
    // the window's own again would cost start-up time: the About box loads its
    // copy when first shown.
    if (Px(480, dpi_) != GetSystemMetrics(SM_CXICON) || Px(240, dpi_) != GetSystemMetrics(SM_CXSMICON)) LoadIcons();
    return TRUE;
}

void frmMain::Show(int showCommand) {
    ShowWindow(window_, showCommand);
    if (Dir1 != nullptr) return;
    LoadCommonControls();
    // Each control made once, at its place and in its font: under Wine every
    // move and every font a control is given after it is made costs start-up time.
    // Made while the window does not redraw, they are drawn once, all together,
    // instead of each window (the drive list twice) drawing as it is made.
    SetWindowRedraw(window_, FALSE);
    CreateControls();
    MeasureLines();
    SetWindowRedraw(window_, TRUE);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    // Activated while it had no controls, the window gave the focus to none:
    // it goes where activation puts it, at first the directory list.
    if (GetActiveWindow() == window_)
        KeepFocusAcrossActivation(window_, WA_ACTIVE, IsIconic(window_), focusBeforeDeactivation_, Dir1);
}

void frmMain::CreateControls() {
    bool inOptionGroup = false;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlPlace& place = kMainWindowControls[i];
        const ControlClass control = ClassOf(place.kind);
        DWORD style = WS_CHILD | WS_VISIBLE | control.style;
        // Option buttons in a row form one group: Tab reaches the chosen one, the arrows move between them.
        const bool option = place.kind == ControlKind::OptionButton;
        if (!option || !inOptionGroup) style |= WS_GROUP;
        if (option && !inOptionGroup) style |= WS_TABSTOP;
        inOptionGroup = option;
        const RECT rect = PixelRect(place, dpi_);
        controls_[i] = CreateWindowExW(control.exStyle, control.name, WideFromUtf8(place.text).c_str(), style,
                                       rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance_,
                                       nullptr);
        SetWindowFont(controls_[i], font_, FALSE);
    }
    const auto control = [this](std::string_view name) {
        return controls_[static_cast<std::size_t>(FindPlace(name) - kMainWindowControls)];
    };
    // As in Visual Basic, labels lie beneath every other control, and the frames
    // beneath everything, their own contents too, whatever their places in the table.
    for (const ControlKind kind : {ControlKind::Label, ControlKind::Frame})
        for (std::size_t i = 0; i < controls_.size(); ++i)
            if (kMainWindowControls[i].kind == kind)
                SetWindowPos(controls_[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Dir1 = control("Dir1");
    Drive1 = control("Drive1");
    File1 = control("File1");
    Text1 = control("Text1");
    Label1 = control("Label1");
    Command1 = control("Command1");
    Command2 = control("Command2");
    Command3 = control("Command3");
    Text2 = control("Text2");
    Frame1 = control("Frame1");
    Text3 = control("Text3");
    Label2 = control("Label2");
    chkDefine = control("chkDefine");
    Frame2 = control("Frame2");
    Option1 = control("Option1");
    Option2 = control("Option2");

    Button_SetCheck(chkDefine, BST_CHECKED);
    Button_SetCheck(Option1, BST_CHECKED);
    ComboBox_SetMinVisible(Drive1, kDroppedDriveLines);
    text1Brush_ = CreateSolidBrush(RGB(text1Background_.red, text1Background_.green, text1Background_.blue));
}

// Everything measured in pixels follows the monitor: the font, the icons, the
// places of the controls and the height of a list's line.
void frmMain::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    HFONT old = font_;
    font_ = CreateDialogFont(dpi);
    for (HWND control : controls_) SetWindowFont(control, font_, FALSE);
    if (old != nullptr) DeleteObject(old);
    LoadIcons();
    MeasureLines();
    PlaceControls();
    InvalidateRect(window_, nullptr, TRUE);
}

void frmMain::LoadIcons() {
    for (HICON icon : {bigIcon_, smallIcon_})
        if (icon != nullptr) DestroyIcon(icon);
    bigIcon_ = LoadProgramIcon(instance_, Px(480, dpi_));
    smallIcon_ = LoadProgramIcon(instance_, Px(240, dpi_));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

void frmMain::MeasureLines() {
    HDC dc = GetDC(Dir1);
    HGDIOBJ previous = SelectObject(dc, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(Dir1, dc);
    ListBox_SetItemHeight(Dir1, 0, std::max<int>(metrics.tmHeight, Px(240, dpi_)) + Px(30, dpi_));
    // The drive list's lines and its closed box hold a small icon beside the text.
    const int driveLine = std::max<int>(metrics.tmHeight, Px(240, dpi_));
    ComboBox_SetItemHeight(Drive1, -1, driveLine);
    ComboBox_SetItemHeight(Drive1, 0, driveLine);
}

void frmMain::PlaceControls() {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const RECT rect = PixelRect(kMainWindowControls[i], dpi_);
        MoveWindow(controls_[i], rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    }
}

void frmMain::OnCommand(HWND hwnd, int id, HWND control, UINT code) {
    if (id == IDOK) {
        // Enter: opens the directory line under the focus, or presses the button that has it.
        if (GetFocus() == Dir1) Dir1_Change();
        else PressFocusedButton(hwnd);
        return;
    }
    if (control == Drive1 && code == CBN_SELCHANGE) Drive1_Change();
    else if (control == Dir1 && code == LBN_DBLCLK) Dir1_Change();
    else if (control == File1 && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) File1_Click();
    else if (control == Option1 && code == BN_CLICKED) Option1_Click();
    else if (control == Option2 && code == BN_CLICKED) Option2_Click();
    else if (control == Command1 && code == BN_CLICKED) Command1_Click();
    else if (control == Command2 && code == BN_CLICKED) Command2_Click();
    else if (control == Command3 && code == BN_CLICKED) Command3_Click();
}

void frmMain::OnActivate(HWND hwnd, UINT state, HWND, BOOL minimized) {
    // As a dialog does: the focus comes back to the control that had it, at first the directory list.
    KeepFocusAcrossActivation(hwnd, state, minimized, focusBeforeDeactivation_, Dir1);
}

void frmMain::OnMeasureItem(HWND, MEASUREITEMSTRUCT* item) {
    item->itemHeight = static_cast<UINT>(Px(255, dpi_));  // replaced once the font is known
}

void frmMain::OnDrawItem(HWND, const DRAWITEMSTRUCT* item) {
    const int iconSize = Px(240, dpi_);
    const UINT line = item->itemID;
    if (item->hwndItem == Dir1) {
        if (line == static_cast<UINT>(-1) || line >= directoryLines_.size()) {
            FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_WINDOW));
            if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
            return;
        }
        const tarvel::ui::DirectoryEntry& entry = directoryLines_[line];
        DrawIconLine(*item, entry.open ? openFolder_ : closedFolder_,
                     Px(30, dpi_) + entry.depth * Px(kDirectoryIndentTwips, dpi_), iconSize, Px(60, dpi_),
                     ListText(Dir1, static_cast<int>(line)));
    } else if (item->hwndItem == Drive1) {
        const bool known = line != static_cast<UINT>(-1) && line < driveIcons_.size();
        std::wstring drive;
        if (known) {
            drive.resize(static_cast<std::size_t>(std::max(0, ComboBox_GetLBTextLen(Drive1, line))) + 1);
            drive.resize(static_cast<std::size_t>(std::max(0, ComboBox_GetLBText(Drive1, line, drive.data()))));
        }
        DrawIconLine(*item, known ? driveIcons_[line] : nullptr, Px(30, dpi_), iconSize, Px(60, dpi_), drive);
    }
}

void frmMain::OnDropFiles(HWND, HDROP drop) {
    // The first name alone: the lists show one directory.
    static auto* const queryFile = ShellFunction<decltype(DragQueryFileW)>("DragQueryFileW");
    static auto* const finish = ShellFunction<decltype(DragFinish)>("DragFinish");
    if (queryFile == nullptr || finish == nullptr) return;
    std::wstring name(static_cast<std::size_t>(queryFile(drop, 0, nullptr, 0)) + 1, L'\0');
    name.resize(queryFile(drop, 0, name.data(), static_cast<UINT>(name.size())));
    finish(drop);
    if (!name.empty()) behaviour_.Open(Utf8FromWide(name));
}

HBRUSH frmMain::OnCtlColor(HWND hwnd, HDC dc, HWND control, int type) {
    if (control == Text1) {
        SetBkColor(dc, RGB(text1Background_.red, text1Background_.green, text1Background_.blue));
        // Greyed, the name stays readable on its grey background.
        if (!IsWindowEnabled(Text1)) {
            const tarvel::ui::Colour text = tarvel::ui::kDisabledText;
            SetTextColor(dc, RGB(text.red, text.green, text.blue));
        }
        return text1Brush_;
    }
    return reinterpret_cast<HBRUSH>(DefWindowProcW(
        hwnd, type == CTLCOLOR_EDIT ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
        reinterpret_cast<LPARAM>(control)));
}

void frmMain::OnDestroy(HWND) {
    StopWatching();
    window_ = nullptr;
    PostQuitMessage(0);
}

void frmMain::Drive1_Change() {
    const int chosen = ComboBox_GetCurSel(Drive1);
    if (chosen < 0) return;
    std::wstring drive(static_cast<std::size_t>(ComboBox_GetLBTextLen(Drive1, chosen)) + 1, L'\0');
    drive.resize(static_cast<std::size_t>(ComboBox_GetLBText(Drive1, chosen, drive.data())));
    behaviour_.ChooseDrive(Utf8FromWide(drive));
}

void frmMain::Dir1_Change() {
    const int line = ListBox_GetCurSel(Dir1);
    if (line >= 0 && static_cast<std::size_t>(line) < directoryLines_.size())
        behaviour_.OpenDirectory(directoryLines_[static_cast<std::size_t>(line)].path);
}

void frmMain::File1_Click() {
    const std::string name = SelectedFileName();
    if (!name.empty()) behaviour_.PickFile(name);
}

void frmMain::Option1_Click() {
    if (Button_GetCheck(Option1) == BST_CHECKED) behaviour_.ChooseOutput(tarvel::ui::OutputTarget::File);
}

void frmMain::Option2_Click() {
    if (Button_GetCheck(Option2) == BST_CHECKED) behaviour_.ChooseOutput(tarvel::ui::OutputTarget::Clipboard);
}

void frmMain::Command1_Click() { behaviour_.Convert(); }

void frmMain::Command2_Click() { behaviour_.ShowAbout(); }

void frmMain::Command3_Click() { behaviour_.Exit(); }

void frmMain::ListDrives(const std::vector<std::string>& drives) {
    ComboBox_ResetContent(Drive1);
    DestroyIcons(driveIcons_);
    for (const std::string& drive : drives) {
        const std::wstring wide = WideFromUtf8(drive);
        ComboBox_AddString(Drive1, wide.c_str());
        driveIcons_.push_back(DriveIcon(wide));
    }
}

void frmMain::ShowDrive(const std::string& drive) {
    ComboBox_SetCurSel(Drive1, ComboBox_FindStringExact(Drive1, -1, WideFromUtf8(drive).c_str()));
}

void frmMain::ShowDirectory(const std::string& path, const std::vector<tarvel::ui::DirectoryEntry>& entries) {
    // Asked for once the window is on the screen: the shell's first icon loads
    // shell32.dll and what it brings, which the window needs no sooner.
    // Drawn scaled to each monitor's DPI, the small icons serve every one.
    if (openFolder_ == nullptr) openFolder_ = FolderIcon(true);
    if (closedFolder_ == nullptr) closedFolder_ = FolderIcon(false);
    SetWindowRedraw(Dir1, FALSE);
    ListBox_ResetContent(Dir1);
    directoryLines_ = entries;
    int current = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ListBox_AddString(Dir1, WideFromUtf8(entries[i].name).c_str());
        if (entries[i].path == path) current = static_cast<int>(i);
    }
    ListBox_SetCurSel(Dir1, current);
    SetWindowRedraw(Dir1, TRUE);
    InvalidateRect(Dir1, nullptr, TRUE);
    WatchDirectory(path);
}

void frmMain::ListFiles(const std::vector<std::string>& names) {
    SetWindowRedraw(File1, FALSE);
    ListBox_ResetContent(File1);
    for (const std::string& name : names) ListBox_AddString(File1, WideFromUtf8(name).c_str());
    SetWindowRedraw(File1, TRUE);
    InvalidateRect(File1, nullptr, TRUE);
}

void frmMain::SelectFile(const std::string& name) {
    // Setting the selection raises no LBN_SELCHANGE: File1_Click does not run.
    ListBox_SetCurSel(File1, ListBox_FindStringExact(File1, -1, WideFromUtf8(name).c_str()));
}

std::string frmMain::SelectedFileName() const {
    const int selected = ListBox_GetCurSel(File1);
    return selected < 0 ? std::string() : Utf8FromWide(ListText(File1, selected));
}

std::string frmMain::OutputName() const { return WindowTextUtf8(Text1); }

void frmMain::SetOutputName(const std::string& text) { SetWindowTextUtf8(Text1, text); }

void frmMain::EnableOutputName(bool enabled, tarvel::ui::Colour background) {
    text1Background_ = background;
    if (text1Brush_ != nullptr) DeleteObject(text1Brush_);
    text1Brush_ = CreateSolidBrush(RGB(background.red, background.green, background.blue));
    EnableWindow(Text1, enabled);
    InvalidateRect(Text1, nullptr, TRUE);
}

std::string frmMain::FirstIdText() const { return WindowTextUtf8(Text3); }

bool frmMain::DefinesChecked() const { return Button_GetCheck(chkDefine) == BST_CHECKED; }

tarvel::ui::OutputTarget frmMain::ChosenOutput() const {
    return Button_GetCheck(Option2) == BST_CHECKED ? tarvel::ui::OutputTarget::Clipboard
                                                   : tarvel::ui::OutputTarget::File;
}

void frmMain::SetResultText(const std::string& text) { SetWindowTextUtf8(Text2, text); }

void frmMain::ShowMessage(const std::string& text, const std::string& title) {
    MessageBoxW(window_, WideFromUtf8(text).c_str(), WideFromUtf8(title).c_str(), MB_ICONEXCLAMATION | MB_OK);
}

void frmMain::PutOnClipboard(const std::string& text) {
    // Another program may hold the clipboard for a moment; it is asked a few times.
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !(opened = OpenClipboard(window_)); ++attempt) Sleep(20);
    if (!opened) return ShowMessage(tarvel::ui::ClipboardUnavailableMessage(LastErrorText()),
                                    std::string(tarvel::ui::kErrorTitle));
    EmptyClipboard();
    const std::wstring wide = WideFromUtf8(text);
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool put = false;
    if (memory != nullptr) {
        std::memcpy(GlobalLock(memory), wide.c_str(), bytes);
        GlobalUnlock(memory);
        put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!put) GlobalFree(memory);  // the clipboard owns it only once it took it
    }
    const std::string reason = put ? std::string() : LastErrorText();
    CloseClipboard();
    if (!put) ShowMessage(tarvel::ui::ClipboardUnavailableMessage(reason), std::string(tarvel::ui::kErrorTitle));
}

void frmMain::ShowAboutBox() {
    if (!aboutBox_) aboutBox_ = std::make_unique<frmAbout>(instance_, platform_);
    if (bigIcon_ == nullptr) bigIcon_ = LoadProgramIcon(instance_, Px(480, dpi_));
    aboutBox_->ShowModal(window_, bigIcon_);
}

void frmMain::EndProgram() {
    if (window_ != nullptr) DestroyWindow(window_);
}

void frmMain::WatchDirectory(const std::string& path) {
    if (directoryWatch_ != nullptr && path == watchedDirectory_) return;
    StopWatching();
    // Names coming and going in the directory; its own removal wakes the watch too.
    HANDLE watch = FindFirstChangeNotificationW(WideFromUtf8(path).c_str(), FALSE,
                                                FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
    if (watch == INVALID_HANDLE_VALUE) return;
    directoryWatch_ = watch;
    watchedDirectory_ = path;
}

void frmMain::StopWatching() {
    if (directoryWatch_ != nullptr) FindCloseChangeNotification(directoryWatch_);
    directoryWatch_ = nullptr;
    watchedDirectory_.clear();
}

void frmMain::DirectoryWatchSignalled() {
    // A watch that cannot be renewed (its directory is gone) would stay signalled and wake the loop for ever.
    if (directoryWatch_ != nullptr && !FindNextChangeNotification(directoryWatch_)) StopWatching();
    behaviour_.DirectoryMayBeGone();
    if (directoryWatch_ == nullptr) WatchDirectory(behaviour_.directory());
}
