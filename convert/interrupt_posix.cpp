// The signals that end a POSIX program while it writes: SIGINT, SIGTERM and
// SIGHUP remove this run's temporary files, then end it as they would have;
// SIGXFSZ is ignored, so that a write past the file-size limit fails with
// EFBIG ("File too large") and is reported like any other failed write.
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "interrupt.h"

namespace tarvel::interrupt {
namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void OnEndingSignal(int signal) {
    const int savedErrno = errno;
    if (HeldUntilLater(signal)) {
        errno = savedErrno;
        return;
    }
    RemoveRegisteredFiles();
    EndAsBy(signal);
}

// Only a signal still at the system's default is taken over: one the program
// ignores (nohup) or handles itself stays as it is.
bool AtDefault(int signal) {
    struct sigaction current {};
    return sigaction(signal, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
           current.sa_handler == SIG_DFL;
}

}  // namespace

void InstallHandlers() {
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : kEndingSignals) sigaddset(&action.sa_mask, signal);
    for (const int signal : kEndingSignals)
        if (AtDefault(signal)) sigaction(signal, &action, nullptr);
    if (AtDefault(SIGXFSZ)) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, nullptr);
    }
}

void RemoveNow(const char* path) { (void)::unlink(path); }

void EndAsBy(int signal) {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    // Inside the handler the signal is blocked: raised, it comes when let through.
    raise(signal);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    _exit(128 + signal);
}

}  // namespace tarvel::interrupt
