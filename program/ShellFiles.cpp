// Projects as the shell hands them over: a file dropped on the main window,
// and the shell's own list of recent documents. The shell's library, like
// the file dialogs', costs a start more than the rest of it together, so it
// is loaded when first needed, and kept for the run.
#include "ShellFiles.h"

#include "FileNames.h"
#include "ProjectCommands.h"
#include "SystemLibrary.h"

#include <shellapi.h>
#include <shlobj.h>

static decltype(&DragQueryFileA) dragQueryFile;
static decltype(&DragFinish) dragFinish;
static decltype(&SHAddToRecentDocs) addToRecentDocs;

static bool LoadShell()
{
    static HMODULE shell;
    if (!shell)
        shell = LoadSystemLibrary("shell32.dll");
    return FindFunction(shell, "DragQueryFileA", &dragQueryFile) &&
           FindFunction(shell, "DragFinish", &dragFinish) &&
           FindFunction(shell, "SHAddToRecentDocs", &addToRecentDocs);
}

void AddToShellRecent(const char* path)
{
    if (IsProjectName(path) && LoadShell())
        addToRecentDocs(SHARD_PATHA, path);
}

// One project file opens as Open Project opens one, question first; several
// files, or a file of another kind, are refused with a word. While the range
// dialog or a question is open the window is disabled, and a drop is
// refused as any input to it is.
void ProjectDropped(HWND window, HDROP drop)
{
    if (!LoadShell())
    {
        GlobalFree(drop); // what DragFinish would do
        return;
    }
    char path[LONG_PATH_SIZE];
    const UINT count = dragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    const UINT length = count == 1 ? dragQueryFile(drop, 0, path, sizeof path) : 0;
    const bool whole = length > 0 && length < sizeof path - 1;
    dragFinish(drop);
    if (!IsWindowEnabled(window))
        return;
    if (!whole)
        MessageBoxA(window,
                    "Drop one project file (.prj) on values to open it.\n\nNothing has been "
                    "opened; your values are as they were.",
                    "Values", MB_OK | MB_ICONINFORMATION);
    else
        OpenProjectFile(window, path);
}
