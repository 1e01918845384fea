#include "platform/file_system.h"

#include <windows.h>

namespace vigilo {

std::string WithTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') return folder;
    return folder + "\\";
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SameFolder(const std::string& a, const std::string& b) {
    auto bare = [](const std::string& folder) {
        const size_t end = folder.find_last_not_of('\\');
        return end == std::string::npos ? std::string() : folder.substr(0, end + 1);
    };
    const std::string x = bare(a), y = bare(b);
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, x.data(), static_cast<int>(x.size()), y.data(),
                          static_cast<int>(y.size())) == CSTR_EQUAL;
}

std::string ExecutableFolder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace vigilo
