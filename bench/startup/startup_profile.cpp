// Where the tool's start-up time goes, measured inside one process: the program entry's own
// steps with each network and settings step timed through the window's hooks, up to the first
// paint of the main window. Prints one JSON line of milliseconds and quits by itself.
//
// Run it the way the tool runs (same display, same XDG folders); it never searches.

#include "discovery/LocalAddress.h"
#include "discovery/UdpEndpoint.h"
#include "net/AdapterChoice.h"
#include "net/AdapterList.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

QElapsedTimer g_clock;

struct Span {
    double ms = 0;
    int calls = 0;
};

template <typename F> auto timed(Span& span, F&& f) {
    QElapsedTimer t;
    t.start();
    struct Done {
        Span& s;
        QElapsedTimer& t;
        ~Done() {
            s.ms += double(t.nsecsElapsed()) / 1e6;
            ++s.calls;
        }
    } done{span, t};
    return f();
}

// The window's own endpoint, with its binding timed.
class TimedEndpoint final : public discovery::Endpoint {
public:
    explicit TimedEndpoint(Span& bind) : bind_(bind) {}
    void bindLocalAddress(const QString& address) override {
        timed(bind_, [&] { real_.bindLocalAddress(address); });
    }
    discovery::SendResult sendDatagram(const QString&, quint16, const QByteArray&, bool) override {
        // Start-up sends nothing; neither may this.
        return discovery::SendResult::failed(discovery::SendFailure::Reason::NotBound);
    }
    void setReceiveHandler(ReceiveHandler handler) override {
        real_.setReceiveHandler(std::move(handler));
    }

private:
    Span& bind_;
    discovery::UdpEndpoint real_;
};

// The first paint event that reaches any widget.
class PaintWatch : public QObject {
public:
    double firstPaintMs = -1;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && firstPaintMs < 0) {
            firstPaintMs = double(g_clock.nsecsElapsed()) / 1e6;
        }
        return QObject::eventFilter(o, e);
    }
};

double now() {
    return double(g_clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    g_clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ledcardcfg"));
    const double appMs = now();

    Span lookup, bind, adapters, settingsRead;
    net::ScopedInterfaceSource interfaces(
        [&adapters] { return timed(adapters, [] { return net::SystemInterfaces(); }); });
    ui::MainWindow::NetworkHooks hooks;
    TimedEndpoint endpoint(bind);
    hooks.endpoint = &endpoint;
    hooks.lookupLocalAddress = [&lookup] {
        return timed(lookup, [] { return discovery::lookupLocalAddress(); });
    };

    const settings::SettingsStore store(settings::SettingsPath());
    const double beforeWindow = now();
    ui::MainWindow w(nullptr, hooks);
    const double constructMs = now() - beforeWindow;
    const Span lookupInConstructor = lookup;
    w.setSettingsHooks({[&](settings::AppSettings& values) {
                            timed(settingsRead, [&] { values = store.load(w.LocalAddress); });
                        },
                        {}});

    PaintWatch paints;
    app.installEventFilter(&paints);
    // As the program entry does: the network end of the start-up follows the first paint.
    w.setNetworkAfterFirstPaint(true);
    const double beforeShow = now();
    w.show();
    const double showMs = now() - beforeShow;
    const Span beforePaintLookup = lookup, beforePaintAdapters = adapters, beforePaintBind = bind;
    // Quit a little after the first paint and the network step, once all is surely flushed.
    double networkDoneMs = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (networkDoneMs < 0 && w.networkStartupDone()) {
            networkDoneMs = now();
        }
        if (paints.firstPaintMs >= 0 && networkDoneMs >= 0 &&
            now() > std::max(paints.firstPaintMs, networkDoneMs) + 200) {
            QApplication::quit();
        }
    });
    poll.start(10);
    QTimer::singleShot(10000, &app, &QApplication::quit);
    QApplication::exec();

    const QJsonObject out{
        {u"qapplicationMs"_qs, appMs},
        {u"constructMs"_qs, constructMs},
        {u"hostLookupInConstructorMs"_qs, lookupInConstructor.ms},
        {u"showMs"_qs, showMs},
        {u"settingsReadMs"_qs, settingsRead.ms},
        // What still ran within show(), ahead of the first paint: nothing, when deferred.
        {u"networkInShowMs"_qs, beforePaintLookup.ms - lookupInConstructor.ms +
                                    beforePaintAdapters.ms + beforePaintBind.ms},
        {u"restOfShowMs"_qs, showMs - settingsRead.ms -
                                 (beforePaintLookup.ms - lookupInConstructor.ms) -
                                 beforePaintAdapters.ms - beforePaintBind.ms},
        {u"firstPaintMs"_qs, paints.firstPaintMs},
        // The network end, wherever it ran.
        {u"hostLookupsMs"_qs, lookup.ms - lookupInConstructor.ms},
        {u"hostLookups"_qs, lookup.calls - lookupInConstructor.calls},
        {u"adapterEnumerationMs"_qs, adapters.ms},
        {u"bindMs"_qs, bind.ms},
        {u"networkDoneMs"_qs, networkDoneMs},
    };
    std::printf("%s\n", QJsonDocument(out).toJson(QJsonDocument::Compact).constData());
    return 0;
}
