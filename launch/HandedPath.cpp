#include "HandedPath.h"

#include <cstring>

const char* HandedPath(std::uintptr_t tag, const void* data, std::size_t length)
{
    if (tag != HAND_PROJECT || !data || length < 2 || length > HANDED_PATH_SIZE)
        return nullptr;
    const char* path = static_cast<const char*>(data);
    if (path[length - 1] != '\0' || std::memchr(path, '\0', length - 1))
        return nullptr;
    return path;
}
