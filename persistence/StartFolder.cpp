#include "StartFolder.h"

#include "StateFile.h"
#include "WindowSettings.h"

#include <cstdio>
#include <cstring>

char startFolder[MAX_PATH];
char statePath[START_PATH_SIZE];
char settingsPath[START_PATH_SIZE];
char editIconPath[START_PATH_SIZE];
char deleteIconPath[START_PATH_SIZE];
char temporaryPath[START_PATH_SIZE];

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
    MakePath(temporaryPath, TEMPORARY_FILE_NAME);
    return known;
}
