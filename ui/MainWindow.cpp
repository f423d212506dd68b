// The main window: what it shows, which labels warn, and what typing into
// its number boxes does. Its commands are in MainCommands.cpp, the label
// colours in LabelColours.cpp.
#include "MainWindow.h"

#include "FolderFiles.h"
#include "HandOff.h"
#include "KeepFiles.h"
#include "LabelColours.h"
#include "MainCommands.h"
#include "ProjectCommands.h"
#include "RecentProjects.h"
#include "ShellFiles.h"
#include "StartFolderAnswer.h"
#include "SystemLibrary.h"
#include "Warnings.h"
#include "WindowPlace.h"

#include "NumberText.h"
#include "ProjectState.h"
#include "RangeMapping.h"
#include "StartFolder.h"
#include "StartFolderQuestion.h"
#include "Vantrel.h"
#include "WindowSettings.h"
#include "resource.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

HINSTANCE appInstance;
HWND mainWindow;
HICON editIcon;
HICON deleteIcon;
HBRUSH buttonFaceBrush;
static HACCEL shortcuts;

// The tooltips of the row buttons. They are made when the mouse first comes
// over the window, not at start-up: a start need not pay for another window
// that only the mouse uses. The tooltip window has no owner: under Wine, a
// window with an owned pop-up no longer becomes topmost (Keep on Top), so
// it is destroyed with the main window by hand.
static HWND rowTips;

// The bold font of the warning labels.
static BoldFont mainBold;

HANDLE LoadProgramIcon(int width, int height)
{
    const UINT flags = width ? LR_SHARED : LR_SHARED | LR_DEFAULTSIZE;
    return LoadImageA(appInstance, MAKEINTRESOURCEA(IDI_VALUES), IMAGE_ICON, width, height, flags);
}

static void ShowNumber(int id, double value)
{
    char text[TEXT_SIZE];
    SetDlgItemTextA(mainWindow, id, FormatValue(text, value));
}

static bool InRow(HWND control, int k)
{
    const int id = GetDlgCtrlID(control);
    return id == IDC_SLOT_VALUE + k || id == IDC_SLOT_EDIT + k || id == IDC_SLOT_DELETE + k;
}

// A control disabled while it has the focus leaves the window without any,
// and Tab and Esc then do nothing until the mouse is used. So a focused
// control of a row about to be disabled first hands the focus on, as Tab
// would, to the next enabled tab stop outside the row.
static void MoveFocusOutOfRow(int k)
{
    const HWND focus = GetFocus();
    if (!focus || GetParent(focus) != mainWindow || !InRow(focus, k))
        return;
    HWND next = focus;
    do
        next = GetNextDlgTabItem(mainWindow, next, FALSE);
    while (next && next != focus && InRow(next, k));
    if (next && next != focus)
        SendMessageA(mainWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
}

static void EnableRow(int k, BOOL enable)
{
    if (!enable)
        MoveFocusOutOfRow(k);
    EnableWindow(GetDlgItem(mainWindow, IDC_SLOT_NAME + k), enable);
    EnableWindow(GetDlgItem(mainWindow, IDC_SLOT_VALUE + k), enable);
    EnableWindow(GetDlgItem(mainWindow, IDC_SLOT_EDIT + k), enable);
    EnableWindow(GetDlgItem(mainWindow, IDC_SLOT_DELETE + k), enable);
}

// The project label shows the file name without its extension. The title is
// cut to the label's buffer before the last full stop is looked for.
static void ShowProjectName()
{
    if (!project.projectTitle[0])
        return; // no project yet: the label keeps what it shows
    char name[TEXT_SIZE];
    CopyText(name, sizeof name, project.projectTitle);
    char* dot = std::strrchr(name, '.');
    if (dot)
        *dot = '\0';
    SetDlgItemTextA(mainWindow, IDC_PROJECT_NAME, name);
}

void RefreshWindow()
{
    ShowProjectName();

    char low[TEXT_SIZE];
    char high[TEXT_SIZE];
    char range[2 * TEXT_SIZE + 8];
    std::snprintf(range, sizeof range, "%s to %s", FormatValue(low, project.mainLow),
                  FormatValue(high, project.mainHigh));
    SetDlgItemTextA(mainWindow, IDC_MAIN_RANGE, range);

    // With the focus in this box, the write comes back as a change and the
    // displayed, rounded text becomes the local value.
    ShowNumber(IDC_LOCAL_VALUE, project.localValue);

    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        ShowRowName(k);
        if (!project.ranges[k].inUse)
            SetDlgItemTextA(mainWindow, IDC_SLOT_VALUE + k, "");
        EnableRow(k, project.ranges[k].inUse != 0);
    }
    RedrawRangeLabels();
}

