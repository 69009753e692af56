// sdl_signals.cpp — how signals end the program under SDL. A signal that asks the
// program to end (SIGTERM, SIGINT, SIGHUP, SIGQUIT and the others whose default is to
// end the process) is only noted here: the next poll of the queue hands the program
// a quit, the program leaves through its own teardown, which gives the display mode
// back and ends any box, and the process then dies of that signal as it would have.
// A fault (SIGSEGV and the like) leaves no program to return to: while the display
// mode is changed, its handler brings the mode back itself and the process ends at
// once; so does a program that has not come back to its queue 5 s after a signal. SIGKILL
// and SIGSTOP cannot be caught; a signal the process was started to ignore (SIGHUP
// under nohup) stays ignored.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iterator>

#include "platform/sdl_layer.h"

namespace sdl {
namespace {

constexpr int kEndingSignals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2,
                                  SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR,  SIGSTKFLT};
constexpr int kFaultSignals[]  = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};

volatile sig_atomic_t endingSignal = 0;
volatile sig_atomic_t fatalSignal  = 0;

struct sigaction previousFaultActions[std::size(kFaultSignals)];
bool             faultGuarded[std::size(kFaultSignals)] = {};
bool             faultGuardOn                          = false;

void RaiseUnblocked(int sig) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
}

// The restore did not finish (the crash may have left Xlib's lock held): die anyway.
void DieOfFatalSignal(int) {
    signal(fatalSignal, SIG_DFL);
    RaiseUnblocked(fatalSignal);
    _exit(128 + fatalSignal);
}

// Gives the mode back where it is changed, from a handler, then ends of `sig`: by its
// default action, or by the handler that was there before the layer's (a sanitizer's).
[[noreturn]] void EndFromHandler(int sig, bool byDefault) {
    fatalSignal = sig;
    signal(SIGALRM, DieOfFatalSignal);
    alarm(3);
    // Not async-signal-safe, but the process is ending and the desktop is at stake.
    LeaveDisplayMode();   // also puts the previous handlers back
    alarm(0);
    if (byDefault) signal(sig, SIG_DFL);
    RaiseUnblocked(sig);
    _exit(128 + sig);
}

// The program did not come back to its queue in time: it hangs in a call that never
// returns (SDL 2.32 waits for ever for a Wayland window that kwin 6 never configures
// while libdecor has no plugin), and the signal would otherwise be lost.
void EndHungProgram(int) { EndFromHandler(endingSignal, true); }

constexpr unsigned kSecondsToComeBack = 5;

void NoteEndingSignal(int sig) {
    if (endingSignal) return;
    endingSignal = sig;
    signal(SIGALRM, EndHungProgram);
    alarm(kSecondsToComeBack);
}

void RestoreModeOnFault(int sig, siginfo_t* info, void*) {
    // One sent by another process (kill -SEGV) finds the program sound, perhaps in the
    // middle of an X request that a restore must not cut into: it ends the program the
    // ordinary way, with the same outcome.
    if (info && info->si_code <= 0 && info->si_pid != getpid()) {
        NoteEndingSignal(sig);
        return;
    }
    // A fault raised by an instruction comes again when the handler returns, now to the
    // previous handler (a sanitizer's, say), with its true context; any other is
    // raised again, to that handler too.
    if (!(info && info->si_code > 0)) EndFromHandler(sig, false);
    fatalSignal = sig;
    signal(SIGALRM, DieOfFatalSignal);
    alarm(3);
    LeaveDisplayMode();
    alarm(0);
}

}  // namespace

void InstallEndingSignals() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = NoteEndingSignal;
    sigemptyset(&action.sa_mask);
    for (const int sig : kEndingSignals) {
        struct sigaction current {};
        // A handler of someone else's decides what the signal means; an ignored one stays so.
        if (sigaction(sig, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL)
            continue;
        sigaction(sig, &action, nullptr);
    }
}

int EndingSignal() { return endingSignal; }

void GuardFaults(bool on) {
    if (on == faultGuardOn) return;
    faultGuardOn = on;
    if (!on) {
        for (size_t i = 0; i < std::size(kFaultSignals); ++i)
            if (faultGuarded[i]) sigaction(kFaultSignals[i], &previousFaultActions[i], nullptr);
        std::fill(std::begin(faultGuarded), std::end(faultGuarded), false);
        return;
    }
    struct sigaction action {};
    action.sa_sigaction = RestoreModeOnFault;
    action.sa_flags     = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    // Whatever handled a fault before (a sanitizer) still gets it, after the restore.
    for (size_t i = 0; i < std::size(kFaultSignals); ++i)
        faultGuarded[i] = sigaction(kFaultSignals[i], &action, &previousFaultActions[i]) == 0;
}

[[noreturn]] void EndProcess(int32_t exitCode) {
    if (const int sig = endingSignal) {
        signal(sig, SIG_DFL);
        RaiseUnblocked(sig);
        _exit(128 + sig);
    }
    std::exit(exitCode);
}

}  // namespace sdl
