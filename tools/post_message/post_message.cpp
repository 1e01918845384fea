// Posts one window message to a top-level window found by class and title,
// as another program would; the demo uses it to deliver Vigilo's timer tick.
//   post_message.exe CLASS TITLE MESSAGE [WPARAM [LPARAM]]
// Numbers may be decimal or 0x-hexadecimal. Exit code 0 when posted, 1 when
// no such window exists, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: post_message CLASS TITLE MESSAGE [WPARAM [LPARAM]]\n");
        return 2;
    }
    const UINT message = static_cast<UINT>(std::strtoul(argv[3], nullptr, 0));
    const WPARAM wp = argc > 4 ? static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)) : 0;
    const LPARAM lp = argc > 5 ? static_cast<LPARAM>(std::strtol(argv[5], nullptr, 0)) : 0;
    HWND window = FindWindowA(argv[1], argv[2]);
    if (!window) {
        std::fprintf(stderr, "post_message: no window of class %s titled %s\n", argv[1], argv[2]);
        return 1;
    }
    return PostMessageA(window, message, wp, lp) ? 0 : 1;
}
