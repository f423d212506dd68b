// Where the package stays. Windows keeps only a copy of an installed package
// without its files, so a later repair (from Apps & features, or through
// Uninstall.exe) needs the package it was installed from, where it was. So
// the setup never installs from a temporary folder that is cleaned away, but
// from the user's own package cache, as bundle engines do:
//   %LOCALAPPDATA%\Package Cache\{product code}\values-<version>.msi
// The package removes that folder when values is removed.
#include "Setup.h"

#include "ProductCode.h"
#include "SetupResource.h"

#include <shlobj.h>

wchar_t cachedPackage[MAX_PATH];
static wchar_t cacheFolder[MAX_PATH];
static wchar_t cacheParent[MAX_PATH];

// The three paths; false when they do not fit.
static bool MakeCachePaths()
{
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, cacheParent)) ||
        !Append(cacheParent, MAX_PATH, L"\\Package Cache"))
        return false;
    lstrcpyW(cacheFolder, cacheParent);
    if (!Append(cacheFolder, MAX_PATH, L"\\" PRODUCT_CODE))
        return false;
    lstrcpyW(cachedPackage, cacheFolder);
    return Append(cachedPackage, MAX_PATH, L"\\values-") &&
           Append(cachedPackage, MAX_PATH, carriedVersion) &&
           Append(cachedPackage, MAX_PATH, L".msi");
}

static bool MakeFolder(const wchar_t* folder)
{
    return CreateDirectoryW(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The package is written beside its place under another name, flushed, and
// then takes its place in one step: a package cut short is never found there.
bool CachePackage()
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(SETUP_PACKAGE), RT_RCDATA);
    const void* package = found ? LockResource(LoadResource(nullptr, found)) : nullptr;
    const DWORD size = found ? SizeofResource(nullptr, found) : 0;
    if (!package || !size)
    {
        SetLastError(ERROR_FILE_CORRUPT);
        return false;
    }
    wchar_t part[MAX_PATH];
    part[0] = L'\0';
    if (!MakeCachePaths() || !Append(part, MAX_PATH, cachedPackage) ||
        !Append(part, MAX_PATH, L".part"))
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    if (!MakeFolder(cacheParent) || !MakeFolder(cacheFolder))
        return false;
    HANDLE file =
        CreateFileW(part, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, package, size, &written, nullptr) && written == size &&
                       FlushFileBuffers(file);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (whole && MoveFileExW(part, cachedPackage, MOVEFILE_REPLACE_EXISTING))
        return true;
    const DWORD why = whole ? GetLastError() : error;
    DeleteFileW(part);
    SetLastError(why);
    return false;
}

void ForgetOlderPackages()
{
    wchar_t pattern[MAX_PATH];
    lstrcpyW(pattern, cacheFolder);
    if (!Append(pattern, MAX_PATH, L"\\*.msi"))
        return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    const wchar_t* ours = cachedPackage + lstrlenW(cacheFolder) + 1;
    do
    {
        wchar_t path[MAX_PATH];
        lstrcpyW(path, cacheFolder);
        if (lstrcmpiW(found.cFileName, ours) != 0 && Append(path, MAX_PATH, L"\\") &&
            Append(path, MAX_PATH, found.cFileName))
            DeleteFileW(path);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// Each folder goes only when nothing else is left in it.
void ForgetPackage()
{
    DeleteFileW(cachedPackage);
    RemoveDirectoryW(cacheFolder);
    RemoveDirectoryW(cacheParent);
}
