// Uninstall.exe: starts the Windows Installer on the package that installed
// values and ends at once. What follows is the installer's own maintenance
// user interface for that product; this program shows nothing of its own.
#include "ProductCode.h"

#include <windows.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // The installer inherits this program's working folder, which is often
    // the folder values is installed in (Explorer starts a program there),
    // and a folder that is some program's working folder cannot be removed:
    // the installer would leave it behind, empty. The system folder is never
    // removed.
    wchar_t system[MAX_PATH];
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryW(system);

    // msiexec is found through the system's search path. Whether it starts or
    // not, there is nothing to wait for and nothing to report: the shell shows
    // whatever message it has, and the installer runs on by itself.
    ShellExecuteW(nullptr, L"open", L"msiexec", L"/i " PRODUCT_CODE, nullptr, SW_SHOWNORMAL);
    return 0;
}
