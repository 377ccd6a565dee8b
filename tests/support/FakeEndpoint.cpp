#include "support/FakeEndpoint.h"

namespace testsupport {

using discovery::SendResult;

SendResult FakeEndpoint::sendDatagram(const QString& host, quint16 port, const QByteArray& bytes,
                                      bool broadcast) {
    Sent s{host, port, bytes, broadcast};
    if (failuresLeft_ != 0) {
        if (failuresLeft_ > 0) {
            --failuresLeft_;
        }
        refused.push_back(std::move(s));
        return SendResult::failed(failReason_, QStringLiteral("made to fail by the test"));
    }
    sent.push_back(std::move(s));
    return SendResult::sent();
}

void FakeEndpoint::failSends(discovery::SendFailure::Reason reason, int count) {
    failReason_ = reason;
    failuresLeft_ = count;
}

void FakeEndpoint::deliver(const QByteArray& datagram) {
    if (datagram.size() > discovery::MaxDatagramSize) {
        return;
    }
    waiting_.push_back(datagram);
    if (delivering_) {
        return; // the outer deliver() hands it over once the running handler returns
    }
    delivering_ = true;
    while (!waiting_.empty()) {
        const QByteArray next = std::move(waiting_.front());
        waiting_.pop_front();
        if (!handler_) {
            continue;
        }
        ++delivered;
        try {
            handler_(next);
        } catch (...) {
            ++handlerFailures;
        }
    }
    delivering_ = false;
}

} // namespace testsupport
