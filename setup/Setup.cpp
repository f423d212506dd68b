// The entry point of the setup program, and what it does: it reads its
// switches, asks the Windows Installer what is installed under the product
// code, and installs, updates, opens the package's own Repair or Remove
// question, or refuses a downgrade. Its exit codes are msiexec's.
#include "Setup.h"

#include "ProductCode.h"

#include <msi.h>

HINSTANCE setupInstance;
SetupSwitches switches;
wchar_t carriedVersion[VERSION_SIZE];
wchar_t installedVersion[VERSION_SIZE];

// Each installer log category msiexec's /l*v writes.
constexpr DWORD LOG_EVERYTHING =
    INSTALLLOGMODE_FATALEXIT | INSTALLLOGMODE_ERROR | INSTALLLOGMODE_WARNING | INSTALLLOGMODE_USER |
    INSTALLLOGMODE_INFO | INSTALLLOGMODE_RESOLVESOURCE | INSTALLLOGMODE_OUTOFDISKSPACE |
    INSTALLLOGMODE_ACTIONSTART | INSTALLLOGMODE_ACTIONDATA | INSTALLLOGMODE_COMMONDATA |
    INSTALLLOGMODE_PROPERTYDUMP | INSTALLLOGMODE_VERBOSE;

static const wchar_t USAGE[] =
    L"Usage: values-%s-setup.exe [/quiet | /passive] [/norestart] [/log FILE]\n\n"
    L"With no switch, it installs values %s, updates an older version to it, or offers to "
    L"repair or remove it.\n\n"
    L"/quiet\tshows no window at all\n"
    L"/passive\tshows the progress alone and asks nothing\n"
    L"/norestart\tnever restarts Windows\n"
    L"/log FILE\twrites the Windows Installer's log to FILE\n"
    L"/?\tshows this\n\n"
    L"Exit codes: 0 done, 1602 cancelled, 1603 failed, 1638 a newer version is installed, "
    L"1639 a switch it does not know, 3010 done, Windows to be restarted.";

bool Append(wchar_t* to, int size, const wchar_t* text)
{
    const int length = lstrlenW(to);
    const int more = lstrlenW(text);
    if (length + more >= size)
        return false;
    lstrcpyW(to + length, text);
    return true;
}

int Tell(HWND owner, const wchar_t* text, UINT type)
{
    if (switches.ui == QUIET_UI)
        return 0;
    return MessageBoxW(owner, text, SETUP_TITLE, type | MB_SETFOREGROUND);
}

// The version this program carries is its own product version, which the
// build takes from the package it carries.
static bool ReadCarriedVersion()
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    const BYTE* data =
        found ? static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))) : nullptr;
    const DWORD size = found ? SizeofResource(nullptr, found) : 0;
    for (DWORD at = 0; data && at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4)
    {
        const VS_FIXEDFILEINFO* info = reinterpret_cast<const VS_FIXEDFILEINFO*>(data + at);
        if (info->dwSignature == VS_FFI_SIGNATURE)
        {
            wsprintfW(carriedVersion, L"%u.%u.%u", HIWORD(info->dwProductVersionMS),
                      LOWORD(info->dwProductVersionMS), HIWORD(info->dwProductVersionLS));
            return true;
        }
    }
    return false;
}

// The installed version, or null when the product is not installed for this
// user. One the Windows Installer cannot tell stays empty, which counts as
// newer.
static const wchar_t* ReadInstalledVersion()
{
    if (MsiQueryProductStateW(PRODUCT_CODE) != INSTALLSTATE_DEFAULT)
        return nullptr;
    DWORD size = VERSION_SIZE;
    if (MsiGetProductInfoW(PRODUCT_CODE, INSTALLPROPERTY_VERSIONSTRING, installedVersion, &size) !=
        ERROR_SUCCESS)
        installedVersion[0] = L'\0';
    return installedVersion;
}

