// The entry point of values: one window, one thread, one message loop; and
// one window per folder (FolderGuard.cpp).
#include "CommandLine.h"
#include "FileNames.h"
#include "FolderGuard.h"
#include "KeepFiles.h"
#include "MainWindow.h"
#include "ProjectCommands.h"

#include "ProjectState.h"
#include "StartFolder.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    // [/folder FOLDER] [PROJECT]: /folder moves before anything else.
    static char projectToOpen[LONG_PATH_SIZE];
    if (!ReadCommandLine(commandLine, projectToOpen, sizeof projectToOpen))
        return 1;
    // The folder values starts in keeps its files, whatever later moves the
    // current folder.
    TakeStartFolder();
    // Another process has the folder: 0 once its window is in front (and has
    // taken the project), 1 (as when no window can be made) when it did not
    // answer.
    switch (ClaimFolder(projectToOpen))
    {
    case FOLDER_SHOWN_ELSEWHERE:
        return 0;
    case FOLDER_NOT_SHOWN:
        return 1;
    }

    project.modified = false;
    InitCommonControls();

    // Reads "Values.dat" first, then makes the window, whose initialisation
    // reads "Values.ini". Null also when the user chose to end values
    // because "Values.dat" could not be read.
    HWND window = OpenMainWindow(instance);
    if (!window)
    {
        GetLastError();
        return 1;
    }
    PublishWindow(window);
    if (projectToOpen[0])
    {
        OpenProjectFile(window, projectToOpen);
        FilesMayHaveChanged(window);
    }

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
