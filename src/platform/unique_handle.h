#pragma once
// Move-only owners for Windows handles. Each kind of handle has a traits
// struct that says how to close it and what its empty value is; every owner
// also keeps a process-wide count of the live handles of its kind, so tests
// can check that a window's life leaves nothing behind (Wine reports no GDI
// or handle counts of its own).
#include <windows.h>

#include <atomic>
#include <utility>

namespace vigilo {

enum class HandleKind { Key, Kernel, Find, ChangeNotification, Icon, GdiObject, Dc, Window, Menu, WinEventHook, Count };

// Live handles of one kind held by UniqueHandle owners right now.
long LiveHandleCount(HandleKind kind);
void AdjustLiveHandleCount(HandleKind kind, long delta);

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type h) : h_(h) { Count(+1); }
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) { Count(+1); }
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    Type get() const { return h_; }
    explicit operator bool() const { return Valid(h_); }

    // Closes the held handle (keeping GetLastError) and takes ownership of h.
    void reset(Type h = Traits::Invalid()) {
        if (h == h_) return;
        if (Valid(h_)) {
            DWORD err = GetLastError();
            Traits::Close(h_);
            AdjustLiveHandleCount(Traits::kKind, -1);
            SetLastError(err);
        }
        h_ = h;
        Count(+1);
    }

    // Gives up ownership without closing.
    Type release() {
        Type h = h_;
        if (Valid(h_)) AdjustLiveHandleCount(Traits::kKind, -1);
        h_ = Traits::Invalid();
        return h;
    }

private:
    static bool Valid(Type h) { return h != Traits::Invalid(); }
    void Count(long d) { if (Valid(h_)) AdjustLiveHandleCount(Traits::kKind, d); }
    Type h_ = Traits::Invalid();
};

// How to close one kind of handle, and its empty value (null, or
// INVALID_HANDLE_VALUE for the handles that use it).
template <typename T, HandleKind K, auto CloseFunction, bool MinusOneIsEmpty = false>
struct HandleTraits {
    using Type = T;
    static constexpr HandleKind kKind = K;
    static Type Invalid() {
        if constexpr (MinusOneIsEmpty)
            return INVALID_HANDLE_VALUE;
        else
            return nullptr;
    }
    static void Close(Type h) { CloseFunction(h); }
};

using KeyTraits = HandleTraits<HKEY, HandleKind::Key, &RegCloseKey>;
using KernelTraits = HandleTraits<HANDLE, HandleKind::Kernel, &CloseHandle>;  // events, threads, processes
using FindTraits = HandleTraits<HANDLE, HandleKind::Find, &FindClose, true>;
using ChangeNotificationTraits =
    HandleTraits<HANDLE, HandleKind::ChangeNotification, &FindCloseChangeNotification, true>;
using IconTraits = HandleTraits<HICON, HandleKind::Icon, &DestroyIcon>;
template <typename T>  // fonts, bitmaps, brushes, pens, regions
using GdiTraits = HandleTraits<T, HandleKind::GdiObject, &DeleteObject>;
using MemoryDcTraits = HandleTraits<HDC, HandleKind::Dc, &DeleteDC>;
using WindowTraits = HandleTraits<HWND, HandleKind::Window, &DestroyWindow>;
using MenuTraits = HandleTraits<HMENU, HandleKind::Menu, &DestroyMenu>;
using WinEventHookTraits = HandleTraits<HWINEVENTHOOK, HandleKind::WinEventHook, &UnhookWinEvent>;

using UniqueKey = UniqueHandle<KeyTraits>;
using UniqueKernelHandle = UniqueHandle<KernelTraits>;
using UniqueFindHandle = UniqueHandle<FindTraits>;
using UniqueChangeNotification = UniqueHandle<ChangeNotificationTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueFont = UniqueHandle<GdiTraits<HFONT>>;
using UniqueBitmap = UniqueHandle<GdiTraits<HBITMAP>>;
using UniqueBrush = UniqueHandle<GdiTraits<HBRUSH>>;
using UniqueRegion = UniqueHandle<GdiTraits<HRGN>>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueWinEventHook = UniqueHandle<WinEventHookTraits>;

// Selects a GDI object into a DC for the lifetime of the scope.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~ScopedSelect() { if (old_) SelectObject(dc_, old_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace vigilo
