#include "monitors/folder_listing.h"

#include "platform/file_system.h"

namespace vigilo {

int ListFolderNames(const std::string& folder, StringList& list) {
    list.clear();
    if (!DirectoryExists(folder)) return 0;
    ForEachFolderEntry(folder, [&](const FolderEntry& entry) {
        list.push_back(entry.name);
        return true;
    });
    return static_cast<int>(list.size());
}

}  // namespace vigilo
