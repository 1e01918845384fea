#pragma once
// DLLs the program loads at run time, only from the system folder: a DLL
// looked for beside Vigilo could be a planted copy.
#include <windows.h>

namespace vigilo {

// The system folder's DLL name (LOAD_LIBRARY_SEARCH_SYSTEM32, or its full
// path where Windows 7 lacks that flag); null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Points function at module's export name; null when either is missing.
template <typename Function>
void FindExport(HMODULE module, const char* name, Function& function) {
    function = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace vigilo
