// What the window itself costs while a wall answers a search, without any network: the real
// main window and search dialog (offscreen), answers handed in through a fake endpoint in the
// portions the real endpoint uses, with the event loop (layout, painting) turning in between.

#include "discovery/UdpEndpoint.h"
#include "discovery/dialogs/SearchDialog.h"
#include "lang/Catalogue.h"
#include "net/AdapterDialog.h"
#include "session/CardSession.h"
#include "support/FakeEndpoint.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

QByteArray answerFor(int card) {
    QByteArray d = QByteArray::fromHex("A10206 4C45442D3031 FF A10406 001A2B3C4D5E FF "
                                       "A10504 C0A80164 FF A10604 FFFFFF00 FF A12001 36 FF");
    // Distinct cards: the last two MAC bytes and IP bytes carry the card number.
    d[17] = char(card >> 8);
    d[18] = char(card);
    d[25] = char(card >> 8);
    d[26] = char(card);
    return d;
}

struct Window {
    testsupport::FakeEndpoint endpoint;
    std::unique_ptr<ui::MainWindow> w;

    Window() {
        lang::ResetGlobalCatalogues();
        ui::MainWindow::NetworkHooks hooks;
        hooks.endpoint = &endpoint;
        hooks.lookupLocalAddress = [] { return QStringLiteral("10.0.0.1"); };
        hooks.showAdapterDialog = [](net::AdapterDialog&) {};
        w = std::make_unique<ui::MainWindow>(nullptr, hooks);
        w->setSettingsHooks({[](settings::AppSettings& values) { values.LgType = 2; }, {}});
        w->show();
        QApplication::processEvents();
    }

    // Hands `answers` in as the endpoint would: a portion, then the event loop's turn.
    void deliver(const std::vector<QByteArray>& answers) {
        int portion = 0;
        for (const QByteArray& a : answers) {
            endpoint.deliver(a);
            if (++portion == discovery::UdpEndpoint::DeliveryBatch) {
                portion = 0;
                QApplication::processEvents();
            }
        }
        QApplication::processEvents();
    }

    // One search; `body` runs while the dialog is shown and returns the seconds to report.
    template <typename Body> double search(Body body) {
        double seconds = 0;
        w->session().runSearchDialog = [&](discovery::SearchDialog& dialog) {
            dialog.show();
            QApplication::processEvents();
            seconds = body(dialog);
        };
        w->session().searchAllCards();
        endpoint.sent.clear();
        return seconds;
    }
};

// Made on first use, gone before the application object.
std::unique_ptr<Window> g_window;
Window& window() {
    if (!g_window) {
        g_window = std::make_unique<Window>();
    }
    return *g_window;
}

std::vector<QByteArray> cards(int n) {
    std::vector<QByteArray> out;
    out.reserve(std::size_t(n));
    for (int i = 1; i <= n; ++i) {
        out.push_back(answerFor(i));
    }
    return out;
}

// A burst of cards not listed yet: each becomes a row of the search dialog.
void BM_DialogListsNewCards(benchmark::State& state) {
    Window& w = window();
    const auto answers = cards(int(state.range(0)));
    for (auto _ : state) {
        state.SetIterationTime(w.search([&](discovery::SearchDialog&) {
            QElapsedTimer t;
            t.start();
            w.deliver(answers);
            return double(t.nsecsElapsed()) / 1e9;
        }));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DialogListsNewCards)
    ->Arg(300)
    ->Arg(2000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Every later request of the same search: the whole wall again, all duplicates.
void BM_DialogSkipsDuplicates(benchmark::State& state) {
    Window& w = window();
    const auto answers = cards(int(state.range(0)));
    for (auto _ : state) {
        state.SetIterationTime(w.search([&](discovery::SearchDialog&) {
            w.deliver(answers);
            QElapsedTimer t;
            t.start();
            w.deliver(answers);
            return double(t.nsecsElapsed()) / 1e9;
        }));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DialogSkipsDuplicates)->Arg(2000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The end of a search: the dialog closes and its rows are copied to the main list.
void BM_CloseCopiesRows(benchmark::State& state) {
    Window& w = window();
    const auto answers = cards(int(state.range(0)));
    for (auto _ : state) {
        state.SetIterationTime(w.search([&](discovery::SearchDialog& dialog) {
            w.deliver(answers);
            QElapsedTimer t;
            t.start();
            dialog.close();
            QApplication::processEvents();
            return double(t.nsecsElapsed()) / 1e9;
        }));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CloseCopiesRows)->Arg(2000)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}
