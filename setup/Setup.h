// values-<version>-setup.exe: the package of one version of values, and the
// way to install it, update an older version with it, or repair or remove
// it. No C runtime: the Windows API alone, and wide text throughout, for
// paths may hold any character.
#pragma once

#include "SetupChoice.h"

#include <windows.h>

constexpr wchar_t SETUP_TITLE[] = L"values Setup";
constexpr int VERSION_SIZE = 32;

extern HINSTANCE setupInstance;
extern SetupSwitches switches;
// The version this setup carries, and the one installed ("" when none).
extern wchar_t carriedVersion[VERSION_SIZE];
extern wchar_t installedVersion[VERSION_SIZE];

// Appends text to a path or message of size characters; false, leaving it
// as it was, when it does not fit.
bool Append(wchar_t* to, int size, const wchar_t* text);
// A message box of the setup, unless /quiet asked for no window at all.
int Tell(HWND owner, const wchar_t* text, UINT type);

// Where the package stays: a folder of the user's own package cache, from
// which it is installed, so that a later repair finds it there. CachePackage
// writes it out (false when it cannot, with nothing left behind);
// ForgetOlderPackages, after an update, removes the versions before it;
// ForgetPackage, when values is not installed after all, removes the folder.
extern wchar_t cachedPackage[MAX_PATH];
bool CachePackage();
void ForgetOlderPackages();
void ForgetPackage();

// values running from the installed folder, closed before an update as the
// restart manager closes programs, and started again afterwards in the
// folders they had started in. CloseRunningValues answers how far it came;
// what was held is in heldFile. The asking window hands each answer to the
// question about the start folder on to TakeAnsweredFolder.
enum ClosingOutcome
{
    ALL_CLOSED,
    VALUES_DOES_NOT_CLOSE,
    FILE_HELD
};
extern wchar_t heldFile[MAX_PATH];
ClosingOutcome CloseRunningValues(HWND asker);
BOOL TakeAnsweredFolder(HWND sender, const COPYDATASTRUCT* data);
void StartValuesAgain();

// Installs or updates in the setup's own window, with the Windows Installer's
// own windows left out: the question (when the choice shows one), the
// progress bar, the one line at the end; nothing at all for /quiet. Its
// answer is the exit code.
UINT RunInOwnWindow(SetupChoice choice, const wchar_t* properties);
