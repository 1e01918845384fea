#include "monitors/ff_ext_mon_thread.h"

#include "core/browser_names.h"
#include "monitors/extension_filters.h"
#include "platform/text.h"

namespace vigilo {
namespace {

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
    NewEntry = SettleAndFindAdded();
    if (!IsReportedFolderEntry(NewEntry)) return;
    HandOff([this] {
        if (OnFound) OnFound(*this);
    });
}

}  // namespace vigilo
