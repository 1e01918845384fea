#pragma once

namespace vigilo {

// Creates the information window with no owner, shows it modally and
// destroys it once it has closed.
void ShowInformationWindow();

}  // namespace vigilo
