#include "platform/system_error.h"

#include "platform/text.h"

namespace vigilo {

std::string SystemErrorText(LONG error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length ? Utf8(std::wstring_view(buffer, length)) : "";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : text;
}

}  // namespace vigilo
