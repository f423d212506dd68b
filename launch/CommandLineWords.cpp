#include "CommandLineWords.h"

#include <cstring>

// The next word of the line into word; null at the end of the line. Words
// are split at spaces and tabs, and a double quote starts or ends a part
// that may hold them. Nothing else is special: a path cannot hold a double
// quote, and a backslash, which may end a folder ("C:\data\") or be the
// second byte of a double-byte character, stays as it is. A word that
// starts with a quote is a path, never a switch. fits is false when the
// word had to be cut, which is done between characters.
static const char* NextWord(const char* line, const LeadBytes& code, char* word, std::size_t size,
                            bool* quoted, bool* fits)
{
    while (*line == ' ' || *line == '\t')
        line++;
    if (!*line)
        return nullptr;
    *quoted = *line == '"';
    *fits = true;
    std::size_t n = 0;
    bool inQuotes = false;
    while (*line && (inQuotes || (*line != ' ' && *line != '\t')))
    {
        if (*line == '"')
        {
            inQuotes = !inQuotes;
            line++;
            continue;
        }
        const std::size_t length =
            code.leadByte[static_cast<unsigned char>(*line)] && line[1] ? 2 : 1;
        if (*fits && n + length < size)
        {
            std::memcpy(word + n, line, length);
            n += length;
        }
        else
        {
            *fits = false;
        }
        line += length;
    }
    word[n] = '\0';
    return line;
}

// Switches are compared without regard to the case of their letters.
static bool IsSwitch(const char* word, const char* name)
{
    for (; *word && *name; word++, name++)
    {
        const char c = *word >= 'A' && *word <= 'Z' ? static_cast<char>(*word - 'A' + 'a') : *word;
        if (c != *name)
            return false;
    }
    return *word == *name;
}

CommandLineFault SplitCommandLine(const char* line, const LeadBytes& code, char* folder,
                                  char* project, char* wrong, std::size_t size)
{
    folder[0] = '\0';
    project[0] = '\0';
    bool quoted = false;
    bool fits = true;
    while ((line = NextWord(line, code, wrong, size, &quoted, &fits)) != nullptr)
    {
        if (!fits)
            return WORD_TOO_LONG;
        if (!quoted && IsSwitch(wrong, "/folder"))
        {
            line = NextWord(line, code, folder, size, &quoted, &fits);
            if (!line || !folder[0])
                return FOLDER_MISSING;
            if (!fits)
            {
                std::strcpy(wrong, folder);
                return WORD_TOO_LONG;
            }
        }
        else if ((!quoted && wrong[0] == '/') || project[0])
        {
            return UNKNOWN_WORD;
        }
        else
        {
            std::strcpy(project, wrong);
        }
    }
    wrong[0] = '\0';
    return COMMAND_LINE_READ;
}
