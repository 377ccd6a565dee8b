#pragma once
// An endpoint without a socket: records every send and lets a test hand in datagrams.

#include "discovery/Endpoint.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace testsupport {

// tests/discovery/FakeEndpointTest.cpp holds it to the real endpoint's delivery promises.
class FakeEndpoint final : public discovery::Endpoint {
public:
    struct Sent {
        QString host;
        quint16 port = 0;
        QByteArray bytes;
        bool broadcast = false;
        bool operator==(const Sent&) const = default;
    };

    void bindLocalAddress(const QString& address) override { bindings.append(address); }
    discovery::SendResult sendDatagram(const QString& host, quint16 port, const QByteArray& bytes,
                                       bool broadcast) override;
    void setReceiveHandler(ReceiveHandler handler) override { handler_ = std::move(handler); }

    // The next `count` sends fail with `reason` (count < 0: every send until succeedSends()).
    void failSends(discovery::SendFailure::Reason reason, int count = -1);
    void succeedSends() { failuresLeft_ = 0; }

    // Hands a datagram to the receive handler under the real endpoint's rules: one over
    // MaxDatagramSize never arrives, a datagram delivered from inside the handler waits until
    // the handler has returned, and an exception from the handler is absorbed.
    void deliver(const QByteArray& datagram);

    std::vector<Sent> sent;    // sends that succeeded, in order
    std::vector<Sent> refused; // sends that were made to fail
    QStringList bindings;      // every bindLocalAddress, in order
    int delivered = 0;         // datagrams the handler received
    int handlerFailures = 0;   // of which the handler threw

private:
    ReceiveHandler handler_;
    discovery::SendFailure::Reason failReason_ = discovery::SendFailure::Reason::SocketError;
    int failuresLeft_ = 0;
    bool delivering_ = false;
    std::deque<QByteArray> waiting_;
};

} // namespace testsupport
