// The registry of temporary files that an interrupt removes, and the count of
// those who hold interrupts back. Everything a signal handler touches here is
// a lock-free atomic, and the paths it reads never move while registered.
#include "interrupt.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace tarvel {
namespace {

using Char = std::filesystem::path::value_type;

// More than a batch ever keeps open; a file past the last slot is simply not watched.
constexpr int kSlots = 4096;
std::atomic<const Char*> registered[kSlots];
std::atomic<int> holders{0};
std::atomic<int> pendingSignal{0};

}  // namespace

void WatchInterrupts() {
    static std::once_flag once;
    std::call_once(once, interrupt::InstallHandlers);
}

RemovedOnInterrupt::RemovedOnInterrupt(const std::filesystem::path& path) {
    const std::filesystem::path::string_type& name = path.native();
    path_ = std::make_unique<Char[]>(name.size() + 1);
    name.copy(path_.get(), name.size());
    path_[name.size()] = Char();
    for (int slot = 0; slot < kSlots; ++slot) {
        const Char* empty = nullptr;
        if (registered[slot].compare_exchange_strong(empty, path_.get())) {
            slot_ = slot;
            return;
        }
    }
}

RemovedOnInterrupt::RemovedOnInterrupt(RemovedOnInterrupt&& other) noexcept
    : slot_(std::exchange(other.slot_, -1)), path_(std::move(other.path_)) {}

RemovedOnInterrupt& RemovedOnInterrupt::operator=(RemovedOnInterrupt&& other) noexcept {
    if (this != &other) {
        Forget();
        slot_ = std::exchange(other.slot_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

void RemovedOnInterrupt::Forget() {
    // Only our own path: an interrupt may have emptied the slot and another file taken it.
    const Char* mine = path_.get();
    if (slot_ >= 0) registered[slot_].compare_exchange_strong(mine, nullptr);
    slot_ = -1;
    path_.reset();
}

InterruptsHeld::InterruptsHeld() { holders.fetch_add(1); }

InterruptsHeld::~InterruptsHeld() {
    // The signal that came meanwhile ends the program now, as it would have then.
    if (holders.fetch_sub(1) == 1) {
        if (const int signal = pendingSignal.load()) {
            interrupt::RemoveRegisteredFiles();
            interrupt::EndAsBy(signal);
        }
    }
}

namespace interrupt {

void RemoveRegisteredFiles() {
    for (std::atomic<const Char*>& slot : registered)
        if (const Char* path = slot.exchange(nullptr)) RemoveNow(path);
}

bool HeldUntilLater(int signal) {
    // Noted before the count is read: a holder that leaves in between sees it.
    pendingSignal.store(signal);
    return holders.load() > 0;
}

bool Held() { return holders.load() > 0; }

}  // namespace interrupt
}  // namespace tarvel
