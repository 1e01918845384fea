#pragma once
// The information window: tells the user that Purgeon's executable is
// missing, with one OK button. Centred on the desktop, not kept on top.
// It is shown without modality: the main thread goes on serving everything
// else, and what is to follow its close runs from its close handler.
#include <functional>

#include "ui/form.h"

namespace vigilo {

class InfoWindow : public Form {
public:
    InfoWindow();

    // Hover swap: the hovered button picture over the button, the normal one over the background.
    void OkMouseMove();
    void BackgroundMouseMove();
    void OkClick() { Close(); }

    Image* BackgroundImage = nullptr;      // the art
    Label* InfoLabel = nullptr;     // "File Purgeon.exe not found!"
    Label* TitleLabel = nullptr;   // the title "Information"
    Image* OkHoverImage = nullptr;      // the OK button's hovered picture
    Image* OkImage = nullptr;      // its normal picture
    Label* OkLabel = nullptr;  // "OK"

protected:
    void OnShow() override;
    void OnClose() override;
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool placed_ = false;
};

// Creates the information window with no owner and shows it, unless one is
// up already (then false, and nothing happens). When the user closes it, it
// is destroyed and afterClose runs; a window destroyed by
// DestroyInformationWindow runs nothing. Main thread only.
bool ShowInformationWindow(std::function<void()> afterClose = {});
// Whether the window of ShowInformationWindow is up right now.
bool InformationWindowShown();
// Destroys that window without its close handler, as the program ends.
void DestroyInformationWindow();

}  // namespace vigilo
