#pragma once
// Fake adapter lists and a scripted operator for the adapter tests.

#include "net/AdapterDialog.h"
#include "net/AdapterList.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace net::test {

inline InterfaceRecord
Adapter(const char* name, QByteArray mac, QList<AdapterAddress> ipv4 = {},
        QNetworkInterface::InterfaceFlags flags = QNetworkInterface::IsUp |
                                                  QNetworkInterface::IsRunning) {
    return {QString::fromUtf8(name), std::move(mac), flags, std::move(ipv4)};
}

inline AdapterAddress Ip(const char* address, const char* mask = "255.255.255.0") {
    return {QString::fromLatin1(address), QString::fromLatin1(mask)};
}

inline const QByteArray kMacA = QByteArray::fromHex("001A2B3C4D5E");
inline const QByteArray kMacB = QByteArray::fromHex("A0B1C2D3E4F5");

// Two adapters, three addresses: 192.168.1.10, 10.0.0.2 and 10.0.0.3.
inline QList<InterfaceRecord> ThreeAddresses() {
    return {Adapter("lo", {}, {Ip("127.0.0.1", "255.0.0.0")},
                    QNetworkInterface::IsUp | QNetworkInterface::IsLoopBack),
            Adapter("Ethernet", kMacA, {Ip("192.168.1.10")}),
            Adapter("Wi-Fi", kMacB, {Ip("10.0.0.2"), Ip("10.0.0.3")})};
}

inline QList<InterfaceRecord> OneAddress() {
    return {Adapter("Ethernet", kMacA, {Ip("192.168.1.10")})};
}

inline QTreeWidgetItem* Row(const AdapterDialog& dialog, int row) {
    return dialog.lvNetCard()->topLevelItem(row);
}

inline void ClickRow(const AdapterDialog& dialog, int row) {
    QTreeWidget* view = dialog.lvNetCard();
    const QRect rect = view->visualItemRect(Row(dialog, row));
    QVERIFY(rect.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

inline void PressOK(const AdapterDialog& dialog) {
    QTest::mouseClick(dialog.btnOK(), Qt::LeftButton);
}

inline int SelectedRow(const AdapterDialog& dialog) {
    const auto selected = dialog.lvNetCard()->selectedItems();
    return selected.isEmpty() ? -1 : dialog.lvNetCard()->indexOfTopLevelItem(selected.front());
}

} // namespace net::test
