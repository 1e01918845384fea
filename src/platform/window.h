#pragma once
// Base of every window the program creates. The C++ object is bound to its
// HWND at WM_NCCREATE (from lpCreateParams into GWLP_USERDATA) and receives
// the window's messages through the virtual OnMessage until WM_NCDESTROY.
#include <windows.h>

#include <cstddef>

namespace vigilo {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }

    // The object bound to a window created through this class, or null.
    static Window* FromHandle(HWND hwnd);

protected:
    // Registers the class (once per process) with this base's window procedure.
    static void RegisterClassOnce(const char* className, UINT classStyle = 0, HCURSOR cursor = nullptr,
                                  HICON icon = nullptr);

    // Creates the window bound to this object; false when CreateWindowEx fails.
    bool CreateHandle(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y,
                      int width, int height, HWND parent = nullptr, HMENU menuOrId = nullptr);

    // Destroys the window if it still exists (the object stays).
    void DestroyHandle();

    virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    // Called after the window is gone (WM_NCDESTROY has been handled).
    virtual void OnDestroyed() {}

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

// Whether the size bytes at p lie in the calling thread's stack. The system
// passes the structures of the messages it sends a window from the window's
// own thread (WM_DPICHANGED's rectangle, WM_DRAWITEM's item) there; a pointer
// anywhere else came with a message another program posted, and is not read.
bool OnThisThreadsStack(const void* p, size_t size);

}  // namespace vigilo
