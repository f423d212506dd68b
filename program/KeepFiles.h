// The two files kept while values runs.
#pragma once

#include <windows.h>

// StartKeepingFiles takes what they hold now, once the window is filled.
// After each message that may change what they hold, FilesMayHaveChanged
// looks, and a change has them written about a second later (KeepFilesNow,
// on the two timers), or five seconds after the first change while changes
// keep coming. The write runs on a thread of its own, which posts
// WM_FILES_KEPT when done (FilesKept). A write that fails is tried again five
// seconds later, then after ever longer pauses up to a minute. The close
// pauses the keeping, which waits for the write under way, while it writes
// the files itself (KeepStateNow, KeepSettingsNow: on this thread, the files'
// new bytes recorded), and resumes it when it is called off.
constexpr UINT_PTR KEEP_QUIET_TIMER = 1;
constexpr UINT_PTR KEEP_LATEST_TIMER = 2;
struct WriteFailure;
void StartKeepingFiles(HWND window);
void FilesMayHaveChanged(HWND window);
void KeepFilesNow(HWND window);
void FilesKept(HWND window);
void PauseKeepingFiles(HWND window, bool pause);
int KeepStateNow(const unsigned char* image, WriteFailure* failure = nullptr);
int KeepSettingsNow(const unsigned char* image, WriteFailure* failure = nullptr);
