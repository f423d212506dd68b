// Open Project, Save Project and the question about unsaved changes.
#include "ProjectCommands.h"

#include "FileErrors.h"
#include "FileNames.h"
#include "MainWindow.h"
#include "RecentProjects.h"
#include "ShellFiles.h"
#include "SystemLibrary.h"

#include "ProjectState.h"
#include "RangeMapping.h"
#include "SafeFile.h"
#include "StateFile.h"
#include "resource.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>

// The full-size record: 88 bytes on 32-bit Windows.
static_assert(sizeof(void*) != 4 || sizeof(OPENFILENAMEA) == 88, "full OPENFILENAMEA");

static const char PROJECT_FILTER[] = "Project Files\0*.prj\0";

// The file dialogs' library brings shell32, ole32 and more with it; loading
// them at every start would cost more time than the rest of the start
// together. So it is loaded, from the system folder, when a file dialog first
// opens, and kept for the run. The same calls on every width and toolchain:
// the declarations of <commdlg.h> give the pointers their calling convention.
static decltype(&GetOpenFileNameA) getOpenFileName;
static decltype(&GetSaveFileNameA) getSaveFileName;
static decltype(&CommDlgExtendedError) commDlgExtendedError;

// True when the file dialogs can be shown; otherwise the user is told, and
// the caller changes nothing.
static bool LoadFileDialogs()
{
    if (getOpenFileName && getSaveFileName && commDlgExtendedError)
        return true;
    HMODULE library = LoadSystemLibrary("comdlg32.dll");
    if (library && FindFunction(library, "GetOpenFileNameA", &getOpenFileName) &&
        FindFunction(library, "GetSaveFileNameA", &getSaveFileName) &&
        FindFunction(library, "CommDlgExtendedError", &commDlgExtendedError))
        return true;
    getOpenFileName = nullptr;
    getSaveFileName = nullptr;
    commDlgExtendedError = nullptr;
    if (library)
        FreeLibrary(library);
    MessageBoxA(mainWindow,
                "The file dialogs cannot be shown: the system library comdlg32.dll could not be "
                "loaded.\n\nNothing has been opened or saved; your values are as they were.",
                "Values", MB_OK | MB_ICONERROR);
    return false;
}

// The settings both file dialogs share: prefilled with the current project's
// name, starting in its folder, asked to leave the current folder as they
// found it. The Open dialog moves it all the same (on Windows for good,
// under Wine while it is open); values' own files do not follow it
// (StartFolder.h).
static void PrepareFileDialog(OPENFILENAMEA* dialog, char* path)
{
    std::memset(dialog, 0, sizeof *dialog);
    dialog->lStructSize = sizeof *dialog;
    dialog->hwndOwner = mainWindow;
    dialog->lpstrFilter = PROJECT_FILTER;
    dialog->nFilterIndex = 1;
    CopyText(path, PATH_SIZE, project.projectTitle);
    dialog->lpstrFile = path;
    dialog->nMaxFile = LONG_PATH_SIZE;
    dialog->lpstrInitialDir = project.projectDir;
    // Only projects enter the shell's recent documents (TakeProjectName).
    dialog->Flags = OFN_NOCHANGEDIR | OFN_DONTADDTORECENT;
}

// The file opened or saved becomes the current project: its name, and its
// folder (the full path cut at the last separator, found in the code page's
// characters, not its bytes). The recent lists learn of it.
static void TakeProjectName(const char* path)
{
    CopyText(project.projectTitle, PATH_SIZE, path + FileNameOffset(path));
    CopyText(project.projectDir, PATH_SIZE, path);
    const std::size_t name = FileNameOffset(project.projectDir);
    if (name > 0)
        project.projectDir[name - 1] = '\0';
    AddRecentProject(path);
    AddToShellRecent(path);
}

// "Could not open the project" or "Could not save the project", the path
// as the dialog gave it, why, and what follows (or null).
static void ReportFileError(const char* what, const char* path, const char* why,
                            const char* after = nullptr)
{
    char text[LONG_PATH_SIZE + 900];
    std::snprintf(text, sizeof text, "%s \"%s\".\n\n%s%s%s", what, path, why, after ? "\n\n" : "",
                  after ? after : "");
    MessageBoxA(mainWindow, text, "Values", MB_OK | MB_ICONERROR);
}

// A dialog that returned without a file: cancelled, which needs nothing, or
// a path longer still than the dialog's buffer, which the user is told of.
static void DialogEnded(const char* what)
{
    if (commDlgExtendedError() == FNERR_BUFFERTOOSMALL)
        ReportFileError(what, "(longer than Windows allows)", PATH_TOO_LONG);
}

bool ConfirmDiscard(HWND owner)
{
    if (!project.modified)
        return true;
    switch (MessageBoxA(owner, "Data has been modified. Do you want to save changes?", "Save Data",
                        MB_YESNOCANCEL | MB_ICONQUESTION))
    {
    case IDYES:
        // A save that was cancelled or failed stops the open or the close:
        // going on would throw away the very changes the user chose to keep.
        if (!SaveProjectAs())
            return false;
        project.modified = false;
        return true;
    case IDNO:
        return true;
    default:
        return false;
    }
}

// A project that cannot be read is reported by name and why, and changes
// nothing, not even the project name. ERROR_SUCCESS when it was read, or
// the error (ReadError).
static DWORD ReadProject(const char* path, bool listed)
{
    if (LoadState(path))
    {
        TakeProjectName(path);
        return ERROR_SUCCESS;
    }
    const DWORD error = ReadError(path, GetLastError());
    ReportFileError("Could not open the project", path, WhyNotOpened(error),
                    !listed              ? nullptr
                    : ProjectGone(error) ? "It has been taken off the File menu."
                                         : "It is not available now, and stays on the File menu.");
    return error;
}

void OpenProject()
{
    if (!LoadFileDialogs())
        return;
    OPENFILENAMEA dialog;
    char path[LONG_PATH_SIZE];
    PrepareFileDialog(&dialog, path);
    dialog.Flags |= OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!getOpenFileName(&dialog))
        DialogEnded("Could not open the project");
    else
        ReadProject(path, false);
}

DWORD OpenProjectFile(HWND window, const char* path, bool listed)
{
    if (!IsProjectName(path))
    {
        ReportFileError("Could not open", path,
                        "It is not a project file: values opens files whose names end in .prj.");
        return ERROR_INVALID_DATA;
    }
    if (!ConfirmDiscard(window))
        return ERROR_SUCCESS;
    const DWORD error = ReadProject(path, listed);
    RecomputeValues(-1);
    RefreshWindow();
    RefreshValueBoxes(IDC_LOCAL_VALUE);
    return error;
}

// True only when the project was written; a failed write is reported and
// keeps the old project name.
bool SaveProjectAs()
{
    if (!LoadFileDialogs())
        return false;
    OPENFILENAMEA dialog;
    char path[LONG_PATH_SIZE];
    PrepareFileDialog(&dialog, path);
    dialog.Flags |= OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = "prj";
    if (!getSaveFileName(&dialog))
    {
        DialogEnded("Could not save the project");
        return false;
    }
    if (!SaveState(path))
    {
        ReportFileError("Could not save the project", path, WhyNotSaved(GetLastError()));
        return false;
    }
    TakeProjectName(path);
    return true;
}
