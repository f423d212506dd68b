// Paths as Windows reads them.
#pragma once

#include <cstddef>

// Paths as long as Windows makes them: what a file dialog or the command line
// may hand over. values itself takes paths of fewer than PATH_SIZE bytes,
// and names a longer one to the user rather than cutting it.
constexpr int LONG_PATH_SIZE = 32768;

inline bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}
// A path in the form Windows compares file names in: converted with the ANSI
// code page, upper-cased as wide characters one by one; with longForm, its
// 8.3 names made long first where they exist. Its length, or 0 when the path
// does not convert into size - 1 characters. SameFileName compares two paths
// so, ordinally.
int FileNameKey(const char* path, wchar_t* key, int size, bool longForm);
bool SameFileName(const char* a, const char* b);
// Whether the file's name ends in ".prj", the only files values opens by path
// and lists as recent.
bool IsProjectName(const char* path);
// The bytes of a full path's root, its separator included: "C:\" or
// "\\server\share\"; 0 without one.
std::size_t RootLength(const char* path);
