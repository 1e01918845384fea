// Entry point: honours GuardEnabled, keeps to a single instance, then runs
// the hidden main form's message loop until the form is closed.
#include <windows.h>

#include "platform/message_loop.h"
#include "core/companion.h"
#include "core/error_box.h"
#include "app/main_form.h"
#include "core/setting_names.h"
#include "core/settings_store.h"
#include "platform/thread.h"

using namespace vigilo;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        if (!ValueExists(kSettingsRoot, kSettingsKey, settings::kGuardEnabled))
            WriteBool(kSettingsRoot, kSettingsKey, settings::kGuardEnabled, true);
        if (!ReadBool(kSettingsRoot, kSettingsKey, settings::kGuardEnabled)) ExitProcess(0);
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
