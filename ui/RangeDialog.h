// The range dialog, for a slot 0 to 4 or MAIN_RANGE_TARGET.
#pragma once

#include <windows.h>

INT_PTR CALLBACK RangeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void OpenRangeDialog(HWND owner, int target);
