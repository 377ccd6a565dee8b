#include "fleet/DatagramRouter.h"

#include <algorithm>

namespace fleet {

DatagramRouter::DatagramRouter(discovery::Endpoint& endpoint) : endpoint_(endpoint) {
    endpoint_.setReceiveHandler([this](const QByteArray& datagram) { receive(datagram); });
}

DatagramRouter::~DatagramRouter() {
    endpoint_.setReceiveHandler({});
}

DatagramRouter::ListenerId DatagramRouter::listen(Claim claim) {
    const ListenerId id = next_++;
    listeners_.push_back({id, std::move(claim)});
    return id;
}

void DatagramRouter::stop(ListenerId id) {
    std::erase_if(listeners_, [id](const Listener& l) { return l.id == id; });
}

void DatagramRouter::receive(const QByteArray& datagram) {
    // A claim may stop listeners, itself included, or start new ones: walk a snapshot of the
    // ids and skip those that went.
    std::vector<ListenerId> ids;
    ids.reserve(listeners_.size());
    for (const Listener& l : listeners_) {
        ids.push_back(l.id);
    }
    std::reverse(ids.begin(), ids.end()); // newest first
    for (ListenerId id : ids) {
        const auto it = std::find_if(listeners_.begin(), listeners_.end(),
                                     [id](const Listener& l) { return l.id == id; });
        if (it == listeners_.end()) {
            continue;
        }
        Claim claim = it->claim; // the listener may go while its claim runs
        if (claim(datagram)) {
            return;
        }
    }
    if (unclaimed) {
        unclaimed(datagram);
    }
}

} // namespace fleet
