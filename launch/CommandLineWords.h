// The words of values.exe's command line: [/folder FOLDER] [PROJECT].
// Portable: the ANSI code page comes in as its lead bytes.
#pragma once

#include <cstddef>

// leadByte[b] holds when byte b starts a double-byte character of the code
// page; such a character is always taken whole, with the byte after it.
struct LeadBytes
{
    bool leadByte[256];
};

enum CommandLineFault
{
    COMMAND_LINE_READ,
    FOLDER_MISSING, // /folder with nothing after it
    UNKNOWN_WORD,   // another switch, or a second project
    WORD_TOO_LONG   // a word of size bytes or more
};

// Splits the command line into folder and project, each empty when not
// given and at most size - 1 bytes. On a fault, wrong holds the word at
// fault, cut to fit; the three buffers are size bytes each.
CommandLineFault SplitCommandLine(const char* line, const LeadBytes& code, char* folder,
                                  char* project, char* wrong, std::size_t size);