static void ShowUsage(const wchar_t* wrong)
{
    static wchar_t text[2048];
    int length = 0;
    if (wrong[0])
        length = wsprintfW(text, L"values Setup does not know \"%s\".\n\n", wrong);
    // wsprintf writes at most 1024 characters at a time.
    wsprintfW(text + length, USAGE, carriedVersion, carriedVersion);
    Tell(nullptr, text, wrong[0] ? MB_ICONERROR : MB_ICONINFORMATION);
}

// A log named by a relative path is written where the setup was started.
static void StartLog()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetFullPathNameW(switches.log, MAX_PATH, path, nullptr);
    MsiEnableLogW(LOG_EVERYTHING, length > 0 && length < MAX_PATH ? path : switches.log, 0);
}

static UINT RunSetup()
{
    const bool read = ReadSwitches(GetCommandLineW(), &switches);
    if (!ReadCarriedVersion())
        return ERROR_INSTALL_FAILURE;
    if (!read || switches.help)
    {
        ShowUsage(switches.wrong);
        return read ? ERROR_SUCCESS : ERROR_INVALID_COMMAND_LINE;
    }
    if (switches.log[0])
        StartLog();
    wchar_t properties[128] = L"";
    if (switches.noRestart)
        Append(properties, 128, L"REBOOT=ReallySuppress ");

    const SetupChoice choice = ChooseSetup(ReadInstalledVersion(), carriedVersion, switches.ui);
    switch (choice.action)
    {
    case REFUSE_DOWNGRADE:
    {
        wchar_t text[256];
        wsprintfW(text,
                  L"values %s is installed, which is newer than values %s that this setup "
                  L"holds.\n\nNothing was changed.",
                  installedVersion[0] ? installedVersion : L"(its version unknown)",
                  carriedVersion);
        if (choice.shows == SHOWS_MESSAGE)
            Tell(nullptr, text, MB_ICONINFORMATION);
        return ERROR_PRODUCT_VERSION;
    }
    case LEAVE_AS_IS:
        return ERROR_SUCCESS;
    case OPEN_MAINTENANCE:
        // As Uninstall.exe opens it: the installed package's own question.
        MsiSetInternalUI(INSTALLUILEVEL_FULL, nullptr);
        return MsiConfigureProductExW(PRODUCT_CODE, INSTALLLEVEL_DEFAULT, INSTALLSTATE_DEFAULT,
                                      properties);
    case INSTALL_PACKAGE:
    case UPDATE_INSTALLED:
        break;
    }

    if (!CachePackage())
    {
        wchar_t text[MAX_PATH + 200];
        wsprintfW(text, L"values Setup could not write the package to\n%s\n\n(error %u)",
                  cachedPackage, GetLastError());
        Tell(nullptr, text, MB_ICONERROR);
        return ERROR_INSTALL_FAILURE;
    }
    UINT result;
    if (choice.shows == SHOWS_PACKAGE_DIALOGS)
    {
        MsiSetInternalUI(INSTALLUILEVEL_FULL, nullptr);
        result = MsiInstallProductW(cachedPackage, properties);
    }
    else
    {
        // Minor upgrade: every feature again, newer files replacing older
        // ones. The setup has closed values itself, so the Windows Installer
        // need not look for programs holding files.
        if (choice.action == UPDATE_INSTALLED)
            Append(properties, 128,
                   L"REINSTALL=ALL REINSTALLMODE=vomus MSIRESTARTMANAGERCONTROL=Disable");
        result = RunInOwnWindow(choice, properties);
    }
    if (MsiQueryProductStateW(PRODUCT_CODE) != INSTALLSTATE_DEFAULT)
        ForgetPackage();
    else if (choice.action == UPDATE_INSTALLED &&
             (result == ERROR_SUCCESS || result == ERROR_SUCCESS_REBOOT_REQUIRED))
        ForgetOlderPackages();
    return result;
}

#ifdef _MSC_VER
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    setupInstance = instance;
    return static_cast<int>(RunSetup());
}
#else
// Nothing of the C runtime is used, so its start-up code is left out, and
// this is where the program starts.
extern "C" void WinMainCRTStartup()
{
    setupInstance = GetModuleHandleW(nullptr);
    ExitProcess(RunSetup());
}
#endif
