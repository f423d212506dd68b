#include "WindowSettings.h"

#include "SafeFile.h"
#include "StartFolder.h"

WindowSettings windowSettings;

// The outer rectangle the window has when it is not minimised. A minimised
// window sits far off-screen, and saving that spot would lose it.
static void RestoredRect(HWND window, RECT* rect)
{
    GetWindowRect(window, rect);
    if (!IsIconic(window))
        return;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement))
        return;
    // The placement is in work-area coordinates; the file holds screen ones.
    *rect = placement.rcNormalPosition;
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(MonitorFromRect(rect, MONITOR_DEFAULTTONEAREST), &info))
        OffsetRect(rect, info.rcWork.left - info.rcMonitor.left,
                   info.rcWork.top - info.rcMonitor.top);
}

void WindowSettingsImage(HWND window, unsigned char* image)
{
    RECT rect;
    RestoredRect(window, &rect);
    const WindowPosition position = {rect.left, rect.top, windowSettings.flags};
    EncodeWindowSettings(position, image);
}

int SaveSettingsImage(const unsigned char* image, WriteFailure* failure)
{
    return KeepWholeFile(settingsPath, image, WINDOW_SETTINGS_SIZE, failure);
}

int SaveWindowSettings(HWND window)
{
    unsigned char image[WINDOW_SETTINGS_SIZE];
    WindowSettingsImage(window, image);
    return SaveSettingsImage(image);
}

int LoadWindowSettings(WindowPosition* saved)
{
    unsigned char image[WINDOW_SETTINGS_SIZE];
    const long got = ReadFileStart(settingsPath, image, sizeof image);
    return got >= 0 && DecodeWindowSettings(image, static_cast<std::size_t>(got), *saved);
}
