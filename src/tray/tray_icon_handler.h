#pragma once
// The hidden top-level window that the shell sends every tray icon's
// notifications to (message kMsgTrayCallback, wParam = the icon's IconId,
// lParam = the mouse or balloon notification). It also stands for the
// application toward the shell: being an unowned top-level window it gets the
// "TaskbarCreated" broadcast that a restarted taskbar sends, and puts every
// visible icon back. One is shared by all tray icons through SharedLease.
#include <windows.h>

#include <vector>

#include "platform/window.h"

namespace vigilo {

// What the handler asks of each tray icon registered with it.
class TrayIconClient {
public:
    // The uID the icon was given to the shell with.
    virtual UINT IconId() const = 0;
    // A mouse or balloon notification for this icon.
    virtual void HandleTrayNotification(UINT notification) = 0;
    // The taskbar was re-created: put the icon back if it is visible.
    virtual void HandleTaskbarCreated() = 0;

protected:
    ~TrayIconClient() = default;
};

class TrayIconHandler : public Window {
public:
    static constexpr const char* kClassName = "VigiloTrayIconHandler";

    TrayIconHandler();  // creates the hidden window
    ~TrayIconHandler() override;

    void Register(TrayIconClient* icon);
    void Unregister(TrayIconClient* icon);

    // The number the shell's "TaskbarCreated" broadcast carries in this session.
    UINT TaskbarCreatedMessage() const { return taskbarCreatedMessage_; }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    TrayIconClient* Find(UINT iconId) const;
    void ReAddVisibleIcons();

    UINT taskbarCreatedMessage_ = 0;
    std::vector<TrayIconClient*> icons_;
};

}  // namespace vigilo
