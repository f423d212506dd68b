// Why a project, "Values.dat" or "Values.ini" could not be read or written,
// in the user's words, from the error Windows gave.
#include "FileErrors.h"

#include "FileNames.h"

#include <cstdio>

// A save needs room in the folder for its temporary file's name as well
// (SafeFile.h).
const char PATH_TOO_LONG[] =
    "The path is too long: values takes paths of at most 259 characters, and saves only into "
    "folders whose path has at most 246. Choose a shorter name, or a folder with a shorter path.";

static bool RootAnswers(const char* path)
{
    char root[MAX_PATH];
    const std::size_t length = RootLength(path);
    if (length == 0 || length >= sizeof root)
        return false;
    std::snprintf(root, sizeof root, "%.*s", static_cast<int>(length), path);
    return GetFileAttributesA(root) != INVALID_FILE_ATTRIBUTES;
}

// Windows says "path not found" for a drive that is not there, and Wine
// "file not found": either is taken to mean gone only while the drive or
// share answers.
DWORD ReadError(const char* path, DWORD error)
{
    if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && !RootAnswers(path))
        return ERROR_DEV_NOT_EXIST;
    return error;
}

bool ProjectGone(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_DATA;
}

static const char* WhyNot(DWORD error, bool writing)
{
    switch (error)
    {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "Another program is using it. Try again once that program has let it go.";
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return writing ? "values is not allowed to write it: it is read-only, or values may not "
                         "write in its folder."
                       : "values is not allowed to read it.";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return writing ? "Its folder is not there."
                       : "It is not there: it may have been moved, renamed or deleted.";
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
    case ERROR_NOT_READY:
    case ERROR_INVALID_DRIVE:
        return "Its drive or network share is not there now.";
    case ERROR_FILENAME_EXCED_RANGE:
        return PATH_TOO_LONG;
    case ERROR_INVALID_DATA:
        return "It is not a project file: it is too short to be one.";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "The disk is full.";
    }
    // Anything else in Windows' own words.
    static char said[400];
    char system[300] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_MAX_WIDTH_MASK,
                   nullptr, error, 0, system, sizeof system, nullptr);
    std::snprintf(said, sizeof said, "Windows says: %s(error %lu)", system, error);
    return said;
}

const char* WhyNotOpened(DWORD error)
{
    return WhyNot(error, false);
}

const char* WhyNotSaved(DWORD error)
{
    return WhyNot(error, true);
}
