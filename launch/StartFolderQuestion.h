// Before an update replaces values, its setup program closes every running
// values and starts each again afterwards, in the folder it had started in.
// It asks each for that folder with a registered message whose wParam is
// the asking window; values answers that window with WM_COPYDATA: the tag
// and the folder as UTF-16, terminator included. Portable, for either side
// may be sent anything by any program.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr wchar_t START_FOLDER_QUESTION[] = L"values.StartFolderQuestion";
// The tag of the answer ("vstf"), and the most characters the folder takes,
// terminator included: a working folder has fewer than MAX_PATH.
constexpr std::uintptr_t START_FOLDER_ANSWER = 0x76737466;
constexpr std::size_t START_FOLDER_SIZE = 260;

// The folder, when the data is one: the tag is START_FOLDER_ANSWER, and the
// length bytes at data are whole characters, at least one and at most
// START_FOLDER_SIZE - 1 of them, then the one terminator. Otherwise null.
// Nothing past length is read.
const wchar_t* AnsweredFolder(std::uintptr_t tag, const void* data, std::size_t length);
