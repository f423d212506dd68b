// The files of the start folder, at the start and at the close.
#pragma once

#include <windows.h>

// ReadStateAtStart reads "Values.dat" before the window is made; when the
// file is there but cannot be read, it is tried again for a while and then
// the user chooses: false means end values at once. SaveOnClose writes both
// files, asking what to do when one cannot be written; true when the window
// may close. It comes after the question about unsaved changes, so the state
// file it leaves marks none. SaveOnLogOff writes them without a question,
// unsaved changes marked as they are.
bool ReadStateAtStart();
bool SaveOnClose(HWND window);
void SaveOnLogOff(HWND window);
// Whether "Values.dat" was there at the start but could not be read, and the
// user chose to go on: it is replaced only at the close, when the user agrees.
bool StateFileUnread();
