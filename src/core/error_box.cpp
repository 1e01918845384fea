#include "core/error_box.h"

#include <windows.h>

#include "core/companion.h"
#include "platform/shell.h"

namespace vigilo {

void ShowErrorBox(const std::string& text) {
    std::string shown = text;
    if (!shown.empty() && shown.back() != '.') shown += '.';
    ShowMessageBox(nullptr, shown, companion::kVigiloWindowTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace vigilo
