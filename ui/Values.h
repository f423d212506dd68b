// The user interface of values: process-wide handles and the routines the
// windows share.
#pragma once

#include <windows.h>

// Process-wide handles. The instance lives for the run; the main window from
// its creation to the close; the row icons from the window's initialisation
// to the close; the brush from after the first refresh to after the loop.
extern HINSTANCE appInstance;
extern HWND mainWindow;
extern HICON editIcon;
extern HICON deleteIcon;
extern HBRUSH buttonFaceBrush;

// Sizes are given for 96 dpi (100 %) and scaled with the window.
constexpr int BASE_DPI = 96;
constexpr int ROW_ICON_WIDTH = 11;
constexpr int ROW_ICON_HEIGHT = 12;

// Sent by Windows 8.1 and later; older headers may not name it.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// Colours of the labels where the system's colours leave the choice to the
// program: the project name, and a value out of its range.
constexpr COLORREF PROJECT_COLOUR = RGB(0, 0, 100);
constexpr COLORREF WARNING_COLOUR = RGB(255, 0, 0);

// What a static control shows, for its colours.
enum LabelKind
{
    PLAIN_LABEL,
    PROJECT_LABEL,
    WARNING_LABEL
};

// Looks up a function of a library loaded at run time; the pointer's type,
// calling convention included, comes from the caller's declaration.
template <typename Function>
bool FindFunction(HMODULE library, const char* name, Function* function)
{
    *function =
        library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                : nullptr;
    return *function != nullptr;
}

// Paths as long as Windows makes them: what a file dialog or the command line
// may hand over. values itself takes paths of fewer than PATH_SIZE bytes,
// and names a longer one to the user rather than cutting it.
constexpr int LONG_PATH_SIZE = 32768;

// A system library loaded when first needed, from the system folder (never
// from the folder values was started in); null when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// Paths as Windows reads them (FileNames.cpp).
inline bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}
// A path in the form Windows compares file names in: converted with the ANSI
// code page, upper-cased as wide characters one by one; with longForm, its
// 8.3 names made long first where they exist. Its length, or 0 when the path
// does not convert into size - 1 characters. SameFileName compares two paths
// so, ordinally.
int FileNameKey(const char* path, wchar_t* key, int size, bool longForm);
bool SameFileName(const char* a, const char* b);
// Whether the file's name ends in ".prj", the only files values opens by path
// and lists as recent.
bool IsProjectName(const char* path);
// The bytes of a full path's root, its separator included: "C:\" or
// "\\server\share\"; 0 without one.
std::size_t RootLength(const char* path);

// The program's own icon at a given size (0, 0: the system's default size);
// shared, never destroyed.
HANDLE LoadProgramIcon(int width, int height);

// Sent by another start of values in the same folder: the main window comes
// to the front and answers true.
constexpr UINT WM_COME_FORWARD = WM_APP + 1;

// One window per folder. ClaimFolder answers whether this process is to
// show the window of the start folder: no other runs there, or the one that
// did has ended. Otherwise the other's window was brought forward; or it did
// not answer, or did not take the project, and the user has been told so.
enum FolderClaim
{
    FOLDER_OURS,
    FOLDER_SHOWN_ELSEWHERE,
    FOLDER_NOT_SHOWN
};
// With a project, the other window is handed it to open (HandProject).
int ClaimFolder(const char* project);
// Tells later starts in the folder which window to bring forward.
void PublishWindow(HWND window);

// The command line: values.exe [/folder FOLDER] [PROJECT]. Moves into FOLDER
// and gives PROJECT as a full path (empty without one). False, with the
// user told why, when values is to end: an unknown switch, a folder it
// cannot start in.
bool ReadCommandLine(const char* commandLine, char* project, int size);

// A project handed from another start in the same folder (WM_COPYDATA with
// HAND_PROJECT, HandedPath.h): the window comes forward and opens it as
// Open Project does, question first. HandProject sends it and answers
// whether it was taken; TakeHandedProject keeps it, refusing while a dialog
// or question is open, and has it opened once the message at hand is
// answered, or once a dialog opened meanwhile has closed (WM_ENABLE).
// ForgetHandedProject, as the window is destroyed: a close that came first
// wins.
constexpr UINT WM_OPEN_HANDED_PROJECT = WM_APP + 2;
bool HandProject(HWND window, const char* project);
BOOL TakeHandedProject(HWND window, const COPYDATASTRUCT* data);
void OpenHandedProject(HWND window);
void ForgetHandedProject();

// The setup program asks, before an update closes values, for the folder to
// start it in again (StartFolderQuestion.h): the main window answers the
// asking window, and returns whether it did.
extern UINT startFolderQuestion;
BOOL AnswerStartFolder(HWND window, HWND asker);

// Main window.
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Reads "Values.dat", creates the main window from its template, shows it,
// fills it and makes the brush: all the entry point does before its message
// loop. Returns null when the window cannot be created, or when the user
// chose to end values because "Values.dat" could not be read.
HWND OpenMainWindow(HINSTANCE instance);
void RefreshWindow();
void RefreshValueBoxes(int exceptId);
void RedrawRangeLabels();
void SetButtonIcons(HICON edit, HICON remove);
// Shows slot k's name in its label ("empty" for a free slot) and names its
// edit and delete buttons after it, tooltips included.
void ShowRowName(int k);
// The button-face brush for the colour queries; the system's own until the
// program's brush exists, never an invalid one.
HBRUSH BackgroundBrush();
// Sets the colours a static control of either window paints in and answers
// its background brush.
HBRUSH ColourLabel(HDC dc, LabelKind kind);
// Whether the system's high-contrast setting is on.
bool HighContrastOn();
// Chooses the label colours from the system's colours: on start-up, and
// again whenever the system's colours or the high-contrast setting change.
void ChooseLabelColours(bool highContrast);

