// values running from the installed folder, during an update. The Windows
// Installer would replace its program and library only at the next start of
// Windows (exit code 3010), so before any file is replaced each values is
// closed the way Windows' restart manager closes a program for an update:
// WM_QUERYENDSESSION, then WM_ENDSESSION, with ENDSESSION_CLOSEAPP. values
// writes both its files then, unsaved changes still marked, and ends. The
// restart manager itself is not used: where it is missing (Wine's closes
// nothing) it could neither find values nor tell the command line values
// registered, so values tells its start folder when asked, and is started
// there again after the update. A values that does not end is never killed.
#include "Setup.h"

#include "ProductCode.h"
#include "StartFolderQuestion.h"

#include <msi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <initializer_list>

wchar_t heldFile[MAX_PATH];

// A few seconds for each answer, and for the end after WM_ENDSESSION.
constexpr DWORD ANSWER_MS = 5000;
constexpr DWORD END_MS = 5000;
// Windows to start again after the update; one folder has one window.
constexpr int MOST_RESTARTED = 64;

static wchar_t installFolder[MAX_PATH];
static wchar_t program[MAX_PATH];
static wchar_t restartFolders[MOST_RESTARTED][START_FOLDER_SIZE];
static int restartCount;
// The window being asked for its folder, and its answer, which reaches the
// asking window's thread while the question is sent from another.
static HWND volatile askedWindow;
static wchar_t answeredFolder[START_FOLDER_SIZE];

// The installed folder, as the package recorded it; one that did not record
// it installed into the user's Programs folder.
static bool FindInstalledProgram()
{
    DWORD size = MAX_PATH;
    if (MsiGetProductInfoW(PRODUCT_CODE, INSTALLPROPERTY_INSTALLLOCATION, installFolder, &size) !=
            ERROR_SUCCESS ||
        !installFolder[0])
    {
        if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                    installFolder)) ||
            !Append(installFolder, MAX_PATH, L"\\Programs\\values"))
            return false;
    }
    const int length = lstrlenW(installFolder);
    if (installFolder[length - 1] != L'\\' && !Append(installFolder, MAX_PATH, L"\\"))
        return false;
    lstrcpyW(program, installFolder);
    return Append(program, MAX_PATH, L"values.exe");
}

BOOL TakeAnsweredFolder(HWND sender, const COPYDATASTRUCT* data)
{
    const wchar_t* folder = data && sender && sender == askedWindow
                                ? AnsweredFolder(data->dwData, data->lpData, data->cbData)
                                : nullptr;
    if (!folder)
        return FALSE;
    lstrcpyW(answeredFolder, folder);
    return TRUE;
}

struct WindowSearch
{
    DWORD process;
    HWND found;
};

// values' main window is a dialog captioned "Values" without an owner; the
// process has a hidden dialog of the same class too.
static BOOL CALLBACK FindMainWindow(HWND window, LPARAM lParam)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[16];
    if (process != search->process || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) ||
        !GetClassNameW(window, name, 16) || lstrcmpW(name, L"#32770") != 0 ||
        !GetWindowTextW(window, name, 16) || lstrcmpW(name, L"Values") != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

// One values: asked for its folder, then closed; true once it has ended. A
// values that does not answer at once (busy, or hung) is left as it is.
static bool CloseValues(HANDLE process, DWORD id, HWND asker, UINT question)
{
    WindowSearch search = {id, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return false; // no window yet, or a question before it: nothing closes it
    DWORD_PTR answer = 0;
    answeredFolder[0] = L'\0';
    askedWindow = search.found;
    const bool answered =
        SendMessageTimeoutW(search.found, question, reinterpret_cast<WPARAM>(asker), 0,
                            SMTO_ABORTIFHUNG, ANSWER_MS, &answer);
    askedWindow = nullptr;
    if (!answered ||
        !SendMessageTimeoutW(search.found, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                             SMTO_ABORTIFHUNG, ANSWER_MS, &answer) ||
        !answer)
        return false;
    // values ends while it handles this, so the send itself fails.
    SendMessageTimeoutW(search.found, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG,
                        ANSWER_MS, &answer);
    if (answeredFolder[0] && restartCount < MOST_RESTARTED)
        lstrcpyW(restartFolders[restartCount++], answeredFolder);
    return WaitForSingleObject(process, END_MS) == WAIT_OBJECT_0;
}

// Whether another program holds an installed file so that it cannot be
// replaced now: the Windows Installer would then leave it for the next start
// of Windows.
static bool Held(const wchar_t* name)
{
    lstrcpyW(heldFile, installFolder);
    if (!Append(heldFile, MAX_PATH, name))
        return false;
    HANDLE file =
        CreateFileW(heldFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return false;
}

ClosingOutcome CloseRunningValues(HWND asker)
{
    if (!FindInstalledProgram())
        return ALL_CLOSED;
    const UINT question = RegisterWindowMessageW(START_FOLDER_QUESTION);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    bool allClosed = true;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot != INVALID_HANDLE_VALUE && Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
    {
        if (lstrcmpiW(entry.szExeFile, L"values.exe") != 0)
            continue;
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                     entry.th32ProcessID);
        wchar_t image[MAX_PATH];
        DWORD size = MAX_PATH;
        if (process && QueryFullProcessImageNameW(process, 0, image, &size) &&
            lstrcmpiW(image, program) == 0)
            allClosed = CloseValues(process, entry.th32ProcessID, asker, question) && allClosed;
        if (process)
            CloseHandle(process);
    }
    if (snapshot != INVALID_HANDLE_VALUE)
        CloseHandle(snapshot);
    if (!allClosed)
        return VALUES_DOES_NOT_CLOSE;
    for (const wchar_t* name : {L"values.exe", L"Vantrel.dll", L"Uninstall.exe"})
    {
        if (Held(name))
            return FILE_HELD;
    }
    return ALL_CLOSED;
}

// As values is started in a folder: values.exe /folder "FOLDER", there.
void StartValuesAgain()
{
    for (int i = 0; i < restartCount; i++)
    {
        wchar_t line[MAX_PATH + START_FOLDER_SIZE + 16];
        wsprintfW(line, L"\"%s\" /folder \"%s\"", program, restartFolders[i]);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started;
        if (CreateProcessW(program, line, nullptr, nullptr, FALSE, 0, nullptr, restartFolders[i],
                           &startup, &started))
        {
            CloseHandle(started.hThread);
            CloseHandle(started.hProcess);
        }
    }
    restartCount = 0;
}
