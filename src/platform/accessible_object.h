#pragma once
// What screen readers learn of a window's client area. A window that answers
// WM_GETOBJECT for OBJID_CLIENT with AnswerClientObject hands out an
// accessible object of its own role and name; everything else (its place,
// state, children, parent, focus) comes from the system's standard object
// for the window, which it wraps. oleacc.dll, which makes and marshals such
// objects, is loaded from the system folder at the first request and stays:
// a window that is never asked never loads it.
#include <windows.h>

#include <optional>
#include <string>

namespace vigilo {

// The answer to WM_GETOBJECT(wp, lp) for window: an object whose role is
// role (ROLE_SYSTEM_...) and whose name is name, for (DWORD)lp == OBJID_CLIENT
// only. Empty for any other object, or when oleacc.dll cannot be loaded:
// the window then passes the message on.
std::optional<LRESULT> AnswerClientObject(HWND window, WPARAM wp, LPARAM lp, LONG role, const std::string& name);

// Tells screen readers that window, now visible, is an alert to be read
// (EVENT_SYSTEM_ALERT on its client area).
void AnnounceAlert(HWND window);

}  // namespace vigilo
