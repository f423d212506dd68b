// The command line: values.exe [/folder FOLDER] [PROJECT].
#pragma once

// Moves into FOLDER and gives PROJECT as a full path (empty without one).
// False, with the user told why, when values is to end: an unknown switch, a
// folder it cannot start in.
bool ReadCommandLine(const char* commandLine, char* project, int size);
