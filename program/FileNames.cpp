// Paths as Windows reads them: their roots, project names, and names
// compared as the file system compares them.
#include "FileNames.h"

#include "SafeFile.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

// Not as a language compares words: lstrcmpi takes "Straße" and "Strasse",
// two files to the file system, for one name. The file system compares the
// characters one by one, upper-cased, and so does this.
int FileNameKey(const char* path, wchar_t* key, int size, bool longForm)
{
    const int converted = MultiByteToWideChar(CP_ACP, 0, path, -1, key, size);
    if (converted <= 1)
        return 0;
    int length = converted - 1;
    if (longForm && length < MAX_PATH)
    {
        wchar_t given[MAX_PATH];
        std::wmemcpy(given, key, static_cast<std::size_t>(converted));
        const DWORD longLength = GetLongPathNameW(given, key, static_cast<DWORD>(size));
        if (longLength > 0 && longLength < static_cast<DWORD>(size))
            length = static_cast<int>(longLength);
        else
            std::wmemcpy(key, given, static_cast<std::size_t>(converted));
    }
    CharUpperBuffW(key, static_cast<DWORD>(length));
    return length;
}

bool SameFileName(const char* a, const char* b)
{
    wchar_t keyA[MAX_PATH];
    wchar_t keyB[MAX_PATH];
    if (!FileNameKey(a, keyA, MAX_PATH, false) || !FileNameKey(b, keyB, MAX_PATH, false))
        return std::strcmp(a, b) == 0;
    return std::wcscmp(keyA, keyB) == 0;
}

// The extension is found by character: in a double-byte code page the
// letters may be the second bytes of characters.
bool IsProjectName(const char* path)
{
    const char* extension = nullptr;
    for (const char* p = path + FileNameOffset(path); *p; p = CharNextA(p))
    {
        if (*p == '.')
            extension = p;
    }
    return extension && SameFileName(extension, ".prj");
}

std::size_t RootLength(const char* path)
{
    if (path[0] && path[1] == ':' && IsSeparator(path[2]))
        return 3;
    if (!IsSeparator(path[0]) || !IsSeparator(path[1]))
        return 0;
    int separators = 0;
    for (const char* p = path; *p; p = CharNextA(p))
    {
        if (IsSeparator(*p) && ++separators == 4)
            return static_cast<std::size_t>(p + 1 - path);
    }
    return std::strlen(path);
}
