#include "core/error_box.h"

#include <windows.h>

#include <set>

#include "core/companion.h"
#include "core/window_classes.h"
#include "platform/monitor_thread.h"
#include "platform/shell.h"

namespace vigilo {
namespace {

bool g_boxUp = false;  // main thread only

}  // namespace

void ShowErrorBox(const std::string& text) {
    std::string shown = text;
    if (!shown.empty() && shown.back() != '.') shown += '.';
    g_boxUp = true;
    ShowMessageBox(nullptr, shown, window_classes::kMainTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    g_boxUp = false;
}

bool ErrorBoxUp() { return g_boxUp; }

void ReportErrorOnce(const std::string& text) {
    PostToMainThread([text] {
        static std::set<std::string> reported;
        if (g_boxUp || !reported.insert(text).second) return;
        ShowErrorBox(text);
    });
}

}  // namespace vigilo
