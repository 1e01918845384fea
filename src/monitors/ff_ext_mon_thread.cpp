#include "monitors/ff_ext_mon_thread.h"

#include "core/browser_names.h"
#include "core/setting_names.h"
#include "core/settings_store.h"
#include "monitors/extension_filters.h"
#include "monitors/folder_listing.h"
#include "platform/text.h"
#include "platform/wait_seconds.h"

namespace vigilo {
namespace {

// A browser writes an extension's files just after its entry: give it time.
constexpr int kSettleSeconds = 6;
constexpr DWORD kWaitSliceMs = 10000;

}  // namespace

TFFExtMonThread::TFFExtMonThread() : TFolderMonitorThread(kWaitSliceMs) {}

std::string TFFExtMonThread::BrowserName() const {
    return Browser.empty() ? BrowserNameForFolder(WatchFolder) : Browser;
}

std::string BrowserNameForFolder(const std::string& folder) {
    return UpperCaseAscii(folder).find("GOOGLE") != std::string::npos ? browsers::kChrome : browsers::kFirefox;
}

void TFFExtMonThread::Round() {
    WaitSeconds(kSettleSeconds);
    StringList fresh;
    ListFolderNames(WatchFolder, fresh);
    NewEntry = FindAdded(Snapshot, fresh);
    if (!IsReportedFolderEntry(NewEntry)) return;
    // Read anew each round: a window's don't-show box silences the running monitor.
    if (!ReadBool(kSettingsRoot, kSettingsKey, settings::kNewToolbarNotifier)) return;
    HandOff([this] {
        if (OnFound) OnFound(*this);
    });
}

}  // namespace vigilo
