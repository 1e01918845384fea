#include "platform/event_source_key.h"

#include "platform/text.h"
#include "platform/unique_handle.h"

namespace vigilo {
namespace {

std::string LogKeyPath(const std::string& log) { return "SYSTEM\\CurrentControlSet\\Services\\EventLog\\" + log; }

LONG SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, size_t size) {
    return RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

}  // namespace

std::string EventSourceKeyPath(const std::string& log, const std::string& source) {
    return LogKeyPath(log) + "\\" + source;
}

LONG WriteEventSourceKey(HKEY machine, const std::string& log, const std::string& source,
                         const std::string& messageFile, DWORD typesSupported) {
    HKEY created = nullptr;
    const LONG status = RegCreateKeyExW(machine, Utf16(EventSourceKeyPath(log, source)).c_str(), 0, nullptr, 0,
                                        KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &created, nullptr);
    if (status != ERROR_SUCCESS) return status;
    const UniqueKey key(created);
    const std::wstring file = Utf16(messageFile);
    if (const LONG written = SetValue(key.get(), L"EventMessageFile", REG_EXPAND_SZ, file.c_str(),
                                      (file.size() + 1) * sizeof(wchar_t));
        written != ERROR_SUCCESS)
        return written;
    return SetValue(key.get(), L"TypesSupported", REG_DWORD, &typesSupported, sizeof(typesSupported));
}

LONG DeleteEventSourceKey(HKEY machine, const std::string& log, const std::string& source) {
    HKEY opened = nullptr;
    // RegDeleteTreeW takes no view: the log's key is opened in the 64-bit one.
    const LONG status = RegOpenKeyExW(machine, Utf16(LogKeyPath(log)).c_str(), 0,
                                      DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY,
                                      &opened);
    if (status != ERROR_SUCCESS) return status;
    const UniqueKey logKey(opened);
    return RegDeleteTreeW(logKey.get(), Utf16(source).c_str());
}

}  // namespace vigilo
