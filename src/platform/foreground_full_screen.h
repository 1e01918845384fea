#pragma once
// Whether the window in front is a full-screen program: a game, a video, a
// presentation. Windows' own notification state misses those that are no
// Direct3D program.
namespace vigilo {

// The foreground window is visible, has no caption, is not maximised and
// covers its whole monitor, and is neither the desktop nor the shell's
// desktop window ("Progman", "WorkerW", the shell window), which cover the
// screen too.
bool ForegroundIsFullScreen();

}  // namespace vigilo
