// xvfb_harness.cpp — the private X server, the program under test and the X
// requests the end-to-end tests make of them.
#include "tests/e2e/xvfb_harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

Display* Dpy(const XvfbServer& server) { return static_cast<Display*>(server.Connection()); }

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

int StatusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return -1;
}

// Reaps `pid` within `timeoutMs`; -1 while it still runs.
int Reap(pid_t pid, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int         waitStatus = 0;
        const pid_t done       = waitpid(pid, &waitStatus, WNOHANG);
        if (done == pid) return StatusOf(waitStatus);
        if (done < 0) return -1;
        if (Clock::now() >= deadline) return -1;
        Pause();
    }
}

// SIGTERM, and SIGKILL for a server that does not end within 5 s.
void EndServer(pid_t* pid) {
    if (*pid > 0) {
        kill(*pid, SIGTERM);
        if (Reap(*pid, 5000) == -1) {
            kill(*pid, SIGKILL);
            Reap(*pid, 5000);
        }
    }
    *pid = -1;
}

// Runs a helper program with the server's display and waits at most 10 s for it.
bool RunTool(const XvfbServer& server, const std::vector<std::string>& args) {
    return RunHelper(args, {"DISPLAY=" + server.DisplayName()}, nullptr);
}

// The window's name in whichever encoding it was stored (SDL stores UTF-8); some
// clients (weston) set only the newer _NET_WM_NAME.
std::string WindowName(Display* display, Window window) {
    XTextProperty name{};
    if (!XGetWMName(display, window, &name) || !name.value) {
        const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
        if (!XGetTextProperty(display, window, &name, netName) || !name.value) return {};
    }
    std::string result;
    if (name.format == 8) result.assign(reinterpret_cast<const char*>(name.value), name.nitems);
    XFree(name.value);
    return result;
}

// Windows come and go while the tree is walked; a vanished one is simply skipped.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

bool ReadClientGeometryOf(Display* display, Window window, WindowInfo* info) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return false;
    Window child = 0;
    int    x = 0, y = 0;
    if (!XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child)) return false;
    info->x      = x;
    info->y      = y;
    info->width  = attributes.width;
    info->height = attributes.height;
    return true;
}

// mutter 48 draws the frames of X11 windows in windows of a client of its own, which
// carry the framed window's title; the framed window lies inside.
bool IsFrame(Display* display, Window window) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) return false;
    const bool frame = hint.res_class && std::string(hint.res_class) == "mutter-x11-frames";
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return frame;
}

long CardinalOf(Display* display, Window window, const char* property) {
    Atom           type   = 0;
    int            format = 0;
    unsigned long  count = 0, after = 0;
    unsigned char* data  = nullptr;
    long           value = -1;
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 1, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        data && format == 32 && count == 1)
        value = *reinterpret_cast<const long*>(data);
    if (data) XFree(data);
    return value;
}

// Every viewable window of the tree under `window` that `keep` takes, by its id and name.
void CollectWhere(Display* display, Window window, const std::function<bool(Window, const std::string&)>& keep,
                  std::vector<WindowInfo>* found) {
    Window       root = 0, parent = 0;
    Window*      children = nullptr;
    unsigned int count    = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable) continue;
        WindowInfo info;
        info.id   = children[i];
        info.name = WindowName(display, children[i]);
        if (keep(children[i], info.name) && ReadClientGeometryOf(display, children[i], &info)) found->push_back(info);
        CollectWhere(display, children[i], keep, found);
    }
    if (children) XFree(children);
}

void CollectNamed(Display* display, Window window, std::vector<WindowInfo>* found) {
    CollectWhere(
        display, window, [display](Window w, const std::string& name) { return !name.empty() && !IsFrame(display, w); },
        found);
}

// Keys as a keyboard sends them: the key that carries the symbol at its first level,
// with only the modifiers named ("alt+F4"). Given a symbol, xdotool picks any level of
// the map that has it and presses that level's modifiers too: with xkb-data 2.48, whose
// function keys carry their symbol at an Alt level as well, its F1 arrives as Alt+F1.
struct KeyStroke {
    std::vector<KeyCode> codes;   // modifiers first, the key last
    unsigned int         state = 0;
};

