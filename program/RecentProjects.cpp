// The File menu's list of recent projects: the last four opened or saved,
// newest first, kept per user in the registry under the publisher's key as
// the values "1" to "4". It is read when the File menu opens, so that a
// start reads nothing more than before.
#include "RecentProjects.h"

#include "FileErrors.h"
#include "FileNames.h"
#include "ProjectCommands.h"

#include "resource.h"

#include <cstdio>
#include <cstring>

static const char RECENT_KEY[] = "Software\\" VALUES_PUBLISHER "\\values\\Recent Projects";
// How many characters of a path the menu shows; a longer one has its folder
// shortened to fit.
constexpr int MENU_PATH_CHARACTERS = 48;

typedef char RecentList[RECENT_PROJECTS][MAX_PATH];

// The list as kept; a value that is missing, not text or too long for a
// path ends it. A name that is not a project's, which an earlier version
// may have listed, is left out.
static int ReadRecent(RecentList paths)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RECENT_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    int count = 0;
    for (int i = 0; i < RECENT_PROJECTS; i++)
    {
        const char name[2] = {static_cast<char>('1' + i), '\0'};
        DWORD type = 0;
        DWORD size = MAX_PATH - 1;
        std::memset(paths[count], 0, MAX_PATH);
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(paths[count]),
                             &size) != ERROR_SUCCESS ||
            type != REG_SZ || !paths[count][0])
            break;
        if (IsProjectName(paths[count]))
            count++;
    }
    RegCloseKey(key);
    return count;
}

static void WriteRecent(RecentList paths, int count)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, RECENT_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < RECENT_PROJECTS; i++)
    {
        const char name[2] = {static_cast<char>('1' + i), '\0'};
        if (i < count)
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(paths[i]),
                           static_cast<DWORD>(std::strlen(paths[i]) + 1));
        else
            RegDeleteValueA(key, name);
    }
    RegCloseKey(key);
}

// Takes a path off the list, compared as Windows compares file names: one
// file under another letter case is the same file.
static int Remove(RecentList paths, int count, const char* path)
{
    int kept = 0;
    for (int i = 0; i < count; i++)
    {
        if (!SameFileName(paths[i], path))
            std::memmove(paths[kept++], paths[i], MAX_PATH);
    }
    return kept;
}

void AddRecentProject(const char* path)
{
    if (std::strlen(path) >= MAX_PATH || !IsProjectName(path))
        return;
    RecentList paths;
    int count = Remove(paths, ReadRecent(paths), path);
    if (count == RECENT_PROJECTS)
        count--;
    std::memmove(paths[1], paths[0], static_cast<std::size_t>(count) * MAX_PATH);
    std::strcpy(paths[0], path);
    WriteRecent(paths, count + 1);
}

// The menu's text for a path: "&1 " and the path; a long one keeps its root
// ("C:\" or "\\server\share\") and as much of its end as fits, from a
// separator on: "C:\...\folder\name.prj". Each ampersand is doubled, so
// that it is shown rather than taken for an access key. Characters, not
// bytes, are counted, for double-byte code pages.
static void MenuText(int index, const char* path, char* text, int size)
{
    const char* rootEnd = path + RootLength(path);
    int characters = 0;
    int rootCharacters = 0;
    for (const char* p = path; *p; p = CharNextA(p))
    {
        if (p == rootEnd)
            rootCharacters = characters;
        characters++;
    }
    // The first separator from which the rest fits, or else the last one:
    // the file name is always shown whole.
    const char* tail = rootEnd;
    if (characters > MENU_PATH_CHARACTERS && rootEnd != path)
    {
        int at = rootCharacters;
        for (const char* p = rootEnd; *p; p = CharNextA(p), at++)
        {
            if (!IsSeparator(*p))
                continue;
            tail = p;
            if (rootCharacters + 3 + characters - at <= MENU_PATH_CHARACTERS)
                break;
        }
    }
    int n = std::snprintf(text, static_cast<std::size_t>(size), "&%d ", index + 1);
    const auto append = [&](const char* from, const char* to)
    {
        for (const char* c = from; c < to && n < size - 2; c++)
        {
            if (*c == '&')
                text[n++] = '&';
            text[n++] = *c;
        }
    };
    append(path, rootEnd);
    if (tail != rootEnd)
        append("...", "..." + 3);
    append(tail, tail + std::strlen(tail));
    text[n] = '\0';
}

void ShowRecentProjects(HMENU fileMenu)
{
    DeleteMenu(fileMenu, IDM_RECENT_SEPARATOR, MF_BYCOMMAND);
    for (int i = 0; i < RECENT_PROJECTS; i++)
        DeleteMenu(fileMenu, IDM_RECENT_PROJECT + i, MF_BYCOMMAND);
    RecentList paths;
    const int count = ReadRecent(paths);
    if (count == 0)
        return; // the menu as it always was
    for (int i = 0; i < count; i++)
    {
        char text[2 * MAX_PATH + 8];
        MenuText(i, paths[i], text, sizeof text);
        InsertMenuA(fileMenu, IDM_EXIT, MF_BYCOMMAND | MF_STRING, IDM_RECENT_PROJECT + i, text);
    }
    InsertMenuA(fileMenu, IDM_EXIT, MF_BYCOMMAND | MF_SEPARATOR, IDM_RECENT_SEPARATOR, nullptr);
}

// A project that is gone leaves the list; one that is only not available
// now (held by another program, refused, on a drive or share not there
// now) stays. The user has been told which.
void OpenRecentProject(HWND window, int index)
{
    RecentList paths;
    if (index < 0 || index >= ReadRecent(paths))
        return;
    if (!ProjectGone(OpenProjectFile(window, paths[index], true)))
        return;
    RecentList now;
    WriteRecent(now, Remove(now, ReadRecent(now), paths[index]));
}
