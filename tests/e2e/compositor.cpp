// compositor.cpp — starting, driving and ending the four Wayland desktops.
#include "tests/e2e/compositor.h"

#include <fcntl.h>
#include <glob.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
    std::ifstream     in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Installed(const char* program) { return system(("command -v " + std::string(program) + " >/dev/null").c_str()) == 0; }

// The first path matching `pattern`, or "".
std::string FirstMatch(const std::string& pattern) {
    glob_t found{};
    std::string path;
    if (glob(pattern.c_str(), 0, nullptr, &found) == 0 && found.gl_pathc > 0) path = found.gl_pathv[0];
    globfree(&found);
    return path;
}

// The word after `marker` in `text`, or "".
std::string WordAfter(const std::string& text, const std::string& marker) {
    const size_t at = text.find(marker);
    if (at == std::string::npos) return {};
    const size_t start = at + marker.size();
    return text.substr(start, text.find_first_of("\n ,'", start) - start);
}

// Ends every process that still runs in this desktop's runtime folder: what a desktop
// starts through a shell (sway's exec lines) leaves its process group and would
// outlive it.
void EndStragglers(const std::string& runtimeDir) {
    const std::string marker = "XDG_RUNTIME_DIR=" + runtimeDir;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream     environ(entry.path() / "environ", std::ios::binary);
        std::string       variable;
        while (std::getline(environ, variable, '\0')) {
            if (variable == marker) {
                kill(std::stoi(name), SIGKILL);
                break;
            }
        }
    }
}

}  // namespace

const char* NameOf(Desktop desktop) {
    switch (desktop) {
    case Desktop::Weston: return "weston";
    case Desktop::Mutter: return "mutter";
    case Desktop::Kwin: return "kwin";
    case Desktop::Sway: return "sway";
    case Desktop::KwinX11: return "kwin_x11";
    }
    return "?";
}

CompositorRun::~CompositorRun() { Stop(); }

bool CompositorRun::Available(Desktop desktop, bool xwayland, std::string* why) {
    switch (desktop) {
    case Desktop::Weston:
        if (!Installed("weston") || system("ls /usr/lib/*/libweston-*/x11-backend.so >/dev/null 2>&1") != 0) {
            *why = "no weston with its x11 backend (package weston)";
            return false;
        }
        break;
    case Desktop::Mutter:
        if (!Installed("mutter") || !Installed("dbus-run-session")) {
            *why = "no mutter (packages mutter, dbus)";
            return false;
        }
        break;
    case Desktop::Kwin:
        if (!Installed("kwin_wayland") || !Installed("dbus-send")) {
            *why = "no kwin (packages kwin-wayland, dbus)";
            return false;
        }
        break;
    case Desktop::KwinX11:
        if (!Installed("kwin_x11") || !Installed("dbus-run-session") || !Installed("dbus-send")) {
            *why = "no kwin_x11 (packages kwin-x11, dbus)";
            return false;
        }
        break;
    case Desktop::Sway:
        if (!Installed("sway") || !Installed("wtype") || !Installed("grim") || !Installed("setpriv") ||
            !getpwnam("nobody")) {
            *why = "no sway with wtype and grim, or no user nobody to run it as (packages sway, wtype, grim)";
            return false;
        }
        if (xwayland && !Installed("xhost")) {
            *why = "no xhost to let the tests reach sway's Xwayland (package x11-xserver-utils)";
            return false;
        }
        break;
    }
    if (xwayland && !Installed("Xwayland")) {
        *why = "no Xwayland (package xwayland)";
        return false;
    }
    return true;
}

bool CompositorRun::Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
                          const std::string& log) {
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        // A group of its own: the desktop's helpers (Xwayland, its bus) end with it.
        setpgid(0, 0);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("DISPLAY");
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        for (const std::string& assignment : env) putenv(const_cast<char*>(assignment.c_str()));
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
        }
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    setpgid(pid_, pid_);
    return true;
}

