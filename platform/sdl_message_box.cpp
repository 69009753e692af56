// sdl_message_box.cpp — modal message boxes through SDL, each shown from a child
// process of the layer's own.
//
// SDL shows a box in many ways: SDL 2.26 draws it on X11 in a child it forks, SDL 2.32
// tries zenity when that fails, SDL3 draws it in the calling process. None of them can
// be ended from outside once it waits for a button. So the layer forks the child that
// shows the box, in a process group of its own, and waits for its answer while it
// watches for a signal asking the program to end: then the child's whole group is
// ended, whatever SDL started in it, and the program leaves the ordinary way. The
// child dies with the program too, taking its group along.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "platform/sdl_layer.h"

namespace sdl {
namespace {

struct Answer {
    int shown;
    int pressed;
};

// In the child: the program ended (or the child learns it only now), so everything
// the child started goes with it.
void EndBoxGroup(int) { kill(0, SIGKILL); }

// Before any box SDL shows the cursor and lets the pointer go, requests it would send
// down the program's own display connection, which the child shares: interleaved with
// the program's, they would corrupt its stream. So every descriptor the child
// inherited reads as closed and writes to nowhere; the box opens a connection of its own.
void SeverInheritedConnections(int keepFd) {
    const int nowhere = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nowhere < 0) _exit(1);
    const long limit = sysconf(_SC_OPEN_MAX);
    for (int fd = STDERR_FILENO + 1; fd < (limit > 0 && limit < 4096 ? limit : 4096); ++fd)
        if (fd != keepFd && fd != nowhere && fcntl(fd, F_GETFD) != -1) dup2(nowhere, fd);
    close(nowhere);
}

[[noreturn]] void ShowInChild(const SDL_MessageBoxData& box, pid_t parent, int answerFd) {
    setpgid(0, 0);
    SeverInheritedConnections(answerFd);
    struct sigaction end {};
    end.sa_handler = EndBoxGroup;
    sigemptyset(&end.sa_mask);
    sigaction(SIGTERM, &end, nullptr);
#ifdef __linux__
    prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
    if (getppid() != parent) EndBoxGroup(0);
    Answer answer{0, -1};
    answer.shown = SDL_ShowMessageBox(&box, &answer.pressed) == 0;
    const bool told = write(answerFd, &answer, sizeof answer) == sizeof answer;
    // Nothing of the program's may run here: atexit handlers would talk to its display.
    _exit(told ? 0 : 1);
}

// Whether the box was shown, and the button pressed (-1 for none); false too when a
// signal ended it.
bool ShowAndWait(const SDL_MessageBoxData& box, int* pressed) {
    int answerPipe[2];
    if (pipe(answerPipe) != 0) return false;
    const pid_t parent = getpid();
    const pid_t child  = fork();
    if (child == 0) {
        close(answerPipe[0]);
        ShowInChild(box, parent, answerPipe[1]);
    }
    close(answerPipe[1]);
    if (child < 0) {
        close(answerPipe[0]);
        return false;
    }
    setpgid(child, child);   // also here, so that the group exists before it is ended
    Answer answer{0, -1};
    bool   answered = false;
    for (;;) {
        if (EndingSignal()) {
            kill(-child, SIGKILL);
            kill(child, SIGKILL);
            break;
        }
        pollfd ready{answerPipe[0], POLLIN, 0};
        if (poll(&ready, 1, 50) <= 0) continue;
        answered = read(answerPipe[0], &answer, sizeof answer) == sizeof answer;
        break;
    }
    close(answerPipe[0]);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    *pressed = answer.pressed;
    return answered && answer.shown;
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
// Once a signal has asked the program to end, no box is shown. A box has no owner: its
// window belongs to the child's connection, not to the program's.
int32_t PlatMessageBox(WindowHandle, const char* text, const char* caption, uint32_t type) {
    const bool question = (type & 0x0F) == MB_YESNO;
    const SDL_MessageBoxButtonData questionButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
    };
    const SDL_MessageBoxButtonData okButton[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"},
    };
    SDL_MessageBoxData box{};
    // SDL picks zenity's icon by comparing the whole flags with the severity, so on
    // Wayland the button order, which zenity decides anyway, is left out of them.
    box.flags = SeverityFor(type);
    if (!g_layer.videoReady || !OnWayland()) box.flags |= SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.title      = caption ? caption : "";
    box.message    = text ? text : "";
    box.numbuttons = question ? 2 : 1;
    box.buttons    = question ? questionButtons : okButton;

    const int32_t unanswered = question ? IDNO : IDOK;
    if (EndingSignal()) return unanswered;
    int pressed = -1;
    // Without a display no box can be shown, yet SDL may still hand the box to a dialog
    // helper that fails quietly and report it answered; the message would reach nobody.
    const bool shown = g_layer.videoReady && !g_layer.displayLost && ShowAndWait(box, &pressed);
    if (EndingSignal()) return unanswered;
    if (!shown) {
        std::fprintf(stderr, "%s: %s\n", box.title, box.message);
        return unanswered;
    }
    return pressed < 0 ? unanswered : pressed;
}
