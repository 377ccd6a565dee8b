#pragma once
// The card simulator running on the card side of a NetBed, with its report read back.

#include "NetBed.h"

#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace testbed {

class SimProcess {
public:
    // `arguments` go to ledcardsim as they are; the report comes back on its stdout.
    SimProcess(const NetBed& bed, QStringList arguments);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator and waits until it listens.
    bool start(QString* error, int timeoutMs = 10000);
    // A started simulator, or nothing (with the reason as a warning).
    static std::unique_ptr<SimProcess> launch(const NetBed& bed, const QStringList& arguments);
    // Ends the simulator at once with SIGKILL, as a crash or a pulled plug would.
    void kill();

    // Report lines received so far.
    const std::vector<QJsonObject>& events();
    std::vector<QJsonObject> events(const QString& kind);
    // Waits (running the event loop) for the first event after `from` that `match` accepts.
    std::optional<QJsonObject> waitFor(const std::function<bool(const QJsonObject&)>& match,
                                       int timeoutMs = 5000, std::size_t from = 0);
    QString stderrText();

    // The answers to one search request as the simulator sent them, on its clock (ms since it
    // started): when it took the request, when the first and the last answer left.
    struct Burst {
        double requestMs = 0;
        double firstMs = -1;
        double lastMs = -1;
        int count = 0;
    };
    // One per search request so far, in order; a request it had not answered yet has count 0.
    std::vector<Burst> searchBursts();

    static QString executable(); // built next to the tests

private:
    void readLines();

    const NetBed& bed_;
    QStringList arguments_;
    QProcess process_;
    QByteArray partial_;
    std::vector<QJsonObject> events_;
};

} // namespace testbed
