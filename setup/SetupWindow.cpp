// The setup's own window: the update's one question (Update or Cancel), the
// progress of the installation, and the one line at its end. The work runs
// on a thread of its own, so that the window answers while the Windows
// Installer works: that thread closes values, runs the installation with
// the installer's messages handed to this file, and posts the outcome back.
// With /passive the question and the last line are left out; with /quiet
// the window is never shown, but is there to hear values' answers.
#include "Setup.h"

#include "SetupResource.h"

#include <commctrl.h>
#include <msi.h>

// Posted by the work to the window: values did not close (wParam, a
// ClosingOutcome), or the installer's exit code (wParam).
constexpr UINT WM_SETUP_STUCK = WM_APP + 1;
constexpr UINT WM_SETUP_DONE = WM_APP + 2;

enum WindowState
{
    ASKING,
    WORKING,
    STUCK,
    FINISHED
};

// The messages of the installer the window takes: its progress, and what it
// would otherwise show in a window of its own.
constexpr DWORD INSTALLER_MESSAGES =
    INSTALLLOGMODE_PROGRESS | INSTALLLOGMODE_ACTIONDATA | INSTALLLOGMODE_FATALEXIT |
    INSTALLLOGMODE_ERROR | INSTALLLOGMODE_WARNING | INSTALLLOGMODE_USER |
    INSTALLLOGMODE_OUTOFDISKSPACE | INSTALLLOGMODE_FILESINUSE | INSTALLLOGMODE_RMFILESINUSE;

static HWND setupWindow;
static SetupChoice setupChoice;
static const wchar_t* installProperties;
static WindowState state;
static UINT exitCode;
static bool finished;
static HANDLE work;
static volatile LONG cancelled;
static InstallProgress progress;

static void ShowState(WindowState shown, const wchar_t* text)
{
    state = shown;
    SetDlgItemTextW(setupWindow, IDC_SETUP_TEXT, text);
    const bool asking = shown == ASKING || shown == STUCK;
    SetDlgItemTextW(setupWindow, IDOK, shown == STUCK ? L"&Try Again" : L"&Update");
    SetDlgItemTextW(setupWindow, IDCANCEL, shown == FINISHED ? L"Close" : L"Cancel");
    ShowWindow(GetDlgItem(setupWindow, IDOK), asking ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(setupWindow, IDC_SETUP_PROGRESS), shown == WORKING ? SW_SHOW : SW_HIDE);
    EnableWindow(GetDlgItem(setupWindow, IDCANCEL), TRUE);
    // The button the state offers takes the focus and Enter.
    const int offered = asking ? IDOK : IDCANCEL;
    SendMessageW(setupWindow, DM_SETDEFID, offered, 0);
    SendMessageW(setupWindow, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(setupWindow, offered)), TRUE);
}

// A text of the window, with the versions and the held file filled in.
static void ShowText(WindowState shown, const wchar_t* format, const wchar_t* first,
                     const wchar_t* second = L"")
{
    wchar_t text[1024];
    wsprintfW(text, format, first, second, second);
    ShowState(shown, text);
}

static void ShowProgress()
{
    PostMessageW(GetDlgItem(setupWindow, IDC_SETUP_PROGRESS), PBM_SETPOS, ProgressShown(progress),
                 0);
}

// The installer's messages, on the work's thread. The progress moves the
// bar; a message for the user is shown in full UI alone (0 leaves it to the
// installer, which shows nothing). Files still in use would be left for the
// next start of Windows: the installation stops instead.
static int WINAPI InstallerMessage(void*, UINT type, LPCWSTR text)
{
    if (cancelled)
        return IDCANCEL;
    switch (type & 0xFF000000)
    {
    case INSTALLMESSAGE_PROGRESS:
        TakeProgressRecord(&progress, text);
        ShowProgress();
        return IDOK;
    case INSTALLMESSAGE_ACTIONDATA:
        TakeActionData(&progress);
        ShowProgress();
        return IDOK;
    case INSTALLMESSAGE_FILESINUSE:
    case INSTALLMESSAGE_RMFILESINUSE:
        return IDCANCEL;
    }
    if (switches.ui != FULL_UI || !text || !text[0])
        return 0;
    return MessageBoxW(setupWindow, text, SETUP_TITLE,
                       type & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK));
}

static DWORD WINAPI Work(void*)
{
    if (setupChoice.action == UPDATE_INSTALLED)
    {
        const ClosingOutcome closing = CloseRunningValues(setupWindow);
        if (closing != ALL_CLOSED)
        {
            PostMessageW(setupWindow, WM_SETUP_STUCK, closing, 0);
            return 0;
        }
    }
    UINT result = ERROR_INSTALL_USEREXIT;
    if (!cancelled)
    {
        MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        MsiSetExternalUIW(InstallerMessage, INSTALLER_MESSAGES, nullptr);
        result = MsiInstallProductW(cachedPackage, installProperties);
    }
    PostMessageW(setupWindow, WM_SETUP_DONE, result, 0);
    return 0;
}

static void StartWork()
{
    if (setupChoice.action == UPDATE_INSTALLED)
        ShowText(WORKING, L"Updating values to %s\x2026", carriedVersion);
    else
        ShowText(WORKING, L"Installing values %s\x2026", carriedVersion);
    progress = {};
    ShowProgress();
    work = CreateThread(nullptr, 0, Work, nullptr, 0, nullptr);
    if (!work)
        PostMessageW(setupWindow, WM_SETUP_DONE, ERROR_INSTALL_FAILURE, 0);
}

