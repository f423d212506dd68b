#include "StateFile.h"

#include "ProjectState.h"
#include "SafeFile.h"
#include "StartFolder.h"
#include "StateCodec.h"

#include <windows.h>

#include <cstring>

// A path that does not fit the 260-byte buffer is refused rather than cut:
// cut, it would name some other file.
static bool FitsPathBuffer(const char* path)
{
    if (std::strlen(path) < PATH_SIZE)
        return true;
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

int SaveStateImage(const unsigned char* image, WriteFailure* failure)
{
    return KeepWholeFile(statePath, image, STATE_IMAGE_SIZE, failure);
}

int SaveState(const char* path)
{
    const bool withPaths = path == nullptr;
    if (path && !FitsPathBuffer(path))
        return 0;
    unsigned char image[STATE_IMAGE_SIZE];
    EncodeState(project, withPaths, image);
    return withPaths ? SaveStateImage(image) : WriteWholeFile(path, image, PROJECT_IMAGE_SIZE);
}

int LoadState(const char* path)
{
    const bool withPaths = path == nullptr;
    if (path && !FitsPathBuffer(path))
        return 0;
    unsigned char image[STATE_IMAGE_SIZE];
    const std::size_t size = StateImageSize(withPaths);
    const long got = ReadFileStart(withPaths ? statePath : path, image, size);
    if (got < 0)
        return 0;
    if (DecodeState(image, static_cast<std::size_t>(got), withPaths, project))
        return 1;
    SetLastError(ERROR_INVALID_DATA); // read, but too short to be the layout
    return 0;
}
