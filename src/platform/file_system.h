#pragma once
// Existence tests and folder texts.
#include <string>

namespace vigilo {

// The folder of the running executable, without trailing "\".
std::string ExecutableFolder();
std::string WithTrailingBackslash(const std::string& folder);
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);  // a file, not a folder
// Whether a and b name the same folder as Windows compares paths: letter
// case aside, and with or without trailing "\".
bool SameFolder(const std::string& a, const std::string& b);

}  // namespace vigilo
