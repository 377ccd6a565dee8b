#ifdef _WIN32
// Before anything that may bring in windows.h, which winsock2.h must precede.
// clang-format off
#include <winsock2.h>
#include <iphlpapi.h>
// clang-format on
#include <vector>
#endif

#include "net/AdapterList.h"
#include "platform/MessageBox.h"

#include <QHostAddress>
#include <algorithm>

#ifdef Q_OS_WIN
// clang-format off: winsock2.h must come before iphlpapi.h
#include <iphlpapi.h>
#include <winsock2.h>
// clang-format on
#include <vector>
#endif

namespace net {

namespace {

InterfaceSource& currentSource() {
    static InterfaceSource source = SystemInterfaces;
    return source;
}

[[maybe_unused]] QByteArray hardwareBytes(const QString& text) {
    QString hex = text;
    hex.remove(u':');
    return QByteArray::fromHex(hex.toLatin1());
}

} // namespace

#ifdef Q_OS_WIN
// The adapter report of IP Helper: the adapter's description (not the connection's name), and
// every address it lists, the placeholder 0.0.0.0 of an unconfigured adapter included. Unlike
// QNetworkInterface it does not depend on the routing table, which Wine cannot always read.
std::optional<QList<InterfaceRecord>> SystemInterfaces() {
    ULONG size = 5120;
    std::vector<unsigned char> buffer;
    DWORD result = ERROR_BUFFER_OVERFLOW;
    // The report may grow between the two calls; a few tries settle it.
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.assign(size, 0);
        result = ::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) {
        return std::nullopt; // ERROR_NO_DATA too: a report without adapters is a failure
    }
    QList<InterfaceRecord> records;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data());
         adapter != nullptr; adapter = adapter->Next) {
        InterfaceRecord record;
        record.name = QString::fromLocal8Bit(
            adapter->Description,
            static_cast<qsizetype>(qstrnlen(adapter->Description, sizeof adapter->Description)));
        const auto length = std::min<UINT>(adapter->AddressLength, sizeof adapter->Address);
        record.hardwareAddress = QByteArray(reinterpret_cast<const char*>(adapter->Address),
                                            static_cast<qsizetype>(length));
        record.flags = QNetworkInterface::IsUp | QNetworkInterface::IsRunning;
        for (const IP_ADDR_STRING* a = &adapter->IpAddressList; a != nullptr; a = a->Next) {
            const auto text = [](const IP_ADDRESS_STRING& s) {
                return QString::fromLatin1(
                    s.String, static_cast<qsizetype>(qstrnlen(s.String, sizeof s.String)));
            };
            record.ipv4.append({text(a->IpAddress), text(a->IpMask)});
        }
        records.append(record);
    }
    if (records.isEmpty()) {
        return std::nullopt;
    }
    return records;
}
#else
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
#endif

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
    platform::inform(parent, QString::fromUtf8(kAdapterListFailure));
    return {};
}

} // namespace net
