#include "NetBed.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace testbed {

namespace {

std::atomic<int> g_serial{0};
const QString kNetnsDir = QStringLiteral("/run/netns");
const QString kToolMac = QStringLiteral("02:4c:43:00:00:01");
const QString kCardMac = QStringLiteral("02:4c:43:00:00:02");

QString ipTool() {
    return QStandardPaths::findExecutable(QStringLiteral("ip"));
}

QString addressPart(const QString& cidr) {
    return cidr.section(u'/', 0, 0);
}

// Names carry the owner's PID; a test that crashed leaves them behind, so sweep those.
void sweepStale() {
    static const QRegularExpression name(QStringLiteral("^lcf[TC](\\d+)n\\d+$"));
    const QStringList entries = QDir(kNetnsDir).entryList(QDir::Files | QDir::System);
    for (const QString& entry : entries) {
        const auto m = name.match(entry);
        if (!m.hasMatch()) {
            continue;
        }
        const pid_t pid = static_cast<pid_t>(m.captured(1).toLongLong());
        if (::kill(pid, 0) != 0 && errno == ESRCH) {
            QProcess::execute(ipTool(), {QStringLiteral("netns"), QStringLiteral("del"), entry});
        }
    }
}

} // namespace

QString NetBed::unavailableReason() {
    if (::geteuid() != 0) {
        return QStringLiteral("network namespaces need root");
    }
    if (ipTool().isEmpty()) {
        return QStringLiteral("the ip tool (iproute2) is not installed");
    }
    return {};
}

NetBed::NetBed(NetBedConfig config) : config_(std::move(config)) {
    const QString id = QStringLiteral("%1n%2").arg(::getpid()).arg(g_serial++);
    toolNs_ = QStringLiteral("lcfT") + id;
    cardNs_ = QStringLiteral("lcfC") + id;
    toolVeth_ = QStringLiteral("lcT") + id;
    cardVeth_ = QStringLiteral("lcC") + id;
}

NetBed::~NetBed() {
    tearDown();
}

QString NetBed::toolAddress() const {
    return addressPart(config_.toolAddress);
}
QString NetBed::cardSideAddress() const {
    return addressPart(config_.cardSideAddress);
}

QString NetBed::namespacePath(Side side) const {
    switch (side) {
    case Side::Tool:
        return kNetnsDir + u'/' + toolNs_;
    case Side::Card:
        return kNetnsDir + u'/' + cardNs_;
    case Side::Original:
        break;
    }
    return {};
}

bool NetBed::ip(const QStringList& args, QString* error) const {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(ipTool(), args);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error) {
            *error = QStringLiteral("ip %1: %2")
                         .arg(args.join(u' '), QString::fromLocal8Bit(p.readAll()).trimmed());
        }
        return false;
    }
    return true;
}

bool NetBed::up(QString* error) {
    if (const QString why = unavailableReason(); !why.isEmpty()) {
        *error = why;
        return false;
    }
    sweepStale();
    originalFd_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (originalFd_ < 0) {
        *error = QStringLiteral("cannot open the current network namespace");
        return false;
    }
    const QString n = QStringLiteral("-n");
    QList<QStringList> steps = {
        {u"netns"_qs, u"add"_qs, toolNs_},
        {u"netns"_qs, u"add"_qs, cardNs_},
        // Each pair is its own segment, so fixed MACs cannot clash.
        {u"link"_qs, u"add"_qs, toolVeth_, u"address"_qs, kToolMac, u"type"_qs, u"veth"_qs,
         u"peer"_qs, u"name"_qs, cardVeth_, u"address"_qs, kCardMac},
        {u"link"_qs, u"set"_qs, toolVeth_, u"netns"_qs, toolNs_},
        {u"link"_qs, u"set"_qs, cardVeth_, u"netns"_qs, cardNs_},
        {n, toolNs_, u"link"_qs, u"set"_qs, u"lo"_qs, u"up"_qs},
        {n, toolNs_, u"addr"_qs, u"add"_qs, config_.toolAddress, u"brd"_qs, u"+"_qs, u"dev"_qs,
         toolVeth_},
        {n, toolNs_, u"link"_qs, u"set"_qs, toolVeth_, u"up"_qs},
        {n, toolNs_, u"route"_qs, u"add"_qs, u"default"_qs, u"dev"_qs, toolVeth_},
        {n, cardNs_, u"link"_qs, u"set"_qs, u"lo"_qs, u"up"_qs},
        {n, cardNs_, u"addr"_qs, u"add"_qs, config_.cardSideAddress, u"brd"_qs, u"+"_qs, u"dev"_qs,
         cardVeth_},
        {n, cardNs_, u"link"_qs, u"set"_qs, cardVeth_, u"up"_qs},
        {n, cardNs_, u"route"_qs, u"add"_qs, u"default"_qs, u"dev"_qs, cardVeth_},
        // Real cards each resolve the tool's address on their own. Here they share one
        // neighbour table, whose queue for an unresolved address would drop most of a burst.
        {n, cardNs_, u"neigh"_qs, u"replace"_qs, toolAddress(), u"lladdr"_qs, kToolMac, u"dev"_qs,
         cardVeth_, u"nud"_qs, u"permanent"_qs},
    };
    for (const QString& range : config_.cardRanges) {
        // In the local table, so the card side answers ARP for them and may send from them.
        steps.append({n, cardNs_, u"route"_qs, u"add"_qs, u"local"_qs, range, u"dev"_qs, u"lo"_qs,
                      u"table"_qs, u"local"_qs});
    }
    created_ = true;
    for (const QStringList& step : steps) {
        if (!ip(step, error)) {
            tearDown();
            return false;
        }
    }
    return true;
}

bool NetBed::enter(Side side) {
    int fd = -1;
    if (side == Side::Original) {
        fd = originalFd_;
    } else {
        fd = ::open(namespacePath(side).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        return false;
    }
    const bool ok = ::setns(fd, CLONE_NEWNET) == 0;
    if (side != Side::Original) {
        ::close(fd);
    }
    if (ok) {
        current_ = side;
    }
    return ok;
}

int NetBed::run(Side side, const QStringList& command, QString* output) const {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QByteArray path = namespacePath(side).toLocal8Bit();
    p.setChildProcessModifier([path] {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0) {
            ::_exit(127);
        }
    });
    p.start(command.front(), command.mid(1));
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (output) {
        *output = QString::fromLocal8Bit(p.readAll());
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void NetBed::tearDown() {
    if (originalFd_ >= 0) {
        enter(Side::Original);
    }
    if (created_) {
        // Removing the namespaces removes the veth pair with them.
        ip({u"netns"_qs, u"del"_qs, toolNs_}, nullptr);
        ip({u"netns"_qs, u"del"_qs, cardNs_}, nullptr);
        ip({u"link"_qs, u"del"_qs, toolVeth_}, nullptr); // left here only if a move failed
        created_ = false;
    }
    if (originalFd_ >= 0) {
        ::close(originalFd_);
        originalFd_ = -1;
    }
}

} // namespace testbed
