#pragma once
// ledcardctl the process on the tool side of a test bed, bound to the tool's address, with a
// settings folder and a data folder (backups, journal) of its own and the C locale.

#include "NetBed.h"
#include "SimProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

namespace testbed {

struct CtlRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
    qint64 wallMs = -1; // from the start of the process to its end

    QJsonObject object() const { return QJsonDocument::fromJson(out).object(); }
    std::vector<QJsonObject> lines() const {
        std::vector<QJsonObject> v;
        for (const QByteArray& l : out.split('\n')) {
            if (!l.isEmpty()) {
                v.push_back(QJsonDocument::fromJson(l).object());
            }
        }
        return v;
    }
};

// Where ledcardctl keeps its backups and journal when run with this configHome.
inline QString DataFolderOf(const QString& configHome) {
    return configHome + QStringLiteral("/data/ledcardcfg");
}

// `during` runs once the process has started; the simulator's report is read meanwhile so its
// pipe never fills.
inline CtlRun RunCtl(const NetBed& bed, QStringList args, const QString& configHome,
                     SimProcess* sim = nullptr, const std::function<void(QProcess&)>& during = {}) {
    QProcess p;
    const QByteArray ns = bed.namespacePath(Side::Tool).toLocal8Bit();
    p.setChildProcessModifier([ns] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int fd = ::open(ns.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0) {
            ::_exit(127);
        }
    });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("XDG_DATA_HOME"), configHome + QStringLiteral("/data"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    p.setProcessEnvironment(env);
    args << QStringLiteral("--local") << bed.toolAddress();
    QElapsedTimer clock;
    clock.start();
    p.start(QStringLiteral(LEDCARDCTL_PATH), args);
    CtlRun r;
    if (!p.waitForStarted(10000)) {
        return r;
    }
    if (during) {
        during(p);
    }
    while (!p.waitForFinished(10) && clock.elapsed() < 180000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    r.wallMs = clock.elapsed();
    if (p.state() != QProcess::NotRunning) {
        // A run that does not end is a failure, not an exit status.
        qWarning("ledcardctl %s did not end within 180 s", qPrintable(args.join(u' ')));
        p.kill();
        p.waitForFinished(3000);
        return r;
    }
    if (sim) {
        // What the cards reported while the run went on, and its last lines.
        QTest::qWait(200);
        sim->events();
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace testbed
