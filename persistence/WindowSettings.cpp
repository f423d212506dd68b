#include "WindowSettings.h"

#include "SafeFile.h"
#include "StartFolder.h"
#include "StateCodec.h"
#include "resource.h"

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

int SaveWindowSettings(HWND window)
{
    unsigned char image[WINDOW_SETTINGS_SIZE];
    WindowSettingsImage(window, image);
    return WriteWholeFile(settingsPath, image, sizeof image, temporaryPath);
}

// No screen reaches this far; a saved corner beyond it is taken as this far,
// so that adding the window's size to it cannot overflow.
constexpr LONG FAR_OFF = 1 << 24;

static LONG WithinReach(LONG v)
{
    return v < -FAR_OFF ? -FAR_OFF : v > FAR_OFF ? FAR_OFF : v;
}

// A spot on no monitor (one that has since gone) is brought onto the nearest
// monitor's work area, so the window can always be reached; a spot on a
// monitor is kept as it is.
static POINT ReachableCorner(HWND window, LONG left, LONG top)
{
    left = WithinReach(left);
    top = WithinReach(top);
    RECT rect;
    GetWindowRect(window, &rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    const RECT saved = {left, top, left + width, top + height};
    POINT corner = {left, top};
    if (MonitorFromRect(&saved, MONITOR_DEFAULTTONULL))
        return corner;

    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromRect(&saved, MONITOR_DEFAULTTONEAREST), &info))
        return corner;
    const RECT& work = info.rcWork;
    corner.x = left + width > work.right ? work.right - width : left;
    corner.y = top + height > work.bottom ? work.bottom - height : top;
    if (corner.x < work.left)
        corner.x = work.left;
    if (corner.y < work.top)
        corner.y = work.top;
    return corner;
}

int LoadWindowSettings(HWND window)
{
    unsigned char image[WINDOW_SETTINGS_SIZE];
    WindowPosition position;
    const long got = ReadFileStart(settingsPath, image, sizeof image);
    if (got < 0 || !DecodeWindowSettings(image, static_cast<std::size_t>(got), position))
        return 0;

    windowSettings.flags = position.flags;
    const POINT corner = ReachableCorner(window, position.left, position.top);
    SetWindowPos(window, HWND_TOP, corner.x, corner.y, 0, 0, SWP_NOSIZE);
    if (windowSettings.flags & KEEP_ON_TOP)
    {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        CheckDlgButton(window, IDC_KEEP_ON_TOP, BST_CHECKED);
    }
    return 1;
}