bool CompositorRun::Start(Desktop desktop, const XvfbServer* host, bool xwayland, std::string* error) {
    desktop_    = desktop;
    host_       = host;
    runtimeDir_ = MakeTempDir();
    chmod(runtimeDir_.c_str(), 0700);
    log_ = runtimeDir_ + "/compositor.log";
    bool started = false;
    switch (desktop) {
    case Desktop::Weston: started = StartWeston(host, xwayland, error); break;
    case Desktop::Mutter: started = StartMutter(host, error); break;
    case Desktop::Kwin: started = StartKwin(error); break;
    case Desktop::Sway: started = StartSway(xwayland, error); break;
    case Desktop::KwinX11: started = StartKwinX11(host, error); break;
    }
    if (!started) {
        *error = std::string(NameOf(desktop)) + " did not start: " + *error;
        Stop();
        return false;
    }
    // Up once the socket exists, and Xwayland once the desktop has said where it is.
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline) {
        if (WaitForProcess(pid_, 0) != -1) break;
        const std::string log = ReadFile(log_);
        switch (desktop) {
        case Desktop::Weston: xDisplay_ = WordAfter(log, "listening on display "); break;
        case Desktop::Mutter:
            xDisplay_   = WordAfter(log, "Using public X11 display ");
            xAuthority_ = FirstMatch(runtimeDir_ + "/.mutter-Xwaylandauth.*");
            break;
        case Desktop::KwinX11:
        case Desktop::Kwin: {
            std::istringstream session(ReadFile(runtimeDir_ + "/session.env"));
            session >> xDisplay_ >> busAddress_;
            if (xDisplay_ == "-") xDisplay_.clear();
            break;
        }
        case Desktop::Sway:
            socket_ = FirstMatch(runtimeDir_ + "/wayland-[0-9]");
            if (xwayland && !ReadFile(runtimeDir_ + "/xhost.done").empty()) {
                std::istringstream display(ReadFile(runtimeDir_ + "/display"));
                display >> xDisplay_;
            }
            break;
        }
        // kwin_x11 is up once it composites the host's screen.
        if (desktop == Desktop::KwinX11) {
            Display* x = static_cast<Display*>(host->Connection());
            if (!busAddress_.empty() && XGetSelectionOwner(x, XInternAtom(x, "_NET_WM_CM_S0", False)) != None)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        const bool kwinReady = desktop != Desktop::Kwin || !busAddress_.empty();
        if (!socket_.empty() && access(socket_.c_str(), F_OK) == 0 && kwinReady && (!xwayland || !xDisplay_.empty()))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    *error = std::string(NameOf(desktop)) + " did not come up; its log:\n" + ReadFile(log_);
    Stop();
    return false;
}

bool CompositorRun::StartWeston(const XvfbServer* host, bool xwayland, std::string* error) {
    socket_ = runtimeDir_ + "/wayland-e2e";
    std::vector<std::string> args{"weston", host ? "--backend=x11-backend.so" : "--backend=headless-backend.so",
                                  "--socket=wayland-e2e", "--width=1024", "--height=768", "--idle-time=0"};
    if (xwayland) args.push_back("--xwayland");
    std::vector<std::string> env{"XDG_RUNTIME_DIR=" + runtimeDir_};
    if (host) env.push_back("DISPLAY=" + host->DisplayName());
    if (!Spawn(args, env, log_)) *error = "fork failed";
    return pid_ > 0;
}

// mutter runs on its own session bus, as gnome-shell would; it writes the Xauthority
// file for its Xwayland into the runtime folder.
// mutter 49 and later no longer run nested in an X server; they run headless, with a
// virtual monitor that a test cannot look at or type into (its Xwayland it can).
bool CompositorRun::StartMutter(const XvfbServer* host, std::string* error) {
    std::string help;
    RunHelper({"mutter", "--help"}, {}, &help);
    const bool nested = help.find("--nested") != std::string::npos;
    if (nested && !host) {
        *error = "mutter runs nested in an X server here";
        return false;
    }
    if (!nested) host_ = nullptr;
    socket_ = runtimeDir_ + "/wayland-e2e";
    std::vector<std::string> args{"dbus-run-session", "--", "mutter", "--wayland-display=wayland-e2e"};
    if (nested) {
        args.insert(args.end(), {"--nested", "--wayland"});
    } else {
        args.insert(args.end(), {"--headless", "--virtual-monitor", "1024x768"});
    }
    std::vector<std::string> env{"XDG_RUNTIME_DIR=" + runtimeDir_, "MUTTER_DEBUG_DUMMY_MODE_SPECS=1024x768",
                                 "HOME=" + runtimeDir_};
    if (nested) env.push_back("DISPLAY=" + host->DisplayName());
    if (!Spawn(args, env, log_)) *error = "fork failed";
    return pid_ > 0;
}

// The installed kwin_wayland carries a file capability that a container may refuse to
// grant; a plain copy runs, as long as its name is still kwin_wayland. Its session
// command tells the tests the Xwayland display and the bus its scripts go through.
bool CompositorRun::StartKwin(std::string* error) {
    const std::string bin = runtimeDir_ + "/bin";
    std::error_code   failed;
    std::filesystem::create_directories(bin, failed);
    std::filesystem::copy_file("/usr/bin/kwin_wayland", bin + "/kwin_wayland", failed);
    if (failed) {
        *error = "cannot copy kwin_wayland: " + failed.message();
        return false;
    }
    const std::string session = runtimeDir_ + "/session.sh";
    {
        std::ofstream script(session);
        script << "#!/bin/sh\necho \"${DISPLAY:--} $DBUS_SESSION_BUS_ADDRESS\" > \"$XDG_RUNTIME_DIR/session.env\"\n"
                  "exec sleep 100000\n";
    }
    chmod(session.c_str(), 0755);
    // From kwin 6.7 on, keys that an X11 client sends through XTest (as the tests do)
    // wait for the user to allow "Remote Control" in a dialog that takes the focus;
    // a desktop's user who runs such a tool says yes once, and so does this setting.
    std::filesystem::create_directories(runtimeDir_ + "/.config", failed);
    std::ofstream(runtimeDir_ + "/.config/kwinrc") << "[Xwayland]\nXwaylandEisNoPrompt=true\n";
    socket_ = runtimeDir_ + "/wayland-e2e";
    const std::vector<std::string> args{"dbus-run-session", "--", bin + "/kwin_wayland", "--virtual", "--xwayland",
                                        "--width", "1024", "--height", "768", "--socket", "wayland-e2e",
                                        "--exit-with-session", session};
    // Scripts report through print(), which kwin logs in this category.
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + runtimeDir_, "HOME=" + runtimeDir_,
                                       "QT_LOGGING_RULES=kwin_scripting=true"};
    if (!Spawn(args, env, log_)) *error = "fork failed";
    return pid_ > 0;
}

