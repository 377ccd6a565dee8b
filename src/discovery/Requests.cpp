#include "discovery/Requests.h"

namespace discovery {

namespace {

SendResult sendTo(Endpoint& endpoint, const protocol::Destination& to, protocol::ByteView bytes) {
    return endpoint.sendDatagram(QString::fromStdString(to.host), to.port, toByteArray(bytes),
                                 to.broadcast);
}

} // namespace

SendResult sendSearch(Endpoint& endpoint, const QString& searchAddress) {
    const auto to = protocol::destinationFor(protocol::RequestKind::Search,
                                             searchAddress.toStdString(), protocol::SelectedCard{});
    return sendTo(endpoint, to, protocol::searchRequest());
}

SendResult sendRead(Endpoint& endpoint, const QString& searchAddress,
                    const protocol::SelectedCard& card) {
    const auto to =
        protocol::destinationFor(protocol::RequestKind::Read, searchAddress.toStdString(), card);
    return sendTo(endpoint, to, protocol::readRequestFor(card));
}

SendResult sendWrite(Endpoint& endpoint, const QString& searchAddress,
                     const protocol::SelectedCard& card, protocol::ByteView bytes) {
    const auto to =
        protocol::destinationFor(protocol::RequestKind::Write, searchAddress.toStdString(), card);
    return sendTo(endpoint, to, bytes);
}

} // namespace discovery
