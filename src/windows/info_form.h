#pragma once
// The information window: tells the user that Purgeon's executable is
// missing, with one OK button. Centred on the desktop, not kept on top.
#include "ui/form.h"

namespace vigilo {

class TForm3 : public Form {
public:
    TForm3();

    // Hover swap: the hovered button picture over the button, the normal one over the background.
    void Button1MouseMove();
    void WndImageMouseMove();
    void Button1Click() { Close(); }

    Image* WndImage = nullptr;      // the art
    Label* InfoLabel = nullptr;     // "File Purgeon.exe not found!"
    Label* ActionLabel = nullptr;   // the title "Information"
    Image* Button1B = nullptr;      // the OK button's hovered picture
    Image* Button1A = nullptr;      // its normal picture
    Label* Button1Label = nullptr;  // "OK"

protected:
    void OnShow() override;
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool placed_ = false;
};

// Creates the information window with no owner, shows it modally and
// destroys it once it has closed.
void ShowInformationWindow();
// Whether ShowInformationWindow is showing its window right now.
bool InformationWindowShown();

}  // namespace vigilo
