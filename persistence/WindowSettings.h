// The window settings file "Values.ini": despite its name, 12 binary bytes
// (left, top, flags) in the folder values started in (StartFolder.h). The
// window hands its place to this file and takes back what it saved; placing
// itself there is the window's own business.
#pragma once

#include "StateCodec.h"

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

// Writes an image made by WindowSettingsImage; SaveWindowSettings makes it
// from the window first. Each returns 1 on success; on failure the old file
// stays as it was, and failure, when given, says which file failed and why
// (SafeFile.h).
struct WriteFailure;
int SaveSettingsImage(const unsigned char* image, WriteFailure* failure = nullptr);
int SaveWindowSettings(HWND window);

// The saved corner and flags, as the file holds them. Returns 0, leaving
// saved alone, when there is no complete file.
int LoadWindowSettings(WindowPosition* saved);
