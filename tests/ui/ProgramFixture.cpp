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

struct ShownArgs
{
    DWORD process;
    std::vector<HWND> windows;
};

BOOL CALLBACK AddIfShown(HWND window, LPARAM lParam)
{
    ShownArgs* args = reinterpret_cast<ShownArgs*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == args->process && IsWindowVisible(window))
        args->windows.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> ShownWindows(DWORD process)
{
    ShownArgs args = {process, {}};
    EnumWindows(AddIfShown, reinterpret_cast<LPARAM>(&args));
    return args.windows;
}

HWND WaitForWindow(DWORD process, const char* caption, HWND owner, DWORD timeout)
{
    const DWORD start = GetTickCount();
    do
    {
        for (HWND window : ShownWindows(process))
        {
            char text[256] = {};
            GetWindowTextA(window, text, sizeof text);
            if (!std::strcmp(text, caption) && GetWindow(window, GW_OWNER) == owner)
                return window;
        }
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
