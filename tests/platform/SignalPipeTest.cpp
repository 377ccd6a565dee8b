// Signals through the self-pipe: the response runs from the event loop, never inside the
// handler; with Repeat::Default the second signal meets the default action again (a second
// Ctrl+C ends ledcardctl); and the actions from before come back when the pipe goes.

#include "platform/SignalPipe.h"

#include <QtTest>
#include <csignal>

namespace {

void Marker(int) {}

void (*CurrentAction(int number))(int) {
    struct sigaction now {};
    ::sigaction(number, nullptr, &now);
    return now.sa_handler;
}

} // namespace

class SignalPipeTest : public QObject {
    Q_OBJECT

private slots:
    void respondsFromTheLoop_data() {
        QTest::addColumn<int>("repeat");
        QTest::addColumn<bool>("defaultAfterFirst");
        QTest::newRow("handled") << int(platform::SignalPipe::Repeat::Handled) << false;
        QTest::newRow("default after the first")
            << int(platform::SignalPipe::Repeat::Default) << true;
    }

    void respondsFromTheLoop() {
        QFETCH(int, repeat);
        QFETCH(bool, defaultAfterFirst);
        ::signal(SIGUSR1, &Marker);
        int responses = 0;
        {
            const platform::SignalPipe pipe({SIGUSR1}, platform::SignalPipe::Repeat(repeat),
                                            [&responses] { ++responses; });
            QVERIFY(CurrentAction(SIGUSR1) != &Marker);
            ::raise(SIGUSR1);
            QCOMPARE(responses, 0); // the handler only wrote to the pipe
            QTRY_COMPARE(responses, 1);
            QCOMPARE(CurrentAction(SIGUSR1) == SIG_DFL, defaultAfterFirst);
        }
        QVERIFY(CurrentAction(SIGUSR1) == &Marker);
    }

    void signalsThatComeTogetherRespondOnce() {
        ::signal(SIGUSR2, SIG_IGN);
        int responses = 0;
        {
            const platform::SignalPipe pipe({SIGUSR1, SIGUSR2},
                                            platform::SignalPipe::Repeat::Handled,
                                            [&responses] { ++responses; });
            ::raise(SIGUSR2);
            ::raise(SIGUSR1);
            ::raise(SIGUSR2);
            QTRY_COMPARE(responses, 1);
            QTest::qWait(50);
            QCOMPARE(responses, 1);
            ::raise(SIGUSR2);
            QTRY_COMPARE(responses, 2);
        }
        QVERIFY(CurrentAction(SIGUSR2) == SIG_IGN);
    }
};

QTEST_GUILESS_MAIN(SignalPipeTest)
#include "SignalPipeTest.moc"
