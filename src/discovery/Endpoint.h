#pragma once
// The tool's one network channel: requests leave for port 8800, answers come back to 4400.
// Everything above it talks to this interface, so search, read and write logic can be tested
// against FakeEndpoint without a socket.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace discovery {

// Datagrams longer than this are dropped before they reach the receive handler.
inline constexpr qsizetype MaxDatagramSize = 8192;
// Pause between closing the old binding and opening the new one.
inline constexpr int RebindPauseMs = 50;

struct SendFailure {
    enum class Reason : std::uint8_t {
        Unresolvable, // the host text is no dotted quad and no name lookup knows it
        NotBound,     // the endpoint could not be activated: address not ours, port taken
        SocketError,  // the system refused the datagram, e.g. a broadcast without permission
        TooLarge,     // more than one datagram can carry
        Incomplete,   // fewer bytes went out than were given
    };
    Reason reason;
    QString detail; // for diagnostics only; the operator sees a catalogue text
};

class [[nodiscard]] SendResult {
public:
    static SendResult sent() { return SendResult(); }
    static SendResult failed(SendFailure::Reason reason, QString detail = {}) {
        SendResult r;
        r.failure_ = SendFailure{reason, std::move(detail)};
        return r;
    }
    bool ok() const { return !failure_.has_value(); }
    explicit operator bool() const { return ok(); }
    // Only valid when !ok().
    const SendFailure& failure() const { return *failure_; }

private:
    std::optional<SendFailure> failure_;
};

class Endpoint {
public:
    // Runs on the thread that owns the endpoint, once per datagram, never inside itself.
    using ReceiveHandler = std::function<void(const QByteArray&)>;

    virtual ~Endpoint() = default;

    // Rebinds to (address, 4400); an empty address means every interface. Never reports: a
    // failure shows at the next send, which retries the binding.
    virtual void bindLocalAddress(const QString& address) = 0;

    // Switches the broadcast permission to `broadcast`, then sends `bytes` as one datagram.
    virtual SendResult sendDatagram(const QString& host, quint16 port, const QByteArray& bytes,
                                    bool broadcast) = 0;

    virtual void setReceiveHandler(ReceiveHandler handler) = 0;
};

} // namespace discovery
