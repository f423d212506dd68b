// Libraries values loads itself are taken from the system folder by full
// path: a library of the same name in the folder values started in (a
// download folder, a share) is never loaded in its place.
#include "SystemLibrary.h"

#include <cstring>

HMODULE LoadSystemLibrary(const char* name)
{
    char path[MAX_PATH + 32];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || std::strlen(name) > 30)
        return nullptr;
    path[length] = '\\';
    std::strcpy(path + length + 1, name);
    return LoadLibraryA(path);
}
