// The shell's side of projects: a file dropped on the main window, and the
// shell's own list of recent documents (the taskbar's jump list).
#pragma once

#include <windows.h>

void ProjectDropped(HWND window, HDROP drop);
void AddToShellRecent(const char* path);
