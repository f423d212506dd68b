// A project handed from a later start of values to the window that already
// runs in its folder: "values.exe plan.prj", a double-click on a project,
// "Open with". The later start sends the path and ends; the window opens
// it as Open Project would, asking about unsaved changes first.
#include "Values.h"

#include <cstring>

// The path waiting to be opened; a newer one replaces it.
static char handedProject[LONG_PATH_SIZE];

bool HandProject(HWND window, const char* project)
{
    COPYDATASTRUCT data = {};
    data.dwData = HAND_PROJECT;
    data.cbData = static_cast<DWORD>(std::strlen(project) + 1);
    data.lpData = const_cast<char*>(project);
    DWORD_PTR taken = 0;
    return SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, 5000, &taken) &&
           taken;
}

// The sender waits for the answer, so the question and the opening come
// after it, from a message of the window's own. A path that is not a whole
// text of this size is not taken.
BOOL TakeHandedProject(HWND window, const COPYDATASTRUCT* data)
{
    if (data->dwData != HAND_PROJECT || data->cbData < 2 || data->cbData > sizeof handedProject)
        return FALSE;
    const char* path = static_cast<const char*>(data->lpData);
    if (path[data->cbData - 1] != '\0' || !IsWindowEnabled(window))
        return FALSE;
    std::memcpy(handedProject, path, data->cbData);
    PostMessageA(window, WM_OPEN_HANDED_PROJECT, 0, 0);
    return TRUE;
}

// A dialog or question opened since the project was taken keeps the window
// disabled; the open then waits for no one and is dropped, as a click on the
// disabled window would be.
void OpenHandedProject(HWND window)
{
    if (!handedProject[0] || !IsWindowEnabled(window))
        return;
    char path[LONG_PATH_SIZE];
    std::memcpy(path, handedProject, sizeof path);
    handedProject[0] = '\0';
    OpenProjectFile(window, path);
}
