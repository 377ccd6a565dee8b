#include "ctl/Program.h"

#include "ctl/CommandLine.h"
#include "ctl/Output.h"
#include "ctl/Runner.h"
#include "discovery/LocalAddress.h"
#include "discovery/UdpEndpoint.h"
#include "fleet/DataFolder.h"
#include "fleet/LocalSubnets.h"
#include "fleet/Scheduler.h"
#include "platform/SignalPipe.h"
#include "platform/StandardStream.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#endif

namespace ctl {

namespace {

constexpr int kLoopbackLookups = 7;

// What stops a run: Ctrl+C; on Windows also Ctrl+Break and the console window closed.
std::vector<int> InterruptSignals() {
#ifdef Q_OS_WIN
    return {CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT};
#else
    return {SIGINT};
#endif
}

// Where the window keeps "SysCfg.ini": beside the program when it is there, else in the
// window's own configuration folder, whatever this program is called.
QString SettingsFile() {
    settings::SettingsFolders folders = settings::DefaultSettingsFolders();
    folders.configDir =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QStringLiteral("ledcardcfg"));
    return settings::SettingsPath(folders);
}

} // namespace

QString WindowLocalAddress(const std::optional<QString>& savedAddress, int adapterAddresses,
                           const std::function<QString()>& lookup) {
    // The settings' ServerIP defaults to the lookup, as the window's does.
    QString address = adapterAddresses > 1 && savedAddress ? *savedAddress : lookup();
    for (int i = 0; i < kLoopbackLookups && address == u"127.0.0.1"; ++i) {
        address = lookup();
    }
    return address;
}

int AdapterAddressCount(const QList<QNetworkInterface>& interfaces) {
    int count = 0;
    for (const QNetworkInterface& nic : interfaces) {
        if (nic.flags().testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        int v4 = 0;
        for (const QNetworkAddressEntry& e : nic.addressEntries()) {
            v4 += e.ip().protocol() == QAbstractSocket::IPv4Protocol ? 1 : 0;
        }
        if (v4 == 0 && nic.flags().testFlag(QNetworkInterface::IsUp)) {
            v4 = 1;
        }
        count += v4;
    }
    return count;
}

int RunProgram(const QStringList& arguments) {
    const Parsed parsed = ParseCommandLine(arguments, Environment::fromProcess());
    platform::StandardStream outStream(platform::StandardStream::Which::Output);
    platform::StandardStream errStream(platform::StandardStream::Which::Error);
    QTextStream out(&outStream);
    QTextStream err(&errStream);
    switch (parsed.outcome) {
    case Parsed::Outcome::Help:
        out << parsed.text;
        return 0;
    case Parsed::Outcome::Refused:
        err << QStringLiteral("ledcardctl: ") << parsed.text << u'\n';
        return kExitRefused;
    case Parsed::Outcome::Run:
        break;
    }
    const Command& command = parsed.command;

    const auto lookup = [] { return discovery::lookupLocalAddress(); };
    // ServerIP read without a default: the host-name lookup runs only when its answer is used.
    const settings::AppSettings values = settings::SettingsStore(SettingsFile()).load(QString());

    fleet::QtScheduler scheduler;
    Runner::Context context;
    context.scheduler = &scheduler;
    context.cardProfile = values.cardProfile();
    context.searchTimes = values.effectiveSearchTimes();
    context.out = &out;
    context.err = &err;
    context.progress = errStream.redrawsLines();
    context.dataFolder = fleet::DataFolder();
    const bool writes = command.kind == CommandKind::Write || command.kind == CommandKind::Apply ||
                        command.kind == CommandKind::Restore;
    if (writes) {
        // The address the settings chose; without one, every interface's subnet.
        context.localSubnets =
            fleet::LocalSubnetsOf(command.local ? *command.local : values.ServerIP);
    }

    // A dry run on a file and the journal open no socket at all.
    std::unique_ptr<discovery::UdpEndpoint> endpoint;
    if (!(command.dryRun && command.base) && command.kind != CommandKind::Journal) {
        endpoint = std::make_unique<discovery::UdpEndpoint>();
        const QString local =
            command.local ? *command.local
                          : WindowLocalAddress(
                                values.ServerIP.isEmpty() ? std::nullopt
                                                          : std::optional<QString>(values.ServerIP),
                                AdapterAddressCount(QNetworkInterface::allInterfaces()), lookup);
        endpoint->bindLocalAddress(local);
        context.endpoint = endpoint.get();
    }

    Runner runner(command, context);
    // Ctrl+C: the first one stops the run in order; a second one, with the default action
    // back, ends it.
    const platform::SignalPipe interrupts(InterruptSignals(), platform::SignalPipe::Repeat::Default,
                                          [&runner] { runner.interrupt(); });
    int status = -1;
    QTimer::singleShot(0, [&] {
        runner.start([&status](int s) {
            status = s;
            QCoreApplication::exit(s);
        });
    });
    const int loop = QCoreApplication::exec();
    return status >= 0 ? status : loop;
}

} // namespace ctl
