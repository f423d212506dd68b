// Test helpers for the Windows programs: a fresh working folder per test, and
// whole-file reads and writes that do not go through the code under test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
bool FileExists(const std::string& path);
// The names in a folder, "." and ".." left out.
std::vector<std::string> ListFolder(const std::string& folder);

// Each test runs in its own new temporary folder as the working directory;
// the folder and everything in it is removed afterwards.
class InTestFolder : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // A path inside the test folder.
    std::string Path(const char* name) const;

    std::string folder;

  private:
    char previous[MAX_PATH] = {};
};
