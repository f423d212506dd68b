// The yardsticks for the start-up of values: dialog programs started, shown
// and run exactly as values is, with nothing else. Built twice:
//   minimal_dialog  an empty template and no manifest;
//   bare_window     values' own main window template, menu and manifest (so
//                   common controls 6 and visual styles), after
//                   InitCommonControls as values does, but nothing loaded,
//                   read or filled.
#include <windows.h>

#ifdef BARE_VALUES_WINDOW
#include "resource.h"

#include <commctrl.h>
#define TEMPLATE_ID IDD_MAIN
#else
#include "MinimalDialog.h"
#define TEMPLATE_ID IDD_MINIMAL
#endif

static HWND dialog;

static INT_PTR CALLBACK MinimalDialogProc(HWND window, UINT message, WPARAM, LPARAM)
{
    switch (message)
    {
    case WM_INITDIALOG:
        return TRUE;

    case WM_CLOSE:
        DestroyWindow(window);
        return TRUE;

    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
#ifdef BARE_VALUES_WINDOW
    InitCommonControls();
#endif
    dialog =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(TEMPLATE_ID), nullptr, MinimalDialogProc, 0);
    if (!dialog)
        return 1;
    ShowWindow(dialog, SW_SHOWNORMAL);

    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0)
    {
        if (got == -1)
            return -1;
        if (!IsDialogMessageA(dialog, &message))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
