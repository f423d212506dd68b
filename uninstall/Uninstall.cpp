// Uninstall.exe: starts the Windows Installer on the package that installed
// values and ends at once. What follows is the installer's own maintenance
// user interface for that product; this program shows nothing of its own.
#include <windows.h>
#include <shellapi.h>

// The product code of the installer package that installs values. A different
// package has its own product code.
#define PRODUCT_CODE L"{ECEBC99A-67B2-4A0E-B576-741B23A014B7}"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // msiexec is found through the system's search path. Whether it starts or
    // not, there is nothing to wait for and nothing to report: the shell shows
    // whatever message it has, and the installer runs on by itself.
    ShellExecuteW(nullptr, L"open", L"msiexec", L"/i " PRODUCT_CODE, nullptr, SW_SHOWNORMAL);
    return 0;
}