// The files of the start folder. ReadStateAtStart reads "Values.dat" before
// the window is made; when the file is there but cannot be read, it is tried
// again for a while and then the user chooses: false means end values at
// once. SaveOnClose writes both files, asking what to do when one cannot be
// written; true when the window may close. It comes after the question about
// unsaved changes, so the state file it leaves marks none. SaveOnLogOff
// writes them without a question, unsaved changes marked as they are.
bool ReadStateAtStart();
bool SaveOnClose(HWND window);
void SaveOnLogOff(HWND window);
// Why a file could not be read or written, from the error Windows gave, for
// a message to the user (FileErrors.cpp). ReadError tells a file that is
// gone from one whose drive or share is not there now (ERROR_DEV_NOT_EXIST);
// ProjectGone: whether a project that failed so is gone for good, not there
// while its drive answers, or not a project.
extern const char PATH_TOO_LONG[];
DWORD ReadError(const char* path, DWORD error);
bool ProjectGone(DWORD error);
const char* WhyNotOpened(DWORD error);
const char* WhyNotSaved(DWORD error);
// Whether "Values.dat" was there at the start but could not be read, and the
// user chose to go on: it is replaced only at the close, when the user agrees.
bool StateFileUnread();

// The two files kept while values runs (KeepFiles.cpp). StartKeepingFiles
// takes what they hold now, once the window is filled. After each message
// that may change what they hold, FilesMayHaveChanged looks, and a change
// has them written about a second later (KeepFilesNow, on the two timers),
// or five seconds after the first change while changes keep coming. The
// write runs on a thread of its own, which posts WM_FILES_KEPT when done
// (FilesKept). A write that fails is tried again five seconds later, then
// after ever longer pauses up to a minute. The close pauses the keeping,
// which waits for the write under way, while it writes the files itself
// (KeepStateNow, KeepSettingsNow: on this thread, the files' new bytes
// recorded), and resumes it when it is called off.
constexpr UINT_PTR KEEP_QUIET_TIMER = 1;
constexpr UINT_PTR KEEP_LATEST_TIMER = 2;
constexpr UINT WM_FILES_KEPT = WM_APP + 4;
struct WriteFailure;
void StartKeepingFiles(HWND window);
void FilesMayHaveChanged(HWND window);
void KeepFilesNow(HWND window);
void FilesKept(HWND window);
void PauseKeepingFiles(HWND window, bool pause);
int KeepStateNow(const unsigned char* image, WriteFailure* failure = nullptr);
int KeepSettingsNow(const unsigned char* image, WriteFailure* failure = nullptr);

// The main window takes the place and the Keep on Top setting "Values.ini"
// kept (WindowPlace.cpp): a place on no monitor now is brought onto the
// nearest one. False, with nothing changed, without a complete file.
bool RestoreWindowSettings(HWND window);

// A warning is not shown by colour alone: while a label warns, it is drawn
// in the bold weight of its dialog's font (made once per dialog font), and
// the box after it carries why as its accessible description. why is one of
// the texts below, or null when the label does not warn.
struct BoldFont
{
    HFONT from; // the dialog's font it was made from
    HFONT bold;
};
extern const char OUTSIDE_MAIN_RANGE[];
extern const char RANGE_OUTSIDE_MAIN[];
// DescribeForReaders makes a box answer a screen reader with its description,
// once, when its dialog is made.
void DescribeForReaders(HWND box);
void ShowWarning(HWND dialog, BoldFont* font, int labelId, int boxId, const char* why);
void FreeBoldFont(BoldFont* font);
// Posted after a change of the display scale, once the dialog manager has
// given every control the new font: the warning labels take their bold one.
constexpr UINT WM_SHOW_WARNINGS = WM_APP + 3;

// Main window commands.
void RunMainCommand(HWND window, int command);
// What the message loop offers a message first: the main window's keyboard
// shortcuts, then the dialog manager. True when one of them took it.
bool TranslateMainWindowMessage(MSG* message);

// Project files. ConfirmDiscard returns true to go on, false to stop.
bool ConfirmDiscard(HWND owner);
void OpenProject();
bool SaveProjectAs();
// Opens a project named by path (the command line, another start, a drop,
// the recent list) as Open Project opens a chosen one, question first. A
// file that is not a project, or cannot be read, is reported by name and
// why, and changes nothing; the answer is then the error (ReadError), else
// ERROR_SUCCESS. A listed one's report says whether it stays listed.
DWORD OpenProjectFile(HWND window, const char* path, bool listed = false);

// The shell's side of projects: a file dropped on the main window, and the
// shell's own list of recent documents (the taskbar's jump list).
void ProjectDropped(HWND window, HDROP drop);
void AddToShellRecent(const char* path);

// The last projects opened or saved, newest first, kept per user. The File
// menu lists them when it opens; choosing one opens it, and one that no
// longer opens is taken off.
constexpr int RECENT_PROJECTS = 4;
void AddRecentProject(const char* path);
void ShowRecentProjects(HMENU fileMenu);
void OpenRecentProject(HWND window, int index);

// Range dialog, for a slot 0 to 4 or MAIN_RANGE_TARGET.
INT_PTR CALLBACK RangeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void OpenRangeDialog(HWND owner, int target);
