// xvfb_harness.h — driving the real viewer on a private X server: start Xvfb at a
// given screen size (or Xorg with the dummy driver, for real mode changes), start the program with its output captured, find its windows
// and SDL's message boxes, press keys with xdotool, close politely, grab the screen,
// and wait (always bounded) for the program to end.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

using XWindow = unsigned long;

// The viewer's window titles and the caption of its fullscreen question.
inline constexpr char kFirstTitle[]  = "ZORV ---- Zorvane";
inline constexpr char kToggleTitle[] = "Vurn's OpenGL Framework";
inline constexpr char kQuestion[]    = "Vurn GL";

class XvfbServer {
public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer();

    // Starts a server with one screen of width x height x depth on a free display
    // number and connects to it. False (and `error`) when it is not up within 10 s.
    bool Start(int width, int height, int depth, std::string* error);

    // Starts Xorg with the dummy video driver and `configFile` instead: a real server
    // that changes display modes through RandR, as a desktop's does. Needs root.
    bool StartXorg(const std::string& configFile, std::string* error);

    // Connects to a server that runs already (Xwayland), without owning it.
    bool Attach(const std::string& displayName, std::string* error);

    // Whether StartXorg can work here; if not, `why`.
    static bool XorgAvailable(std::string* why);

    void Stop();

    const std::string& DisplayName() const { return displayName_; }
    void*              Connection() const { return connection_; }   // the Xlib Display

private:
    // Runs `argv` with "-displayfd N" added and connects to the display it reports.
    bool Launch(std::vector<std::string> argv, std::string* error);

    pid_t       pid_        = -1;
    void*       connection_ = nullptr;
    std::string displayName_;
    std::string logFile_;
};

class ProgramRun {
public:
    ProgramRun() = default;
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;
    ~ProgramRun();   // a program still running is killed

    // Starts `binary` in `workDir` on `displayName` (empty: with no display at all),
    // in a process group of its own, with stdout and stderr captured together. A run
    // that ended may be started again.
    bool Start(const std::string& binary, const std::string& workDir, const std::string& displayName,
               std::string* error);

    // The same on a Wayland compositor, by the absolute path of its socket; with a
    // `displayName` too, the program may choose (SDL takes X11 first).
    bool StartOnWayland(const std::string& binary, const std::string& workDir, const std::string& socket,
                        const std::string& displayName, std::string* error);

    // The exit status (128 + signal when killed by one), or -1 when still running
    // after `timeoutMs`.
    int WaitForExit(int timeoutMs);

    pid_t Pid() const { return pid_; }
    void  Terminate();   // SIGTERM to the program
    void Signal(int sig);
    void Kill();        // SIGKILL to its whole group (its message boxes run in a child)
    bool Running();
    std::string Output() const;

private:
    bool Launch(const std::string& binary, const std::string& workDir, const std::string& displayName,
                const std::string& socket, std::string* error);

    pid_t       pid_    = -1;
    int         status_ = -1;
    std::string outputPath_;
};

// The exit status of a child process (128 + signal when killed by one) once it ends
// within `timeoutMs`, or -1.
int WaitForProcess(pid_t pid, int timeoutMs);

// Runs a helper program with these NAME=value settings added to its environment, waits
// at most 10 s for it and collects what it writes to stdout. True when it ended with 0.
bool RunHelper(const std::vector<std::string>& args, const std::vector<std::string>& env, std::string* output);

// Moves the pointer to (x, y) on the screen and clicks there.
bool ClickAt(const XvfbServer& server, int x, int y);

struct WindowInfo {
    XWindow     id = 0;
    std::string name;
    int         x = 0, y = 0;            // client origin on the screen
    int         width = 0, height = 0;   // client size
};

// Every viewable window with a name, anywhere in the tree.
std::vector<WindowInfo> ListNamedWindows(const XvfbServer& server);

// Every viewable window that says it belongs to process `pid` (_NET_WM_PID), named or not.
std::vector<WindowInfo> ListWindowsOf(const XvfbServer& server, pid_t pid);

// Whether the window's _NET_WM_STATE holds the fullscreen state.
bool IsFullscreenState(const XvfbServer& server, XWindow window);

// SDL's message boxes are plain top-level windows named by their caption.
std::vector<WindowInfo> ListMessageBoxes(const XvfbServer& server, const std::string& caption);

// Waits up to `timeoutMs` for a viewable window with exactly this name. X reuses a
// client's window ids, so a rebuilt window may carry the id of the one it replaced.
bool WaitForWindow(const XvfbServer& server, const std::string& name, int timeoutMs, WindowInfo* found);

// Waits up to `timeoutMs` until no viewable window has this name.
bool WaitForNoWindow(const XvfbServer& server, const std::string& name, int timeoutMs);

bool ReadClientGeometry(const XvfbServer& server, XWindow window, WindowInfo* info);

// False when the window asks the window manager for no decorations (Motif hints)
// or no longer exists.
bool IsDecorated(const XvfbServer& server, XWindow window);

// Keys by xdotool name ("F1", "Escape", "q"), typed with the keyboard focus on `window`.
bool SendKeys(const XvfbServer& server, XWindow window, const std::vector<std::string>& keys);
bool SendKeyDown(const XvfbServer& server, XWindow window, const std::string& key);
// A press and its release sent together, as one flush: they reach the program in the
// same batch of events, as a quick tap does on a busy machine.
bool SendTap(const XvfbServer& server, XWindow window, const std::string& key);
bool SendKeyUp(const XvfbServer& server, XWindow window, const std::string& key);

// Keys sent straight to `window` as events, for clients (weston's x11 backend) that
// take keys only from the core keyboard.
bool SendKeysAsEvents(const XvfbServer& server, XWindow window, const std::vector<std::string>& keys);

// The close button's request: a WM_DELETE_WINDOW client message.
bool ClosePolitely(const XvfbServer& server, XWindow window);

// Destroys the window from this client, as a task manager or `xdotool windowclose` does.
bool DestroyFromOutside(const XvfbServer& server, XWindow window);

// The display's current mode as RandR reports it ("1024x768"), or "" if none.
std::string CurrentMode(const XvfbServer& server);

// The whole screen as packed RGB, top row first.
std::vector<uint8_t> GrabScreenRgb(const XvfbServer& server, int* width, int* height);
std::vector<uint8_t> GrabWindowRgb(const XvfbServer& server, XWindow window, int* width, int* height);

// Adds an option for sanitized programs started from now on (ASAN_OPTIONS), for a case
// that needs the sanitizer to behave otherwise; the program's own build may ignore it.
void AddSanitizerOption(const std::string& option);

// The viewer's clear colour, a dark blue, with room for rounding.
inline bool IsSky(const uint8_t* p) { return p[0] < 12 && p[1] < 12 && p[2] >= 43 && p[2] <= 59; }

// A fresh empty folder under the temporary directory.
std::string MakeTempDir();

}  // namespace e2e
