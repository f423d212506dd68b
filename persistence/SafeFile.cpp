#include "SafeFile.h"

#include <windows.h>

#include <cstring>

std::size_t FileNameOffset(const char* path)
{
    std::size_t offset = 0;
    for (const char* p = path; *p; p = CharNextA(p))
    {
        if (*p == '\\' || *p == '/')
            offset = static_cast<std::size_t>(p - path) + 1;
    }
    return offset;
}

// The folder part of path, for the temporary file: everything up to the last
// separator, or "." for a bare file name in the working directory.
static bool FolderOf(const char* path, char* folder, std::size_t size)
{
    const std::size_t name = FileNameOffset(path);
    if (name == 0)
    {
        std::strcpy(folder, ".");
        return true;
    }
    std::size_t length = name - 1;
    if (length == 0 || (length == 2 && path[1] == ':'))
        length++; // keep the root's own separator: "\" or "C:\"
    if (length >= size)
        return false;
    std::memcpy(folder, path, length);
    folder[length] = '\0';
    return true;
}

static bool WriteAll(HANDLE file, const unsigned char* bytes, std::size_t size)
{
    while (size > 0)
    {
        const DWORD chunk = size > 0x10000 ? 0x10000 : static_cast<DWORD>(size);
        DWORD written = 0;
        // A full disk shows up as a short count, not always as a failure.
        if (!WriteFile(file, bytes, chunk, &written, nullptr))
            return false;
        if (written != chunk)
        {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        bytes += chunk;
        size -= chunk;
    }
    return true;
}

// GetTempFileName makes a name of up to 14 characters (a separator,
// "val", four hex digits, ".tmp") after the folder, and refuses a folder
// that leaves no room for it.
constexpr std::size_t TEMPORARY_NAME_ROOM = 14;

// A target that another program has open is refused as one values may not
// write is, with ERROR_ACCESS_DENIED; opened as the replace opens it, the
// file tells the two apart.
static DWORD ReplaceError(const char* path, DWORD error)
{
    if (error != ERROR_ACCESS_DENIED)
        return error;
    HANDLE file = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
    {
        CloseHandle(file);
        return error;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION : error;
}

// A failed save takes its temporary file away, and keeps the error that
// failed it for the caller, never one from before.
static int Abandon(const char* temporary)
{
    const DWORD error = GetLastError();
    DeleteFileA(temporary);
    SetLastError(error);
    return 0;
}

// A fixed temporary name fits when it does; a unique one needs room after
// the folder.
static bool FitsTemporary(const char* path, const char* fixed, char* folder)
{
    if (fixed)
        return std::strlen(fixed) < MAX_PATH;
    return FolderOf(path, folder, MAX_PATH) &&
           std::strlen(folder) <= MAX_PATH - TEMPORARY_NAME_ROOM;
}

int WriteWholeFile(const char* path, const unsigned char* bytes, std::size_t size,
                   const char* fixedTemporary)
{
    char folder[MAX_PATH];
    char temporary[MAX_PATH];
    if (!path || !*path)
        return 0;
    if (std::strlen(path) >= MAX_PATH || !FitsTemporary(path, fixedTemporary, folder))
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    // Windows refuses to replace a read-only file; say so here too, so that
    // no file system lets a save overwrite what the user protected.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    if (fixedTemporary)
        std::strcpy(temporary, fixedTemporary);
    else if (!GetTempFileNameA(folder, "val", 0, temporary))
        return 0; // no such folder, or not writable

    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Abandon(temporary);
    const bool written = WriteAll(file, bytes, size) && FlushFileBuffers(file);
    const DWORD error = GetLastError();
    const bool closed = CloseHandle(file);
    if (!written)
        SetLastError(error);

    if (!written || !closed)
        return Abandon(temporary);
    // One step: the target holds either its old bytes or all the new ones.
    if (!MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        SetLastError(ReplaceError(path, GetLastError()));
        return Abandon(temporary);
    }
    return 1;
}

long ReadFileStart(const char* path, unsigned char* bytes, std::size_t size)
{
    if (!path || !*path)
        return -1;
    // Read sharing: a virus scanner, a backup or an editor that has the file
    // open for reading is not pushed away, nor does it keep values out.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    std::size_t total = 0;
    DWORD error = ERROR_SUCCESS;
    while (total < size)
    {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(size - total);
        if (!ReadFile(file, bytes + total, want, &got, nullptr))
        {
            error = GetLastError();
            break;
        }
        if (got == 0)
            break; // end of file
        total += got;
    }
    CloseHandle(file);
    if (error == ERROR_SUCCESS)
        return static_cast<long>(total);
    SetLastError(error);
    return -1;
}
