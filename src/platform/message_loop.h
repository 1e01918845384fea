#pragma once
// The main thread's message handling, shared by every loop that runs on it. Each message taken from the
// queue first passes the application's message filter (the main window's
// close-request check), then is translated and dispatched; keys for a window
// that takes the keyboard as a dialog does (WS_EX_CONTROLPARENT) go through
// IsDialogMessage first (Tab, Esc), and Shift+F10 and the menu key become
// WM_CONTEXTMENU for the focused window. TerminateApplication (or a WM_QUIT from
// elsewhere) marks the application as terminated; loops end when they see
// that. WM_QUIT stays in the queue once posted, so a loop nested in another
// wakes every loop outside it.
#include <windows.h>

#include <functional>

namespace vigilo {

using MessageFilter = std::function<void(const MSG&)>;

// Installs the filter that sees every message taken from the queue.
void SetApplicationMessageFilter(MessageFilter filter);

// Waits for one message and handles it; returns false once WM_QUIT arrived.
bool HandleOneMessage();
// Handles every message already waiting, without blocking; stops at WM_QUIT.
void ProcessMessages();
// Runs the main message loop until the application terminates.
void RunMessageLoop();

// Ends the application: the current loops finish and the main loop returns.
void TerminateApplication();
bool ApplicationTerminated();
// For tests that run several application lives in one process.
void ResetApplicationState();

}  // namespace vigilo
