// Entry point: honours GuardEnabled, keeps to a single instance, then runs
// the hidden main form's message loop until the form is closed.
#include <windows.h>

#include "app/application.h"
#include "app/companion.h"
#include "app/error_box.h"
#include "app/main_form.h"
#include "app/settings_store.h"
#include "monitors/thread.h"

using namespace vigilo;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        if (!ValueExists(kSettingsRoot, kSettingsKey, "GuardEnabled"))
            WriteBool(kSettingsRoot, kSettingsKey, "GuardEnabled", true);
        if (!ReadBool(kSettingsRoot, kSettingsKey, "GuardEnabled")) ExitProcess(0);
    } catch (const SettingsError& error) {
        ShowErrorBox(error.what());
        ExitProcess(0);
    }
    if (FindWindowA(companion::kVigiloWindowClass, companion::kVigiloWindowTitle)) ExitProcess(0);

    InitMainThreadCalls();
    {
        TForm1 mainForm;
        RunMessageLoop();
    }  // the main form and its tray icon go before the process ends
    // Monitor threads are neither signalled nor joined: they end with the process.
    ExitProcess(0);
}
