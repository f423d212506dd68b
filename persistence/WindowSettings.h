// The window settings file "Values.ini": despite its name, 12 binary bytes
// (left, top, flags) in the folder values started in (StartFolder.h).
#pragma once

#include <windows.h>

#include <cstdint>

#define WINDOW_SETTINGS_FILE_NAME "Values.ini"

constexpr std::uint32_t KEEP_ON_TOP = 1; // bit 0 of the flags; no other bit is used

struct WindowSettings
{
    std::uint32_t flags; // the position is taken from the window when saving
};

extern WindowSettings windowSettings;

// The file's bytes for the window as it is now: its top-left corner (where
// it would be restored to, when minimised) and the flags.
void WindowSettingsImage(HWND window, unsigned char* image);

// Writes the window's top-left corner and the flags. Returns 1 on success;
// on failure the old file stays as it was.
int SaveWindowSettings(HWND window);

// Moves the window to the saved corner (onto the nearest monitor when the
// saved spot is on none), and with KEEP_ON_TOP makes it topmost and ticks the
// Keep on Top box. Returns 0, leaving the window and the flags alone, when
// there is no complete file.
int LoadWindowSettings(HWND window);
