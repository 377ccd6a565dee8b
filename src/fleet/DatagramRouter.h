#pragma once
// The one receiver of the endpoint. Every datagram goes to the parties that listen, newest
// first, until one takes it; what nobody takes goes to `unclaimed` (the window's panel). A
// batch, a search and a single card's write therefore never take each other's replies, and
// nobody hands the endpoint's receive handler around.

#include "discovery/Endpoint.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <vector>

namespace fleet {

class DatagramRouter {
public:
    using ListenerId = std::uint64_t;
    // True when the datagram was the listener's and has been taken.
    using Claim = std::function<bool(const QByteArray&)>;

    explicit DatagramRouter(discovery::Endpoint& endpoint);
    ~DatagramRouter();
    DatagramRouter(const DatagramRouter&) = delete;
    DatagramRouter& operator=(const DatagramRouter&) = delete;

    discovery::Endpoint& endpoint() { return endpoint_; }

    ListenerId listen(Claim claim);
    // Safe from inside a claim; an id that is gone already is no error.
    void stop(ListenerId id);

    // Datagrams no listener took.
    std::function<void(const QByteArray&)> unclaimed;

private:
    void receive(const QByteArray& datagram);

    struct Listener {
        ListenerId id;
        Claim claim;
    };
    discovery::Endpoint& endpoint_;
    std::vector<Listener> listeners_;
    ListenerId next_ = 1;
};

} // namespace fleet
