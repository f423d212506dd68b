// The path in a project handed from another start of values in the same
// folder (WM_COPYDATA), checked before anything reads it. Portable, for any
// process may send the message, with any data.
#pragma once

#include <cstddef>
#include <cstdint>

// The tag of a handed project ("vprp"), and the most bytes its path takes,
// terminator included.
constexpr std::uintptr_t HAND_PROJECT = 0x76707270;
constexpr std::size_t HANDED_PATH_SIZE = 32768;

// The path, when the data is one: the tag is HAND_PROJECT, and the length
// bytes at data are a text of at least one character that ends with its
// one terminator, the last of them. Otherwise null: another tag, a null
// pointer, a length of 0, 1 or over HANDED_PATH_SIZE, no terminator at the
// end, or one before it. Nothing past length is read.
const char* HandedPath(std::uintptr_t tag, const void* data, std::size_t length);
