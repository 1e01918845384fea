#pragma once
// The hidden top-level window that the shell sends every tray icon's
// notifications to (message kMsgTrayCallback, wParam = the icon's IconId,
// lParam = the mouse or balloon notification). It also stands for the
// application toward the shell: being an unowned top-level window it gets the
// "TaskbarCreated" broadcast that a restarted taskbar sends, and puts every
// visible icon back. One is shared by all tray icons through SharedLease.
#include <windows.h>

#include <vector>

#include "ui/window.h"

namespace vigilo {

class TCoolTrayIcon;

class TTrayIconHandler : public Window {
public:
    static constexpr const char* kClassName = "VigiloTrayIconHandler";

    TTrayIconHandler();  // creates the hidden window
    ~TTrayIconHandler() override;

    void Register(TCoolTrayIcon* icon);
    void Unregister(TCoolTrayIcon* icon);

    // The number the shell's "TaskbarCreated" broadcast carries in this session.
    UINT TaskbarCreatedMessage() const { return taskbarCreatedMessage_; }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    TCoolTrayIcon* Find(UINT iconId) const;
    void ReAddVisibleIcons();

    UINT taskbarCreatedMessage_ = 0;
    std::vector<TCoolTrayIcon*> icons_;
};

}  // namespace vigilo
