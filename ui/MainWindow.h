// The main window, and the process-wide handles the windows share.
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

// The program's own messages, all here so that no two share a number.
// Sent by another start of values in the same folder: the main window comes
// to the front and answers true (FolderGuard.h).
constexpr UINT WM_COME_FORWARD = WM_APP + 1;
// Posted to open a project another start handed over (HandOff.h).
constexpr UINT WM_OPEN_HANDED_PROJECT = WM_APP + 2;
// Posted after a change of the display scale, once the dialog manager has
// given every control the new font: the warning labels take their bold one
// (Warnings.h).
constexpr UINT WM_SHOW_WARNINGS = WM_APP + 3;
// Posted by the thread that keeps the files when a write is done
// (KeepFiles.h).
constexpr UINT WM_FILES_KEPT = WM_APP + 4;

// The program's own icon at a given size (0, 0: the system's default size);
// shared, never destroyed.
HANDLE LoadProgramIcon(int width, int height);

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
// What the message loop offers a message first: the main window's keyboard
// shortcuts, then the dialog manager. True when one of them took it.
bool TranslateMainWindowMessage(MSG* message);
