#include "discovery/LocalAddress.h"

#include <QHostInfo>

namespace discovery {

QList<QHostAddress> systemLocalHostAddresses() {
    const QString name = QHostInfo::localHostName();
    if (name.isEmpty()) {
        return {};
    }
    const QHostInfo info = QHostInfo::fromName(name);
    return info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>{};
}

QString lookupLocalAddress(const LocalHostLookup& lookup) {
    QString result;
    if (!lookup) {
        return result;
    }
    for (const QHostAddress& a : lookup()) {
        bool ok = false;
        const quint32 v4 = a.toIPv4Address(&ok);
        // toIPv4Address also accepts v4-mapped IPv6; those are no adapter of ours.
        if (!ok || a.protocol() != QAbstractSocket::IPv4Protocol || (v4 >> 24) == 127) {
            continue;
        }
        result = QHostAddress(v4).toString();
    }
    return result;
}

} // namespace discovery
