#pragma once
// The machine's own IPv4 address, as the endpoint binds to it when the operator chose none.

#include <QHostAddress>
#include <QList>
#include <QString>
#include <functional>

namespace discovery {

// The addresses the local host name resolves to, in the order the resolver gives them.
using LocalHostLookup = std::function<QList<QHostAddress>()>;
QList<QHostAddress> systemLocalHostAddresses();

// The last IPv4 address of the lookup, skipping 127.0.0.0/8: Debian and its kin map the host
// name to 127.0.1.1, and a loopback binding would never see a card. Empty when nothing is
// left, which binds to every interface.
QString lookupLocalAddress(const LocalHostLookup& lookup = systemLocalHostAddresses);

} // namespace discovery
