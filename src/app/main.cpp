// Entry point: honours GuardEnabled, keeps to a single instance, then runs
// the hidden main window's message loop until the form is closed. Started as
// a signature check child, it only serves that check.
#include <windows.h>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "core/companion.h"
#include "core/error_box.h"
#include "core/setting_names.h"
#include "core/settings_store.h"
#include "core/signer_check.h"
#include "core/window_classes.h"
#include "platform/file_system.h"
#include "platform/message_loop.h"
#include "platform/monitor_thread.h"
#include "platform/parent_console.h"
#include "platform/signature_check_process.h"
#include "platform/stack_trim.h"
#include "platform/window_text.h"

using namespace vigilo;

namespace {

// Libraries loaded from now on come from the system folder only, never from
// the program's folder, where a planted DLL would run at every logon. Looked
// up at run time: Windows 7 has the call only with its security update.
void RestrictLibrarySearchToSystemFolder() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr);
    if (set) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearchToSystemFolder();
    if (StartedAsSignatureCheckChild()) ExitProcess(static_cast<UINT>(ServeSignatureChecks()));
    if (const std::optional<int> exitCode = RunCommandLineCommand(CommandLineArguments()))
        ExitProcess(static_cast<UINT>(*exitCode));
    ReleaseUnusedStack();
    try {
        if (!ValueExists(kSettingsRoot, kSettingsKey, settings::kGuardEnabled))
            WriteBool(kSettingsRoot, kSettingsKey, settings::kGuardEnabled, true);
        if (!ReadBool(kSettingsRoot, kSettingsKey, settings::kGuardEnabled)) ExitProcess(0);
    } catch (const SettingsError& error) {
        ShowErrorBox(error.what());
        ExitProcess(0);
    }
    SingleInstanceLock instance;
    if (!instance.Acquired()) ExitProcess(0);
    if (FindTopLevelWindow(window_classes::kMain, window_classes::kMainTitle)) ExitProcess(0);

    InitMainThreadCalls();
    VerifySignaturesInChildProcesses(ProgramPath());
    {
        MainWindow mainForm;
        RunMessageLoop();
    }  // the main window and its tray icon go before the process ends
    // From here on a new copy may start, as it could by the window test alone.
    instance.Release();
    // Monitor threads are neither signalled nor joined: they end with the process.
    ExitProcess(0);
}
