// A project handed from a later start of values to the window that already
// runs in its folder: "values.exe plan.prj", a double-click on a project,
// "Open with". The later start sends the path and ends; the window opens
// it as Open Project would, asking about unsaved changes first.
#include "HandOff.h"

#include "FileNames.h"
#include "MainWindow.h"
#include "ProjectCommands.h"

#include "HandedPath.h"

#include <cstring>

static_assert(HANDED_PATH_SIZE == LONG_PATH_SIZE, "a handed path is any path Windows makes");

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

// Any process may send the message, and one of this process with any data:
// only a whole path (HandedPath) is taken, and only while no dialog or
// question is open. The sender waits for the answer, so the question and
// the opening come after it, from a message of the window's own.
BOOL TakeHandedProject(HWND window, const COPYDATASTRUCT* data)
{
    const char* path = data ? HandedPath(data->dwData, data->lpData, data->cbData) : nullptr;
    if (!path || !IsWindowEnabled(window))
        return FALSE;
    std::memcpy(handedProject, path, data->cbData);
    PostMessageA(window, WM_OPEN_HANDED_PROJECT, 0, 0);
    return TRUE;
}

// A dialog or question may have opened since the project was taken (a
// command that came first): the project waits until the window is enabled
// again, which posts this message anew. A close that comes first destroys
// the window, which forgets the project.
void OpenHandedProject(HWND window)
{
    if (!handedProject[0] || !IsWindowEnabled(window))
        return;
    char path[LONG_PATH_SIZE];
    std::memcpy(path, handedProject, sizeof path);
    ForgetHandedProject();
    OpenProjectFile(window, path);
}

void ForgetHandedProject()
{
    handedProject[0] = '\0';
}
