// window_probe.cpp — what the end-to-end tests cannot see from X: the viewer's windows
// as Win32 knows them. Run under the viewer's Wine prefix:
//
//   window_probe find CLASS TITLE          prints "WIDTHxHEIGHT+X+Y", the client area of
//                                          the visible window of that class and title
//                                          and its place on the screen
//   window_probe answer CAPTION yes|no|ok  prints the text of the message box with that
//                                          caption, then presses the button
//
// Exit status 0 on success, 1 when no such window exists, 2 on a usage error.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// Message boxes are dialogs of the system's dialog class; their text is the static
// control the dialog manager gives the id 0xFFFF.
constexpr char kDialogClass[] = "#32770";
constexpr int  kTextControl   = 0xFFFF;

int Find(const char* className, const char* title) {
    HWND window = FindWindowA(className, title);
    if (!window || !IsWindowVisible(window)) return 1;
    RECT  client;
    POINT origin{0, 0};
    GetClientRect(window, &client);
    ClientToScreen(window, &origin);
    std::printf("%ldx%ld+%ld+%ld\n", client.right - client.left, client.bottom - client.top, origin.x, origin.y);
    return 0;
}

int Answer(const char* caption, int button) {
    // A box still being made is found before its dialog loop runs; it is answered only
    // once it shows.
    HWND box = FindWindowA(kDialogClass, caption);
    if (!box || !IsWindowVisible(box) || !GetDlgItem(box, button)) return 1;
    char text[512] = "";
    GetDlgItemTextA(box, kTextControl, text, sizeof text);
    std::printf("%s\n", text);
    std::fflush(stdout);
    // The button's own command, as a click gives the dialog; a click message itself is
    // lost while the box is not the active window.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "find") == 0) return Find(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "answer") == 0) {
        const int button = std::strcmp(argv[3], "yes") == 0 ? IDYES : std::strcmp(argv[3], "no") == 0 ? IDNO : IDOK;
        return Answer(argv[2], button);
    }
    std::fprintf(stderr, "usage: window_probe find CLASS TITLE | answer CAPTION yes|no|ok\n");
    return 2;
}
