// The main window's menu commands and buttons.
#pragma once

#include <windows.h>

void RunMainCommand(HWND window, int command);
