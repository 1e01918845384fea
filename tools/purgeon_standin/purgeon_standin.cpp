// A stand-in for Purgeon, the uninstaller Vigilo serves, for tests and the
// demo. While it runs it owns a top-level window of class "TForm1a" titled
// "Purgeon"; every start appends its command line, less the program name,
// as one line to "Purgeon-calls.log" beside the executable. It ends when its
// window is closed.
#include <windows.h>

#include <string>

namespace {

std::string ArgumentsOf(const char* commandLine) {
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    return p;  // kept as given, blanks included
}

// Beside the executable, wherever it lies: its folder may have a name in any script.
std::wstring LogPath() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder = folder.substr(0, folder.find_last_of(L'\\') + 1);
    return folder + L"Purgeon-calls.log";
}

void AppendLine(const std::string& line) {
    HANDLE file = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        DrawTextA(dc, "Purgeon (stand-in)", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "TForm1a";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "TForm1a", "Purgeon", WS_OVERLAPPEDWINDOW, 100, 100, 320, 160, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) return 1;
    // Logged once the window exists: whoever sees the line can find (and end) this run.
    AppendLine(ArgumentsOf(GetCommandLineA()));
    ShowWindow(hwnd, show == SW_SHOWNORMAL ? SW_SHOWNOACTIVATE : show);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
