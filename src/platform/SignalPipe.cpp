#include "platform/SignalPipe.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

// The write end for each signal, read by the handler: nothing else is safe to reach there.
constexpr int kSignalCount = NSIG;
std::atomic<int> writeEnd[kSignalCount];
static_assert(std::atomic<int>::is_always_lock_free);

bool Known(int number) {
    return number > 0 && number < kSignalCount;
}

} // namespace

SignalPipe::SignalPipe(std::vector<int> numbers, Repeat repeat, std::function<void()> respond)
    : numbers_(std::move(numbers)), respond_(std::move(respond)), previous_(numbers_.size()) {
    if (::pipe(pipe_) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return;
    }
    for (int fd : pipe_) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char drained[16];
        while (::read(pipe_[0], drained, sizeof drained) > 0) {
        }
        respond_();
    });
    struct sigaction action {};
    action.sa_handler = &SignalPipe::handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | (repeat == Repeat::Default ? SA_RESETHAND : 0);
    for (std::size_t i = 0; i < numbers_.size(); ++i) {
        if (Known(numbers_[i])) {
            writeEnd[numbers_[i]].store(pipe_[1]);
            ::sigaction(numbers_[i], &action, &previous_[i]);
        }
    }
}

SignalPipe::~SignalPipe() {
    if (pipe_[0] < 0) {
        return;
    }
    for (std::size_t i = 0; i < numbers_.size(); ++i) {
        if (Known(numbers_[i])) {
            ::sigaction(numbers_[i], &previous_[i], nullptr);
            writeEnd[numbers_[i]].store(-1);
        }
    }
    notifier_.reset();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void SignalPipe::handler(int number) {
    const int saved = errno;
    const int fd = writeEnd[number].load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace platform
