#include "discovery/UdpEndpoint.h"

#include "platform/Clock.h"
#include "protocol/Frame.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QSocketNotifier>
#include <QUdpSocket>
#include <QVariant>
#include <algorithm>
#include <cstring>
#include <optional>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <ctime>
#include <sys/socket.h>
#include <sys/uio.h>
#endif

namespace discovery {

namespace {

constexpr quint32 LimitedBroadcast = 0xFFFFFFFFu;

bool setIntOption(qintptr fd, int name, int value) {
#ifdef Q_OS_WIN
    return ::setsockopt(static_cast<SOCKET>(fd), SOL_SOCKET, name,
                        reinterpret_cast<const char*>(&value), sizeof value) == 0;
#else
    return ::setsockopt(static_cast<int>(fd), SOL_SOCKET, name, &value, sizeof value) == 0;
#endif
}

[[maybe_unused]] int intOption(qintptr fd, int name) {
    int value = 0;
#ifdef Q_OS_WIN
    int len = sizeof value;
    ::getsockopt(static_cast<SOCKET>(fd), SOL_SOCKET, name, reinterpret_cast<char*>(&value), &len);
#else
    socklen_t len = sizeof value;
    ::getsockopt(static_cast<int>(fd), SOL_SOCKET, name, &value, &len);
#endif
    return value;
}

void requestReceiveBuffer(QUdpSocket& socket) {
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                           QVariant(UdpEndpoint::ReceiveBufferBytes));
#ifdef SO_RCVBUFFORCE
    // net.core.rmem_max caps the request (often at 208 KiB); a privileged process may pass it.
    if (intOption(socket.socketDescriptor(), SO_RCVBUF) < UdpEndpoint::ReceiveBufferBytes) {
        setIntOption(socket.socketDescriptor(), SO_RCVBUFFORCE, UdpEndpoint::ReceiveBufferBytes);
    }
#endif
}

// Asks the system to note when each datagram arrived; false where it cannot.
bool requestArrivalStamps(qintptr fd) {
#ifdef SO_TIMESTAMPNS
    return setIntOption(fd, SO_TIMESTAMPNS, 1);
#else
    Q_UNUSED(fd);
    return false;
#endif
}

// When the datagram at the head of the socket's queue arrived, in nanoseconds, without
// taking it; nullopt when nothing waits or the system did not say.
std::optional<qint64> headArrival(qintptr fd) {
#ifdef SO_TIMESTAMPNS
    char byte = 0;
    iovec iov{&byte, 1};
    // Room for the packet information Qt asks for too, so the stamp is not cut off.
    alignas(cmsghdr) char control[256];
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    if (::recvmsg(static_cast<int>(fd), &msg, MSG_PEEK | MSG_DONTWAIT) < 0) {
        return std::nullopt;
    }
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
            timespec at{};
            std::memcpy(&at, CMSG_DATA(c), sizeof at);
            return qint64(at.tv_sec) * 1000000000 + at.tv_nsec;
        }
    }
#else
    Q_UNUSED(fd);
#endif
    return std::nullopt;
}

} // namespace

UdpEndpoint::UdpEndpoint(QObject* parent) : QObject(parent) {}

UdpEndpoint::~UdpEndpoint() {
    *alive_ = false;
    deactivate();
}

qintptr UdpEndpoint::sendingSocketDescriptor() const {
    return active_ ? sockets_.front()->socketDescriptor() : -1;
}

void UdpEndpoint::bindLocalAddress(const QString& address) {
    deactivate();
    platform::clock().sleepMs(RebindPauseMs);
    localAddress_ = address;
    activate(); // a failure shows at the next send
}

void UdpEndpoint::deactivate() {
    for (QSocketNotifier* watch : watches_) {
        watch->setEnabled(false); // before the descriptor goes
    }
    watches_.clear();
    for (auto& socket : sockets_) {
        socket->close();
        // The handler may be running below this socket's notifier; let it unwind first.
        socket.release()->deleteLater();
    }
    sockets_.clear();
    active_ = false;
}

