#include "net/LGetAdapterInfo.h"

#include "ui/seams/MessageBox.h"

#include <QHostAddress>

namespace net {

namespace {

InterfaceSource& currentSource() {
    static InterfaceSource source = SystemInterfaces;
    return source;
}

QByteArray hardwareBytes(const QString& text) {
    QString hex = text;
    hex.remove(u':');
    return QByteArray::fromHex(hex.toLatin1());
}

} // namespace

std::optional<QList<InterfaceRecord>> SystemInterfaces() {
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    if (all.isEmpty()) {
        return std::nullopt;
    }
    QList<InterfaceRecord> records;
    for (const QNetworkInterface& itf : all) {
        InterfaceRecord record;
        record.name = itf.humanReadableName();
        record.hardwareAddress = hardwareBytes(itf.hardwareAddress());
        record.flags = itf.flags();
        for (const QNetworkAddressEntry& entry : itf.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                record.ipv4.append({entry.ip().toString(), entry.netmask().toString()});
            }
        }
        records.append(record);
    }
    return records;
}

ScopedInterfaceSource::ScopedInterfaceSource(InterfaceSource source)
    : previous_(std::move(currentSource())) {
    currentSource() = std::move(source);
}

ScopedInterfaceSource::~ScopedInterfaceSource() {
    currentSource() = std::move(previous_);
}

QString MacToText(const unsigned char* bytes, int count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QLatin1Char(kDigits[bytes[i] >> 4]);
        text += QLatin1Char(kDigits[bytes[i] & 0x0F]);
        text += u'-';
    }
    text.chop(1);
    return text;
}

QString MacToText(const QByteArray& bytes) {
    return MacToText(reinterpret_cast<const unsigned char*>(bytes.constData()),
                     static_cast<int>(bytes.size()));
}

QStringList SplitText(const QString& text, const QString& separator) {
    QStringList pieces;
    if (separator.isEmpty()) {
        if (!text.isEmpty()) {
            pieces.append(text);
        }
        return pieces;
    }
    qsizetype start = 0;
    for (qsizetype at = text.indexOf(separator); at >= 0; at = text.indexOf(separator, start)) {
        if (at > start) {
            pieces.append(text.mid(start, at - start));
        }
        start = at + separator.size();
    }
    if (start < text.size()) {
        pieces.append(text.mid(start));
    }
    return pieces;
}

QString AddressListText(const QList<AdapterAddress>& addresses) {
    QString text;
    for (const AdapterAddress& a : addresses) {
        text += QStringLiteral("A: ") + a.address + QStringLiteral(" M: ") + a.mask + u'\r';
    }
    return text;
}

QList<TAdapterInfo> AdaptersFromInterfaces(const QList<InterfaceRecord>& interfaces) {
    static const QString kAddressTag = QStringLiteral("A: ");
    static const QString kMaskTag = QStringLiteral(" M: ");
    QList<TAdapterInfo> list;
    for (const InterfaceRecord& itf : interfaces) {
        if (itf.flags.testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        QList<AdapterAddress> addresses = itf.ipv4;
        if (addresses.isEmpty() && itf.flags.testFlag(QNetworkInterface::IsUp)) {
            addresses.append({QStringLiteral("0.0.0.0"), QStringLiteral("0.0.0.0")});
        }
        const QString mac = MacToText(itf.hardwareAddress);
        // The address chain travels as text, one line per address; the mask stays behind.
        for (const QString& line : SplitText(AddressListText(addresses), QStringLiteral("\r"))) {
            const qsizetype a = line.indexOf(kAddressTag);
            const qsizetype m = line.indexOf(kMaskTag);
            const qsizetype from = a + kAddressTag.size();
            list.append({itf.name, line.mid(from, m - from), mac});
        }
    }
    return list;
}

QList<TAdapterInfo> EnumerateAdapters(QWidget* parent) {
    try {
        if (const auto interfaces = currentSource()()) {
            return AdaptersFromInterfaces(*interfaces);
        }
    } catch (...) {
        // Reported below like any other failure.
    }
    seams::inform(parent, QString::fromUtf8(kAdapterListFailure));
    return {};
}

} // namespace net
