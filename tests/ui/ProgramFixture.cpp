#include "ProgramFixture.h"

#include "StateCodec.h"
#include "resource.h"

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

HWND OpenMainRangeDialog(DWORD process, HWND window)
{
    Press(window, IDM_NEW_MAIN);
    return WaitForWindow(process, "Compressed Value Range", window);
}

bool EnterRange(HWND dialog, const char* low, const char* high)
{
    SetItemText(dialog, IDC_RANGE_LOW, low);
    SetItemText(dialog, IDC_RANGE_HIGH, high);
    Press(dialog, IDOK);
    return WaitUntil([dialog] { return !IsWindow(dialog); });
}

void Program::SetUp()
{
    InTestFolder::SetUp();
    for (const char* icon : {"edit.ico", "delete.ico"})
        CopyFileA((ProgramFolder() + icon).c_str(), Path(icon).c_str(), FALSE);
}

static void EndProcess(PROCESS_INFORMATION& started)
{
    if (!started.hProcess)
        return;
    if (WaitForSingleObject(started.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(started.hProcess, 99);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    started = {};
}

static PROCESS_INFORMATION Launch(const std::string& program, const std::string& in,
                                  const std::string& arguments = "")
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "values.exe " + arguments;
    PROCESS_INFORMATION started = {};
    CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                   in.c_str(), &startup, &started);
    return started;
}

void Program::TearDown()
{
    EndProcess(process);
    for (PROCESS_INFORMATION& other : others)
        EndProcess(other);
    InTestFolder::TearDown();
}

HWND Program::Start(const std::string& program)
{
    if (process.hProcess)
    {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    process = Launch(program, folder);
    if (!process.hProcess)
        return nullptr;
    return WaitForWindow(process.dwProcessId, "Values");
}

PROCESS_INFORMATION Program::StartAnother(const std::string& in, const std::string& arguments)
{
    others.push_back(Launch(ProgramFolder() + "values.exe", in, arguments));
    EXPECT_TRUE(others.back().hProcess)
        << "cannot start values.exe in " << in << ", error " << GetLastError();
    return others.back();
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeout)
{
    const DWORD start = GetTickCount();
    while (!done())
    {
        if (GetTickCount() - start >= timeout)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        HandleOwnMessages();
    }
    return true;
}

void HandleOwnMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

DWORD WaitForExitCode(HANDLE process)
{
    if (!WaitUntil([process] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 20000))
        return 0xDEADBEEF;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

HWND ShowWindowElsewhere()
{
    HWND window = CreateWindowA("STATIC", "Elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 400,
                                200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(window);
    EXPECT_TRUE(WaitUntil([window] { return GetForegroundWindow() == window; }))
        << "the test's own window did not come to the front";
    return window;
}

DWORD Program::WaitForExit()
{
    return WaitForExitCode(process.hProcess);
}

std::vector<unsigned char> WriteState(const std::string& path, double localValue, bool withPaths)
{
    ProjectState state = {};
    state.mainHigh = 10;
    state.localValue = localValue;
    std::vector<unsigned char> image(StateImageSize(withPaths));
    EncodeState(state, withPaths, image.data());
    WriteBytes(path, image);
    return image;
}
