#include "Simulator.h"

#include <QFileDevice>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkDatagram>
#include <QSocketNotifier>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace cardsim {

namespace {

// Report times are milliseconds with whole microseconds.
double MillisecondsFromNs(qint64 ns) {
    return std::floor(static_cast<double>(ns) / 1000.0) / 1000.0;
}

QString endpointText(const QHostAddress& a, quint16 port) {
    return QStringLiteral("%1:%2").arg(a.toString()).arg(port);
}

// Sends from the card's own address, as a real card would. A broadcast leaves through the
// interface the request came in on: the card addresses sit on lo, which would swallow it.
// Returns 0 or the errno.
int sendFromCard(int fd, const Answer& a) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(a.port);
    to.sin_addr.s_addr = htonl(a.to.toIPv4Address());
    iovec iov{const_cast<char*>(a.bytes.constData()), std::size_t(a.bytes.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr msg{};
    msg.msg_name = &to;
    msg.msg_namelen = sizeof to;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    cmsghdr* c = CMSG_FIRSTHDR(&msg);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    auto* info = reinterpret_cast<in_pktinfo*>(CMSG_DATA(c));
    const bool broadcast = a.to == QHostAddress(QHostAddress::Broadcast);
    info->ipi_ifindex = broadcast ? int(a.interfaceIndex) : 0;
    info->ipi_spec_dst.s_addr = htonl(a.from.toIPv4Address());
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::sendmsg(fd, &msg, 0) == a.bytes.size()) {
            return 0;
        }
        if (errno != EAGAIN && errno != ENOBUFS) {
            return errno;
        }
        pollfd p{fd, POLLOUT, 0}; // a burst may fill the send buffer for a moment
        ::poll(&p, 1, 10);
    }
    return errno;
}

} // namespace

Simulator::Simulator(SimOptions options, QIODevice& report)
    : options_(std::move(options)), report_(report), bank_(options_.cards, options_.answerPort),
      rng_(options_.seed) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Simulator::sendDue);
}

bool Simulator::start(QString* error) {
    if (!socket_.bind(options_.bind, options_.port)) {
        *error = socket_.errorString();
        return false;
    }
    // Every card answers through this one socket: room for a whole burst.
    socket_.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(1 << 22));
    socket_.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, QVariant(1 << 22));
    // Not readyRead: under the glib dispatcher its notifier, switched off and on around each
    // read, can stay off with datagrams waiting. This one stays on.
    auto* watch = new QSocketNotifier(socket_.socketDescriptor(), QSocketNotifier::Read, this);
    connect(watch, &QSocketNotifier::activated, this, &Simulator::readPending);
    clock_.start();
    for (const CardState& c : bank_.cards()) {
        report({{u"event"_qs, u"state"_qs}, {u"card"_qs, c.number}, {u"state"_qs, stateJson(c)}});
    }
    report({{u"event"_qs, u"ready"_qs},
            {u"bind"_qs, options_.bind.toString()},
            {u"port"_qs, options_.port},
            {u"cards"_qs, int(bank_.cards().size())}});
    return true;
}

void Simulator::readPending() {
    while (socket_.hasPendingDatagrams()) {
        const QNetworkDatagram d = socket_.receiveDatagram();
        if (!d.isValid()) {
            continue;
        }
        handle(Incoming{d.data(), d.senderAddress(), quint16(d.senderPort()),
                        d.destinationAddress(), d.interfaceIndex()});
    }
}

void Simulator::handle(const Incoming& in) {
    Outcome out = bank_.handle(in);
    report({{u"event"_qs, u"request"_qs},
            {u"kind"_qs, QString::fromLatin1(kindName(out.request.kind))},
            {u"from"_qs, endpointText(in.from, in.fromPort)},
            {u"to"_qs, in.to.toString()},
            {u"receivers"_qs, int(out.receivers.size())},
            {u"bytes"_qs, hexBytes(in.bytes)}});
    for (const WriteEvent& w : out.writes) {
        report({{u"event"_qs, u"write"_qs},
                {u"card"_qs, w.card},
                {u"kind"_qs, QString::fromLatin1(kindName(out.request.kind))},
                {u"applied"_qs, w.outcome.applied},
                {u"reason"_qs, w.outcome.reason},
                {u"ignoredFrames"_qs, QJsonArray::fromStringList(w.outcome.ignored)},
                {u"bytes"_qs, hexBytes(in.bytes)},
                {u"state"_qs, stateJson(bank_.card(w.card))}});
    }
    schedule(std::move(out.answers));
}

