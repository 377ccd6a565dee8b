#include "SimProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace testbed {

SimProcess::SimProcess(const NetBed& bed, QStringList arguments)
    : bed_(bed), arguments_(std::move(arguments)) {}

SimProcess::~SimProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
}

QString SimProcess::executable() {
    return QStringLiteral(LEDCARDSIM_PATH);
}

std::unique_ptr<SimProcess> SimProcess::launch(const NetBed& bed, const QStringList& arguments) {
    auto sim = std::make_unique<SimProcess>(bed, arguments);
    QString error;
    if (!sim->start(&error)) {
        qWarning("%s", qPrintable(error));
        return nullptr;
    }
    return sim;
}

bool SimProcess::start(QString* error, int timeoutMs) {
    const QByteArray path = bed_.namespacePath(Side::Card).toLocal8Bit();
    process_.setChildProcessModifier([path] {
        // Never outlive the test, even when it crashes.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0) {
            ::_exit(127);
        }
    });
    process_.setReadChannel(QProcess::StandardOutput);
    process_.start(executable(), arguments_);
    if (!process_.waitForStarted(timeoutMs)) {
        *error = process_.errorString();
        return false;
    }
    const auto ready =
        waitFor([](const QJsonObject& e) { return e[u"event"].toString() == u"ready"; }, timeoutMs);
    if (!ready) {
        *error = QStringLiteral("the simulator did not get ready: ") + stderrText();
        return false;
    }
    return true;
}

void SimProcess::kill() {
    process_.kill();
    process_.waitForFinished(3000);
}

void SimProcess::readLines() {
    partial_ += process_.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = partial_.indexOf('\n')) >= 0) {
        const QByteArray line = partial_.left(end);
        partial_.remove(0, end + 1);
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (doc.isObject()) {
            events_.push_back(doc.object());
        }
    }
}

const std::vector<QJsonObject>& SimProcess::events() {
    readLines();
    return events_;
}

std::vector<SimProcess::Burst> SimProcess::searchBursts() {
    std::vector<Burst> out;
    // A burst's summary follows its request once the queue is empty; a request of another kind
    // in between means the summary is not the search's alone.
    bool open = false;
    for (const QJsonObject& e : events()) {
        const QString event = e[u"event"].toString();
        if (event == u"request") {
            open = e[u"kind"].toString() == u"search";
            if (open) {
                out.push_back({e[u"t"].toDouble(), -1, -1, 0});
            }
        } else if (event == u"sent" && open) {
            out.back().firstMs = e[u"firstMs"].toDouble();
            out.back().lastMs = e[u"lastMs"].toDouble();
            out.back().count = e[u"count"].toInt();
            open = false;
        }
    }
    return out;
}

std::vector<QJsonObject> SimProcess::events(const QString& kind) {
    std::vector<QJsonObject> out;
    for (const QJsonObject& e : events()) {
        if (e[u"event"].toString() == kind) {
            out.push_back(e);
        }
    }
    return out;
}

std::optional<QJsonObject> SimProcess::waitFor(const std::function<bool(const QJsonObject&)>& match,
                                               int timeoutMs, std::size_t from) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        readLines();
        for (std::size_t i = from; i < events_.size(); ++i) {
            if (match(events_[i])) {
                return events_[i];
            }
        }
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
            return std::nullopt;
        }
        process_.waitForReadyRead(10);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

QString SimProcess::stderrText() {
    return QString::fromLocal8Bit(process_.readAllStandardError());
}

} // namespace testbed