bool ParseKey(Display* display, const std::string& key, KeyStroke* press) {
    std::stringstream parts(key);
    for (std::string part; std::getline(parts, part, '+');) {
        std::string name = part;
        if (part == "alt") name = "Alt_L", press->state |= Mod1Mask;
        if (part == "ctrl") name = "Control_L", press->state |= ControlMask;
        if (part == "shift") name = "Shift_L", press->state |= ShiftMask;
        if (part == "super") name = "Super_L", press->state |= Mod4Mask;
        const KeySym symbol = XStringToKeysym(name.c_str());
        const KeyCode code  = symbol == NoSymbol ? 0 : XKeysymToKeycode(display, symbol);
        if (code == 0) return false;
        press->codes.push_back(code);
    }
    return !press->codes.empty();
}

enum class Stroke { Tap, Down, Up };

bool SendWithFocus(const XvfbServer& server, XWindow window, Stroke stroke, const std::vector<std::string>& keys,
                   int delayMs = 30) {
    Display* display = Dpy(server);
    int      event = 0, error = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) return false;
    // A window already gone (rebuilt by the key before) takes no focus; the keys still
    // go to whichever window has it.
    RunTool(server, {"xdotool", "windowfocus", std::to_string(window)});
    for (size_t i = 0; i < keys.size(); ++i) {
        KeyStroke press;
        if (!ParseKey(display, keys[i], &press)) return false;
        if (i > 0 && delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        if (stroke != Stroke::Up)
            for (const KeyCode code : press.codes) XTestFakeKeyEvent(display, code, True, CurrentTime);
        if (stroke != Stroke::Down)
            for (auto code = press.codes.rbegin(); code != press.codes.rend(); ++code)
                XTestFakeKeyEvent(display, *code, False, CurrentTime);
        XFlush(display);
    }
    XSync(display, False);
    return true;
}

}  // namespace

int WaitForProcess(pid_t pid, int timeoutMs) { return Reap(pid, timeoutMs); }

bool RunHelper(const std::vector<std::string>& args, const std::vector<std::string>& env, std::string* output) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        for (const std::string& assignment : env) putenv(const_cast<char*>(assignment.c_str()));
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    std::string collected;
    int         status   = -1;
    const auto  deadline = Clock::now() + std::chrono::seconds(10);
    while (status == -1 && Clock::now() < deadline) {
        char    chunk[4096];
        ssize_t got;
        while ((got = read(fds[0], chunk, sizeof chunk)) > 0) collected.append(chunk, static_cast<size_t>(got));
        status = WaitForProcess(pid, 20);
    }
    char    chunk[4096];
    ssize_t got;
    while ((got = read(fds[0], chunk, sizeof chunk)) > 0) collected.append(chunk, static_cast<size_t>(got));
    close(fds[0]);
    if (status == -1) {
        kill(pid, SIGKILL);
        WaitForProcess(pid, 2000);
    }
    if (output) *output = collected;
    return status == 0;
}

XvfbServer::~XvfbServer() { Stop(); }

bool XvfbServer::Start(int width, int height, int depth, std::string* error) {
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    return Launch({"Xvfb", "-screen", "0", screen, "-nolisten", "tcp"}, error);
}

namespace {
constexpr char kDummyDriver[] = "/usr/lib/xorg/modules/drivers/dummy_drv.so";
}

bool XvfbServer::XorgAvailable(std::string* why) {
    if (geteuid() != 0) {
        *why = "Xorg with the dummy driver needs root";
        return false;
    }
    if (access(kDummyDriver, R_OK) != 0 || system("command -v Xorg >/dev/null") != 0) {
        *why = "no Xorg with the dummy driver (xserver-xorg-core, xserver-xorg-video-dummy)";
        return false;
    }
    return true;
}

bool XvfbServer::StartXorg(const std::string& configFile, std::string* error) {
    // Xorg keeps the previous log as NAME.old: a name of our own keeps both ours.
    char log[] = "/tmp/island-xorg-XXXXXX";
    const int fd = mkstemp(log);
    if (fd < 0) {
        *error = "no log file";
        return false;
    }
    close(fd);
    logFile_ = log;
    // An empty configuration folder keeps the machine's own snippets out.
    return Launch({"Xorg", "-config", configFile, "-configdir", logFile_ + ".d", "-logfile", logFile_, "-noreset",
                   "-nolisten", "tcp"},
                  error);
}

