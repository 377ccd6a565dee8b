#pragma once
// The user's requests to stop, handed to the event loop: POSIX signals, and on Windows the
// console's control events (Ctrl+C, Ctrl+Break, the console closed). The handler only sets a
// wake-up (a byte in a pipe, a Win32 event), and the loop, woken by it, calls back with the
// program's own response.

#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#include <csignal>
#endif

namespace platform {

class SignalPipe {
public:
    enum class Repeat {
        Handled, // every signal calls back
        Default, // the first calls back; the default action is back for the next, which ends
    };

    // Until destroyed, each of `numbers` calls `respond` from the event loop; signals that
    // come together call it once. One pipe at a time per signal. `numbers` are signal numbers
    // (SIGINT), on Windows console control events (CTRL_C_EVENT, CTRL_CLOSE_EVENT). Windows
    // ends a process soon after its console closes: that event holds the process until the
    // program ends by itself, so the response has the time to report and exit.
    SignalPipe(std::vector<int> numbers, Repeat repeat, std::function<void()> respond);
    // The actions from before come back (on Windows the handler stays, passing every event on to
    // the handlers from before).
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

private:
    std::vector<int> numbers_;
    std::function<void()> respond_;
#ifdef Q_OS_WIN
    void* event_ = nullptr; // HANDLE
    std::unique_ptr<QWinEventNotifier> notifier_;
#else
    static void handler(int number);

    std::vector<struct sigaction> previous_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
#endif
};

} // namespace platform
