#include "tray/tray_icon_handler.h"

#include <algorithm>

#include "core/messages.h"

namespace vigilo {

TrayIconHandler::TrayIconHandler() {
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
    RegisterClassOnce(kClassName);
    CreateHandle(kClassName, "", WS_POPUP, 0, 0, 0, 0, 0);
    // A program running elevated would otherwise never see the taskbar's broadcast.
    if (Handle() && taskbarCreatedMessage_)
        ChangeWindowMessageFilterEx(Handle(), taskbarCreatedMessage_, MSGFLT_ALLOW, nullptr);
}

TrayIconHandler::~TrayIconHandler() = default;

void TrayIconHandler::Register(TrayIconClient* icon) { icons_.push_back(icon); }

void TrayIconHandler::Unregister(TrayIconClient* icon) { std::erase(icons_, icon); }

TrayIconClient* TrayIconHandler::Find(UINT iconId) const {
    auto found = std::find_if(icons_.begin(), icons_.end(),
                              [iconId](const TrayIconClient* icon) { return icon->IconId() == iconId; });
    return found == icons_.end() ? nullptr : *found;
}

void TrayIconHandler::ReAddVisibleIcons() {
    // By id, since adding an icon may run code that destroys another one.
    std::vector<UINT> ids;
    for (const TrayIconClient* icon : icons_) ids.push_back(icon->IconId());
    for (UINT id : ids)
        if (TrayIconClient* icon = Find(id)) icon->HandleTaskbarCreated();
}

LRESULT TrayIconHandler::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kMsgTrayCallback) {
        // Any process can send this message: an unknown id is ignored.
        if (TrayIconClient* icon = Find(static_cast<UINT>(wp))) icon->HandleTrayNotification(static_cast<UINT>(lp));
        return 0;
    }
    if (taskbarCreatedMessage_ != 0 && msg == taskbarCreatedMessage_) {
        // One re-add answers a burst of broadcasts.
        MSG queued;
        while (PeekMessageW(&queued, Handle(), taskbarCreatedMessage_, taskbarCreatedMessage_, PM_REMOVE)) {
        }
        ReAddVisibleIcons();
        return 0;
    }
    switch (msg) {
        case WM_QUERYENDSESSION:
        case WM_ENDSESSION:
            return 1;
        // This window goes only with the last tray icon: a WM_CLOSE from
        // outside (or a stray WM_QUIT dispatched to it) must not take it.
        case WM_CLOSE:
        case WM_DESTROY:
        case WM_NCDESTROY:
        case WM_QUIT:
            return 1;
        default:
            return Window::OnMessage(msg, wp, lp);
    }
}

}  // namespace vigilo
