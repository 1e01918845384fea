#include "core/error_box.h"

#include <windows.h>

#include "core/companion.h"

namespace vigilo {

void ShowErrorBox(const std::string& text) {
    std::string shown = text;
    if (!shown.empty() && shown.back() != '.') shown += '.';
    MessageBoxA(nullptr, shown.c_str(), companion::kVigiloWindowTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace vigilo