bool XvfbServer::Launch(std::vector<std::string> argv, std::string* error) {
    int fds[2];
    if (pipe(fds) != 0) {
        *error = "pipe failed";
        return false;
    }
    argv.insert(argv.begin() + 1, {"-displayfd", std::to_string(fds[1])});
    pid_ = fork();
    if (pid_ < 0) {
        *error = "fork failed";
        return false;
    }
    if (pid_ == 0) {
        close(fds[0]);
        const int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0) {
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);

    // The server writes the display number it took, then a newline, once it accepts clients.
    std::string number;
    const auto  deadline = Clock::now() + std::chrono::seconds(10);
    while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd    p{fds[0], POLLIN, 0};
        const int left = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
        if (poll(&p, 1, std::max(left, 1)) <= 0) continue;
        char          buffer[32];
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, static_cast<size_t>(got));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        *error = argv[0] + " did not start";
        Stop();
        return false;
    }
    if (!Attach(":" + number.substr(0, number.find('\n')), error)) {
        Stop();
        return false;
    }
    return true;
}

bool XvfbServer::Attach(const std::string& displayName, std::string* error) {
    displayName_ = displayName;
    XSetErrorHandler(IgnoreXError);
    connection_ = XOpenDisplay(displayName_.c_str());
    if (!connection_) {
        *error = "cannot connect to " + displayName_;
        return false;
    }
    // SDL sets the decoration hints only where a window manager made their atom
    // exist; creating it lets a bare server tell frameless windows apart.
    XInternAtom(Dpy(*this), "_MOTIF_WM_HINTS", False);
    XSync(Dpy(*this), False);
    return true;
}

void XvfbServer::Stop() {
    if (connection_) XCloseDisplay(Dpy(*this));
    connection_ = nullptr;
    EndServer(&pid_);
    if (!logFile_.empty()) {
        unlink(logFile_.c_str());
        unlink((logFile_ + ".old").c_str());
    }
    logFile_.clear();
}

ProgramRun::~ProgramRun() {
    if (Running()) {
        Kill();
        WaitForExit(5000);
    }
    if (!outputPath_.empty()) unlink(outputPath_.c_str());
}

bool ProgramRun::Start(const std::string& binary, const std::string& workDir, const std::string& displayName,
                       std::string* error) {
    return Launch(binary, workDir, displayName, "", error);
}

bool ProgramRun::StartOnWayland(const std::string& binary, const std::string& workDir, const std::string& socket,
                                const std::string& displayName, std::string* error) {
    return Launch(binary, workDir, displayName, socket, error);
}

bool ProgramRun::Launch(const std::string& binary, const std::string& workDir, const std::string& displayName,
                        const std::string& socket, std::string* error) {
    if (Running()) return false;
    if (!outputPath_.empty()) unlink(outputPath_.c_str());
    status_     = -1;
    char path[] = "/tmp/island-e2e-output-XXXXXX";
    const int output = mkstemp(path);
    if (output < 0) {
        *error = "no output file";
        return false;
    }
    outputPath_ = path;
    pid_        = fork();
    if (pid_ < 0) {
        *error = "fork failed";
        close(output);
        return false;
    }
    if (pid_ == 0) {
        setpgid(0, 0);
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        if (chdir(workDir.c_str()) != 0) _exit(126);
        if (socket.empty()) {
            unsetenv("WAYLAND_DISPLAY");
        } else {
            setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", socket.substr(0, socket.rfind('/')).c_str(), 1);
        }
        if (displayName.empty()) {
            unsetenv("DISPLAY");
        } else {
            setenv("DISPLAY", displayName.c_str(), 1);
        }
#ifdef ISLAND_VIEWER_PRELOAD
        // Mesa unloads its GL driver when the display closes, so LeakSanitizer could
        // no longer name the module of the driver's own allocations and no
        // suppression would match them. Loading the driver up front keeps it mapped.
        setenv("LD_PRELOAD", ISLAND_VIEWER_PRELOAD, 1);
#endif
        execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(pid_, pid_);
    close(output);
    return true;
}

int ProgramRun::WaitForExit(int timeoutMs) {
    if (status_ != -1 || pid_ <= 0) return status_;
    status_ = Reap(pid_, timeoutMs);
    return status_;
}

bool ProgramRun::Running() { return pid_ > 0 && status_ == -1 && WaitForExit(0) == -1; }

void ProgramRun::Terminate() { Signal(SIGTERM); }

void ProgramRun::Signal(int sig) {
    if (Running()) kill(pid_, sig);
}

void ProgramRun::Kill() {
    if (pid_ > 0 && status_ == -1) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
    }
}

