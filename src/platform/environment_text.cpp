#include "platform/environment_text.h"

#include <windows.h>

#include "platform/text.h"

namespace vigilo {

std::string ExpandEnvironmentText(const std::string& text) {
    if (text.find('%') == std::string::npos) return text;
    const std::wstring wide = Utf16(text);
    std::wstring expanded(wide.size() + 260, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length =
            ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (length == 0) return text;
        if (length <= expanded.size()) {
            expanded.resize(length - 1);  // the count includes the final NUL
            return Utf8(expanded);
        }
        expanded.resize(length);
    }
    return text;
}

}  // namespace vigilo
