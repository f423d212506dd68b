// The entry point of Uninstall.exe where the toolchain's C runtime start-up
// is left out (MinGW). The program uses nothing of the C runtime, and that
// start-up code alone would make it four times the size. It hands WinMain what
// the runtime would: the instance, the command line after the program name,
// and the show request the program was started with.
#include <windows.h>

static LPSTR SkipProgramName(LPSTR commandLine)
{
    char* p = commandLine;
    if (*p == '"')
    {
        // A quoted program name ends at the next quote; it holds no escapes.
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    }
    else
    {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

// The name both the MinGW and the Microsoft linker take as the entry point of
// a Windows (not console) program. It never returns.
extern "C" void WinMainCRTStartup()
{
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(
        WinMain(GetModuleHandleA(nullptr), nullptr, SkipProgramName(GetCommandLineA()), show));
}
