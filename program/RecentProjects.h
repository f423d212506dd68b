// The last projects opened or saved, newest first, kept per user. The File
// menu lists them when it opens; choosing one opens it, and one that no
// longer opens is taken off.
#pragma once

#include <windows.h>

constexpr int RECENT_PROJECTS = 4;
void AddRecentProject(const char* path);
void ShowRecentProjects(HMENU fileMenu);
void OpenRecentProject(HWND window, int index);
