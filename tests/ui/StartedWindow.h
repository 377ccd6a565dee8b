#pragma once
// A started main window for the tests: settings injected, start-up run, no socket.

#include "lang/Catalogue.h"
#include "net/AdapterList.h"
#include "support/FakeEndpoint.h"
#include "ui/MainWindow.h"

#include <QComboBox>
#include <QLocale>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace uitest {

struct Profile {
    int lgType = 0;
    int dhcp = 0;
    int cardColor = 3;
    QLocale locale{QLocale::Chinese, QLocale::China};
};

inline std::unique_ptr<ui::MainWindow> StartedWindow(const Profile& profile = {}) {
    lang::ResetGlobalCatalogues();
    // No socket and no host-name lookup: these tests also run outside a network namespace.
    static testsupport::FakeEndpoint endpoint;
    ui::MainWindow::NetworkHooks hooks;
    hooks.endpoint = &endpoint;
    hooks.lookupLocalAddress = [] { return QStringLiteral("192.168.1.10"); };
    hooks.showAdapterDialog = [](net::AdapterDialog&) {};
    // The subnet of that address, whatever this machine's interfaces are.
    hooks.localSubnets = [](const QString& address) {
        return std::vector<fleet::LocalSubnet>{{address.toStdString(), "255.255.255.0"}};
    };
    auto window = std::make_unique<ui::MainWindow>(nullptr, hooks);
    // Backups and the journal of the test program's writes in a folder of its own.
    static QTemporaryDir records;
    window->setDataFolder(records.path());
    window->setUserLocale(profile.locale);
    window->setSettingsHooks({[profile](settings::AppSettings& values) {
                                  values.LgType = profile.lgType;
                                  values.DHCP = profile.dhcp;
                                  values.CardColor = profile.cardColor;
                              },
                              {}});
    // One adapter with the looked-up address, whatever this machine has: on Windows a machine
    // without adapters gets the adapter-list failure message.
    const net::ScopedInterfaceSource oneAdapter([] {
        return QList<net::InterfaceRecord>{
            {QStringLiteral("eth0"),
             QByteArray::fromHex("001a2b3c4d5e"),
             QNetworkInterface::IsUp | QNetworkInterface::IsRunning,
             {{QStringLiteral("192.168.1.10"), QStringLiteral("255.255.255.0")}}}};
    });
    window->FormShow();
    return window;
}

template <typename T> T* Find(const QObject* root, const char* name) {
    return root->findChild<T*>(QLatin1String(name));
}

inline QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace uitest
