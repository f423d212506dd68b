// The main window takes back the place and the Keep on Top setting that
// "Values.ini" kept, onto a screen that can still show it.
#include "WindowPlace.h"

#include "WindowSettings.h"
#include "resource.h"

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

bool RestoreWindowSettings(HWND window)
{
    WindowPosition saved;
    if (!LoadWindowSettings(&saved))
        return false;
    windowSettings.flags = saved.flags;
    const POINT corner = ReachableCorner(window, saved.left, saved.top);
    SetWindowPos(window, HWND_TOP, corner.x, corner.y, 0, 0, SWP_NOSIZE);
    if (windowSettings.flags & KEEP_ON_TOP)
    {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        CheckDlgButton(window, IDC_KEEP_ON_TOP, BST_CHECKED);
    }
    return true;
}
