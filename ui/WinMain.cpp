// The entry point of values: one window, one thread, one message loop; and
// one window per working folder.
#include "Values.h"

#include "ProjectState.h"

#include <commctrl.h>

#include <cstdio>
#include <iterator>

// The first start in a folder owns a mutex named after the folder, which the
// system releases when the process ends, whatever way it ends; a crash or a
// kill leaves nothing behind. It publishes its window's handle in a small
// shared record of the same name. A later start in that folder brings that
// window forward and ends without reading or writing anything, so two
// windows never write over each other's files.
static HANDLE folderGuard;
static volatile LONG* publishedWindow;

// How long a later start waits for the first one to show its window.
constexpr DWORD WAIT_FOR_WINDOW_MS = 20000;
constexpr DWORD POLL_MS = 50;

// A key for the working folder as Windows compares paths: the full, long
// form (not an 8.3 alias), upper-cased, hashed (64-bit FNV-1a) so that any
// folder, however long, gives a short name without backslashes. 0 when the
// folder cannot be read. A program that does not declare itself aware of
// long paths has a working folder of at most MAX_PATH characters; its long
// form may be longer, and one longer still than the room here keeps its
// short form.
static unsigned long long FolderKey()
{
    wchar_t folder[MAX_PATH];
    wchar_t longFolder[4 * MAX_PATH];
    DWORD length = GetCurrentDirectoryW(std::size(folder), folder);
    if (length == 0 || length >= std::size(folder))
        return 0;
    const DWORD longLength = GetLongPathNameW(folder, longFolder, std::size(longFolder));
    wchar_t* path = folder;
    if (longLength > 0 && longLength < std::size(longFolder))
    {
        path = longFolder;
        length = longLength;
    }
    CharUpperBuffW(path, length);
    unsigned long long key = 14695981039346656037ull;
    for (DWORD i = 0; i < length; i++)
    {
        key ^= path[i];
        key *= 1099511628211ull;
    }
    return key ? key : 1;
}

// Asks the window of this folder to come forward (Values.h); true once it
// has. The answer comes from that window's own thread, so a window that no
// longer answers, or has gone, is not counted as shown.
static bool BringForward(HWND window)
{
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process))
        return false;
    // This start came from the user; it lets the other process take the
    // front.
    AllowSetForegroundWindow(process);
    DWORD_PTR shown = 0;
    return SendMessageTimeoutA(window, WM_COME_FORWARD, 0, 0, SMTO_ABORTIFHUNG, 2000, &shown) &&
           shown;
}

// True when this process is to show the window of the working folder: no
// other runs there, or the one that did has ended. False when the window of
// another process was brought forward instead, or none came in time. A
// folder that cannot be guarded (its name unreadable, the objects refused)
// is run without the guard, as before.
static bool ClaimFolder(bool* shownElsewhere)
{
    *shownElsewhere = false;
    const unsigned long long key = FolderKey();
    if (!key)
        return true;
    char name[64];
    std::snprintf(name, sizeof name, "Local\\values-window-%016llx", key);
    HANDLE record =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name);
    if (record)
        publishedWindow =
            static_cast<LONG*>(MapViewOfFile(record, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    std::snprintf(name, sizeof name, "Local\\values-folder-%016llx", key);
    folderGuard = CreateMutexA(nullptr, FALSE, name);
    if (!folderGuard)
        return true;

    const DWORD start = GetTickCount();
    for (DWORD wait = 0;; wait = POLL_MS)
    {
        // Ours when free, and when the process that held it has ended.
        const DWORD got = WaitForSingleObject(folderGuard, wait);
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED)
        {
            if (publishedWindow)
                InterlockedExchange(publishedWindow, 0); // nothing shown yet
            return true;
        }
        if (got != WAIT_TIMEOUT)
        {
            publishedWindow = nullptr; // not ours to publish in
            return true;
        }
        // The first start may still be making its window.
        HWND window = publishedWindow ? static_cast<HWND>(LongToHandle(*publishedWindow)) : nullptr;
        if (BringForward(window))
        {
            *shownElsewhere = true;
            return false;
        }
        if (GetTickCount() - start >= WAIT_FOR_WINDOW_MS)
            return false;
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Another process has the folder: 0 once its window is in front, 1 (as
    // when no window can be made) when it never showed one.
    bool shownElsewhere;
    if (!ClaimFolder(&shownElsewhere))
        return shownElsewhere ? 0 : 1;

    project.modified = false;
    InitCommonControls();

    // Its initialisation reads "Values.ini" and "Values.dat".
    HWND window = OpenMainWindow(instance);
    if (!window)
    {
        GetLastError();
        return 1;
    }
    // A window handle has 32 significant bits on both widths, so 32-bit and
    // 64-bit builds read each other's record.
    if (publishedWindow)
        InterlockedExchange(publishedWindow, HandleToLong(window));

    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0)
    {
        if (got == -1)
            return -1; // nothing is written
        // The shortcuts first; then the dialog manager gives Tab, Enter and
        // Esc their dialog meaning.
        if (!TranslateMainWindowMessage(&message))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    DeleteObject(buttonFaceBrush);
    buttonFaceBrush = nullptr;
    return static_cast<int>(message.wParam);
}
