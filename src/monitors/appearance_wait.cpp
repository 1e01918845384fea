#include "monitors/appearance_wait.h"

#include <vector>

#include "core/settings_store.h"
#include "monitors/change_wait.h"
#include "platform/file_system.h"
#include "platform/scoped_flag.h"
#include "platform/stack_trim.h"
#include "platform/unique_handle.h"

namespace vigilo {
namespace {

class KeyNamesWatch : public NamesWatch {
public:
    KeyNamesWatch(HKEY root, const std::string& path, RegistryView view)
        : key_(OpenKey(root, path, KEY_NOTIFY, view)), signal_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        armed_ = key_ && signal_ &&
                 RegNotifyChangeKeyValue(key_.get(), FALSE, REG_NOTIFY_CHANGE_NAME, signal_.get(), TRUE) ==
                     ERROR_SUCCESS;
    }
    HANDLE Signal() const override { return armed_ ? signal_.get() : nullptr; }

private:
    UniqueKey key_;
    UniqueKernelHandle signal_;
    bool armed_ = false;
};

class FolderNamesWatch : public NamesWatch {
public:
    explicit FolderNamesWatch(const std::string& folder)
        : notification_(WatchFolderChanges(folder, false, FILE_NOTIFY_CHANGE_DIR_NAME)) {}
    HANDLE Signal() const override { return notification_ ? notification_.get() : nullptr; }

private:
    UniqueChangeNotification notification_;
};

}  // namespace

PlaceKind RegistryKeys(HKEY root, RegistryView view) {
    return {[root, view](const std::string& path) { return KeyExists(root, path, view); }, &ParentPath,
            [root, view](const std::string& path) { return std::make_unique<KeyNamesWatch>(root, path, view); },
            true};
}

PlaceKind Folders() {
    return {[](const std::string& path) { return DirectoryExists(path); }, &ParentFolderPath,
            [](const std::string& path) { return std::make_unique<FolderNamesWatch>(path); }, false};
}

bool WaitUntilExists(const std::string& path, const PlaceKind& kind, const MonitorThread& thread, DWORD sliceMs,
                     std::atomic<bool>& waiting) {
    const ScopedFlag scope(waiting);
    ReleaseUnusedStack();
    for (;;) {
        if (thread.Terminated()) return false;
        if (kind.exists(path)) return true;
        std::string ancestor = kind.parent(path);
        while (!ancestor.empty() && !kind.exists(ancestor)) ancestor = kind.parent(ancestor);
        std::unique_ptr<NamesWatch> closest, overIt;  // the ancestor, and its parent for its leaving
        if (!ancestor.empty() || kind.rootIsEmpty) closest = kind.watch(ancestor);
        if (!ancestor.empty()) {
            const std::string upper = kind.parent(ancestor);
            if (!upper.empty() || kind.rootIsEmpty) overIt = kind.watch(upper);
        }
        // Made while the watches were being set: nothing would signal it.
        if (kind.exists(path)) return true;
        std::vector<HANDLE> handles{thread.TerminateEvent()};
        for (const auto& watch : {closest.get(), overIt.get()})
            if (watch && watch->Signal()) handles.push_back(watch->Signal());
        const bool watched = closest && closest->Signal();
        const DWORD result = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                                    watched ? INFINITE : sliceMs);
        if (result == WAIT_OBJECT_0 || thread.Terminated()) return false;
        // A wait that failed is not to spin.
        if (result == WAIT_FAILED && WaitForSingleObject(thread.TerminateEvent(), sliceMs) == WAIT_OBJECT_0)
            return false;
    }
}

}  // namespace vigilo
