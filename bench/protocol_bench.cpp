// Throughput of the protocol core. The cost of one search answer must not grow with the
// number of cards already listed, since a large wall answers every request in a burst.

#include "protocol/Reply.h"
#include "protocol/SearchAnswer.h"
#include "protocol/WriteComposer.h"
#include "support/Bytes.h"

#include <benchmark/benchmark.h>

namespace {

using protocol::Bytes;
using testsupport::hex;

Bytes answerFor(int card) {
    Bytes d = hex("A1 02 06 4C 45 44 2D 30 31 FF A1 04 06 00 1A 2B 3C 4D 5E FF "
                  "A1 05 04 C0 A8 01 64 FF A1 06 04 FF FF FF 00 FF A1 20 01 36 FF");
    // Distinct cards: the last two MAC bytes and IP bytes carry the card number.
    d[17] = static_cast<std::uint8_t>(card >> 8);
    d[18] = static_cast<std::uint8_t>(card);
    d[25] = static_cast<std::uint8_t>(card >> 8);
    d[26] = static_cast<std::uint8_t>(card);
    return d;
}

Bytes fullReply() {
    Bytes d = hex("A1 04 06 00 1A 2B 3C 4D 5E FF A1 05 04 C0 A8 01 64 FF A1 06 04 FF FF FF 00 FF "
                  "A1 07 04 C0 A8 01 01 FF A1 16 40");
    Bytes domain(64, 0);
    const char name[] = "led.example.com";
    std::copy(name, name + sizeof name - 1, domain.begin());
    d.insert(d.end(), domain.begin(), domain.end());
    const Bytes rest = hex("FF A1 17 04 C0 A8 01 02 FF A1 18 02 22 60 FF A1 19 01 0C FF "
                           "A1 1A 08 08 08 08 08 00 00 00 00 FF A1 20 01 36 FF "
                           "A1 21 11 01 01 02 80 01 E0 03 00 07 01 05 33 44 22 00 21 1F FF "
                           "A1 22 08 0A FF 00 01 02 03 04 05 FF");
    d.insert(d.end(), rest.begin(), rest.end());
    return d;
}

void BM_SearchAnswer(benchmark::State& state) {
    const int listed = static_cast<int>(state.range(0));
    protocol::FoundCards found;
    for (int i = 0; i < listed; ++i) {
        found.add(protocol::DecodeSearchAnswer(answerFor(i)));
    }
    if (found.size() != static_cast<std::size_t>(listed)) {
        state.SkipWithError("the cards were not all distinct");
    }
    const Bytes repeat = answerFor(0); // a card already listed answering again
    for (auto _ : state) {
        auto a = protocol::DecodeSearchAnswer(repeat);
        benchmark::DoNotOptimize(found.add(a));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SearchAnswer)->Arg(1)->Arg(100)->Arg(5000);

void BM_ParameterReply(benchmark::State& state) {
    protocol::ScanModeTable scan;
    scan.Build("Static Scan");
    protocol::PanelModel panel;
    panel.SetRuntimeCounts(3);
    const protocol::CardProfile profile;
    const Bytes reply = fullReply();
    for (auto _ : state) {
        benchmark::DoNotOptimize(protocol::applyParameterReply(panel, reply, scan, profile));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParameterReply);

void BM_WriteComposer(benchmark::State& state) {
    protocol::ScanModeTable scan;
    scan.Build("Static Scan");
    protocol::PanelModel panel;
    panel.SetRuntimeCounts(3);
    const protocol::CardProfile profile;
    protocol::applyParameterReply(panel, fullReply(), scan, profile);
    protocol::SelectedCard card;
    card.byMac = state.range(0) != 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(protocol::composeWrite(panel, card, scan, profile));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteComposer)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
