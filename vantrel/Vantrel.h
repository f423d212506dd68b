// Vantrel: number boxes. MakeNumberBox turns an ordinary edit control into
// one that admits only what a number can contain; the box stays an ordinary
// edit control in every other way (its text is read and written as usual,
// and its change notifications reach the parent as usual).
#pragma once

#include <windows.h>

#ifdef VANTREL_BUILD
#define VANTREL_API
#else
#define VANTREL_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C"
{
#endif

    // Makes the edit control a number box. TRUE on success, and when it already
    // is one; FALSE for null, a window that is not an edit control, or a window
    // of another process.
    VANTREL_API BOOL WINAPI MakeNumberBox(HWND edit);

    // TRUE once MakeNumberBox has made the window a number box.
    VANTREL_API BOOL WINAPI IsNumberBox(HWND edit);

#ifdef __cplusplus
}
#endif
