#pragma once
namespace vigilo {

// Whether Purgeon runs: its main window (class "TForm1a", title "Purgeon") exists.
bool IsCompanionRunning();

}  // namespace vigilo
