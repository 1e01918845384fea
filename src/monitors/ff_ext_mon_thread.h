#pragma once
// The Firefox and Chrome extension monitor: watches one browser's
// extensions folder for a new entry (an extension's folder or .xpi file) and
// reports it, naming the browser, unless the filters drop it. One class serves every browser: the
// creator names it, or else the folder's path tells Chrome from Firefox.
#include <functional>
#include <string>

#include "monitors/folder_monitor.h"

namespace vigilo {

class TFFExtMonThread : public TFolderMonitorThread {
public:
    TFFExtMonThread();

    // The browser as the extension window names it, set by the creator while
    // the thread is suspended; empty: told by WatchFolder.
    std::string Browser;
    // The entry found new in the last round (its folder or file name), read by the hand-off on the main thread.
    std::string NewEntry;
    // Runs on the main thread for each reported entry; set by the creator.
    std::function<void(const TFFExtMonThread&)> OnFound;

    // The browser this instance watches for: Browser, or else from its folder.
    std::string BrowserName() const;

protected:
    void Round() override;
};

// "Google Chrome" when folder, upper-cased, contains "GOOGLE"; else "Mozilla Firefox".
std::string BrowserNameForFolder(const std::string& folder);

}  // namespace vigilo
