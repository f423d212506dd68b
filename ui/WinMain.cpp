// The entry point of values: one window, one thread, one message loop.
#include "Values.h"

#include "ProjectState.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    project.modified = false;
    InitCommonControls();

    // Its initialisation reads "Values.ini" and "Values.dat".
    if (!OpenMainWindow(instance))
    {
        GetLastError();
        return 1;
    }

    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0)
    {
        if (got == -1)
            return -1; // nothing is written
        // The shortcuts first; then the dialog manager gives Tab, Enter and
        // Esc their dialog meaning.
        if (!TranslateMainWindowMessage(&message))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    DeleteObject(buttonFaceBrush);
    buttonFaceBrush = nullptr;
    return static_cast<int>(message.wParam);
}
