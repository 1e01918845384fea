#pragma once
// The Firefox and Chrome extension monitor: watches one browser's
// extensions folder for a new entry (an extension's folder or .xpi file) and
// reports it, naming the browser, unless the filters drop it or extension
// notifications are switched off. One class serves both browsers: the
// folder's path tells which.
#include <functional>
#include <string>

#include "monitors/folder_monitor.h"

namespace vigilo {

class TFFExtMonThread : public TFolderMonitorThread {
public:
    TFFExtMonThread();

    // The entry found new in the last round, read by the hand-off on the main thread.
    std::string NewEntry;
    // Runs on the main thread for each reported entry; set by the creator.
    std::function<void(const TFFExtMonThread&)> OnFound;

    // The browser this instance watches for, from its folder.
    std::string BrowserName() const;

protected:
    void Round() override;
};

// "Google Chrome" when folder, upper-cased, contains "GOOGLE"; else "Mozilla Firefox".
std::string BrowserNameForFolder(const std::string& folder);

}  // namespace vigilo