std::string ProgramRun::Output() const {
    std::ifstream     in(outputPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<WindowInfo> ListNamedWindows(const XvfbServer& server) {
    std::vector<WindowInfo> found;
    Display* display = Dpy(server);
    if (!display) return found;
    CollectNamed(display, DefaultRootWindow(display), &found);
    return found;
}

std::vector<WindowInfo> ListWindowsOf(const XvfbServer& server, pid_t pid) {
    std::vector<WindowInfo> found;
    if (Display* display = Dpy(server)) {
        const auto ofProcess = [display, pid](Window w, const std::string&) {
            return CardinalOf(display, w, "_NET_WM_PID") == pid;
        };
        CollectWhere(display, DefaultRootWindow(display), ofProcess, &found);
    }
    return found;
}

bool IsFullscreenState(const XvfbServer& server, XWindow window) {
    Display* display = Dpy(server);
    if (!display) return false;
    const Atom     fullscreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    Atom           type       = 0;
    int            format     = 0;
    unsigned long  count = 0, after = 0;
    unsigned char* data = nullptr;
    bool           is   = false;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), 0, 32, False, XA_ATOM, &type,
                           &format, &count, &after, &data) == Success &&
        data && format == 32) {
        const Atom* states = reinterpret_cast<const Atom*>(data);
        is                 = std::find(states, states + count, fullscreen) != states + count;
    }
    if (data) XFree(data);
    return is;
}

std::vector<WindowInfo> ListMessageBoxes(const XvfbServer& server, const std::string& caption) {
    std::vector<WindowInfo> boxes;
    for (const auto& window : ListNamedWindows(server))
        if (window.name == caption) boxes.push_back(window);
    return boxes;
}

bool WaitForWindow(const XvfbServer& server, const std::string& name, int timeoutMs, WindowInfo* found) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        for (const auto& window : ListNamedWindows(server)) {
            if (window.name == name) {
                *found = window;
                return true;
            }
        }
        Pause();
    } while (Clock::now() < deadline);
    return false;
}

bool WaitForNoWindow(const XvfbServer& server, const std::string& name, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        if (ListMessageBoxes(server, name).empty()) return true;
        Pause();
    } while (Clock::now() < deadline);
    return false;
}

bool ReadClientGeometry(const XvfbServer& server, XWindow window, WindowInfo* info) {
    return Dpy(server) && ReadClientGeometryOf(Dpy(server), window, info);
}

bool IsDecorated(const XvfbServer& server, XWindow window) {
    Display*   display = Dpy(server);
    const Atom hints   = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    Atom           type   = 0;
    int            format = 0;
    unsigned long  count = 0, after = 0;
    unsigned char* data = nullptr;
    // A window that is gone has no decorations; one without hints gets the default frame.
    if (XGetWindowProperty(display, window, hints, 0, 5, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) != Success)
        return false;
    if (!data) return true;
    // flags, functions, decorations, ...: decorations count only when flag 2 is set.
    const long* values    = reinterpret_cast<const long*>(data);
    const bool  decorated = !(format == 32 && count >= 3 && (values[0] & 2) && values[2] == 0);
    XFree(data);
    return decorated;
}

bool SendKeys(const XvfbServer& server, XWindow window, const std::vector<std::string>& keys) {
    return SendWithFocus(server, window, Stroke::Tap, keys);
}

