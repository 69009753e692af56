// compositor.h — the Wayland desktops the suite runs the viewer on, each started the
// way a test machine can: weston and GNOME's mutter nested in an Xvfb (their output
// is a window there, so the picture and the keys go through X), KDE's kwin with a
// virtual output, and sway headless as an unprivileged user. Each can start Xwayland
// for X11 clients. What a test can ask of a desktop differs: how to type into it, how
// to ask it to close a window, how to learn whether a window is fullscreen.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/e2e/xvfb_harness.h"

namespace e2e {

// KwinX11 is KDE's X11 session: kwin_x11 with its compositor on the host X server.
enum class Desktop { Weston, Mutter, Kwin, Sway, KwinX11 };

const char* NameOf(Desktop desktop);

class CompositorRun {
public:
    CompositorRun() = default;
    CompositorRun(const CompositorRun&) = delete;
    CompositorRun& operator=(const CompositorRun&) = delete;
    ~CompositorRun();

    // Whether the desktop (with Xwayland, if asked for) can run here; if not, `why`.
    static bool Available(Desktop desktop, bool xwayland, std::string* why);

    // Starts the desktop with one 1024x768 output. weston and mutter need `host`;
    // weston without one runs headless, with no output window and no input seat.
    // False (and `error`) when it is not up within 30 s.
    bool Start(Desktop desktop, const XvfbServer* host, bool xwayland, std::string* error);
    void Stop();

    Desktop            Kind() const { return desktop_; }
    const std::string& Socket() const { return socket_; }             // for WAYLAND_DISPLAY
    const std::string& XwaylandDisplay() const { return xDisplay_; }   // ":N", with xwayland
    const std::string& XAuthority() const { return xAuthority_; }      // "" where none is needed

    // Keys by xdotool name to the focused Wayland window, where the desktop lets a test
    // type; each key is pressed and released at once.
    bool CanType() const;
    bool TypeKeys(const std::vector<std::string>& keys);

    // The desktop's own request to close the focused window, where it takes one.
    bool CanClose() const;
    bool CloseFocusedWindow();

    // Whether a window with this title is shown fullscreen, where the desktop says
    // (sway and kwin; elsewhere the picture tells).
    bool CanTellFullscreen() const;
    bool IsFullscreen(const std::string& title, bool* fullscreen);

    // The output as packed RGB, top row first, where the test can see it (weston and
    // mutter through their window on the host, sway through grim).
    bool                 CanGrabOutput() const;
    std::vector<uint8_t> GrabOutputRgb(int* width, int* height);

    // A change of keyboard layout, as a user's switch sends it (sway only).
    bool CanSwitchLayout() const { return desktop_ == Desktop::Sway; }
    bool SwitchLayout(const std::string& layout);

private:
    bool StartWeston(const XvfbServer* host, bool xwayland, std::string* error);
    bool StartMutter(const XvfbServer* host, std::string* error);
    bool StartKwin(std::string* error);
    bool StartKwinX11(const XvfbServer* host, std::string* error);
    bool StartSway(bool xwayland, std::string* error);
    bool Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, const std::string& log);
    bool RunKwinScript(const std::string& body, std::string* printed);
    bool RunSwayMsg(const std::vector<std::string>& args, std::string* output);

    Desktop     desktop_ = Desktop::Weston;
    const XvfbServer* host_ = nullptr;
    pid_t       pid_     = -1;
    std::string runtimeDir_, socket_, xDisplay_, xAuthority_, log_, busAddress_;
    int         scripts_ = 0;
};

}  // namespace e2e
