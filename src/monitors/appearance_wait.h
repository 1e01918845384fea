#pragma once
// How a monitor waits for its key or folder while it does not exist (not
// yet, or no more): on a change notification of the nearest ancestor that
// exists, for names that come and go directly in it, never polling and never
// waking in between. Each signal makes the wait look again from the deepest
// missing level, so a key or folder made in one go ("Uninstall\{id}", a
// browser's "User Data\Default") ends it at once, and one made level by
// level moves the watch one level down each time. The ancestor's own parent
// is watched too, for the ancestor leaving: Wine does not signal a watched
// key's or folder's own deletion. Only where no ancestor can be watched does
// the wait look again after every slice.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/monitor_thread.h"
#include "platform/registry.h"

namespace vigilo {

// A watch of the names directly in one key or folder, armed once.
class NamesWatch {
public:
    virtual ~NamesWatch() = default;
    // Signalled when a name came or went; null when the place could not be watched.
    virtual HANDLE Signal() const = 0;
};

// The places a wait walks up through: keys of one root and view, or folders.
struct PlaceKind {
    std::function<bool(const std::string& path)> exists;
    // The path one level up; empty when there is none.
    std::function<std::string(const std::string& path)> parent;
    std::function<std::unique_ptr<NamesWatch>(const std::string& path)> watch;
    // Whether the empty path names a place (a registry root does).
    bool rootIsEmpty = false;
};

PlaceKind RegistryKeys(HKEY root, RegistryView view);
PlaceKind Folders();

// Waits until path exists; false when thread was told to terminate first.
// waiting is set for the duration of the wait.
bool WaitUntilExists(const std::string& path, const PlaceKind& kind, const MonitorThread& thread, DWORD sliceMs,
                     std::atomic<bool>& waiting);

}  // namespace vigilo
