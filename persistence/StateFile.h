// The state file "Values.dat" and project files.
#pragma once

// The state file, in the folder values started in (StartFolder.h).
#define STATE_FILE_NAME "Values.dat"

// Without a path, the whole state (with the project's title and folder) goes
// to or comes from the state file; with a path, a project file (values and
// ranges only). Both return 1 only when the whole image was written or read;
// a failed save leaves the old file as it was, a failed load leaves the state
// as it was. After a failure GetLastError() tells why: ERROR_FILE_NOT_FOUND
// or ERROR_PATH_NOT_FOUND when there is no file to load,
// ERROR_INVALID_DATA for a file too short for its layout,
// ERROR_FILENAME_EXCED_RANGE for a path too long.
int SaveState(const char* path);
int LoadState(const char* path);

// Writes the state file from an image already made (EncodeState with the
// paths), as SaveState(nullptr) does; failure, when given, says which file
// failed and why (SafeFile.h).
struct WriteFailure;
int SaveStateImage(const unsigned char* image, WriteFailure* failure = nullptr);
