// Project files: New, Open and Save Project, and the question before
// unsaved changes are dropped.
#pragma once

#include <windows.h>

// ConfirmDiscard returns true to go on, false to stop.
bool ConfirmDiscard(HWND owner);
void OpenProject();
bool SaveProjectAs();
// Opens a project named by path (the command line, another start, a drop,
// the recent list) as Open Project opens a chosen one, question first. A
// file that is not a project, or cannot be read, is reported by name and
// why, and changes nothing; the answer is then the error (ReadError), else
// ERROR_SUCCESS. A listed one's report says whether it stays listed.
DWORD OpenProjectFile(HWND window, const char* path, bool listed = false);
