// A logout, a shutdown, kill or Ctrl+C in the terminal that started it ends the program with a
// signal; the settings of that run must be written all the same. A real process of the program
// gets a real signal.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

class SessionEndTest : public QObject {
    Q_OBJECT

private slots:
    void signalEndsTheRunAsClosingTheWindowDoes_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("saved");
        QTest::newRow("SIGTERM") << int(SIGTERM) << "idle" << true;
        QTest::newRow("SIGHUP") << int(SIGHUP) << "idle" << true;
        QTest::newRow("SIGTERM, About open") << int(SIGTERM) << "modal" << true;
        QTest::newRow("SIGHUP, About open") << int(SIGHUP) << "modal" << true;
        QTest::newRow("SIGINT") << int(SIGINT) << "idle" << true;
        QTest::newRow("SIGINT, About open") << int(SIGINT) << "modal" << true;
        // Nothing can catch it; shows that only the program's end writes the file.
        QTest::newRow("SIGKILL") << int(SIGKILL) << "idle" << false;
    }

    void signalEndsTheRunAsClosingTheWindowDoes() {
        QFETCH(int, signal);
        QFETCH(QString, mode);
        QFETCH(bool, saved);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(UI_SESSION_END_PROBE), {dir.path(), mode});
        QVERIFY(program.waitForStarted());

        QByteArray out;
        QVERIFY(QTest::qWaitFor(
            [&] {
                program.waitForReadyRead(50);
                out += program.readAllStandardOutput();
                return out.contains("ready\n") || program.state() == QProcess::NotRunning;
            },
            20000));
        QVERIFY2(out.contains("ready\n"), out.constData());
        const auto settingsLine = out.left(out.indexOf('\n'));
        QVERIFY(settingsLine.startsWith("settings "));
        const QString path = QString::fromUtf8(settingsLine.mid(9));
        QVERIFY2(path.startsWith(dir.path()), qPrintable(path));
        QVERIFY(!QFile::exists(path)); // nothing is written before the end

        QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
        QVERIFY(program.waitForFinished(10000));
        out += program.readAllStandardOutput();
        QFile file(path);
        if (!saved) {
            QCOMPARE(program.exitStatus(), QProcess::CrashExit);
            QVERIFY(!file.exists());
            return;
        }
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(out.endsWith("ended\n"), out.constData());
        QVERIFY(file.open(QIODevice::ReadOnly));
        // This run's language and adapter choice, the rest as defaults.
        QCOMPARE(file.readAll(), QByteArray("[LgType]\r\nLgType=2\r\n"
                                            "[Params]\r\nDeviceType=\r\nCardColor=3\r\nDHCP=0\r\n"
                                            "SearchTimes=20\r\n"
                                            "[IsShowMulNetCard]\r\nIsShowMulNetCard=0\r\n"
                                            "[ServerIP]\r\nServerIP=10.0.0.7\r\n"));
    }
};

QTEST_GUILESS_MAIN(SessionEndTest)
#include "SessionEndTest.moc"
