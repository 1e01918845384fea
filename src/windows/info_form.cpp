#include "windows/info_form.h"

namespace vigilo {

void ShowInformationWindow() {}

}  // namespace vigilo