// Room for "Delete " and a name whose every character is an ampersand.
constexpr int ROW_BUTTON_NAME_SIZE = 2 * TEXT_SIZE + 16;

static TOOLINFOA RowTool(int id)
{
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = mainWindow;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(mainWindow, id));
    return tool;
}

// A row button is named after what it does and to which range ("Edit
// Speed"): a screen reader reads a button's text, and a picture button does
// not draw it. Its tooltip shows the same words. The name's own ampersands
// are doubled, or the dialog manager would take one for an access key, and
// Alt and the letter after it would press the button.
static void NameRowButton(int id, const char* verb, int k)
{
    const CompressedRange& r = project.ranges[k];
    const char* range = !r.inUse ? "empty row" : r.name[0] ? r.name : "unnamed range";
    char name[ROW_BUTTON_NAME_SIZE];
    int n = std::snprintf(name, sizeof name, "%s ", verb);
    for (const char* c = range; *c && n < ROW_BUTTON_NAME_SIZE - 2; c++)
    {
        if (*c == '&')
            name[n++] = '&';
        name[n++] = *c;
    }
    name[n] = '\0';
    SetDlgItemTextA(mainWindow, id, name);
    if (rowTips)
    {
        TOOLINFOA tool = RowTool(id);
        tool.lpszText = name;
        SendMessageA(rowTips, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ShowRowName(int k)
{
    const CompressedRange& r = project.ranges[k];
    SetDlgItemTextA(mainWindow, IDC_SLOT_NAME + k, r.inUse ? r.name : "empty");
    NameRowButton(IDC_SLOT_EDIT + k, "Edit", k);
    NameRowButton(IDC_SLOT_DELETE + k, "Delete", k);
}

// One tool per row button, showing the button's name.
static void MakeRowTips(HWND window)
{
    rowTips = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, appInstance, nullptr);
    if (!rowTips)
        return;
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        for (int id : {IDC_SLOT_EDIT + k, IDC_SLOT_DELETE + k})
        {
            char name[ROW_BUTTON_NAME_SIZE];
            GetDlgItemTextA(window, id, name, sizeof name);
            TOOLINFOA tool = RowTool(id);
            tool.lpszText = name;
            SendMessageA(rowTips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
}

void RefreshValueBoxes(int exceptId)
{
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        if (project.ranges[k].inUse && IDC_SLOT_VALUE + k != exceptId)
            ShowNumber(IDC_SLOT_VALUE + k, project.ranges[k].value);
    }
    if (exceptId != IDC_LOCAL_VALUE)
        ShowNumber(IDC_LOCAL_VALUE, project.localValue);
    RedrawRangeLabels();
}

// The labels are marked for repainting, which decides their colours again;
// their weight and their boxes' descriptions are decided here.
void RedrawRangeLabels()
{
    ShowWarning(mainWindow, &mainBold, IDC_LOCAL_LABEL, IDC_LOCAL_VALUE,
                LocalOutOfRange() ? OUTSIDE_MAIN_RANGE : nullptr);
    for (int k = 0; k < RANGE_SLOTS; k++)
        ShowWarning(mainWindow, &mainBold, IDC_SLOT_NAME + k, IDC_SLOT_VALUE + k,
                    project.ranges[k].inUse && RangeOutsideMain(k) ? RANGE_OUTSIDE_MAIN : nullptr);
}

void SetButtonIcons(HICON edit, HICON remove)
{
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        SendDlgItemMessageA(mainWindow, IDC_SLOT_EDIT + k, BM_SETIMAGE, IMAGE_ICON,
                            reinterpret_cast<LPARAM>(edit));
        SendDlgItemMessageA(mainWindow, IDC_SLOT_DELETE + k, BM_SETIMAGE, IMAGE_ICON,
                            reinterpret_cast<LPARAM>(remove));
    }
}

// Every static is drawn in the label colours; the disabled name of a free
// row is greyed by the system.
static HBRUSH ColourStatic(HDC dc, HWND control)
{
    const int id = GetDlgCtrlID(control);
    const int k = id - IDC_SLOT_NAME;
    bool warning = false;
    if (id == IDC_LOCAL_LABEL)
        warning = LocalOutOfRange();
    else if (k >= 0 && k < RANGE_SLOTS && project.ranges[k].inUse)
        warning = RangeOutsideMain(k);
    return ColourLabel(dc, warning                  ? WARNING_LABEL
                           : id == IDC_PROJECT_NAME ? PROJECT_LABEL
                                                    : PLAIN_LABEL);
}

// The system's colours or its high-contrast setting changed: the label
// colours and the brush are made again, and the window is drawn in them.
// The tooltip window learns of it from its owner, as common controls do.
static void ColoursChanged(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ChooseLabelColours(HighContrastOn());
    if (buttonFaceBrush)
    {
        DeleteObject(buttonFaceBrush);
        buttonFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    }
    if (rowTips && message == WM_SYSCOLORCHANGE)
        SendMessageA(rowTips, message, wParam, lParam);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// A change is acted on only when the box that changed has the focus. The
// test is on the focus, not on who wrote the text: a text the program writes
// into the focused box is read back as if typed. The box being typed in is
// never written, so the caret and a half-typed "12." stay as they are.
static void ValueBoxChanged(int id, HWND box)
{
    if (GetFocus() != box)
        return;
    char text[TEXT_SIZE];
    if (id == IDC_LOCAL_VALUE)
    {
        GetDlgItemTextA(mainWindow, id, text, sizeof text);
        project.localValue = ParseValue(text);
        RecomputeValues(-1);
    }
    else if (id >= IDC_SLOT_VALUE && id < IDC_SLOT_VALUE + RANGE_SLOTS)
    {
        const int k = id - IDC_SLOT_VALUE;
        if (!project.ranges[k].inUse)
            return;
        GetDlgItemTextA(mainWindow, id, text, sizeof text);
        project.ranges[k].value = ParseValue(text);
        RecomputeValues(k);
    }
    else
    {
        return;
    }
    RefreshValueBoxes(id); // and the labels
}

// A box the user leaves for another control of values shows its value in
// the display form, as every other box does: a typed 1.234 then reads 1.23,
// and a number the ranges could not take (any slot value while the main
// range is 0 to 0) shows what it became. The focus has already moved on, so
// this write is not read back as typing. When the window is only
// deactivated (another program comes to the front, Alt+Tab, a box of another
// program), no window of this thread has the focus now, and the box keeps
// the user's text and caret: the focus comes back to it as it was.
static void ValueBoxLeft(int id)
{
    if (!GetFocus())
        return;
    if (id == IDC_LOCAL_VALUE)
        ShowNumber(id, project.localValue);
    else if (id >= IDC_SLOT_VALUE && id < IDC_SLOT_VALUE + RANGE_SLOTS &&
             project.ranges[id - IDC_SLOT_VALUE].inUse)
        ShowNumber(id, project.ranges[id - IDC_SLOT_VALUE].value);
}

// The scale the window is drawn at, in dots per inch (96 is 100 %). Windows
// before 10 have no per-window scale, and the function is looked up so that
// the program still starts there; the screen's scale is the window's. The
// pointer's type comes from the header, calling convention included.
static UINT WindowDpi(HWND window)
{
    decltype(&GetDpiForWindow) getDpiForWindow;
    FindFunction(GetModuleHandleA("user32.dll"), "GetDpiForWindow", &getDpiForWindow);
    UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    if (dpi == 0)
    {
        HDC screen = GetDC(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
    }
    return dpi ? dpi : static_cast<UINT>(BASE_DPI);
}

// A row picture from its file in the start folder; where the file is
// missing (a start by "Open with" in another folder, a copy of the program
// alone), the same picture built into the program.
static HICON LoadRowIcon(const char* path, int resource, int width, int height)
{
    HANDLE icon = LoadImageA(nullptr, path, IMAGE_ICON, width, height, LR_LOADFROMFILE);
    if (!icon)
        icon = LoadImageA(appInstance, MAKEINTRESOURCEA(resource), IMAGE_ICON, width, height, 0);
    return static_cast<HICON>(icon);
}

// The row pictures are 11 x 12 pixels at 96 dpi and scaled with the window
// (17 x 18 at 144 dpi); the icon files hold images for the larger sizes.
// The buttons get the new pair before the old one is destroyed.
static void LoadRowIcons(UINT dpiX, UINT dpiY)
{
    const int width = MulDiv(ROW_ICON_WIDTH, static_cast<int>(dpiX), BASE_DPI);
    const int height = MulDiv(ROW_ICON_HEIGHT, static_cast<int>(dpiY), BASE_DPI);
    HICON oldEdit = editIcon;
    HICON oldDelete = deleteIcon;
    editIcon = LoadRowIcon(editIconPath, IDI_EDIT, width, height);
    deleteIcon = LoadRowIcon(deleteIconPath, IDI_DELETE, width, height);
    SetButtonIcons(editIcon, deleteIcon);
    if (oldEdit)
        DestroyIcon(oldEdit);
    if (oldDelete)
        DestroyIcon(oldDelete);
}

// Moved to a monitor of another scale: the window takes the rectangle the
// system suggests, and the row pictures are loaded again at the new size.
// The dialog manager then scales the font and the controls itself.
static void ChangeScale(HWND window, UINT dpiX, UINT dpiY, const RECT* suggested)
{
    LoadRowIcons(dpiX, dpiY);
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

static void InitMainWindow(HWND window)
{
    mainWindow = window;
    startFolderQuestion = RegisterWindowMessageW(START_FOLDER_QUESTION);
    ChooseLabelColours(HighContrastOn());
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadProgramIcon(0, 0)));
    // The title bar and the taskbar want the 16-pixel picture, not the large
    // one shrunk.
    HANDLE small = LoadProgramIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));

    IsNumberBox(GetDlgItem(window, IDC_LOCAL_VALUE));
    MakeNumberBox(GetDlgItem(window, IDC_LOCAL_VALUE));
    for (int k = 0; k < RANGE_SLOTS; k++)
        MakeNumberBox(GetDlgItem(window, IDC_SLOT_VALUE + k));
    DescribeForReaders(GetDlgItem(window, IDC_LOCAL_VALUE));
    for (int k = 0; k < RANGE_SLOTS; k++)
        DescribeForReaders(GetDlgItem(window, IDC_SLOT_VALUE + k));

    const UINT dpi = WindowDpi(window);
    LoadRowIcons(dpi, dpi);

    RestoreWindowSettings(window);
}

// The close: the question about unsaved changes; the window settings and the
// state file, which is written on every close so the values survive even
// when no project was saved; then the icons and the window itself.
static void CloseMainWindow(HWND window)
{
    if (!ConfirmDiscard(window) || !SaveOnClose(window))
        return;
    DestroyIcon(editIcon);
    DestroyIcon(deleteIcon);
    editIcon = nullptr;
    deleteIcon = nullptr;
    DestroyWindow(window);
}

// The session ends (log-off, restart, shutdown, or an installer closing
// programs): both files are written as at a close, but without a question of
// any kind, for nobody may be there to answer; unsaved project changes stay
// in the state file, as between any two runs. Then the process ends at once:
// the system would end it anyway, and a question or a dialog that may be
// open further down the stack must not carry on.
static void EndSession(HWND window)
{
    SaveOnLogOff(window);
    ExitProcess(0);
}

// Another start of values in this folder asks the window to come forward,
// with whatever it has open in front of it: the range dialog, a question, a
// file dialog. This thread answers, so a window that is already closing
// (its files written, about to be destroyed) does not, and that start waits
// for this process to end instead.
static void ComeForward(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(window));
}