// KWIN_COMPOSE keeps the compositor on over Mesa's software renderer, which kwin
// would otherwise take for too slow.
bool CompositorRun::StartKwinX11(const XvfbServer* host, std::string* error) {
    if (!host) {
        *error = "kwin_x11 needs an X server";
        return false;
    }
    const std::string session = runtimeDir_ + "/session.sh";
    {
        std::ofstream script(session);
        script << "#!/bin/sh\necho \"$DISPLAY $DBUS_SESSION_BUS_ADDRESS\" > \"$XDG_RUNTIME_DIR/session.env\"\n"
                  "exec kwin_x11 --replace\n";
    }
    chmod(session.c_str(), 0755);
    const std::vector<std::string> args{"dbus-run-session", "--", session};
    const std::vector<std::string> env{"DISPLAY=" + host->DisplayName(), "XDG_RUNTIME_DIR=" + runtimeDir_,
                                       "HOME=" + runtimeDir_, "KWIN_COMPOSE=O2", "QT_QPA_PLATFORM=xcb",
                                       "QT_LOGGING_RULES=kwin_scripting=true"};
    if (!Spawn(args, env, log_)) *error = "fork failed";
    return pid_ > 0;
}

// sway refuses to run as root. For Wayland clients a virtual keyboard of its own stays
// attached from the start, as a desktop's keyboard does: keys sent by a passing tool
// would otherwise reach no window, since the seat would gain its keyboard only with
// that tool.
bool CompositorRun::StartSway(bool xwayland, std::string* error) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody || chown(runtimeDir_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
        *error = "cannot hand the runtime folder to nobody";
        return false;
    }
    const std::string config = runtimeDir_ + "/config";
    {
        std::ofstream out(config);
        out << "output HEADLESS-1 resolution 1024x768\n";
        // sway's Xwayland lets in only sway's own user unless told otherwise. It takes
        // its keymap from the seat's keyboard, and wtype's holds only the keys it
        // types: keys sent through X would land on other keys. X11 clients get their
        // keys through X, so there the seat keeps no keyboard.
        if (xwayland) {
            out << "exec sh -c 'echo \"$DISPLAY\" > " << runtimeDir_ << "/display; xhost +si:localuser:root && echo done > "
                << runtimeDir_ << "/xhost.done'\n";
        } else {
            out << "xwayland disable\n"
                << "exec wtype -s 86400000 -k F1\n";
        }
    }
    chmod(config.c_str(), 0644);
    const std::vector<std::string> args{"setpriv", "--reuid=nobody", "--regid=" + std::to_string(nobody->pw_gid),
                                        "--clear-groups", "sway", "-c", config};
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + runtimeDir_, "HOME=" + runtimeDir_,
                                       "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"};
    if (!Spawn(args, env, log_)) *error = "fork failed";
    return pid_ > 0;
}

