#pragma once
// The monitor of a browser's list of extensions forced in by policy: a key
// whose values, named "1", "2", ..., each hold an extension to install and
// keep installed ("<id>;<update URL>" for Chromium browsers, the add-on's
// address for Firefox). What is new is an extension not listed before,
// whichever number it came under: a number reused for another extension
// counts. It is reported naming the browser, unless it is the one extension
// never reported.
#include <functional>
#include <string>

#include "monitors/registry_monitor.h"

namespace vigilo {

// The extension a policy value's text names: the text up to its first ";",
// trimmed of blanks and control characters.
std::string ForcedExtensionId(const std::string& valueText);

// Replaces list with the extensions the string values of root\path name, in
// enumeration order; values of other types name none.
int ListForcedExtensions(HKEY root, const std::string& path, StringList& list, RegistryView view);

class TForcedExtMonThread : public TRegistryMonitorThread {
public:
    TForcedExtMonThread();

    // The browser as the extension window names it, set by the creator.
    std::string Browser;
    // The extension found new in the last round; empty: nothing to report.
    std::string ExtensionId;
    // Runs on the main thread for each reported extension; set by the creator.
    std::function<void(const TForcedExtMonThread&)> OnFound;

protected:
    void Round() override;
};

}  // namespace vigilo
