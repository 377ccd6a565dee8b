#include "discovery/HostResolution.h"

#include "protocol/CardText.h"

#include <QHostInfo>
#include <QUrl>

namespace discovery {

QList<QHostAddress> systemNameLookup(const QString& name) {
    const QHostInfo info = QHostInfo::fromName(name);
    if (info.error() != QHostInfo::NoError) {
        return {};
    }
    return info.addresses();
}

std::optional<QHostAddress> dottedQuad(const QString& text) {
    const QList<QStringView> parts = QStringView(text).split(u'.');
    if (parts.size() != 4) {
        return std::nullopt;
    }
    quint32 address = 0;
    for (QStringView part : parts) {
        if (part.isEmpty()) {
            return std::nullopt;
        }
        quint32 value = 0;
        for (QChar c : part) {
            if (c < u'0' || c > u'9') {
                return std::nullopt;
            }
            value = value * 10 + static_cast<quint32>(c.unicode() - u'0');
            if (value > 255) {
                return std::nullopt;
            }
        }
        address = (address << 8) | value;
    }
    return QHostAddress(address);
}

std::string DomainOnTheWire(std::string_view text) {
    if (protocol::IsAscii(text)) {
        return std::string(text);
    }
    // Qt's own UTS #46 processing, the same on every platform, with or without ICU.
    const QByteArray ace =
        QUrl::toAce(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return ace.isEmpty() ? std::string(text) : ace.toStdString();
}

std::string DomainAsShown(std::string_view wire) {
    const QByteArray ace(wire.data(), static_cast<qsizetype>(wire.size()));
    if (!ace.toLower().contains("xn--")) {
        return std::string(wire);
    }
    // Every name is shown decoded: the operator typed it so, whatever its top-level domain.
#if QT_VERSION >= QT_VERSION_CHECK(6, 3, 0)
    const QString shown = QUrl::fromAce(ace, QUrl::IgnoreIDNWhitelist);
#else
    const QString shown = QUrl::fromAce(ace); // before Qt 6.3: only whitelisted domains
#endif
    // fromAce gives back the ACE text itself for a label it will not show; keep the bytes then.
    return shown.isEmpty() ? std::string(wire) : shown.toStdString();
}

QString joinOctets(const QString& first, const QString& second, const QString& third,
                   const QString& fourth) {
    return first.trimmed() + QLatin1Char('.') + second.trimmed() + QLatin1Char('.') +
           third.trimmed() + QLatin1Char('.') + fourth.trimmed();
}

std::optional<QHostAddress> resolveHost(const QString& text, const NameLookup& lookup) {
    if (text.compare(u"localhost", Qt::CaseInsensitive) == 0) {
        return QHostAddress(QHostAddress::LocalHost);
    }
    if (auto quad = dottedQuad(text)) {
        return quad;
    }
    if (!lookup) {
        return std::nullopt;
    }
    for (const QHostAddress& a : lookup(text)) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            return a;
        }
    }
    return std::nullopt;
}

} // namespace discovery
