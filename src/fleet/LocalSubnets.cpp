#include "fleet/LocalSubnets.h"

#include <QHostAddress>
#include <QNetworkInterface>

namespace fleet {

std::vector<LocalSubnet> SubnetsOf(const std::vector<InterfaceAddress>& interfaces,
                                   const QString& localAddress) {
    const QString chosen = localAddress.trimmed();
    const bool any = chosen.isEmpty() || chosen == QStringLiteral("0.0.0.0");
    std::vector<LocalSubnet> subnets;
    for (const InterfaceAddress& a : interfaces) {
        if (any ? (a.up && !a.loopback) : QString::fromStdString(a.address) == chosen) {
            subnets.push_back({a.address, a.mask});
            if (!any) {
                break;
            }
        }
    }
    return subnets;
}

std::vector<LocalSubnet> LocalSubnetsOf(const QString& localAddress) {
    std::vector<InterfaceAddress> list;
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol) {
                continue;
            }
            list.push_back({entry.ip().toString().toStdString(),
                            entry.netmask().toString().toStdString(),
                            flags.testFlag(QNetworkInterface::IsUp) &&
                                flags.testFlag(QNetworkInterface::IsRunning),
                            flags.testFlag(QNetworkInterface::IsLoopBack)});
        }
    }
    return SubnetsOf(list, localAddress);
}

} // namespace fleet
