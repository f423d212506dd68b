// A project handed from another start in the same folder.
#pragma once

#include <windows.h>

// The project comes in WM_COPYDATA with HAND_PROJECT (HandedPath.h): the
// window comes forward and opens it as Open Project does, question first.
// HandProject sends it and answers whether it was taken; TakeHandedProject
// keeps it, refusing while a dialog or question is open, and has it opened
// (WM_OPEN_HANDED_PROJECT) once the message at hand is answered, or once a
// dialog opened meanwhile has closed (WM_ENABLE). ForgetHandedProject, as
// the window is destroyed: a close that came first wins.
bool HandProject(HWND window, const char* project);
BOOL TakeHandedProject(HWND window, const COPYDATASTRUCT* data);
void OpenHandedProject(HWND window);
void ForgetHandedProject();
