#include "platform/save_file_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/system_library.h"
#include "platform/text.h"

namespace vigilo {

std::optional<std::string> AskWhereToSave(HWND owner, const SaveFileQuestion& question) {
    using GetSaveFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW*);
    static const GetSaveFileNameFn getSaveFileName = [] {
        GetSaveFileNameFn found = nullptr;
        FindExport(LoadSystemLibrary(L"comdlg32.dll"), "GetSaveFileNameW", found);
        return found;
    }();
    if (!getSaveFileName) return std::nullopt;
    // "name\0pattern\0\0", the filter's pairs.
    std::wstring filter = Utf16(question.typeName);
    filter += L'\0';
    filter += Utf16(question.pattern);
    filter += L'\0';
    const std::wstring extension = Utf16(question.extension);
    // Long paths as Windows 10 allows them, beyond MAX_PATH.
    std::vector<wchar_t> path(32768, L'\0');
    const std::wstring proposed = Utf16(FirstCharacters(question.fileName, path.size() - 1));
    std::copy(proposed.begin(), proposed.end(), path.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER | OFN_HIDEREADONLY;
    if (!getSaveFileName(&dialog)) return std::nullopt;
    return Utf8(path.data());
}

}  // namespace vigilo
