#pragma once
// The extension window: a new add-on was installed in a browser. It names
// the browser (not the extension), shows the browser's logo (a generic
// browser's for Edge and Brave) and offers to check the extension with Purgeon. A timed
// notification: the notification host shows it and destroys it 20 seconds
// later.
#include <string>

#include "windows/notification_window.h"

namespace vigilo {

class ExtensionWindow : public NotificationWindow {
public:
    // Creates the window hidden, with no owner, its texts loaded.
    ExtensionWindow();

    // Set by the caller before showing: "Internet Explorer", "Mozilla
    // Firefox", "Google Chrome", "Microsoft Edge" or "Brave". Put into the
    // headline; only these exact names bring up a logo.
    std::string BrowserName;
    // How many more extensions the same round found; "and N more" shows when above 0.
    int MoreFound = 0;

    // The link "Check with Purgeon": starts Purgeon without parameters, then closes.
    void LaunchLinkClick() { LaunchAndClose(); }

    Image* LogoIE = nullptr;  // the logos lie on the same spot,
    Image* LogoFF = nullptr;  // hidden until one is chosen
    Image* LogoCh = nullptr;
    Image* LogoBr = nullptr;  // a generic browser
    Label* MessageLabel = nullptr;  // "New <BrowserName> Extension installed."
    Label* ExplanationLabel = nullptr;  // what extensions are
    Label* AdviceLabel = nullptr;  // what Purgeon can tell about it
    Label* LaunchLink = nullptr;  // the link "Check with Purgeon"
    Label* MoreFoundLabel = nullptr;  // "and N more (see Recent findings)", hidden unless there are more

protected:
    void FillControls() override;
};

}  // namespace vigilo
