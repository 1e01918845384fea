#include "platform/clipboard.h"

#include <cstring>

#include "platform/text.h"

namespace vigilo {
namespace {

// Open while it lives; the clipboard is one for the whole desktop.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

}  // namespace

bool SetClipboardText(HWND owner, const std::string& text) {
    const std::wstring wide = Utf16(text);
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    if (void* data = GlobalLock(memory)) {
        std::memcpy(data, wide.c_str(), bytes);
        GlobalUnlock(memory);
    }
    const OpenClipboardScope clipboard(owner);
    // Once SetClipboardData took the memory, the clipboard owns it.
    if (!clipboard || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

std::string ClipboardText() {
    const OpenClipboardScope clipboard(nullptr);
    if (!clipboard) return {};
    HANDLE memory = GetClipboardData(CF_UNICODETEXT);
    const auto* data = memory ? static_cast<const wchar_t*>(GlobalLock(memory)) : nullptr;
    if (!data) return {};
    // Bounded by the memory's size: the text of another program need not end with a NUL.
    const size_t capacity = GlobalSize(memory) / sizeof(wchar_t);
    const std::string text = Utf8(std::wstring_view(data, wcsnlen(data, capacity)));
    GlobalUnlock(memory);
    return text;
}

}  // namespace vigilo
