// Uninstall.exe: starts the Windows Installer on the package that installed
// values and ends at once. What follows is the installer's own maintenance
// user interface for that product; this program shows nothing of its own.
#include "ProductCode.h"

#include <windows.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // msiexec is found through the system's search path. Whether it starts or
    // not, there is nothing to wait for and nothing to report: the shell shows
    // whatever message it has, and the installer runs on by itself.
    ShellExecuteW(nullptr, L"open", L"msiexec", L"/i " PRODUCT_CODE, nullptr, SW_SHOWNORMAL);
    return 0;
}
