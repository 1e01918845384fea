#pragma once
// The Startup folder monitor: watches the user's or the common Startup
// folder (whose entries the shell starts at log-on) for a new shortcut or
// file and reports it by the name the user knows it by, under the same
// rules as the Run-key monitor: not on Purgeon's exclusion list, not while
// Purgeon runs. Hidden and
// system files, folders and "desktop.ini" are never reported. Unlike a
// registry value, a file is written after it appears: the round settles first.
#include <functional>
#include <string>

#include "monitors/folder_monitor.h"

namespace vigilo {

class TStartupFolderMonThread : public TFolderMonitorThread {
public:
    TStartupFolderMonThread();

    // The finding of the last round: the entry's name, a shortcut's without
    // ".lnk"; empty: nothing to report.
    std::string ProgramName;
    // Runs on the main thread for each finding, while this thread waits for it.
    std::function<void(const TStartupFolderMonThread&)> OnFound;

protected:
    void Round() override;
};

}  // namespace vigilo
