// What the menu, the row buttons, Keep on Top and Esc do in the main window.
// Each command changes the state, then brings the window up to date.
#include "MainCommands.h"

#include "MainWindow.h"
#include "ProjectCommands.h"
#include "RangeDialog.h"
#include "RecentProjects.h"

#include "ProjectState.h"
#include "RangeMapping.h"
#include "WindowSettings.h"
#include "resource.h"

static void EditRange(int k)
{
    OpenRangeDialog(mainWindow, k);
    ShowRowName(k);
    RecomputeValues(-1);
    RefreshValueBoxes(IDC_LOCAL_VALUE);
}

static void RemoveRange(int k)
{
    DeleteRange(k);
    RefreshWindow();
    RecomputeValues(-1);
    RefreshValueBoxes(IDC_LOCAL_VALUE);
}

// The box has already toggled itself. Clearing it clears the whole flags word.
static void KeepOnTop(HWND window)
{
    if (IsDlgButtonChecked(window, IDC_KEEP_ON_TOP) == BST_CHECKED)
    {
        windowSettings.flags |= KEEP_ON_TOP;
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    else
    {
        windowSettings.flags = 0;
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
}

static void NewCompressedRange(HWND window)
{
    const int k = FindFreeSlot();
    if (k == ALL_SLOTS_TAKEN)
    {
        MessageBoxA(window, "You can't create more than 5 compressed ranges", "Values",
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    OpenRangeDialog(window, k);
    EnableWindow(GetDlgItem(window, IDC_SLOT_NAME + k), TRUE);
    EnableWindow(GetDlgItem(window, IDC_SLOT_VALUE + k), TRUE);
    SetDlgItemTextA(window, IDC_SLOT_NAME + k, project.ranges[k].name);
    RecomputeValues(-1);
    // After Cancel the slot is still free, and this returns the row to "empty".
    RefreshWindow();
    RefreshValueBoxes(IDC_LOCAL_VALUE);
}

static void NewMainRange(HWND window)
{
    OpenRangeDialog(window, MAIN_RANGE_TARGET);
    RecomputeValues(-1);
    RefreshWindow();
    RefreshValueBoxes(IDC_LOCAL_VALUE);
}

static void OpenProjectCommand(HWND window)
{
    if (!ConfirmDiscard(window))
        return;
    OpenProject();
    RecomputeValues(-1);
    RefreshWindow();
    RefreshValueBoxes(IDC_LOCAL_VALUE);
}

static void SaveProjectCommand()
{
    if (SaveProjectAs())
        project.modified = false;
    RefreshWindow();
}

void RunMainCommand(HWND window, int command)
{
    if (command >= IDC_SLOT_EDIT && command < IDC_SLOT_EDIT + RANGE_SLOTS)
    {
        EditRange(command - IDC_SLOT_EDIT);
        return;
    }
    if (command >= IDC_SLOT_DELETE && command < IDC_SLOT_DELETE + RANGE_SLOTS)
    {
        RemoveRange(command - IDC_SLOT_DELETE);
        return;
    }
    if (command >= IDM_RECENT_PROJECT && command < IDM_RECENT_PROJECT + RECENT_PROJECTS)
    {
        OpenRecentProject(window, command - IDM_RECENT_PROJECT);
        return;
    }
    switch (command)
    {
    case IDC_KEEP_ON_TOP:
        KeepOnTop(window);
        break;
    case IDM_NEW_RANGE:
        NewCompressedRange(window);
        break;
    case IDM_NEW_MAIN:
        NewMainRange(window);
        break;
    case IDM_OPEN_PROJECT:
        OpenProjectCommand(window);
        break;
    case IDM_SAVE_PROJECT:
        SaveProjectCommand();
        break;
    case IDM_EXIT: // Exit closes exactly as Esc does, question included
    case IDCANCEL: // Esc, by way of the dialog manager
        SendMessageA(window, WM_CLOSE, 0, 0);
        break;
    default: // for example IDOK, which Enter sends from an edit box: nothing
        break;
    }
}
