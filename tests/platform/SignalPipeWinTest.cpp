// The console's control events through SignalPipe on Windows, delivered as the system delivers
// them: a thread of the process started at kernelbase's CtrlRoutine with the event (and Ctrl+C
// also through a console of this process's own). The response runs from the event loop on the
// program's thread, never in the system's thread; with Repeat::Default the second event goes
// on to the next handler (in a program, the system's, which ends it: ledcardctl's second
// Ctrl+C); events that come together respond once; once the pipe is gone the events go past it
// again; and the console closed holds the system's thread, which would end the process, until
// the program ends by itself.

#include "platform/SignalPipe.h"

#include <QThread>
#include <QtTest>
#include <atomic>
#include <cstdint>
#include <windows.h>

namespace {

// Registered before any pipe, so it is asked after them: what it counts went past the pipe.
std::atomic<int> passedOn{0};

BOOL WINAPI CatchAll(DWORD) {
    ++passedOn;
    return TRUE;
}

// The system's thread for `event`; for Ctrl+C and Ctrl+Break it ends once the handlers answered.
HANDLE Deliver(DWORD event) {
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine")));
    if (routine == nullptr) {
        return nullptr;
    }
    return ::CreateThread(nullptr, 0, routine, reinterpret_cast<void*>(std::uintptr_t(event)), 0,
                          nullptr);
}

bool Press(DWORD event) {
    const HANDLE thread = Deliver(event);
    if (thread == nullptr) {
        return false;
    }
    const bool answered = ::WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0;
    ::CloseHandle(thread);
    return answered;
}

} // namespace

class SignalPipeWinTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(::SetConsoleCtrlHandler(&CatchAll, TRUE)); }

    void respondsFromTheLoop_data() {
        QTest::addColumn<int>("repeat");
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("secondResponds");
        QTest::addColumn<int>("secondPassedOn");
        const int handled = int(platform::SignalPipe::Repeat::Handled);
        const int byDefault = int(platform::SignalPipe::Repeat::Default);
        QTest::newRow("Ctrl+C, handled") << handled << int(CTRL_C_EVENT) << 1 << 0;
        QTest::newRow("Ctrl+C, default after the first")
            << byDefault << int(CTRL_C_EVENT) << 0 << 1;
        QTest::newRow("Ctrl+Break, handled") << handled << int(CTRL_BREAK_EVENT) << 1 << 0;
        QTest::newRow("Ctrl+Break, default after the first")
            << byDefault << int(CTRL_BREAK_EVENT) << 0 << 1;
    }

    void respondsFromTheLoop() {
        QFETCH(int, repeat);
        QFETCH(int, event);
        QFETCH(int, secondResponds);
        QFETCH(int, secondPassedOn);
        passedOn = 0;
        int responses = 0;
        QThread* respondedOn = nullptr;
        {
            const platform::SignalPipe pipe({CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT},
                                            platform::SignalPipe::Repeat(repeat), [&] {
                                                ++responses;
                                                respondedOn = QThread::currentThread();
                                            });
            QVERIFY(Press(DWORD(event)));
            QCOMPARE(responses, 0); // the handler only set the event
            QTRY_COMPARE(responses, 1);
            QCOMPARE(respondedOn, QThread::currentThread());
            QCOMPARE(passedOn.load(), 0);

            QVERIFY(Press(DWORD(event)));
            QTest::qWait(100);
            QCOMPARE(responses, 1 + secondResponds);
            QCOMPARE(passedOn.load(), secondPassedOn);
        }
        passedOn = 0;
        QVERIFY(Press(DWORD(event)));
        QTest::qWait(100);
        QCOMPARE(passedOn.load(), 1);
        QCOMPARE(responses, 1 + secondResponds);
    }

    void eventsThatComeTogetherRespondOnce() {
        passedOn = 0;
        int responses = 0;
        {
            const platform::SignalPipe pipe({CTRL_C_EVENT, CTRL_BREAK_EVENT},
                                            platform::SignalPipe::Repeat::Handled,
                                            [&responses] { ++responses; });
            QVERIFY(Press(CTRL_BREAK_EVENT));
            QVERIFY(Press(CTRL_C_EVENT));
            QVERIFY(Press(CTRL_BREAK_EVENT));
            QTRY_COMPARE(responses, 1);
            QTest::qWait(100);
            QCOMPARE(responses, 1);
            QVERIFY(Press(CTRL_C_EVENT));
            QTRY_COMPARE(responses, 2);
        }
        QCOMPARE(passedOn.load(), 0);
    }

    // Ctrl+C typed on a console: the console sends it to every process attached to it.
    void ctrlCOnAConsole() {
        ::FreeConsole();
        QVERIFY(::AllocConsole());
        QVERIFY(::SetConsoleCtrlHandler(nullptr, FALSE)); // Ctrl+C is not ignored here
        passedOn = 0;
        int responses = 0;
        {
            const platform::SignalPipe pipe({CTRL_C_EVENT}, platform::SignalPipe::Repeat::Default,
                                            [&responses] { ++responses; });
            QVERIFY(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
            QTRY_COMPARE(responses, 1);
        }
        QCOMPARE(passedOn.load(), 0);
        ::FreeConsole();
    }

    // Last: the system's thread stays held until the test program ends.
    void closingTheConsoleHoldsTheProcess() {
        passedOn = 0;
        int responses = 0;
        QThread* respondedOn = nullptr;
        const platform::SignalPipe pipe({CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT},
                                        platform::SignalPipe::Repeat::Default, [&] {
                                            ++responses;
                                            respondedOn = QThread::currentThread();
                                        });
        const HANDLE system = Deliver(CTRL_CLOSE_EVENT);
        QVERIFY(system != nullptr);
        QTRY_COMPARE(responses, 1);
        QCOMPARE(respondedOn, QThread::currentThread());
        // Returned, the system's routine would end the process now.
        QCOMPARE(::WaitForSingleObject(system, 500), DWORD(WAIT_TIMEOUT));
        QCOMPARE(passedOn.load(), 0);
        ::CloseHandle(system);
    }
};

QTEST_GUILESS_MAIN(SignalPipeWinTest)
#include "SignalPipeWinTest.moc"
