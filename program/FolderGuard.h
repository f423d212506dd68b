// One window per folder.
#pragma once

#include <windows.h>

// ClaimFolder answers whether this process is to show the window of the
// start folder: no other runs there, or the one that did has ended.
// Otherwise the other's window was brought forward (WM_COME_FORWARD); or it
// did not answer, or did not take the project, and the user has been told
// so.
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
