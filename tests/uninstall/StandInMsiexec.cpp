// A stand-in for msiexec.exe, copied under that name beside Uninstall.exe in
// a test's own folder. It records what it was started with in "received.txt"
// in its own folder: its process id on the first line, then its command line
// after the program name, as WinMain would see it, in UTF-8. While a file
// "hold" lies beside it, it keeps running (at most a minute), as the real
// installer would.
#include <windows.h>

static const wchar_t* SkipProgramName(const wchar_t* p)
{
    if (*p == L'"')
    {
        ++p;
        while (*p != L'\0' && *p != L'"')
            ++p;
        if (*p == L'"')
            ++p;
    }
    else
    {
        while (*p != L'\0' && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

static bool WriteAll(HANDLE file, const char* bytes, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, bytes, size, &written, nullptr) && written == size;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t folder[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    wchar_t* slash = wcsrchr(folder, L'\\');
    if (slash == nullptr)
        return 1;
    slash[1] = L'\0';

    char text[4096];
    int used = wsprintfA(text, "%lu\n", GetCurrentProcessId());
    int converted = WideCharToMultiByte(CP_UTF8, 0, SkipProgramName(GetCommandLineW()), -1,
                                        text + used, sizeof text - used, nullptr, nullptr);
    if (converted == 0)
        return 1;

    // Written under another name and renamed, so that the test never reads
    // half a file.
    wchar_t part[MAX_PATH + 16], done[MAX_PATH + 16], hold[MAX_PATH + 16];
    wsprintfW(part, L"%sreceived.part", folder);
    wsprintfW(done, L"%sreceived.txt", folder);
    wsprintfW(hold, L"%shold", folder);
    HANDLE file =
        CreateFileW(part, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    bool written = WriteAll(file, text, used + converted - 1);
    CloseHandle(file);
    if (!written || !MoveFileExW(part, done, MOVEFILE_REPLACE_EXISTING))
        return 1;

    for (int waited = 0; waited < 60000 && GetFileAttributesW(hold) != INVALID_FILE_ATTRIBUTES;
         waited += 50)
        Sleep(50);
    return 0;
}