bool SendTap(const XvfbServer& server, XWindow window, const std::string& key) {
    return SendWithFocus(server, window, Stroke::Tap, {key}, 0);
}

bool SendKeyDown(const XvfbServer& server, XWindow window, const std::string& key) {
    return SendWithFocus(server, window, Stroke::Down, {key});
}

bool SendKeyUp(const XvfbServer& server, XWindow window, const std::string& key) {
    return SendWithFocus(server, window, Stroke::Up, {key});
}

bool ClosePolitely(const XvfbServer& server, XWindow window) {
    Display* display = Dpy(server);
    if (!display) return false;
    XEvent event{};
    event.xclient.type         = ClientMessage;
    event.xclient.window       = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format       = 32;
    event.xclient.data.l[0]    = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1]    = CurrentTime;
    const bool sent            = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XSync(display, False);
    return sent;
}

bool SendKeysAsEvents(const XvfbServer& server, XWindow window, const std::vector<std::string>& keys) {
    Display* display = Dpy(server);
    if (!display) return false;
    for (size_t i = 0; i < keys.size(); ++i) {
        KeyStroke press;
        if (!ParseKey(display, keys[i], &press)) return false;
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(30));
        XEvent event{};
        event.xkey.display     = display;
        event.xkey.window      = window;
        event.xkey.root        = DefaultRootWindow(display);
        event.xkey.time        = CurrentTime;
        event.xkey.same_screen = True;
        event.xkey.state       = press.state;
        event.xkey.keycode     = press.codes.back();
        for (const int type : {KeyPress, KeyRelease}) {
            event.xkey.type = type;
            const long mask = type == KeyPress ? KeyPressMask : KeyReleaseMask;
            if (!XSendEvent(display, window, True, mask, &event)) return false;
        }
        XFlush(display);
    }
    XSync(display, False);
    return true;
}

bool ClickAt(const XvfbServer& server, int x, int y) {
    return RunTool(server, {"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"});
}

bool DestroyFromOutside(const XvfbServer& server, XWindow window) {
    Display* display = Dpy(server);
    if (!display) return false;
    XDestroyWindow(display, window);
    XSync(display, False);
    return true;
}

std::string CurrentMode(const XvfbServer& server) {
    const std::string command = "DISPLAY=" + server.DisplayName() + " timeout 10 xrandr --current 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {};
    // A mode line reads "   640x480     59.95*"; the star marks the current one.
    char        line[256];
    std::string mode;
    while (fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string        size, rate;
        fields >> size >> rate;
        if (line[0] == ' ' && rate.find('*') != std::string::npos) mode = size;
    }
    pclose(pipe);
    return mode;
}

std::vector<uint8_t> GrabScreenRgb(const XvfbServer& server, int* width, int* height) {
    Display* display = Dpy(server);
    return display ? GrabWindowRgb(server, DefaultRootWindow(display), width, height) : std::vector<uint8_t>{};
}

std::vector<uint8_t> GrabWindowRgb(const XvfbServer& server, XWindow window, int* width, int* height) {
    std::vector<uint8_t> rgb;
    Display* display = Dpy(server);
    if (!display) return rgb;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return rgb;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return rgb;
    *width  = attributes.width;
    *height = attributes.height;
    rgb.reserve(static_cast<size_t>(*width) * static_cast<size_t>(*height) * 3);
    for (int y = 0; y < *height; ++y) {
        for (int x = 0; x < *width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            rgb.push_back(static_cast<uint8_t>((pixel & image->red_mask) >> __builtin_ctzl(image->red_mask)));
            rgb.push_back(static_cast<uint8_t>((pixel & image->green_mask) >> __builtin_ctzl(image->green_mask)));
            rgb.push_back(static_cast<uint8_t>((pixel & image->blue_mask) >> __builtin_ctzl(image->blue_mask)));
        }
    }
    XDestroyImage(image);
    return rgb;
}

void AddSanitizerOption(const std::string& option) {
    const char* options = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(options ? options : "") + ":" + option).c_str(), 1);
}

std::string MakeTempDir() {
    char path[] = "/tmp/island-e2e-XXXXXX";
    return mkdtemp(path) ? std::string(path) : std::string();
}

}  // namespace e2e
