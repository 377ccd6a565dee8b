#pragma once
// Standard output or error as a device for QTextStream: the UTF-8 bytes it is given go to a
// pipe or a file unchanged on every platform, so scripts read the same bytes; on a Windows
// console they are written as wide characters, so Chinese shows whatever the console's code
// page is.

#include <QIODevice>
#include <QStringDecoder>

namespace platform {

class StandardStream final : public QIODevice {
public:
    enum class Which { Output, Error };

    // Opened for writing, unbuffered: QTextStream buffers.
    explicit StandardStream(Which which);
    // A console's mode from before comes back.
    ~StandardStream() override;
    StandardStream(const StandardStream&) = delete;
    StandardStream& operator=(const StandardStream&) = delete;

    // A terminal on which a line can be drawn again in place: a carriage return and the ANSI
    // erase to the end of the line ("\x1b[K") work there.
    bool redrawsLines() const { return redrawsLines_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool redrawsLines_ = false;
#ifdef Q_OS_WIN
    void* handle_ = nullptr; // HANDLE
    bool console_ = false;
    unsigned long previousMode_ = 0;
    // Keeps a character that a write split between two calls.
    QStringDecoder decoder_{QStringDecoder::Utf8};
#else
    int fd_ = -1;
#endif
};

} // namespace platform
