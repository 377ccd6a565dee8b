// The program from its entry with its real message loop, for the session-end tests.
//   ui_session_end_probe FOLDER idle|modal
// Prints "settings PATH", then "ready" once this run's choices are made (English; the second
// adapter, with the adapter dialog not to be shown again; in modal mode the About dialog is
// open), and "ended" when the entry has returned.

#include "net/AdapterDialog.h"
#include "net/AdapterList.h"
#include "settings/SettingsStore.h"
#include "support/FakeEndpoint.h"
#include "ui/MainWindow.h"
#include "ui/Program.h"

#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstring>

namespace {

void say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

net::InterfaceRecord adapter(const char* name, const char* mac, const char* address) {
    return {QString::fromLatin1(name),
            QByteArray::fromHex(mac),
            QNetworkInterface::IsUp | QNetworkInterface::IsRunning,
            {{QString::fromLatin1(address), QStringLiteral("255.255.255.0")}}};
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ledcardcfg"));
    if (argc != 3) {
        return 2;
    }
    const bool modal = std::strcmp(argv[2], "modal") == 0;
    net::ScopedInterfaceSource adapters([] {
        return QList<net::InterfaceRecord>{adapter("eth0", "001a2b3c4d5e", "192.168.1.10"),
                                           adapter("eth1", "001a2b3c4d5f", "10.0.0.7")};
    });
    // No socket and no host-name lookup.
    testsupport::FakeEndpoint endpoint;
    ui::EntryOptions options;
    options.lockFolder = QString::fromLocal8Bit(argv[1]);
    options.userLocale = QLocale(QLocale::Chinese, QLocale::China);
    options.network.endpoint = &endpoint;
    options.network.lookupLocalAddress = [] { return QStringLiteral("192.168.1.10"); };
    options.network.showAdapterDialog = [](net::AdapterDialog& dialog) {
        const auto rows =
            dialog.lvNetCard()->findItems(QStringLiteral("10.0.0.7"), Qt::MatchExactly, 2);
        if (!rows.isEmpty()) {
            dialog.lvNetCard()->setCurrentItem(rows.front());
        }
        dialog.cbNotShow()->setChecked(true);
    };
    options.mainWindowCreated = [modal](ui::MainWindow& window) {
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, modal] {
            if (!window.networkStartupDone()) {
                return;
            }
            poll->stop();
            window.menu_sub_englishClick();
            if (modal) {
                QTimer::singleShot(100, [] { say(QStringLiteral("ready")); });
                window.menu_sub_aboutClick();
            } else {
                say(QStringLiteral("ready"));
            }
        });
        poll->start(20);
    };
    say(QStringLiteral("settings ") + settings::SettingsPath());
    const int code = ui::RunProgram(options);
    say(QStringLiteral("ended"));
    return code;
}
