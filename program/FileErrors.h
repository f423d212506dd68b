// Why a file could not be read or written, from the error Windows gave, for
// a message to the user.
#pragma once

#include <windows.h>

// ReadError tells a file that is gone from one whose drive or share is not
// there now (ERROR_DEV_NOT_EXIST); ProjectGone: whether a project that failed
// so is gone for good, not there while its drive answers, or not a project.
extern const char PATH_TOO_LONG[];
DWORD ReadError(const char* path, DWORD error);
bool ProjectGone(DWORD error);
const char* WhyNotOpened(DWORD error);
const char* WhyNotSaved(DWORD error);
