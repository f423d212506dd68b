// Open Project, Save Project and the question about unsaved changes.
#include "Values.h"

#include "ProjectState.h"
#include "SafeFile.h"
#include "StateFile.h"

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
    char path[MAX_PATH + 16];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    HMODULE library = nullptr;
    if (length > 0 && length < MAX_PATH)
    {
        std::strcat(path, "\\comdlg32.dll");
        library = LoadLibraryA(path);
    }
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
// name, starting in its folder, never changing the working directory.
static void PrepareFileDialog(OPENFILENAMEA* dialog, char* path, char* title)
{
    std::memset(dialog, 0, sizeof *dialog);
    dialog->lStructSize = sizeof *dialog;
    dialog->hwndOwner = mainWindow;
    dialog->lpstrFilter = PROJECT_FILTER;
    dialog->nFilterIndex = 1;
    CopyText(path, PATH_SIZE, project.projectTitle);
    dialog->lpstrFile = path;
    dialog->nMaxFile = PATH_SIZE;
    title[0] = '\0';
    dialog->lpstrFileTitle = title;
    dialog->nMaxFileTitle = PATH_SIZE;
    dialog->lpstrInitialDir = project.projectDir;
    dialog->Flags = OFN_NOCHANGEDIR;
}

// The chosen file becomes the current project: its name, and its folder
// (the full path cut at the last separator, found in the code page's
// characters, not its bytes).
static void TakeProjectName(const char* path, const char* title)
{
    CopyText(project.projectTitle, PATH_SIZE, title);
    CopyText(project.projectDir, PATH_SIZE, path);
    const std::size_t name = FileNameOffset(project.projectDir);
    if (name > 0)
        project.projectDir[name - 1] = '\0';
}

static void ReportFileError(const char* format, const char* path)
{
    char text[PATH_SIZE + 200];
    std::snprintf(text, sizeof text, format, path);
    MessageBoxA(mainWindow, text, "Values", MB_OK | MB_ICONERROR);
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

// A project that cannot be read changes nothing, not even the project name.
void OpenProject()
{
    if (!LoadFileDialogs())
        return;
    OPENFILENAMEA dialog;
    char path[PATH_SIZE];
    char title[PATH_SIZE];
    PrepareFileDialog(&dialog, path, title);
    dialog.Flags |= OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!getOpenFileName(&dialog))
    {
        commDlgExtendedError();
        return;
    }
    if (!LoadState(path))
    {
        ReportFileError("Could not open the project \"%s\".\n\nThe file cannot be read, or it is "
                        "not a project file.",
                        path);
        return;
    }
    TakeProjectName(path, title);
}

// True only when the project was written; a failed write is reported and
// keeps the old project name.
bool SaveProjectAs()
{
    if (!LoadFileDialogs())
        return false;
    OPENFILENAMEA dialog;
    char path[PATH_SIZE];
    char title[PATH_SIZE];
    PrepareFileDialog(&dialog, path, title);
    dialog.Flags |= OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = "prj";
    if (!getSaveFileName(&dialog))
    {
        commDlgExtendedError();
        return false;
    }
    if (!SaveState(path))
    {
        ReportFileError("Could not save the project \"%s\".\n\nThe file may be read-only or in "
                        "use by another program, or its folder may be missing or full.",
                        path);
        return false;
    }
    TakeProjectName(path, title);
    return true;
}
