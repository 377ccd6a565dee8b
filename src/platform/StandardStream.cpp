#include "platform/StandardStream.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

namespace platform {

#ifdef Q_OS_WIN

StandardStream::StandardStream(Which which) {
    handle_ = ::GetStdHandle(which == Which::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE &&
               ::GetConsoleMode(handle_, &mode) != 0;
    if (console_) {
        previousMode_ = mode;
        // Consoles before Windows 10 know no escape sequences: no line drawn in place there.
        redrawsLines_ = ::SetConsoleMode(handle_, mode | ENABLE_PROCESSED_OUTPUT |
                                                      ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
    }
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

StandardStream::~StandardStream() {
    if (console_ && redrawsLines_) {
        ::SetConsoleMode(handle_, previousMode_);
    }
}

qint64 StandardStream::writeData(const char* data, qint64 size) {
    if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
        return size; // no such stream (a program started without one): nothing to show
    }
    if (console_) {
        const QString text = decoder_(QByteArrayView(data, size));
        const auto* chars = reinterpret_cast<const wchar_t*>(text.utf16());
        qsizetype left = text.size();
        while (left > 0) {
            DWORD written = 0;
            if (!::WriteConsoleW(handle_, chars, DWORD(qMin<qsizetype>(left, 8192)), &written,
                                 nullptr) ||
                written == 0) {
                return -1;
            }
            chars += written;
            left -= qsizetype(written);
        }
        return size;
    }
    qint64 done = 0;
    while (done < size) {
        DWORD written = 0;
        if (!::WriteFile(handle_, data + done, DWORD(qMin<qint64>(size - done, 1 << 20)), &written,
                         nullptr)) {
            return done > 0 ? done : -1;
        }
        done += qint64(written);
    }
    return size;
}

#else

StandardStream::StandardStream(Which which) {
    fd_ = which == Which::Output ? STDOUT_FILENO : STDERR_FILENO;
    redrawsLines_ = ::isatty(fd_) != 0;
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

StandardStream::~StandardStream() = default;

qint64 StandardStream::writeData(const char* data, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, std::size_t(size - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return done > 0 ? done : -1;
        }
        done += n;
    }
    return size;
}

#endif

} // namespace platform