std::unique_ptr<QUdpSocket> UdpEndpoint::openSocket(const QHostAddress& address, bool shared) {
    auto socket = std::make_unique<QUdpSocket>();
    const auto mode = shared ? QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint
                             : QAbstractSocket::DontShareAddress;
    if (!socket->bind(address, protocol::LocalPort, mode)) {
        activationError_ = socket->errorString();
        return nullptr;
    }
    requestReceiveBuffer(*socket);
    if (!requestArrivalStamps(socket->socketDescriptor())) {
        arrivalStamps_ = false;
    }
    // QUdpSocket's readyRead switches its notifier off and on around every read; under the
    // glib event dispatcher that now and then leaves it off with datagrams waiting, and a
    // burst of answers stalls. A notifier of our own stays on: level-triggered, it fires
    // for as long as anything is left to read.
    auto* watch =
        new QSocketNotifier(socket->socketDescriptor(), QSocketNotifier::Read, socket.get());
    connect(watch, &QSocketNotifier::activated, this, &UdpEndpoint::readPending);
    watches_.push_back(watch);
    return socket;
}

void UdpEndpoint::learnInterface(const QHostAddress& local) {
    localInterface_ = 0;
    subnetBroadcasts_.clear();
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& nic : interfaces) {
        const auto entries = nic.addressEntries();
        const bool ours =
            std::any_of(entries.begin(), entries.end(),
                        [&](const QNetworkAddressEntry& e) { return e.ip() == local; });
        if (!ours) {
            continue;
        }
        localInterface_ = nic.index();
        for (const QNetworkAddressEntry& e : entries) {
            if (e.ip().protocol() != QAbstractSocket::IPv4Protocol) {
                continue;
            }
            // Not every adapter reports its broadcast address; the netmask tells it too.
            const quint32 all = e.ip().toIPv4Address() | ~e.netmask().toIPv4Address();
            for (const QHostAddress& b : {e.broadcast(), QHostAddress(all)}) {
                if (!b.isNull() && !subnetBroadcasts_.contains(b)) {
                    subnetBroadcasts_.append(b);
                }
            }
        }
        return;
    }
}

bool UdpEndpoint::activate() {
    deactivate();
    activationError_.clear();
    arrivalStamps_ = true;
    QHostAddress local(QHostAddress::AnyIPv4);
    if (!localAddress_.isEmpty()) {
        local = QHostAddress(localAddress_);
        if (local.protocol() != QAbstractSocket::IPv4Protocol) {
            activationError_ = QStringLiteral("not an IPv4 address: %1").arg(localAddress_);
            return false;
        }
    }
#ifdef Q_OS_WIN
    // Windows hands broadcasts to a socket bound to the adapter's address too; a wildcard
    // companion would receive each of them twice.
    constexpr bool kWildcardCompanion = false;
#else
    // Linux hands broadcasts only to sockets bound to the wildcard address.
    constexpr bool kWildcardCompanion = true;
#endif
    const bool withWildcard = kWildcardCompanion && local != QHostAddress(QHostAddress::AnyIPv4);
    // Both sockets share the port, which Linux allows only when both ask for it.
    auto primary = openSocket(local, withWildcard);
    if (!primary) {
        return false;
    }
    sockets_.push_back(std::move(primary));
    if (withWildcard) {
        auto wildcard = openSocket(QHostAddress(QHostAddress::AnyIPv4), true);
        if (!wildcard) {
            deactivate();
            return false;
        }
        sockets_.push_back(std::move(wildcard));
        learnInterface(local);
    }
    active_ = true;
    nextSocket_ = 0;
    applyBroadcast();
    return true;
}

void UdpEndpoint::applyBroadcast() {
    for (const auto& socket : sockets_) {
        setIntOption(socket->socketDescriptor(), SO_BROADCAST, broadcast_ ? 1 : 0);
    }
}

SendResult UdpEndpoint::sendDatagram(const QString& host, quint16 port, const QByteArray& bytes,
                                     bool broadcast) {
    broadcast_ = broadcast;
    applyBroadcast();
    const std::optional<QHostAddress> to = resolveHost(host, lookup_);
    if (!to) {
        return SendResult::failed(SendFailure::Reason::Unresolvable, host);
    }
    if (!active_) {
        // An endpoint never bound has an empty local address: every interface.
        if (!activate()) {
            return SendResult::failed(SendFailure::Reason::NotBound, activationError_);
        }
    }
    QUdpSocket& socket = *sockets_.front();
    const qint64 written = socket.writeDatagram(bytes, *to, port);
    if (written < 0) {
        const auto reason = socket.error() == QAbstractSocket::DatagramTooLargeError
                                ? SendFailure::Reason::TooLarge
                                : SendFailure::Reason::SocketError;
        return SendResult::failed(reason, socket.errorString());
    }
    if (written != bytes.size()) {
        return SendResult::failed(SendFailure::Reason::Incomplete,
                                  QStringLiteral("%1 of %2 bytes").arg(written).arg(bytes.size()));
    }
    return SendResult::sent();
}