void Simulator::schedule(std::vector<Answer> answers) {
    const qint64 now = clock_.nsecsElapsed();
    const std::size_t n = answers.size();
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Answer> immediate;
    for (std::size_t i = 0; i < n; ++i) {
        if (options_.loss > 0.0 && unit(rng_) < options_.loss) {
            report({{u"event"_qs, u"lost"_qs},
                    {u"card"_qs, answers[i].card},
                    {u"kind"_qs, QString::fromLatin1(kindName(answers[i].kind))}});
            continue;
        }
        double ms = options_.delayMs;
        if (options_.jitterMs > 0) {
            ms += unit(rng_) * options_.jitterMs;
        }
        if (options_.burstMs > 0 && n > 1) {
            ms += double(options_.burstMs) * double(i) / double(n - 1);
        }
        if (ms <= 0.0 && queue_.empty()) {
            immediate.push_back(std::move(answers[i]));
        } else {
            queue_.push(Pending{now + qint64(ms * 1e6), order_++, std::move(answers[i])});
        }
    }
    sendAll(std::move(immediate));
    rearm();
}

void Simulator::sendAll(std::vector<Answer> answers) {
    // Send the whole lot first and report afterwards, so the burst stays tight.
    std::erase_if(answers, [this](const Answer& a) { return !send(a); });
    if (options_.quiet) {
        return;
    }
    for (const Answer& a : answers) {
        report({{u"event"_qs, u"answer"_qs},
                {u"card"_qs, a.card},
                {u"kind"_qs, QString::fromLatin1(kindName(a.kind))},
                {u"to"_qs, endpointText(a.to, a.port)},
                {u"bytes"_qs, hexBytes(a.bytes)}});
    }
}

void Simulator::sendDue() {
    const qint64 now = clock_.nsecsElapsed();
    std::vector<Answer> due;
    while (!queue_.empty() && queue_.top().dueNs <= now) {
        due.push_back(queue_.top().answer);
        queue_.pop();
    }
    sendAll(std::move(due));
    rearm();
}

void Simulator::reportSentWhenIdle() {
    if (!queue_.empty() || sentCount_ == 0) {
        return;
    }
    report({{u"event"_qs, u"sent"_qs},
            {u"count"_qs, sentCount_},
            {u"firstMs"_qs, MillisecondsFromNs(firstSentNs_)},
            {u"lastMs"_qs, MillisecondsFromNs(lastSentNs_)}});
    sentCount_ = 0;
}

void Simulator::rearm() {
    reportSentWhenIdle();
    if (queue_.empty()) {
        timer_.stop();
        return;
    }
    const qint64 waitNs = queue_.top().dueNs - clock_.nsecsElapsed();
    timer_.start(int(std::max<qint64>(0, (waitNs + 999999) / 1000000)));
}

bool Simulator::send(const Answer& a) {
    if (!transmit(a)) {
        return false;
    }
    const qint64 now = clock_.nsecsElapsed();
    if (sentCount_++ == 0) {
        firstSentNs_ = now;
    }
    lastSentNs_ = now;
    return true;
}

bool Simulator::transmit(const Answer& a) {
    if (sendFromCardAddress_) {
        const int error = sendFromCard(int(socket_.socketDescriptor()), a);
        if (error == 0) {
            return true;
        }
        if (error != EINVAL && error != EADDRNOTAVAIL) {
            report({{u"event"_qs, u"sendError"_qs},
                    {u"card"_qs, a.card},
                    {u"to"_qs, endpointText(a.to, a.port)},
                    {u"error"_qs, QString::fromLocal8Bit(std::strerror(error))}});
            return false;
        }
        // The card addresses are not ours (bound to one address, say): use the socket's.
        sendFromCardAddress_ = false;
    }
    if (socket_.writeDatagram(a.bytes, a.to, a.port) == a.bytes.size()) {
        return true;
    }
    report({{u"event"_qs, u"sendError"_qs},
            {u"card"_qs, a.card},
            {u"to"_qs, endpointText(a.to, a.port)},
            {u"error"_qs, socket_.errorString()}});
    return false;
}

void Simulator::report(const QJsonObject& event) {
    QJsonObject e = event;
    e[u"t"_qs] = MillisecondsFromNs(clock_.nsecsElapsed()); // since start
    report_.write(QJsonDocument(e).toJson(QJsonDocument::Compact));
    report_.write("\n", 1);
    if (auto* file = qobject_cast<QFileDevice*>(&report_)) {
        file->flush();
    }
}

} // namespace cardsim
