// Whole-file reads and writes over the Windows file API. A save never leaves
// a half-written file behind: the bytes go to a new temporary file in the
// same folder, which then replaces the target in one step.
#pragma once

#include <cstddef>

// Returns 1 when path now holds exactly these bytes; 0 when anything failed,
// and then path is as it was, no temporary file is left, and GetLastError()
// tells why: ERROR_ACCESS_DENIED for a read-only file, ERROR_DISK_FULL for a
// write cut short. A path too long for Windows, or a folder too long for the
// temporary file's name beside the target, fails with
// ERROR_FILENAME_EXCED_RANGE. The temporary file gets a new unique name
// ("valXXXX.tmp").
int WriteWholeFile(const char* path, const unsigned char* bytes, std::size_t size);

// Why a kept file was not written: the error, and the temporary file that
// could not be made or written, or "" when the target itself refused.
struct WriteFailure
{
    unsigned long error;
    char temporary[260];
};

// The same for the files values keeps in its start folder and writes again
// and again while it runs. Their temporary file is named after the target
// and this process ("Values.dat.1f4.tmp"), so that two writers (two sessions,
// two machines on a share) never meet, and whatever a killed run left can be
// told apart and removed at the next start. failure, when given, says which
// file failed.
int KeepWholeFile(const char* path, const unsigned char* bytes, std::size_t size,
                  WriteFailure* failure = nullptr);

// Removes the temporary files a killed run of values left beside path: only
// names of the pattern KeepWholeFile makes, only plain files, and only those
// no program holds open (a write in progress holds its own).
void RemoveLeftoverTemporaries(const char* path);

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
