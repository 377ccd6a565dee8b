#pragma once
// The machine's IPv4 adapter addresses as a flat list, one entry per address.

#include <QByteArray>
#include <QList>
#include <QNetworkInterface>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace net {

struct TAdapterInfo {
    QString Description;
    QString IPAddress;
    QString MacAddress;

    friend bool operator==(const TAdapterInfo&, const TAdapterInfo&) = default;
};

// Shown when the adapters cannot be listed; the same in every language.
inline constexpr char kAdapterListFailure[] =
    "由于网卡比较多导致加载网卡列表失败！请禁用掉无用的网卡再试！";

struct AdapterAddress {
    QString address; // dotted IPv4
    QString mask;
};

// What the platform tells about one interface.
struct InterfaceRecord {
    QString name; // human-readable
    QByteArray hardwareAddress;
    QNetworkInterface::InterfaceFlags flags;
    QList<AdapterAddress> ipv4; // in the platform's order
};

// Nothing when the platform could not be asked.
using InterfaceSource = std::function<std::optional<QList<InterfaceRecord>>()>;

// The platform's adapters: on Windows IP Helper's adapter report; elsewhere
// QNetworkInterface::allInterfaces(), where an empty answer means the query failed, since every
// machine has at least its loopback interface.
std::optional<QList<InterfaceRecord>> SystemInterfaces();

// Replaces the interface source (tests) until destroyed.
class ScopedInterfaceSource {
public:
    explicit ScopedInterfaceSource(InterfaceSource source);
    ~ScopedInterfaceSource();
    ScopedInterfaceSource(const ScopedInterfaceSource&) = delete;
    ScopedInterfaceSource& operator=(const ScopedInterfaceSource&) = delete;

private:
    InterfaceSource previous_;
};

// Two upper-case hex digits and "-" per byte, the last "-" dropped; "" for count 0.
QString MacToText(const unsigned char* bytes, int count);
QString MacToText(const QByteArray& bytes);

// The non-empty pieces of `text` between separators. An empty separator splits nothing.
QStringList SplitText(const QString& text, const QString& separator);

// "A: address M: mask\r" for each address, in order.
QString AddressListText(const QList<AdapterAddress>& addresses);

// Loopback interfaces are left out. An interface that is up without an IPv4 address gives one
// "0.0.0.0" entry, as the Windows adapter report lists it; one that is down gives none.
QList<TAdapterInfo> AdaptersFromInterfaces(const QList<InterfaceRecord>& interfaces);

// Asks the interface source. When it fails, the operator sees kAdapterListFailure and the
// list is empty.
QList<TAdapterInfo> EnumerateAdapters(QWidget* parent = nullptr);

} // namespace net
