// The state file "Values.dat" and project files.
#pragma once

// The state file, in the working directory.
#define STATE_FILE_NAME "Values.dat"

// Without a path, the whole state (with the project's title and folder) goes
// to or comes from STATE_FILE_NAME; with a path, a project file (values and
// ranges only). Both return 1 only when the whole image was written or read;
// a failed save leaves the old file as it was, a failed load leaves the state
// as it was.
int SaveState(const char* path);
int LoadState(const char* path);
