// The byte layouts of the state file, project files and the window settings
// file, encoded and decoded field by field. Portable: no Windows headers.
#pragma once

#include "ProjectState.h"

#include <cstddef>
#include <cstdint>

// localValue at 0, mainHigh at 8, five 160-byte range records from 16, mainLow
// at 816; the state file adds projectTitle at 824 and projectDir at 1084.
constexpr std::size_t PROJECT_IMAGE_SIZE = 824;
constexpr std::size_t STATE_IMAGE_SIZE = 1344;
constexpr std::size_t RANGE_RECORD_SIZE = 160;

// left, top, flags: three little-endian 32-bit words.
constexpr std::size_t WINDOW_SETTINGS_SIZE = 12;

inline std::size_t StateImageSize(bool withPaths)
{
    return withPaths ? STATE_IMAGE_SIZE : PROJECT_IMAGE_SIZE;
}

// A state image whose project has unsaved changes carries this mark in the
// first range record's 7 reserved bytes, which earlier versions write as
// zeros and never read; any other content there means no unsaved changes.
// A project image never carries it.
constexpr unsigned char UNSAVED_MARK[7] = {'U', 'n', 's', 'a', 'v', 'e', 'd'};

// Writes StateImageSize(withPaths) bytes. Reserved bytes are written as zero
// (but for the mark, which comes from modified, never from the bytes in
// memory) and in-use flags as 0 or 1.
void EncodeState(const ProjectState& state, bool withPaths, unsigned char* image);

// Reads an image into state. An image shorter than its layout is refused
// whole (returns 0, state untouched); bytes past the layout are ignored. Text
// fields are cut at the end of their field. A state image sets modified from
// the mark; a project image leaves modified and the paths alone.
int DecodeState(const unsigned char* image, std::size_t size, bool withPaths, ProjectState& state);

struct WindowPosition
{
    std::int32_t left;
    std::int32_t top;
    std::uint32_t flags;
};

void EncodeWindowSettings(const WindowPosition& position, unsigned char* image);

// Returns 0 for an image shorter than WINDOW_SETTINGS_SIZE.
int DecodeWindowSettings(const unsigned char* image, std::size_t size, WindowPosition& position);