// The work has posted its last message and is ending.
static void EndWork()
{
    if (!work)
        return;
    WaitForSingleObject(work, INFINITE);
    CloseHandle(work);
    work = nullptr;
}

static void Finish(UINT code)
{
    StartValuesAgain();
    exitCode = code;
    finished = true;
}

// values did not close: the user is told why and may try again, or cancel;
// nobody is there to ask with /quiet or /passive.
static void Stuck(ClosingOutcome closing)
{
    EndWork();
    if (switches.ui != FULL_UI)
        Finish(ERROR_INSTALL_FAILURE);
    else if (closing == FILE_HELD)
        ShowText(STUCK,
                 L"This file of values is in use by another program, so the update cannot "
                 L"replace it now:\n%s\n\nClose that program, then choose Try Again. Cancel "
                 L"leaves values %s as it is.",
                 heldFile, installedVersion);
    else
        ShowText(STUCK,
                 L"values is running and does not close: it may be busy, or waiting for an "
                 L"answer in a window of its own.\n\nAnswer it or wait for it, then choose Try "
                 L"Again. Cancel leaves values %s as it is.",
                 installedVersion);
}

// The values windows the update closed open again, now of the new version,
// whatever the outcome; the last line says it.
static void Done(UINT result)
{
    EndWork();
    StartValuesAgain();
    exitCode = result;
    if (switches.ui != FULL_UI)
        finished = true;
    else if (result == ERROR_SUCCESS)
        ShowText(FINISHED, L"values is updated to %s.", carriedVersion);
    else if (result == ERROR_SUCCESS_REBOOT_REQUIRED)
        ShowText(FINISHED, L"values is updated to %s once Windows restarts.", carriedVersion);
    else if (result == ERROR_INSTALL_USEREXIT)
        ShowText(FINISHED, L"The update was cancelled; values %s is installed as before.",
                 installedVersion);
    else
    {
        wchar_t code[16];
        wsprintfW(code, L"%u", result);
        ShowText(FINISHED, L"The update failed (error %s); values %s is installed as before.", code,
                 installedVersion);
    }
}

static void Cancel()
{
    switch (state)
    {
    case ASKING:
    case STUCK:
        Finish(ERROR_INSTALL_USEREXIT);
        break;
    case WORKING: // the installer undoes what it did, then the work ends
        InterlockedExchange(&cancelled, 1);
        EnableWindow(GetDlgItem(setupWindow, IDCANCEL), FALSE);
        break;
    case FINISHED:
        finished = true;
        break;
    }
}

static void InitSetupWindow(HWND window)
{
    setupWindow = window;
    const UINT flags = LR_SHARED | LR_DEFAULTSIZE;
    HANDLE icon = LoadImageW(setupInstance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON, 0, 0, flags);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    icon = LoadImageW(setupInstance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON,
                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendDlgItemMessageW(window, IDC_SETUP_PROGRESS, PBM_SETRANGE32, 0, PROGRESS_SCALE);
}

// A dialog procedure's answer to a message that wants a result.
static INT_PTR Answer(HWND window, LONG_PTR result)
{
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

static INT_PTR CALLBACK SetupDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG:
        InitSetupWindow(window);
        return FALSE; // ShowState gives the focus

    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDOK:
            if (state == ASKING || state == STUCK)
                StartWork();
            return TRUE;
        case IDCANCEL: // also Esc and the close box
            Cancel();
            return TRUE;
        }
        return FALSE;

    case WM_COPYDATA: // a values' answer: the folder it started in
        return Answer(window, TakeAnsweredFolder(reinterpret_cast<HWND>(wParam),
                                                 reinterpret_cast<const COPYDATASTRUCT*>(lParam)));

    case WM_SETUP_STUCK:
        Stuck(static_cast<ClosingOutcome>(wParam));
        return TRUE;

    case WM_SETUP_DONE:
        Done(static_cast<UINT>(wParam));
        return TRUE;
    }
    return FALSE;
}

UINT RunInOwnWindow(SetupChoice choice, const wchar_t* properties)
{
    setupChoice = choice;
    installProperties = properties;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    if (!CreateDialogParamW(setupInstance, MAKEINTRESOURCEW(IDD_SETUP), nullptr, SetupDialogProc,
                            0))
        return ERROR_INSTALL_FAILURE;
    if (choice.shows == SHOWS_QUESTION_THEN_PROGRESS)
        ShowText(ASKING,
                 L"values %s is installed. This setup holds values %s.\n\nUpdate values to %s? "
                 L"Your Values.dat, Values.ini and projects are kept, and each values window "
                 L"open now closes and opens again as it was.",
                 installedVersion, carriedVersion);
    else
        StartWork();
    if (choice.shows != SHOWS_NOTHING)
    {
        ShowWindow(setupWindow, SW_SHOWNORMAL);
        SetForegroundWindow(setupWindow);
    }
    MSG message;
    while (!finished && GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        if (!IsDialogMessageW(setupWindow, &message))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    DestroyWindow(setupWindow);
    return exitCode;
}
