#include "BenchSupport.h"

#include "ProjectState.h"
#include "RangeMapping.h"
#include "StateCodec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(double* samples, std::size_t count)
{
    if (!count)
        return 0;
    std::sort(samples, samples + count);
    return count % 2 ? samples[count / 2] : (samples[count / 2 - 1] + samples[count / 2]) / 2;
}

void ProgramFolder(char* folder, std::size_t size)
{
    DWORD length = GetModuleFileNameA(nullptr, folder, static_cast<DWORD>(size));
    while (length > 0 && folder[length - 1] != '\\' && folder[length - 1] != '/')
        length--;
    folder[length] = '\0';
}

bool MakeScratchFolder(const char* prefix, char* folder, std::size_t size)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // Wine hands out the same small process ids again, and a folder left by
    // a killed run may still be there: take the first name that is free.
    for (unsigned serial = 1; serial < 1000; serial++)
    {
        std::snprintf(folder, size, "%s%s-%lu-%u", temp, prefix, GetCurrentProcessId(), serial);
        if (CreateDirectoryA(folder, nullptr))
            return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

void RemoveScratchFolder(const char* folder)
{
    char pattern[MAX_PATH];
    std::snprintf(pattern, sizeof pattern, "%s\\*", folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            char path[MAX_PATH];
            std::snprintf(path, sizeof path, "%s\\%s", folder, found.cFileName);
            DeleteFileA(path);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder);
}

void CopyRowIcons(const char* folder)
{
    char programFolder[MAX_PATH];
    ProgramFolder(programFolder, sizeof programFolder);
    for (const char* icon : {"edit.ico", "delete.ico"})
    {
        char from[MAX_PATH];
        char to[MAX_PATH];
        std::snprintf(from, sizeof from, "%s%s", programFolder, icon);
        std::snprintf(to, sizeof to, "%s\\%s", folder, icon);
        CopyFileA(from, to, FALSE);
    }
}

void PutBenchState()
{
    static const char* const NAMES[RANGE_SLOTS] = {"Pressure", "Flow", "Level", "Speed", "Load"};
    std::memset(&project, 0, sizeof project);
    project.mainLow = 0;
    project.mainHigh = 100;
    project.localValue = 42.42;
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        CompressedRange& r = project.ranges[k];
        CopyText(r.name, sizeof r.name, NAMES[k]);
        r.inUse = 1;
        r.low = 10.0 * k - 5;
        r.high = 37.5 + 150.0 * k;
    }
    RecomputeValues(-1);
}

bool WriteBenchStateFile(const char* path)
{
    PutBenchState();
    unsigned char image[STATE_IMAGE_SIZE];
    EncodeState(project, true, image);
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, image, sizeof image, &written, nullptr);
    CloseHandle(file);
    return ok && written == sizeof image;
}
