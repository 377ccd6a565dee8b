#pragma once
// The real endpoint (the main window's UDPBSer): UDP sockets on the owning thread's event loop.
//
// Datagrams are read by the event loop, so they are handed over inside modal dialogs and
// message boxes too, one at a time and in the order the system received them, across both
// sockets where it stamps their arrival (Linux). A handler that opens a nested event loop is
// never re-entered: later datagrams wait in the socket until it returns.

#include "discovery/Endpoint.h"
#include "discovery/HostResolution.h"

#include <QHostAddress>
#include <QObject>
#include <memory>
#include <vector>

class QNetworkDatagram;
class QSocketNotifier;
class QUdpSocket;

namespace discovery {

class UdpEndpoint final : public QObject, public Endpoint {
    Q_OBJECT

public:
    // Asked of the kernel per socket, so a burst of answers from a large wall is not dropped.
    static constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;
    // Datagrams handed over before the event loop gets a turn again.
    static constexpr int DeliveryBatch = 256;
    // A turn also ends after this long, however slow the handler: a flood must not starve the
    // timers and painting.
    static constexpr int DeliveryTurnMs = 20;

    explicit UdpEndpoint(QObject* parent = nullptr);
    ~UdpEndpoint() override;
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;

    void bindLocalAddress(const QString& address) override;
    SendResult sendDatagram(const QString& host, quint16 port, const QByteArray& bytes,
                            bool broadcast) override;
    void setReceiveHandler(ReceiveHandler handler) override { handler_ = std::move(handler); }

    void setNameLookup(NameLookup lookup) { lookup_ = std::move(lookup); }
    // Closes the sockets; the binding is kept and the next send reopens it.
    void deactivate();

    bool isActive() const { return active_; }
    bool broadcastEnabled() const { return broadcast_; }
    QString localAddress() const { return localAddress_; }
    // The socket sends leave from; -1 while inactive.
    qintptr sendingSocketDescriptor() const;
    QString lastActivationError() const { return activationError_; }

    struct Counters {
        quint64 delivered = 0;       // handed to the handler
        quint64 oversized = 0;       // over MaxDatagramSize, or unreadable
        quint64 foreign = 0;         // unicast to another local address, seen by the wildcard
        quint64 handlerFailures = 0; // the handler threw
    };
    const Counters& counters() const { return counters_; }

private:
    bool activate();
    std::unique_ptr<QUdpSocket> openSocket(const QHostAddress& address, bool shared);
    void learnInterface(const QHostAddress& local);
    void applyBroadcast();
    void readPending();
    void watch(bool on);
    int earliestSocket();
    bool takeNext(QByteArray& out);
    bool wantedOnWildcard(const QNetworkDatagram& datagram) const;
    void deliver(const QByteArray& datagram);

    NameLookup lookup_ = systemNameLookup;
    ReceiveHandler handler_;
    QString localAddress_;
    bool active_ = false;
    bool broadcast_ = true;
    QString activationError_;

    // [0] is bound to the local address and sends. With a specific local address a second
    // socket on 0.0.0.0 receives what Linux withholds from the first: broadcasts.
    std::vector<std::unique_ptr<QUdpSocket>> sockets_;
    std::vector<QSocketNotifier*> watches_; // one per socket, owned by it
    std::size_t nextSocket_ = 0;            // taken in turn where arrival is not stamped
    bool arrivalStamps_ = false;            // every socket stamps arrivals: taken in arrival order
    int localInterface_ = 0;                // index of the adapter holding the local address
    QList<QHostAddress> subnetBroadcasts_;  // of that adapter

    bool delivering_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    Counters counters_;
};

} // namespace discovery
