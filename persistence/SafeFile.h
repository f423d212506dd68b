// Whole-file reads and writes over the Windows file API. A save never leaves
// a half-written file behind: the bytes go to a temporary file in the same
// folder, which then replaces the target in one step.
#pragma once

#include <cstddef>

// Returns 1 when path now holds exactly these bytes; 0 when anything failed,
// and then path is as it was, no temporary file is left, and GetLastError()
// tells why: ERROR_ACCESS_DENIED for a read-only file, ERROR_DISK_FULL for a
// write cut short. A path too long for Windows, or a folder too long for the
// temporary file's name beside the target, fails with
// ERROR_FILENAME_EXCED_RANGE.
//
// The temporary file gets a new unique name in the target's folder, or the
// fixed name given, in the same folder. A fixed name is for files written
// again and again while values runs: a write cut short by a kill leaves that
// one file, which the next write replaces, where unique names would pile up.
int WriteWholeFile(const char* path, const unsigned char* bytes, std::size_t size,
                   const char* temporary = nullptr);

// Reads at most size bytes from the start of path. Other programs may go on
// reading it meanwhile; one writing it makes the read fail. Returns the
// number of bytes read, or -1 when the file cannot be opened or read, with
// GetLastError() telling why (ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND
// when there is no such file).
long ReadFileStart(const char* path, unsigned char* bytes, std::size_t size);

// Where the file name starts in path: just after the last '\\' or '/', or 0
// when there is none. The path is read character by character in the ANSI
// code page, for in a double-byte one such as 932 (Japanese) the second byte
// of a character may be 0x5C, the backslash.
std::size_t FileNameOffset(const char* path);
