#pragma once
// The main thread's pause, which the timed notifications use. (A monitor
// thread handles no messages: it pauses with TThread::WaitTerminated.)
namespace vigilo {

// Waits in half-second steps until at least `seconds` whole seconds have
// passed, checking at each half-second point after the start; WaitSeconds(0)
// (or less) still waits one step. Meanwhile the calling thread's messages
// are handled as they arrive: on the main thread the windows, the tray menu
// and the monitors' hand-offs are served without delay, and the wait ends
// early once the application terminates. Time is measured on the monotonic
// tick count, so setting the clock neither stretches nor cuts the wait.
void WaitSeconds(int seconds);

}  // namespace vigilo
