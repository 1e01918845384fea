#pragma once
// The Internet Explorer extension monitor: watches one of the machine-wide
// keys under which Internet Explorer's add-ons register (toolbar buttons and
// menu extensions, browser helper objects, explorer bars), each in one
// registry view, and reports a new entry, unless it is the one extension
// never reported.
#include <functional>
#include <string>

#include "monitors/registry_monitor.h"

namespace vigilo {

class TIEExtMonThread : public TRegistryMonitorThread {
public:
    TIEExtMonThread();

    // The display name worked out for the new entry in the last round; empty
    // when there was nothing to report. It only decides whether to report:
    // the window names the browser.
    std::string ExtensionName;
    // The new subkey's name as found (trimmed), which the record of findings names.
    std::string AddedName;
    // Runs on the main thread for each reported entry; set by the creator.
    std::function<void(const TIEExtMonThread&)> OnFound;

protected:
    void Round() override;
};

// The display name of the add-on registered as subkey `added` (trimmed), from
// the first of these that has one, all read in view: the add-on's ButtonText
// under the Extensions key; the class registration of its CLSID value; the
// class registration of `added` itself; the approved shell extension named by
// its CLSID value; else `added` as it is. Names read from the registry are
// upper-cased.
std::string ResolveExtensionName(const std::string& added, RegistryView view);

}  // namespace vigilo
