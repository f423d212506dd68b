#include "ProgramFixture.h"

#include <cstring>

std::string ProgramFolder()
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::strrchr(exe, '\\')[1] = '\0';
    return exe;
}

namespace
{

struct FindArgs
{
    DWORD process;
    const char* caption;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    FindArgs* args = reinterpret_cast<FindArgs*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (process == args->process && IsWindowVisible(window) &&
        !std::strcmp(caption, args->caption) && GetWindow(window, GW_OWNER) == args->owner)
    {
        args->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND WaitForWindow(DWORD process, const char* caption, HWND owner, DWORD timeout)
{
    const DWORD start = GetTickCount();
    do
    {
        FindArgs args = {process, caption, owner, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&args));
        if (args.found)
            return args.found;
        Sleep(50);
    } while (GetTickCount() - start < timeout);
    return nullptr;
}

std::string ItemText(HWND window, int id)
{
    char text[512] = {};
    SendDlgItemMessageA(window, id, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetItemText(HWND window, int id, const char* text)
{
    SendDlgItemMessageA(window, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void Press(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void Program::SetUp()
{
    InTestFolder::SetUp();
    for (const char* icon : {"edit.ico", "delete.ico"})
        CopyFileA((ProgramFolder() + icon).c_str(), Path(icon).c_str(), FALSE);
}

void Program::TearDown()
{
    if (process.hProcess)
    {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    InTestFolder::TearDown();
}

HWND Program::Start(const std::string& program)
{
    if (process.hProcess)
    {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    char commandLine[] = "values.exe";
    process = {};
    if (!CreateProcessA(program.c_str(), commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process))
        return nullptr;
    return WaitForWindow(process.dwProcessId, "Values");
}

DWORD Program::WaitForExit()
{
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
        return 0xDEADBEEF;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}
