// The command line: values.exe [/folder FOLDER] [PROJECT].
//
// /folder makes FOLDER the working folder before anything else happens, as
// if values had been started there: its files, its row icons and its one
// window all follow it. The installed "Open with" command uses it, so that a
// project opened from Explorer keeps the values of the Start menu's window.
// PROJECT is opened once the window is there, as Open Project opens a file.
#include "Values.h"

#include "ProjectState.h"

#include <cstdio>
#include <cstring>

static const char USAGE[] =
    "Usage: values.exe [/folder FOLDER] [PROJECT]\n\n"
    "/folder FOLDER\tstarts values as if in FOLDER: it keeps its files there, and one "
    "window serves the folder.\n"
    "PROJECT\ta project file (.prj) to open.\n\n"
    "A path with spaces is written in double quotes.";

// The next word of the command line into word, at most size - 1 bytes; null
// at the end of the line. Words are split at spaces and tabs, and a double
// quote starts or ends a part that may hold them. Nothing else is special:
// a path cannot hold a double quote, and a backslash, which may end a folder
// ("C:\data\") or be the second byte of a double-byte character, stays as it
// is. Neither separator is ever the second byte of a character.
static const char* NextWord(const char* line, char* word, int size)
{
    while (*line == ' ' || *line == '\t')
        line++;
    if (!*line)
        return nullptr;
    int n = 0;
    bool quoted = false;
    for (; *line && (quoted || (*line != ' ' && *line != '\t')); line++)
    {
        if (*line == '"')
            quoted = !quoted;
        else if (n < size - 1)
            word[n++] = *line;
    }
    word[n] = '\0';
    return line;
}

// What is wrong (format, filled with what), and how values is started.
static void Refuse(const char* format, const char* what)
{
    char text[LONG_PATH_SIZE + sizeof USAGE + 200];
    const int n = std::snprintf(text, sizeof text, format, what);
    std::snprintf(text + n, sizeof text - n, "\n\n%s", USAGE);
    MessageBoxA(nullptr, text, "Values", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

bool ReadCommandLine(const char* commandLine, char* project, int size)
{
    static char folder[LONG_PATH_SIZE];
    static char word[LONG_PATH_SIZE];
    folder[0] = '\0';
    project[0] = '\0';
    const char* line = commandLine ? commandLine : "";
    while ((line = NextWord(line, word, sizeof word)) != nullptr)
    {
        if (lstrcmpiA(word, "/folder") == 0)
        {
            line = NextWord(line, folder, sizeof folder);
            if (!line || !folder[0])
            {
                Refuse("%s needs a folder after it.", word);
                return false;
            }
        }
        else if (word[0] == '/' || project[0])
        {
            Refuse("values does not know \"%s\".", word);
            return false;
        }
        else
        {
            // A project named from another folder's command prompt is
            // found there, before /folder moves elsewhere.
            const DWORD length = GetFullPathNameA(word, static_cast<DWORD>(size), project, nullptr);
            if (length == 0 || length >= static_cast<DWORD>(size))
                CopyText(project, static_cast<std::size_t>(size), word);
        }
    }
    if (folder[0] && !SetCurrentDirectoryA(folder))
    {
        Refuse("values cannot start in the folder\n%s\n\nIt does not exist, or values may not "
               "use it.",
               folder);
        return false;
    }
    return true;
}
