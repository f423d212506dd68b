#include "SafeFile.h"

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

// The rename below hands Windows a record whose name starts after a handle:
// at 12 bytes on 32-bit Windows, at 20 on 64-bit.
static_assert(offsetof(FILE_RENAME_INFO, FileName) == (sizeof(void*) == 4 ? 12 : 20),
              "FILE_RENAME_INFO as Windows reads it");
static_assert(sizeof(WriteFailure::temporary) == MAX_PATH, "a temporary path fits MAX_PATH");

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

// The temporary file is held open, shared with no one, from its creation to
// its rename onto the target: no other program can write it, and no other
// values can take it for a leftover and delete it. Both the rename and a
// failed save's removal go through that one handle.
static HANDLE OpenTemporary(const char* temporary, DWORD creation)
{
    return CreateFileA(temporary, GENERIC_WRITE | DELETE, 0, nullptr, creation,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A failed save takes its temporary file away, and keeps the error that
// failed it for the caller, never one from before.
static int Abandon(HANDLE file, const char* temporary)
{
    const DWORD error = GetLastError();
    FILE_DISPOSITION_INFO remove = {TRUE};
    const bool removed =
        SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
    CloseHandle(file);
    if (!removed)
        DeleteFileA(temporary);
    SetLastError(error);
    return 0;
}

// Replaces path with the temporary file in one step: the target holds
// either its old bytes or all the new ones.
static bool RenameOnto(HANDLE file, const char* path)
{
    union
    {
        FILE_RENAME_INFO info;
        unsigned char room[sizeof(FILE_RENAME_INFO) + 2 * MAX_PATH * sizeof(wchar_t)];
    } rename = {};
    wchar_t wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH))
        return false;
    const DWORD room = 2 * MAX_PATH;
    const DWORD length = GetFullPathNameW(wide, room, rename.info.FileName, nullptr);
    if (length == 0 || length >= room)
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    rename.info.ReplaceIfExists = TRUE;
    rename.info.FileNameLength = length * sizeof(wchar_t);
    return SetFileInformationByHandle(file, FileRenameInfo, &rename, sizeof rename) != FALSE;
}

// Windows refuses to replace a read-only file; say so here too, so that no
// file system lets a save overwrite what the user protected.
static bool MayReplace(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

static void Fail(WriteFailure* failure, const char* temporary)
{
    if (!failure)
        return;
    failure->error = GetLastError();
    std::snprintf(failure->temporary, sizeof failure->temporary, "%s", temporary);
}

// Writes, flushes and renames an open temporary file onto path; on a
// failure, the temporary file is gone and failure names it when the failure
// was its own (a full disk, a write refused), not the target's.
static int WriteThrough(HANDLE file, const char* temporary, const char* path,
                        const unsigned char* bytes, std::size_t size, WriteFailure* failure)
{
    if (!WriteAll(file, bytes, size) || !FlushFileBuffers(file))
    {
        Fail(failure, temporary);
        return Abandon(file, temporary);
    }
    if (!RenameOnto(file, path))
    {
        SetLastError(ReplaceError(path, GetLastError()));
        Fail(failure, "");
        return Abandon(file, temporary);
    }
    CloseHandle(file);
    return 1;
}

int WriteWholeFile(const char* path, const unsigned char* bytes, std::size_t size)
{
    char folder[MAX_PATH];
    char temporary[MAX_PATH];
    if (!path || !*path)
        return 0;
    if (std::strlen(path) >= MAX_PATH || !FolderOf(path, folder, sizeof folder) ||
        std::strlen(folder) > MAX_PATH - TEMPORARY_NAME_ROOM)
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    if (!MayReplace(path))
        return 0;
    // GetTempFileName makes the file under a name no file had.
    if (!GetTempFileNameA(folder, "val", 0, temporary))
        return 0; // no such folder, or not writable
    HANDLE file = OpenTemporary(temporary, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
    {
        const DWORD error = GetLastError();
        DeleteFileA(temporary);
        SetLastError(error);
        return 0;
    }
    return WriteThrough(file, temporary, path, bytes, size, nullptr);
}

// A kept file's temporary names: "Values.dat.1f4.tmp" for process 0x1f4, and
// "Values.dat.1f4-1.tmp" and on when a name is taken. A taken name (a file
// of another program, read-only or held; a folder) is passed over, never
// written through or deleted.
constexpr int TEMPORARY_TRIES = 16;

static bool TemporaryName(const char* path, int attempt, char* name)
{
    const unsigned long process = GetCurrentProcessId();
    const int length = attempt == 0
                           ? std::snprintf(name, MAX_PATH, "%s.%lx.tmp", path, process)
                           : std::snprintf(name, MAX_PATH, "%s.%lx-%d.tmp", path, process, attempt);
    return length > 0 && length < MAX_PATH;
}

int KeepWholeFile(const char* path, const unsigned char* bytes, std::size_t size,
                  WriteFailure* failure)
{
    char temporary[MAX_PATH] = "";
    if (!path || !*path)
        return 0;
    if (std::strlen(path) >= MAX_PATH || !TemporaryName(path, 0, temporary))
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        Fail(failure, "");
        return 0;
    }
    if (!MayReplace(path))
    {
        Fail(failure, "");
        return 0;
    }
    for (int attempt = 1; attempt <= TEMPORARY_TRIES; attempt++)
    {
        HANDLE file = OpenTemporary(temporary, CREATE_NEW);
        if (file != INVALID_HANDLE_VALUE)
            return WriteThrough(file, temporary, path, bytes, size, failure);
        const DWORD error = GetLastError();
        if (GetFileAttributesA(temporary) == INVALID_FILE_ATTRIBUTES)
        {
            SetLastError(error); // not taken: the folder refuses new files
            break;
        }
        SetLastError(ERROR_FILE_EXISTS);
        if (attempt < TEMPORARY_TRIES && !TemporaryName(path, attempt, temporary))
        {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            break;
        }
    }
    Fail(failure, temporary);
    return 0;
}

// Whether name is one KeepWholeFile gives the file called target: the
// target's name, a dot, hex digits, optionally a dash and digits, ".tmp".
static bool OurTemporaryName(const char* name, const char* target)
{
    const std::size_t length = std::strlen(target);
    if (_strnicmp(name, target, length) != 0 || name[length] != '.')
        return false;
    const char* p = name + length + 1;
    const char* digits = p;
    while ((*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'f'))
        ++p;
    if (p == digits || p - digits > 8)
        return false;
    if (*p == '-')
    {
        const char* attempt = ++p;
        while (*p >= '0' && *p <= '9')
            ++p;
        if (p == attempt)
            return false;
    }
    return _stricmp(p, ".tmp") == 0;
}

void RemoveLeftoverTemporaries(const char* path)
{
    char pattern[MAX_PATH + 8];
    char leftover[MAX_PATH];
    const std::size_t nameOffset = FileNameOffset(path);
    const int length = std::snprintf(pattern, sizeof pattern, "%s.*.tmp", path);
    if (length <= 0 || length >= MAX_PATH)
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
    {
        // A read-only file or a folder is nobody's leftover but the user's;
        // a file a write holds open fails to delete, and stays.
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (!OurTemporaryName(found.cFileName, path + nameOffset))
            continue;
        const int full = std::snprintf(leftover, sizeof leftover, "%.*s%s",
                                       static_cast<int>(nameOffset), path, found.cFileName);
        if (full > 0 && full < MAX_PATH)
            DeleteFileA(leftover);
    } while (FindNextFileA(search, &found));
    FindClose(search);
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
