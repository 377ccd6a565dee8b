#include "ctl/Program.h"

#include "ctl/CommandLine.h"
#include "ctl/Output.h"
#include "ctl/Runner.h"
#include "discovery/LocalAddress.h"
#include "discovery/UdpEndpoint.h"
#include "fleet/Scheduler.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace ctl {

namespace {

constexpr int kLoopbackLookups = 7;

// Ctrl+C through a pipe: the handler only writes a byte, the event loop does the rest. The
// first one stops the run in order; a second one, with the default action back, ends it.
class Interrupts {
public:
    explicit Interrupts(std::function<void()> onInterrupt) : onInterrupt_(std::move(onInterrupt)) {
        if (::pipe(pipe_) != 0) {
            pipe_[0] = pipe_[1] = -1;
            return;
        }
        for (int fd : pipe_) {
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        }
        notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            char drained[16];
            while (::read(pipe_[0], drained, sizeof drained) > 0) {
            }
            onInterrupt_();
        });
        struct sigaction action {};
        action.sa_handler = &Interrupts::onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        ::sigaction(SIGINT, &action, &previous_);
    }
    ~Interrupts() {
        if (pipe_[0] < 0) {
            return;
        }
        ::sigaction(SIGINT, &previous_, nullptr);
        notifier_.reset();
        ::close(pipe_[0]);
        ::close(pipe_[1]);
        pipe_[0] = pipe_[1] = -1;
    }
    Interrupts(const Interrupts&) = delete;
    Interrupts& operator=(const Interrupts&) = delete;

private:
    static void onSignal(int) {
        const int saved = errno;
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(pipe_[1], &byte, 1);
        errno = saved;
    }

    static inline int pipe_[2] = {-1, -1};
    std::function<void()> onInterrupt_;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_ {};
};

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
    QTextStream out(stdout);
    QTextStream err(stderr);
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
    context.progress = ::isatty(STDERR_FILENO) != 0;

    // A dry run opens no socket at all.
    std::unique_ptr<discovery::UdpEndpoint> endpoint;
    if (!command.dryRun) {
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
    Interrupts interrupts([&runner] { runner.interrupt(); });
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
