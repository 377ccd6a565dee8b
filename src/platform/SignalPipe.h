#pragma once
// POSIX signals handed to the event loop: the handler only writes a byte to a pipe, and the
// loop, woken by the pipe, calls back with the program's own response. Windows has no such
// signals to end a session or a run; this is built elsewhere only.

#include <QtGlobal>

#ifndef Q_OS_WIN

#include <QSocketNotifier>
#include <csignal>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

class SignalPipe {
public:
    enum class Repeat {
        Handled, // every signal calls back
        Default, // the first calls back; the default action is back for the next, which ends
    };

    // Until destroyed, each of `numbers` calls `respond` from the event loop; signals that
    // come together call it once. One pipe at a time per signal.
    SignalPipe(std::vector<int> numbers, Repeat repeat, std::function<void()> respond);
    // The actions from before come back.
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

private:
    static void handler(int number);

    std::vector<int> numbers_;
    std::vector<struct sigaction> previous_;
    int pipe_[2] = {-1, -1};
    std::function<void()> respond_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace platform

#endif
