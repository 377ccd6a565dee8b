// One running copy per user: the lock, the program entry, and real second processes.

#include "support/RecordingMessageBoxes.h"
#include "ui/MainWindow.h"
#include "ui/Program.h"
#include "ui/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kRefused = QString::fromUtf8("显示屏控制卡参数配置程序已运行！");

struct ProbeResult {
    int exitCode = -1;
    QString output;
};

ProbeResult RunProbe(const char* mode, const QString& folder) {
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(UI_INSTANCE_PROBE), {QString::fromLatin1(mode), folder});
    if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit) {
        return {};
    }
    return {probe.exitCode(), QString::fromUtf8(probe.readAllStandardOutput()).trimmed()};
}

} // namespace

class InstanceTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    testsupport::RecordingMessageBoxes boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> scoped_;

    // The entry with a loop that returns at once; true when the main window was created.
    bool runEntry(int* exitCode = nullptr) {
        bool created = false;
        ui::EntryOptions options;
        options.lockFolder = folder_.path();
        options.mainWindowCreated = [&created](ui::MainWindow&) { created = true; };
        options.runLoop = [](ui::MainWindow&) { return 7; };
        const int code = ui::RunProgram(options);
        if (exitCode) {
            *exitCode = code;
        }
        return created;
    }

private slots:
    void init() {
        QVERIFY(folder_.isValid());
        boxes_.texts.clear();
        scoped_ = std::make_unique<platform::ScopedMessageBoxes>(boxes_);
    }
    void cleanup() { scoped_.reset(); }

    void secondGuardIsRefusedUntilTheFirstReleases() {
        auto first = std::make_unique<ui::SingleInstance>(folder_.path());
        QVERIFY(first->tryAcquire());
        QVERIFY(first->held());
        QVERIFY(first->lockFilePath().contains(u"Tessiva"_s));
        ui::SingleInstance second(folder_.path());
        QVERIFY(!second.tryAcquire());
        QVERIFY(!second.held());
        first.reset();
        ui::SingleInstance third(folder_.path());
        QVERIFY(third.tryAcquire());
    }

    void entryRefusesASecondCopyBeforeAnyWindow() {
        ui::SingleInstance running(folder_.path());
        QVERIFY(running.tryAcquire());
        int code = -1;
        QVERIFY(!runEntry(&code));
        QCOMPARE(code, 0);
        QCOMPARE(boxes_.texts, QStringList{kRefused});
    }

    void entryRunsOnceTheFirstCopyHasEnded() {
        {
            ui::SingleInstance running(folder_.path());
            QVERIFY(running.tryAcquire());
            QVERIFY(!runEntry());
        }
        boxes_.texts.clear();
        int code = -1;
        QVERIFY(runEntry(&code));
        QCOMPARE(code, 7);
        QVERIFY(boxes_.texts.isEmpty());
        // The copy that ran has let go of the lock again.
        ui::SingleInstance next(folder_.path());
        QVERIFY(next.tryAcquire());
    }

    void aGuardThatCannotBeMadeLetsTheCopyRun() {
        QFile blocker(folder_.filePath(u"not-a-folder"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ui::SingleInstance guard(blocker.fileName() + u"/inside"_s);
        QVERIFY(guard.tryAcquire());
        QVERIFY(!guard.held());
    }

    void realSecondProcessIsRefusedThenStarts() {
        {
            ui::SingleInstance running(folder_.path());
            QVERIFY(running.tryAcquire());
            const ProbeResult refused = RunProbe("run", folder_.path());
            QCOMPARE(refused.exitCode, 3);
            QCOMPARE(refused.output, kRefused); // shown exactly once
        }
        const ProbeResult started = RunProbe("run", folder_.path());
        QCOMPARE(started.exitCode, 0);
        QVERIFY(started.output.isEmpty());
    }

    void aCrashedCopyDoesNotKeepTheLock() {
        const ProbeResult crashed = RunProbe("crash", folder_.path());
        QCOMPARE(crashed.exitCode, 0);
        QCOMPARE(crashed.output, u"locked"_s);
        ui::SingleInstance guard(folder_.path());
        QVERIFY(QFile::exists(guard.lockFilePath())); // left behind by the dead process
        QVERIFY(guard.tryAcquire());
        QVERIFY(guard.held());
    }
};

QTEST_MAIN(InstanceTest)
#include "InstanceTest.moc"