// A dialog procedure's answer to a message that wants a result.
static INT_PTR Answer(HWND window, LONG_PTR result)
{
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A registered message's number is known only at run time.
    if (message == startFolderQuestion && message != 0)
        return Answer(window, AnswerStartFolder(window, reinterpret_cast<HWND>(wParam)));
    switch (message)
    {
    case WM_INITDIALOG:
        InitMainWindow(window);
        return TRUE; // the dialog manager focuses the first tab stop, the local value box

    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));

    case WM_COMMAND:
        if (lParam == 0) // a menu choice or a shortcut key
            RunMainCommand(window, LOWORD(wParam));
        else if (HIWORD(wParam) == EN_CHANGE)
            ValueBoxChanged(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        else if (HIWORD(wParam) == EN_KILLFOCUS)
            ValueBoxLeft(LOWORD(wParam));
        else if (HIWORD(wParam) == BN_CLICKED)
            RunMainCommand(window, LOWORD(wParam));
        FilesMayHaveChanged(window);
        return FALSE;

    case WM_TIMER:
        if (wParam == KEEP_QUIET_TIMER || wParam == KEEP_LATEST_TIMER)
            KeepFilesNow(window);
        return TRUE;

    case WM_FILES_KEPT:
        FilesKept(window);
        return TRUE;

    case WM_WINDOWPOSCHANGED:
        if (!(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOMOVE))
            FilesMayHaveChanged(window);
        return FALSE; // the dialog manager still sends WM_MOVE

    case WM_CLOSE:
        CloseMainWindow(window);
        return TRUE;

    case WM_QUERYENDSESSION:
        return Answer(window, TRUE); // the values are kept whatever happens

    case WM_ENDSESSION:
        if (wParam)
            EndSession(window);
        return Answer(window, 0);

    case WM_COME_FORWARD:
        ComeForward(window);
        return Answer(window, TRUE);

    case WM_COPYDATA: // a project from another start in this folder
        return Answer(window, TakeHandedProject(window, reinterpret_cast<COPYDATASTRUCT*>(lParam)));

    case WM_OPEN_HANDED_PROJECT:
        OpenHandedProject(window);
        FilesMayHaveChanged(window);
        return TRUE;

    case WM_ENABLE: // a dialog or question has closed: a project handed meanwhile opens
        if (wParam)
            PostMessageA(window, WM_OPEN_HANDED_PROJECT, 0, 0);
        return FALSE;

    case WM_DROPFILES:
        ProjectDropped(window, reinterpret_cast<HDROP>(wParam));
        FilesMayHaveChanged(window);
        return TRUE;

    case WM_INITMENUPOPUP:
        if (LOWORD(lParam) == 0 && !HIWORD(lParam)) // the File menu
            ShowRecentProjects(reinterpret_cast<HMENU>(wParam));
        return FALSE;

    case WM_SETCURSOR: // the mouse is over the window
        if (!rowTips)
            MakeRowTips(window);
        return FALSE;

    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        ColoursChanged(window, message, wParam, lParam);
        return FALSE;

    case WM_DPICHANGED:
        ChangeScale(window, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        PostMessageA(window, WM_SHOW_WARNINGS, 0, 0);
        return FALSE; // the dialog manager scales the font and the controls

    case WM_SHOW_WARNINGS:
        RedrawRangeLabels();
        return TRUE;

    case WM_DESTROY:
        PauseKeepingFiles(window, true);
        ForgetHandedProject(); // the close came first, and wins
        FreeBoldFont(&mainBold);
        mainWindow = nullptr;
        if (rowTips)
            DestroyWindow(rowTips);
        rowTips = nullptr;
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

// The shortcuts work wherever the focus is in the main window. While the
// range dialog, a file dialog or a message box is open, its own loop runs
// instead of this one, so they do nothing there.
bool TranslateMainWindowMessage(MSG* message)
{
    if (!mainWindow)
        return false;
    if (shortcuts && TranslateAcceleratorA(mainWindow, shortcuts, message))
        return true;
    return IsDialogMessageA(mainWindow, message) != FALSE;
}

HWND OpenMainWindow(HINSTANCE instance)
{
    appInstance = instance;
    // This process has the folder now: what an earlier run of values left
    // half-written there goes.
    RemoveLeftovers();
    // Read before the window is made, so that a question about a file that
    // cannot be read comes before any window, and Cancel ends values having
    // shown nothing else.
    if (!ReadStateAtStart())
        return nullptr;
    // A table from the resources: freed with the program, never destroyed.
    shortcuts = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN));
    HWND window =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    if (!window)
        return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    // The local value box has the focus now, so this also reads it back and
    // gives the compressed value boxes their first text.
    RefreshWindow();
    buttonFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    StartKeepingFiles(window);
    RegisterForRestart();
    return window;
}
