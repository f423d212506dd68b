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
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written != chunk)
            return false;
        bytes += chunk;
        size -= chunk;
    }
    return true;
}

int WriteWholeFile(const char* path, const unsigned char* bytes, std::size_t size)
{
    char folder[MAX_PATH];
    char temporary[MAX_PATH];
    if (!path || !*path || !FolderOf(path, folder, sizeof folder))
        return 0;
    // Windows refuses to replace a read-only file; say so here too, so that
    // no file system lets a save overwrite what the user protected.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return 0;
    if (!GetTempFileNameA(folder, "val", 0, temporary))
        return 0; // no such folder, or not writable

    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        DeleteFileA(temporary);
        return 0;
    }
    bool written = WriteAll(file, bytes, size) && FlushFileBuffers(file);
    written = CloseHandle(file) && written;

    // One step: the target holds either its old bytes or all the new ones.
    if (!written ||
        !MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        DeleteFileA(temporary);
        return 0;
    }
    return 1;
}

long ReadFileStart(const char* path, unsigned char* bytes, std::size_t size)
{
    if (!path || !*path)
        return -1;
    HANDLE file =
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    std::size_t total = 0;
    bool failed = false;
    while (total < size)
    {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(size - total);
        if (!ReadFile(file, bytes + total, want, &got, nullptr))
        {
            failed = true;
            break;
        }
        if (got == 0)
            break; // end of file
        total += got;
    }
    CloseHandle(file);
    return failed ? -1 : static_cast<long>(total);
}
