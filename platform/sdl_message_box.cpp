// sdl_message_box.cpp — modal message boxes through SDL, which shows each one from a
// child process: its own drawing on X11, zenity on Wayland.
//
// The child must not outlive the program. It dies with it (a parent-death signal set
// as it starts), and a signal that asks the program to end while a box waits for an
// answer ends the box first, then the program, instead of waiting for someone to
// press a button.
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <csignal>
#include <cstdio>
#include <iterator>

#include "platform/sdl_layer.h"

namespace sdl {
namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

struct sigaction      previousActions[std::size(kEndingSignals)];
volatile sig_atomic_t showingBox   = 0;
volatile sig_atomic_t endingSignal = 0;
volatile pid_t        boxChild     = 0;
pid_t                 boxParent    = 0;
int                   childPids[2] = {-1, -1};   // the box's child tells its pid here

// Runs in every child forked while a box is being shown, before SDL's own code.
void PrepareBoxChild() {
    if (!showingBox) return;
    // SDL tries its next kind of box when one fails; once the program is ending, none.
    if (endingSignal) _exit(1);
    for (int sig : kEndingSignals) signal(sig, SIG_DFL);
#ifdef __linux__
    prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    if (getppid() != boxParent) _exit(1);   // the program ended while this was forked
    const pid_t self = getpid();
    if (write(childPids[1], &self, sizeof self) != sizeof self) _exit(1);
}

void EndBox(int sig) {
    pid_t child = boxChild;
    if (child == 0 && read(childPids[0], &child, sizeof child) == sizeof child) boxChild = child;
    if (child > 0) kill(child, SIGKILL);
    endingSignal = sig;
}

bool BeginBox() {
    static bool forkHandler = pthread_atfork(nullptr, nullptr, PrepareBoxChild) == 0;
    if (!forkHandler || pipe2(childPids, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    boxParent    = getpid();
    boxChild     = 0;
    endingSignal = 0;
    struct sigaction action {};
    action.sa_handler = EndBox;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) sigaction(kEndingSignals[i], &action, &previousActions[i]);
    showingBox = 1;
    return true;
}

void FinishBox() {
    showingBox = 0;
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) sigaction(kEndingSignals[i], &previousActions[i], nullptr);
    close(childPids[0]);
    close(childPids[1]);
    childPids[0] = childPids[1] = -1;
}

SDL_MessageBoxFlags SeverityFor(uint32_t type) {
    switch (type & 0xF0) {
    case MB_ICONSTOP: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    case MB_ICONINFORMATION: return SDL_MESSAGEBOX_INFORMATION;
    default: return static_cast<SDL_MessageBoxFlags>(0);
    }
}

}  // namespace

}  // namespace sdl

using namespace sdl;

// Yes is the Return-key answer and No the Escape-key answer of a question; a box
// closed without a button, or none shown at all, answers No (or OK, for an OK box).
int32_t PlatMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t type) {
    const bool question = (type & 0x0F) == MB_YESNO;
    const SDL_MessageBoxButtonData questionButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
    };
    const SDL_MessageBoxButtonData okButton[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"},
    };
    PlatWindowRec* ownerWindow = FindWindow(owner);

    SDL_MessageBoxData box{};
    // SDL picks zenity's icon by comparing the whole flags with the severity, so on
    // Wayland the button order, which zenity decides anyway, is left out of them.
    box.flags = SeverityFor(type);
    if (!g_layer.videoReady || !OnWayland()) box.flags |= SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.window     = ownerWindow ? ownerWindow->sdl : nullptr;
    box.title      = caption ? caption : "";
    box.message    = text ? text : "";
    box.numbuttons = question ? 2 : 1;
    box.buttons    = question ? questionButtons : okButton;

    const int32_t unanswered = question ? IDNO : IDOK;
    int           pressed    = -1;
    // Without a display no box can be shown, yet SDL may still hand the box to a dialog
    // helper that fails quietly and report it answered; the message would reach nobody.
    bool shown = false;
    if (g_layer.videoReady) {
        const bool guarded = BeginBox();
        shown              = SDL_ShowMessageBox(&box, &pressed) == 0;
        if (guarded) FinishBox();
        if (endingSignal) EndOnSignal(endingSignal);
    }
    if (!shown) {
        std::fprintf(stderr, "%s: %s\n", box.title, box.message);
        return unanswered;
    }
    return pressed < 0 ? unanswered : pressed;
}
