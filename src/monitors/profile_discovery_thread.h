#pragma once
// The watch of a folder where a browser's profiles come and go: a Chromium
// browser's "User Data" folder (its profile folders), or Firefox's folder
// (its profiles.ini). The folder may not exist yet: the browser is then
// installed later, and the folder's coming counts as a change. On every
// change, and when the folder goes, it gives the writer a second and has
// the main thread look for profiles again (OnChanged); it looks at nothing
// itself.
#include <functional>

#include "monitors/folder_monitor.h"

namespace vigilo {

class TProfileDiscoveryThread : public TFolderMonitorThread {
public:
    // The changes that mean profiles may have come or gone.
    static constexpr DWORD kProfileFolders = FILE_NOTIFY_CHANGE_DIR_NAME;
    static constexpr DWORD kProfileList = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

    explicit TProfileDiscoveryThread(DWORD filter);

    // Runs on the main thread after each change, while this thread waits for it.
    std::function<void()> OnChanged;

protected:
    void Round() override;
    void Left() override;
};

}  // namespace vigilo
