// SplitCommandLine in code page 932, whose double-byte characters may end in
// the byte of the backslash (表 is 95 5C, ソ 83 5C). Checked for each input:
//  - the input itself as a command line, with buffers of a size it chooses
//    (ASan sees any byte written or read past them): every word given back
//    ends within its buffer, and a word that did not fit is a fault;
//  - a command line built from the input: a folder and a project made of any
//    characters of the code page except the terminator and the double quote
//    (no path holds either), written as Windows writes them: each path in
//    double quotes when it holds a space or a tab, or always, as the shell
//    writes "%1"; a project that starts with a slash quoted, as a switch
//    would be read otherwise; /folder with its letters in any case; the two
//    in either order, the project sometimes left out, between any runs of
//    spaces and tabs. It must give back exactly that folder and project.
#include "CommandLineWords.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace
{

LeadBytes codePage932;
long roundTrips;

void Require(bool holds, const char* what, const std::string& line)
{
    if (holds)
        return;
    std::fprintf(stderr, "SplitCommandLine: %s, line \"%s\"\n", what, line.c_str());
    std::abort();
}

bool Fits(const char* word, std::size_t size)
{
    return std::memchr(word, '\0', size) != nullptr;
}

void SplitAsItComes(const std::uint8_t* data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::size_t room = 1 + (size ? data[0] % 64 : 0);
    std::unique_ptr<char[]> folder(new char[room]);
    std::unique_ptr<char[]> project(new char[room]);
    std::unique_ptr<char[]> wrong(new char[room]);
    const CommandLineFault fault =
        SplitCommandLine(line.c_str(), codePage932, folder.get(), project.get(), wrong.get(), room);
    Require(Fits(folder.get(), room) && Fits(project.get(), room), "a word past its buffer", line);
    if (fault != COMMAND_LINE_READ)
        Require(Fits(wrong.get(), room), "the wrong word past its buffer", line);
}

// The next character of a path from the input: a single byte, or a lead
// byte with a second byte from the input, which may be the backslash's.
std::size_t TakeCharacter(const std::uint8_t* data, std::size_t size, std::string* path)
{
    const std::uint8_t b = data[0];
    if (codePage932.leadByte[b])
    {
        if (size < 2)
            return size;
        const int second = data[1] % 188; // 40 to 7E, then 80 to FC
        path->push_back(static_cast<char>(b));
        path->push_back(static_cast<char>(second < 63 ? 0x40 + second : 0x80 + second - 63));
        return 2;
    }
    if (b != '\0' && b != '"')
        path->push_back(static_cast<char>(b));
    return 1;
}

std::string Quoted(const std::string& path, bool always)
{
    const bool needed = path.find_first_of(" \t") != std::string::npos;
    return always || needed ? "\"" + path + "\"" : path;
}

void SplitWhatWasBuilt(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return;
    const std::uint8_t how = data[0];
    const std::size_t folderBytes = data[1];
    data += 2;
    size -= 2;
    std::string folder;
    std::string project;
    for (std::size_t at = 0; at < size;)
        at += TakeCharacter(data + at, size - at, at < folderBytes ? &folder : &project);
    if (folder.empty())
        return;
    if (!(how & 1))
        project.clear();

    const char* separators[] = {" ", "\t", "  \t ", " \t"};
    const char* spelled[] = {"/folder", "/FOLDER", "/Folder", "/fOlDeR"};
    const std::string gap = separators[(how >> 1) & 3];
    const bool always = how & 8;
    const std::string folderWords = spelled[(how >> 4) & 3] + gap + Quoted(folder, always);
    const std::string projectWord = Quoted(project, always || project[0] == '/');
    std::string line = folderWords;
    if (!project.empty())
        line = how & 64 ? projectWord + gap + folderWords : folderWords + gap + projectWord;
    if (how & 128)
        line = gap + line + gap;

    const std::size_t room = line.size() + 1;
    std::unique_ptr<char[]> gotFolder(new char[room]);
    std::unique_ptr<char[]> gotProject(new char[room]);
    std::unique_ptr<char[]> wrong(new char[room]);
    Require(SplitCommandLine(line.c_str(), codePage932, gotFolder.get(), gotProject.get(),
                             wrong.get(), room) == COMMAND_LINE_READ,
            "refused", line);
    Require(folder == gotFolder.get(), "another folder", line);
    Require(project == gotProject.get(), "another project", line);
    roundTrips++;
}

void ReportCounts()
{
    std::fprintf(stderr, "command_line_fuzzer: %ld built command lines read back\n", roundTrips);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (int b = 0x81; b <= 0xFC; b++)
        codePage932.leadByte[b] = b <= 0x9F || b >= 0xE0;
    std::atexit(ReportCounts);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SplitAsItComes(data, size);
    SplitWhatWasBuilt(data, size);
    return 0;
}
