// HandedPath on what another process could send: any tag, a null pointer or
// any bytes, any length. It must accept exactly the well-formed data: the
// tag HAND_PROJECT, and a text of 1 to HANDED_PATH_SIZE - 1 characters whose
// one terminator is its last byte. Checked for each input:
//  - the input as data (its first byte chooses the tag, a null pointer, or
//    data that starts a byte into the buffer): accepted exactly when
//    well-formed, found here by counting the terminators, and then the path
//    is the data itself;
//  - the input made well-formed (its terminators taken out, one put at the
//    end): accepted;
//  - now and then a path of the largest length, and one a byte longer:
//    the first accepted, the second refused.
// Every buffer is exactly as long as the data, so ASan sees any read past it.
#include "HandedPath.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

long accepted;
long refused;

void Require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "HandedPath: %s\n", what);
    std::abort();
}

bool WellFormed(std::uintptr_t tag, const char* bytes, std::size_t length)
{
    return tag == HAND_PROJECT && bytes && length >= 2 && length <= HANDED_PATH_SIZE &&
           std::count(bytes, bytes + length, '\0') == 1 && bytes[length - 1] == '\0';
}

void Check(std::uintptr_t tag, const std::vector<char>& bytes, bool nullPointer, std::size_t skip)
{
    std::unique_ptr<char[]> data(new char[bytes.size() ? bytes.size() : 1]);
    std::copy(bytes.begin(), bytes.end(), data.get());
    const char* at = nullPointer ? nullptr : data.get() + skip;
    const std::size_t length = bytes.size() - skip;
    const char* path = HandedPath(tag, at, length);
    Require((path != nullptr) == WellFormed(tag, at, length),
            path ? "took data that is not a path" : "refused a path");
    Require(!path || path == at, "gave another text than the data");
    (path ? accepted : refused)++;
}

void ReportCounts()
{
    std::fprintf(stderr, "handed_path_fuzzer: %ld accepted, %ld refused\n", accepted, refused);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::atexit(ReportCounts);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t how = data[0];
    std::vector<char> bytes(data + 1, data + size);
    std::uintptr_t tag = HAND_PROJECT;
    if ((how & 1) && bytes.size() >= sizeof tag)
        std::memcpy(&tag, bytes.data(), sizeof tag);
    const std::size_t skip = (how & 4) && !bytes.empty() ? 1 : 0;
    Check(tag, bytes, how & 2, skip);

    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
    if (bytes.empty())
        bytes.push_back('a');
    bytes.push_back('\0');
    Check(HAND_PROJECT, bytes, false, 0);

    if ((how & 0xF8) == 0xF8)
    {
        for (const std::size_t length : {HANDED_PATH_SIZE, HANDED_PATH_SIZE + 1})
        {
            std::vector<char> longest(length, 'p');
            longest.back() = '\0';
            Check(HAND_PROJECT, longest, false, 0);
        }
    }
    return 0;
}
