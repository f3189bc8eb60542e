// What happens to this run's files when the program is told to end while it
// writes them: on SIGINT, SIGTERM or SIGHUP (Ctrl+C, or the console closed,
// on Windows) every temporary file still waiting to be put in place is
// removed before the program ends, and a file being rewritten in place is
// finished first. A write past the file-size limit fails with "File too
// large" instead of ending the program without a word (SIGXFSZ). A program
// that handles or ignores these signals itself keeps its own way.
#pragma once

#include <filesystem>
#include <memory>

namespace tarvel {

/// Starts watching for the signals above; the first call sets them up, later
/// calls do nothing. Until then the system's defaults hold.
void WatchInterrupts();

/// A temporary file that is removed if the program is told to end while this
/// lives; dropping it (or Forget) leaves the file to its owner.
class RemovedOnInterrupt {
public:
    RemovedOnInterrupt() = default;
    explicit RemovedOnInterrupt(const std::filesystem::path& path);
    RemovedOnInterrupt(RemovedOnInterrupt&& other) noexcept;
    RemovedOnInterrupt& operator=(RemovedOnInterrupt&& other) noexcept;
    ~RemovedOnInterrupt() { Forget(); }

    void Forget();

private:
    int slot_ = -1;
    std::unique_ptr<std::filesystem::path::value_type[]> path_;  // never moves while registered
};

/// While one lives, a signal that would end the program waits, and ends it
/// when the last one goes: a rewrite in place, or a set of files put in
/// place together, is never cut short half done.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

namespace interrupt {
// Between the shared part (interrupt.cpp) and the system's part
// (interrupt_posix.cpp, interrupt_windows.cpp); all of them safe in a signal handler.

/// The system's part: sets up the handlers (called once).
void InstallHandlers();
/// The system's part: removes one file by its name, ignoring failures.
void RemoveNow(const std::filesystem::path::value_type* path);
/// The system's part: ends the program as `signal` does by default.
[[noreturn]] void EndAsBy(int signal);

/// Removes every registered temporary file.
void RemoveRegisteredFiles();
/// Notes `signal`; true when a holder is alive and will end the program itself.
bool HeldUntilLater(int signal);
/// Is anything holding interrupts back now?
bool Held();

}  // namespace interrupt
}  // namespace tarvel
