#include "StartFolder.h"

#include "SafeFile.h"
#include "StateFile.h"
#include "WindowSettings.h"

#include <cstdio>
#include <cstring>
#include <iterator>

char startFolder[MAX_PATH];
char statePath[START_PATH_SIZE];
char settingsPath[START_PATH_SIZE];
char editIconPath[START_PATH_SIZE];
char deleteIconPath[START_PATH_SIZE];

// A root ("C:\") already ends in its separator; other folders do not. The
// last character is found by character, not by byte: in a double-byte code
// page the second byte of a character may be the backslash's.
static void MakePath(char* path, const char* name)
{
    const char* last = CharPrevA(startFolder, startFolder + std::strlen(startFolder));
    const char* separator = *last == '\\' ? "" : "\\";
    std::snprintf(path, START_PATH_SIZE, "%s%s%s", startFolder, separator, name);
}

bool TakeStartFolder()
{
    const DWORD length = GetCurrentDirectoryA(sizeof startFolder, startFolder);
    const bool known = length > 0 && length < sizeof startFolder;
    if (!known)
        std::strcpy(startFolder, ".");
    MakePath(statePath, STATE_FILE_NAME);
    MakePath(settingsPath, WINDOW_SETTINGS_FILE_NAME);
    MakePath(editIconPath, "edit.ico");
    MakePath(deleteIconPath, "delete.ico");
    return known;
}

void RemoveLeftovers()
{
    RemoveLeftoverTemporaries(statePath);
    RemoveLeftoverTemporaries(settingsPath);
    char earlier[START_PATH_SIZE];
    MakePath(earlier, "Values.tmp");
    const DWORD attributes = GetFileAttributesA(earlier);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        DeleteFileA(earlier);
}

// values.exe /folder "FOLDER": Windows keeps the command line as wide text,
// so the start folder is converted from the ANSI code page, whose
// double-byte characters may end in the backslash's byte. Windows starts a
// program again only when it had run for a minute, and only where the
// user's sign-in option to restart apps is on.
bool RegisterForRestart()
{
    static const wchar_t SWITCH[] = L"/folder \"";
    constexpr int SWITCH_LENGTH = static_cast<int>(std::size(SWITCH)) - 1;
    if (std::strcmp(startFolder, ".") == 0)
        return false; // the folder is not known, so neither is where to come back
    wchar_t line[SWITCH_LENGTH + MAX_PATH + 2];
    std::memcpy(line, SWITCH, SWITCH_LENGTH * sizeof(wchar_t));
    const int converted = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, startFolder, -1,
                                              line + SWITCH_LENGTH, MAX_PATH);
    if (converted <= 1)
        return false;
    line[SWITCH_LENGTH + converted - 1] = L'"';
    line[SWITCH_LENGTH + converted] = L'\0';
    return SUCCEEDED(RegisterApplicationRestart(line, RESTART_NO_CRASH | RESTART_NO_HANG));
}
