// The main window's place on the screen.
#pragma once

#include <windows.h>

// The main window takes the place and the Keep on Top setting "Values.ini"
// kept: a place on no monitor now is brought onto the nearest one. False,
// with nothing changed, without a complete file.
bool RestoreWindowSettings(HWND window);
