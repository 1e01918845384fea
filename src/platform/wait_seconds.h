#pragma once
// The pause every monitor, the timed notifications and the junk check use.
namespace vigilo {

// Sleeps in half-second steps, handling the calling thread's pending
// messages after each step, until at least `seconds` whole seconds have
// passed; WaitSeconds(0) (or less) still sleeps once. On the main thread the
// windows, the tray menu and the monitors' hand-offs are served between the
// steps. Time is measured on the monotonic tick count, so setting the clock
// neither stretches nor cuts the wait.
void WaitSeconds(int seconds);

}  // namespace vigilo
