#include "StartFolderQuestion.h"

const wchar_t* AnsweredFolder(std::uintptr_t tag, const void* data, std::size_t length)
{
    const std::size_t count = length / sizeof(wchar_t);
    if (tag != START_FOLDER_ANSWER || !data || length % sizeof(wchar_t) != 0 || count < 2 ||
        count > START_FOLDER_SIZE)
        return nullptr;
    const wchar_t* folder = static_cast<const wchar_t*>(data);
    for (std::size_t i = 0; i + 1 < count; i++)
    {
        if (folder[i] == L'\0')
            return nullptr;
    }
    return folder[count - 1] == L'\0' ? folder : nullptr;
}