void CompositorRun::Stop() {
    if (pid_ > 0) {
        kill(-pid_, SIGTERM);
        if (WaitForProcess(pid_, 5000) == -1) {
            kill(-pid_, SIGKILL);
            WaitForProcess(pid_, 5000);
        }
        kill(-pid_, SIGKILL);   // whatever of its group outlived it
    }
    pid_ = -1;
    if (!runtimeDir_.empty()) EndStragglers(runtimeDir_);
    if (!runtimeDir_.empty()) std::filesystem::remove_all(runtimeDir_);
    runtimeDir_.clear();
    socket_.clear();
    xDisplay_.clear();
    xAuthority_.clear();
    busAddress_.clear();
}

bool CompositorRun::CanType() const {
    return desktop_ == Desktop::Sway || (host_ && (desktop_ == Desktop::Weston || desktop_ == Desktop::Mutter));
}

bool CompositorRun::TypeKeys(const std::vector<std::string>& keys) {
    switch (desktop_) {
    case Desktop::Weston:
        // weston's x11 backend takes keys only as core events.
        for (const WindowInfo& w : ListNamedWindows(*host_)) SendKeysAsEvents(*host_, w.id, keys);
        return true;
    case Desktop::Mutter:
        for (const WindowInfo& w : ListNamedWindows(*host_))
            if (w.name == "mutter") return SendKeys(*host_, w.id, keys);
        return false;
    case Desktop::Sway:
        for (const std::string& key : keys)
            if (!RunHelper({"wtype", "-k", key}, {"XDG_RUNTIME_DIR=" + runtimeDir_, "WAYLAND_DISPLAY=" + socket_},
                           nullptr))
                return false;
        return true;
    case Desktop::Kwin:
    case Desktop::KwinX11: return false;
    }
    return false;
}

bool CompositorRun::CanClose() const {
    return desktop_ == Desktop::Sway || desktop_ == Desktop::Kwin || desktop_ == Desktop::KwinX11;
}

bool CompositorRun::CloseFocusedWindow() {
    if (desktop_ == Desktop::Sway) return RunSwayMsg({"kill"}, nullptr);
    if (desktop_ == Desktop::Kwin || desktop_ == Desktop::KwinX11)
        return RunKwinScript("windows.forEach(function (c) { if (c.caption) c.closeWindow(); });",
                             nullptr);
    return false;
}

bool CompositorRun::CanTellFullscreen() const { return desktop_ == Desktop::Sway || desktop_ == Desktop::Kwin; }

