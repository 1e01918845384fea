#include "monitors/folder_listing.h"

#include <windows.h>

#include "platform/file_system.h"
#include "platform/unique_handle.h"

namespace vigilo {

int ListFolderNames(const std::string& folder, StringList& list) {
    list.clear();
    if (!DirectoryExists(folder)) return 0;
    WIN32_FIND_DATAA entry;
    UniqueFindHandle find(FindFirstFileA((folder + "*.*").c_str(), &entry));
    if (!find) return 0;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") list.push_back(name);
    } while (FindNextFileA(find.get(), &entry));
    return static_cast<int>(list.size());
}

}  // namespace vigilo
