// Standard output and error as ledcardctl writes them: into a pipe the bytes arrive exactly as
// on Linux (no CR added before LF on Windows, a character split between two writes whole); on
// a Windows console the Chinese characters show as characters, and the console's mode is given
// back at the end.

#include "platform/StandardStream.h"

#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

using platform::StandardStream;

namespace {

// One standard stream redirected into a pipe while a StandardStream lives: what reached it.
class Captured {
public:
    explicit Captured(StandardStream::Which which) : which_(which) {
#ifdef Q_OS_WIN
        ::CreatePipe(&read_, &write_, nullptr, 1 << 20);
        previous_ = ::GetStdHandle(stdId());
        ::SetStdHandle(stdId(), write_);
#else
        int fds[2];
        if (::pipe(fds) == 0) {
            read_ = fds[0];
            previous_ = ::dup(fd());
            ::dup2(fds[1], fd());
            ::close(fds[1]);
        }
#endif
    }

    // Puts the stream back and returns everything written meanwhile.
    QByteArray finish() {
        QByteArray bytes;
        char buffer[4096];
#ifdef Q_OS_WIN
        ::SetStdHandle(stdId(), previous_);
        ::CloseHandle(write_);
        DWORD n = 0;
        while (::ReadFile(read_, buffer, sizeof buffer, &n, nullptr) && n > 0) {
            bytes.append(buffer, qsizetype(n));
        }
        ::CloseHandle(read_);
#else
        ::dup2(previous_, fd());
        ::close(previous_);
        ssize_t n = 0;
        while ((n = ::read(read_, buffer, sizeof buffer)) > 0) {
            bytes.append(buffer, qsizetype(n));
        }
        ::close(read_);
#endif
        return bytes;
    }

private:
    StandardStream::Which which_;
#ifdef Q_OS_WIN
    DWORD stdId() const {
        return which_ == StandardStream::Which::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
    }
    HANDLE read_ = nullptr;
    HANDLE write_ = nullptr;
    HANDLE previous_ = nullptr;
#else
    int fd() const {
        return which_ == StandardStream::Which::Output ? 1 : 2;
    }
    int read_ = -1;
    int previous_ = -1;
#endif
};

} // namespace

class StandardStreamTest : public QObject {
    Q_OBJECT

private slots:
    void bytesReachAPipeUnchanged_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QByteArrayList>("writes"); // each written to the device on its own
        QTest::addColumn<QByteArray>("want");
        const auto out = int(StandardStream::Which::Output);
        const auto err = int(StandardStream::Which::Error);
        // A JSON line gains no CR before its LF, a CSV row keeps its one CR.
        QTest::newRow("line ends")
            << out << QByteArrayList{"{\"outcome\":\"confirmed\"}\n", "number,name\r\n1,Card 1\r\n"}
            << QByteArray("{\"outcome\":\"confirmed\"}\nnumber,name\r\n1,Card 1\r\n");
        // 显 is E6 98 BE: cut after its first byte, then after its second.
        QTest::newRow("a character cut between writes")
            << out << QByteArrayList{"\xe6", "\x98", "\xbe\xe7\xa4\xba\n"}
            << QByteArray("\xe6\x98\xbe\xe7\xa4\xba\n");
        QTest::newRow("the progress line on standard error")
            << err << QByteArrayList{"\r3/20 \xe5\x9d\x97\x1b[K", "\r\x1b[K"}
            << QByteArray("\r3/20 \xe5\x9d\x97\x1b[K\r\x1b[K");
    }

    void bytesReachAPipeUnchanged() {
        QFETCH(int, which);
        QFETCH(QByteArrayList, writes);
        QFETCH(QByteArray, want);
        Captured captured{StandardStream::Which(which)};
        bool redraws = true;
        qint64 total = 0;
        {
            StandardStream stream{StandardStream::Which(which)};
            redraws = stream.redrawsLines();
            for (const QByteArray& w : writes) {
                total += stream.write(w);
            }
        }
        const QByteArray got = captured.finish();
        QCOMPARE(got, want);
        QCOMPARE(total, qint64(want.size()));
        QVERIFY(!redraws); // a pipe is no terminal: no progress bar
    }

#ifdef Q_OS_WIN
    // A console of this process's own: the characters on the screen, whatever its code page.
    void consoleShowsTheCharacters() {
        ::FreeConsole();
        QVERIFY(::AllocConsole());
        const HANDLE screen = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(screen != INVALID_HANDLE_VALUE);
        ::SetConsoleOutputCP(437); // a code page without Chinese, as many consoles have
        const HANDLE previous = ::GetStdHandle(STD_OUTPUT_HANDLE);
        ::SetStdHandle(STD_OUTPUT_HANDLE, screen);
        DWORD modeBefore = 0;
        ::GetConsoleMode(screen, &modeBefore);
        ::SetConsoleMode(screen, modeBefore & ~DWORD(ENABLE_VIRTUAL_TERMINAL_PROCESSING));
        ::GetConsoleMode(screen, &modeBefore);
        COORD origin{0, 0};
        DWORD filled = 0;
        CONSOLE_SCREEN_BUFFER_INFO info{};
        ::GetConsoleScreenBufferInfo(screen, &info);
        ::FillConsoleOutputCharacterW(screen, L' ', DWORD(info.dwSize.X) * 4, origin, &filled);
        ::SetConsoleCursorPosition(screen, origin);
        qint64 written = 0;
        {
            StandardStream stream{StandardStream::Which::Output};
            // 显示屏 cut inside its second character; then 臺 on the next line.
            for (const QByteArray& w : {QByteArray("\xe6\x98\xbe\xe7"),
                                        QByteArray("\xa4\xba\xe5\xb1\x8f\n\xe8\x87\xba")}) {
                written += stream.write(w);
            }
        }
        DWORD modeAfter = 0;
        ::GetConsoleMode(screen, &modeAfter);
        wchar_t row0[16] = {};
        wchar_t row1[16] = {};
        DWORD n0 = 0;
        DWORD n1 = 0;
        ::ReadConsoleOutputCharacterW(screen, row0, 16, origin, &n0);
        ::ReadConsoleOutputCharacterW(screen, row1, 16, COORD{0, 1}, &n1);
        ::SetStdHandle(STD_OUTPUT_HANDLE, previous);
        ::CloseHandle(screen);
        ::FreeConsole();
        QCOMPARE(written, qint64(13));
        QCOMPARE(QString::fromWCharArray(row0, int(n0)).trimmed(), QStringLiteral("显示屏"));
        QCOMPARE(QString::fromWCharArray(row1, int(n1)).trimmed(), QStringLiteral("臺"));
        QCOMPARE(modeAfter, modeBefore);
    }
#endif
};

QTEST_GUILESS_MAIN(StandardStreamTest)
#include "StandardStreamTest.moc"