bool CompositorRun::IsFullscreen(const std::string& title, bool* fullscreen) {
    if (desktop_ == Desktop::Kwin) {
        std::string printed;
        if (!RunKwinScript("windows.forEach(function (c) { print('toplevel|' + c.caption + '|' + "
                           "c.fullScreen); });",
                           &printed))
            return false;
        const std::string line = "toplevel|" + title + "|";
        const size_t      at   = printed.rfind(line);
        if (at == std::string::npos) return false;
        *fullscreen = printed.compare(at + line.size(), 4, "true") == 0;
        return true;
    }
    if (desktop_ == Desktop::Sway) {
        // In the tree a window's fullscreen mode follows its name, before the next node.
        std::string tree;
        if (!RunSwayMsg({"-t", "get_tree"}, &tree)) return false;
        std::string quoted;
        for (const char c : title) quoted += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
        const size_t at = tree.find("\"name\": \"" + quoted + "\"");
        if (at == std::string::npos) return false;
        const size_t mode = tree.find("\"fullscreen_mode\": ", at);
        if (mode == std::string::npos) return false;
        *fullscreen = tree.compare(mode + 19, 1, "0") != 0;
        return true;
    }
    return false;
}

bool CompositorRun::CanGrabOutput() const {
    return desktop_ == Desktop::Sway || (host_ && (desktop_ == Desktop::Weston || desktop_ == Desktop::Mutter));
}

std::vector<uint8_t> CompositorRun::GrabOutputRgb(int* width, int* height) {
    if (desktop_ != Desktop::Sway) return host_ ? GrabScreenRgb(*host_, width, height) : std::vector<uint8_t>{};
    std::string ppm;
    if (!RunHelper({"grim", "-t", "ppm", "-"}, {"XDG_RUNTIME_DIR=" + runtimeDir_, "WAYLAND_DISPLAY=" + socket_}, &ppm))
        return {};
    // "P6\n<width> <height>\n255\n" and the pixels.
    std::istringstream header(ppm);
    std::string        magic;
    int                maxValue = 0;
    header >> magic >> *width >> *height >> maxValue;
    const size_t start = static_cast<size_t>(header.tellg()) + 1;
    const size_t bytes = static_cast<size_t>(*width) * static_cast<size_t>(*height) * 3;
    if (magic != "P6" || maxValue != 255 || ppm.size() < start + bytes) return {};
    return std::vector<uint8_t>(ppm.begin() + static_cast<long>(start), ppm.begin() + static_cast<long>(start + bytes));
}

bool CompositorRun::SwitchLayout(const std::string& layout) {
    return desktop_ == Desktop::Sway && RunSwayMsg({"input", "type:keyboard", "xkb_layout", layout}, nullptr);
}

bool CompositorRun::RunSwayMsg(const std::vector<std::string>& args, std::string* output) {
    const std::string ipc = FirstMatch(runtimeDir_ + "/sway-ipc.*.sock");
    if (ipc.empty()) return false;
    std::vector<std::string> command{"swaymsg", "-s", ipc};
    command.insert(command.end(), args.begin(), args.end());
    return RunHelper(command, {}, output);
}

// kwin runs a script loaded over its bus; what the script prints lands in kwin's log.
bool CompositorRun::RunKwinScript(const std::string& body, std::string* printed) {
    if (busAddress_.empty()) return false;
    const std::string path = runtimeDir_ + "/script" + std::to_string(++scripts_) + ".js";
    {
        std::ofstream script(path);
        // kwin 6 renamed clientList to windowList.
        script << "var windows = workspace.windowList ? workspace.windowList() : workspace.clientList();\n"
               << body << "\n";
    }
    const size_t                   logBefore = ReadFile(log_).size();
    const std::vector<std::string> env{"DBUS_SESSION_BUS_ADDRESS=" + busAddress_};
    if (!RunHelper({"dbus-send", "--session", "--print-reply", "--dest=org.kde.KWin", "/Scripting",
                    "org.kde.kwin.Scripting.loadScript", "string:" + path, "string:e2e" + std::to_string(scripts_)},
                   env, nullptr) ||
        !RunHelper({"dbus-send", "--session", "--print-reply", "--dest=org.kde.KWin", "/Scripting",
                    "org.kde.kwin.Scripting.start"},
                   env, nullptr))
        return false;
    if (printed) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const std::string log = ReadFile(log_);
        *printed              = log.size() > logBefore ? log.substr(logBefore) : std::string();
    }
    return true;
}

}  // namespace e2e
