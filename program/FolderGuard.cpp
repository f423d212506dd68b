// One window per folder: the first start in a folder owns a mutex named
// after the folder, which the system releases when the process ends,
// whatever way it ends; a crash or a kill leaves nothing behind. It
// publishes its window's handle in a small shared record of the same name.
// A later start in that folder brings that window forward and ends without
// reading or writing anything, so two windows never write over each other's
// files.
#include "FolderGuard.h"

#include "FileNames.h"
#include "HandOff.h"
#include "MainWindow.h"

#include "StartFolder.h"

#include <cstdio>
#include <iterator>

static HANDLE folderGuard;
static volatile LONG* publishedWindow;

// How long a later start waits for the first one to show its window, and
// how long for a window that is there but does not answer.
constexpr DWORD WAIT_FOR_WINDOW_MS = 20000;
constexpr DWORD WAIT_FOR_ANSWER_MS = 5000;
constexpr DWORD POLL_MS = 50;

// A folder is known by its identity, not by one of its names: a second
// drive letter, a SUBST drive, a mapped drive and its \\server\share name,
// a junction and its target, an 8.3 name all reach the same folder. The
// identity is the volume's serial number and the folder's file index.
// False where the file system gives no index.
static bool FolderIdentity(char* name, std::size_t size)
{
    HANDLE folder =
        CreateFileA(startFolder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(folder, &info) &&
                       (info.nFileIndexHigh != 0 || info.nFileIndexLow != 0);
    CloseHandle(folder);
    if (known)
        std::snprintf(name, size, "%08lx-%08lx%08lx", info.dwVolumeSerialNumber,
                      info.nFileIndexHigh, info.nFileIndexLow);
    return known;
}

// Without an identity, the folder's path as Windows compares paths: the
// full, long form (not an 8.3 alias), upper-cased, hashed (64-bit FNV-1a)
// so that any folder, however long, gives a short name without
// backslashes. False when the folder cannot be read. A program that does
// not declare itself aware of long paths has a working folder of at most
// MAX_PATH characters; its long form may be longer, and one longer still
// than the room here keeps its short form.
static bool FolderPathKey(char* name, std::size_t size)
{
    wchar_t path[4 * MAX_PATH];
    const int length = FileNameKey(startFolder, path, static_cast<int>(std::size(path)), true);
    if (length == 0)
        return false;
    unsigned long long key = 14695981039346656037ull;
    for (int i = 0; i < length; i++)
    {
        key ^= path[i];
        key *= 1099511628211ull;
    }
    std::snprintf(name, size, "path-%016llx", key);
    return true;
}

// Asks the window of this folder to come forward (WM_COME_FORWARD); true once it
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

// The folder's window did not come forward: the user is told, rather than
// left wondering why nothing showed.
static void ReportNoAnswer()
{
    char text[MAX_PATH + 400];
    std::snprintf(text, sizeof text,
                  "values is already running in this folder, but it does not answer:\n%s\n\n"
                  "It may be busy, or waiting for an answer in a window of its own. Wait for it, "
                  "or end it (values.exe in Task Manager); then start values again.",
                  startFolder);
    MessageBoxA(nullptr, text, "Values", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

// A project for the folder's window is handed to it once it has come
// forward; when that window has a dialog or question open, it does not take
// the project, and the user is told.
static int ShownElsewhere(HWND window, const char* project)
{
    if (!project[0] || HandProject(window, project))
        return FOLDER_SHOWN_ELSEWHERE;
    char text[LONG_PATH_SIZE + 300];
    std::snprintf(text, sizeof text,
                  "values could not open the project\n%s\n\nvalues in this folder has a dialog "
                  "or a question open. Answer it, then open the project again.",
                  project);
    MessageBoxA(nullptr, text, "Values", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
    return FOLDER_NOT_SHOWN;
}

int ClaimFolder(const char* project)
{
    char key[64];
    if (!FolderIdentity(key, sizeof key) && !FolderPathKey(key, sizeof key))
        return FOLDER_OURS; // a folder that cannot be guarded is run without the guard
    char name[96];
    std::snprintf(name, sizeof name, "Local\\values-window-%s", key);
    HANDLE record =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name);
    if (record)
        publishedWindow =
            static_cast<LONG*>(MapViewOfFile(record, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    std::snprintf(name, sizeof name, "Local\\values-folder-%s", key);
    folderGuard = CreateMutexA(nullptr, FALSE, name);
    if (!folderGuard)
        return FOLDER_OURS;

    const DWORD start = GetTickCount();
    DWORD silentSince = 0;
    for (DWORD wait = 0;; wait = POLL_MS)
    {
        // Ours when free, and when the process that held it has ended.
        const DWORD got = WaitForSingleObject(folderGuard, wait);
        if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED)
        {
            if (publishedWindow)
                InterlockedExchange(publishedWindow, 0); // nothing shown yet
            return FOLDER_OURS;
        }
        if (got != WAIT_TIMEOUT)
        {
            publishedWindow = nullptr; // not ours to publish in
            return FOLDER_OURS;
        }
        // The first start may still be making its window; one that is
        // closing has destroyed it and is about to let the folder go.
        HWND window = publishedWindow ? static_cast<HWND>(LongToHandle(*publishedWindow)) : nullptr;
        if (BringForward(window))
            return ShownElsewhere(window, project);
        const DWORD now = GetTickCount();
        if (IsWindow(window) && !silentSince)
            silentSince = now;
        if (now - start >= WAIT_FOR_WINDOW_MS ||
            (silentSince && now - silentSince >= WAIT_FOR_ANSWER_MS))
            break;
    }
    ReportNoAnswer();
    return FOLDER_NOT_SHOWN;
}

// A window handle has 32 significant bits on both widths, so 32-bit and
// 64-bit builds read each other's record.
void PublishWindow(HWND window)
{
    if (publishedWindow)
        InterlockedExchange(publishedWindow, HandleToLong(window));
}
