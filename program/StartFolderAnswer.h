// The setup program asks, before an update closes values, for the folder to
// start it in again (StartFolderQuestion.h).
#pragma once

#include <windows.h>

// The main window answers the asking window, and returns whether it did.
extern UINT startFolderQuestion;
BOOL AnswerStartFolder(HWND window, HWND asker);
