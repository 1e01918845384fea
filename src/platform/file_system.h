#pragma once
// Existence tests and folder texts.
#include <string>

namespace vigilo {

// The folder of the running executable, without trailing "\".
std::string ExecutableFolder();
std::string WithTrailingBackslash(const std::string& folder);
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);  // a file, not a folder

}  // namespace vigilo
