// The Windows side of SignalPipe: console control events. The system runs the handler on a
// thread of its own; it only sets an auto-reset event, which a QWinEventNotifier turns into a
// call from the event loop, once for events that come together.

#include "platform/SignalPipe.h"

#include <array>
#include <atomic>
#include <windows.h>

namespace platform {

namespace {

// CTRL_C_EVENT (0) to CTRL_SHUTDOWN_EVENT (6).
constexpr std::size_t kEventCount = 7;

struct Slot {
    std::atomic<HANDLE> wake{nullptr};
    std::atomic<bool> defaultAfterFirst{false};
    std::atomic<bool> fired{false};
};
std::array<Slot, kEventCount> handlerSlots;

// Registered once and never removed: while a close event holds its thread inside the handler,
// the system keeps the list of handlers locked, and removing one would wait for ever. A slot
// without a wake-up passes its event on, as if the handler were not there.
std::atomic<bool> registered{false};

bool Known(int number) {
    return number >= 0 && std::size_t(number) < kEventCount;
}

// The system ends the process as soon as the handler of these returns.
bool EndsOnReturn(DWORD type) {
    return type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT;
}

BOOL WINAPI Handler(DWORD type) {
    if (type >= kEventCount) {
        return FALSE;
    }
    Slot& slot = handlerSlots[type];
    const HANDLE wake = slot.wake.load();
    if (wake == nullptr) {
        return FALSE;
    }
    if (slot.fired.exchange(true) && slot.defaultAfterFirst.load()) {
        return FALSE; // the next handler, in the end the system's: the process ends
    }
    ::SetEvent(wake);
    if (EndsOnReturn(type)) {
        // Held until the program's own exit ends every thread, or the system gives up on it.
        ::Sleep(INFINITE);
    }
    return TRUE;
}

} // namespace

SignalPipe::SignalPipe(std::vector<int> numbers, Repeat repeat, std::function<void()> respond)
    : numbers_(std::move(numbers)), respond_(std::move(respond)) {
    event_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (event_ == nullptr) {
        return;
    }
    notifier_ = std::make_unique<QWinEventNotifier>(event_);
    QObject::connect(notifier_.get(), &QWinEventNotifier::activated, [this] {
        // Events set again before the loop came here are answered by this one response.
        ::ResetEvent(event_);
        respond_();
    });
    for (int number : numbers_) {
        if (Known(number)) {
            Slot& slot = handlerSlots[std::size_t(number)];
            slot.fired.store(false);
            slot.defaultAfterFirst.store(repeat == Repeat::Default);
            slot.wake.store(event_);
        }
    }
    if (!registered.exchange(true)) {
        ::SetConsoleCtrlHandler(&Handler, TRUE);
    }
}

SignalPipe::~SignalPipe() {
    if (event_ == nullptr) {
        return;
    }
    for (int number : numbers_) {
        if (Known(number)) {
            handlerSlots[std::size_t(number)].wake.store(nullptr);
        }
    }
    notifier_.reset();
    ::CloseHandle(event_);
}

} // namespace platform