bool UdpEndpoint::wantedOnWildcard(const QNetworkDatagram& datagram) const {
    const QHostAddress to = datagram.destinationAddress();
    if (to.isNull()) {
        return true; // the system did not say; better a duplicate than a lost answer
    }
    const bool broadcast = to.toIPv4Address() == LimitedBroadcast || subnetBroadcasts_.contains(to);
    if (!broadcast) {
        return false; // unicast to another address of this machine: not for our binding
    }
    // Like a socket bound to the adapter, take broadcasts that came in through that adapter.
    return localInterface_ == 0 || datagram.interfaceIndex() == 0 ||
           static_cast<int>(datagram.interfaceIndex()) == localInterface_;
}

int UdpEndpoint::earliestSocket() {
    const std::size_t count = sockets_.size();
    if (!arrivalStamps_) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = (nextSocket_ + i) % count;
            if (sockets_[at]->hasPendingDatagrams()) {
                return static_cast<int>(at);
            }
        }
        return -1;
    }
    // A socket seen empty may receive a datagram stamped before the head chosen from another
    // one; look again until none seen empty has filled meanwhile. Bounded, for a flood.
    int best = -1;
    for (int pass = 0; pass < 8; ++pass) {
        best = -1;
        qint64 bestAt = 0;
        std::vector<std::size_t> empty;
        for (std::size_t i = 0; i < count; ++i) {
            const std::optional<qint64> at = headArrival(sockets_[i]->socketDescriptor());
            if (!at && !sockets_[i]->hasPendingDatagrams()) {
                empty.push_back(i);
                continue;
            }
            const qint64 stamp = at.value_or(0); // unstamped: not held back behind others
            if (best < 0 || stamp < bestAt) {
                best = static_cast<int>(i);
                bestAt = stamp;
            }
        }
        if (best < 0) {
            return -1;
        }
        const bool filled = std::any_of(empty.begin(), empty.end(), [this](std::size_t i) {
            return sockets_[i]->hasPendingDatagrams();
        });
        if (!filled) {
            return best;
        }
    }
    return best;
}

bool UdpEndpoint::takeNext(QByteArray& out) {
    // Bounded, in case a socket keeps claiming a datagram that cannot be read.
    for (int attempts = 0; attempts < 64; ++attempts) {
        const int chosen = earliestSocket();
        if (chosen < 0) {
            return false;
        }
        const auto at = static_cast<std::size_t>(chosen);
        QUdpSocket& socket = *sockets_[at];
        const qint64 size = socket.pendingDatagramSize();
        if (size < 0 || size > MaxDatagramSize) {
            socket.receiveDatagram(0); // reads and discards it
            ++counters_.oversized;
            continue;
        }
        const QNetworkDatagram datagram = socket.receiveDatagram(MaxDatagramSize);
        if (!datagram.isValid()) {
            ++counters_.oversized;
            continue;
        }
        if (at != 0 && !wantedOnWildcard(datagram)) {
            ++counters_.foreign;
            continue;
        }
        nextSocket_ = (at + 1) % sockets_.size();
        out = datagram.data();
        return true;
    }
    return false;
}

void UdpEndpoint::deliver(const QByteArray& datagram) {
    ++counters_.delivered;
    if (!handler_) {
        return;
    }
    try {
        handler_(datagram);
    } catch (...) {
        ++counters_.handlerFailures;
    }
}

void UdpEndpoint::watch(bool on) {
    for (QSocketNotifier* w : watches_) {
        w->setEnabled(on);
    }
}

void UdpEndpoint::readPending() {
    if (delivering_) {
        // A handler below us runs a nested loop (a message box, say). The datagram waits in
        // the socket until it returns; stop the level-triggered watch from spinning meanwhile.
        watch(false);
        return;
    }
    const std::shared_ptr<bool> alive = alive_;
    delivering_ = true;
    QByteArray datagram;
    // A long burst is taken in portions so timers and painting get their turn; the watch
    // fires again for the rest.
    QElapsedTimer turn;
    turn.start();
    for (int handled = 0; handled < DeliveryBatch && takeNext(datagram); ++handled) {
        deliver(datagram);
        if (!*alive) {
            return; // the handler destroyed us
        }
        if (turn.hasExpired(DeliveryTurnMs)) {
            break;
        }
    }
    delivering_ = false;
    watch(true);
}

} // namespace discovery
