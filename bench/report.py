#!/usr/bin/env python3
"""Prints the figures that bench/run.sh left in RESULTS as one Markdown table."""

import json
import os
import statistics
import sys

out = sys.argv[1]
rows = []


def row(group, figure, value, meaning=""):
    rows.append((group, figure, value, meaning))


def load(name):
    path = os.path.join(out, name)
    if not os.path.exists(path):
        return None
    with open(path) as f:
        return json.load(f)


def lines(name):
    path = os.path.join(out, name)
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return [json.loads(l) for l in f if l.strip()]


def rate(v):
    if v >= 1e6:
        return f"{v / 1e6:.2f} M/s"
    return f"{v / 1e3:.1f} k/s"


for file, group in (("protocol_bench.json", "benchmark"), ("ui_bench.json", "benchmark (window)")):
    data = load(file)
    if not data:
        row(group, file, "not run")
        continue
    for b in data["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        name = b["run_name"]
        value = rate(b["items_per_second"]) if "items_per_second" in b else ""
        unit = b.get("time_unit", "ns")
        row(group, name, value, f"median of 5; {b['real_time']:.3g} {unit} per iteration")

for cards in (300, 2000):
    f = load(f"fleet-{cards}.json")
    g = f"fleet, {cards} cards"
    if not f:
        row(g, "result", "not run or failed")
        continue
    row(g, "search requests (SearchTimes)", f"{f['searchRequests']} ({f['searchTimes']})")
    row(g, "answers sent by the cards", f["answersSent"],
        f"worst burst spread {f['worstBurstSpanMs']:.1f} ms")
    row(g, "answers that reached the handler", f["answersHandled"],
        f"{f['answersHandledFirstBurst']} before the second request")
    row(g, "cards listed (dialog / main list)", f"{f['dialogRows']} / {f['listed']}")
    row(g, "first request to Nth card listed", f"{f['firstRequestToAllListedMs']} ms",
        f"first card after {f['firstRequestToFirstListedMs']} ms")
    row(g, "worst lateness of a 50 ms UI timer", f"{f['worstTimerLatenessMs']} ms",
        f"{f['timerTicks']} ticks while requests went out")
    row(g, "dialog close and copy to the main list", f"{f['closeAndCopyMs']} ms")

c = load("ctl.json")
if not c:
    row("ledcardctl", "result", "not run or failed")
else:
    g = f"ledcardctl apply, {c['applyCards']} cards"
    row(g, "cards confirmed", f"{c['applyConfirmed']} of {c['applyCards']}",
        "each backed up and journalled")
    row(g, "start to exit", f"{c['applyWallMs'] / 1000:.2f} s",
        f"10 cards: {c['applyFewWallMs'] / 1000:.2f} s; goal < 30 s: "
        f"{'met' if c['applyWallMs'] < 30000 else 'MISSED'}")
    row(g, "search; reads and checks", f"{c['applySearchEndedMs']} ms; "
        f"{c['applyApprovedMs'] - c['applySearchEndedMs']} ms",
        "the search's first request leaves at 1200 ms, as the window's")
    row(g, "first to last write", f"{c['applyLastWriteMs'] - c['applyFirstWriteMs']} ms",
        f"with a backup and a journal line each; first write {c['applyFirstWriteMs']} ms "
        "after the start")
    row(g, "last card confirmed", f"{c['applyDoneMs']} ms",
        f"10 cards: {c['applyFewDoneMs']} ms")
    floor = c["applyFloorMs"]
    ratio = c["applyFloorRatio"]
    after_search = (c["applyDoneMs"] - c["applySearchEndedMs"]) / max(1, floor)
    row(g, "last card confirmed / floor", f"{ratio:.3f}",
        f"floor {floor} ms (5 s wait and one read-back, shortest of the run); "
        f"from the search's end {after_search:.3f}; goal <= 1.3: "
        f"{'met' if ratio <= 1.3 else 'MISSED'}")
    g = f"ledcardctl search, {c['searchCards']} cards"
    row(g, "requests; rows listed; distinct MACs",
        f"{c['searchRequests']}; {c['searchRows']}; {c['searchDistinctMacs']}")
    row(g, "last request to last answer handled",
        f"{c['searchLastAnswerMs'] - c['searchLastRequestMs']} ms",
        f"the simulator sent that burst over {c['searchSimBurstSpanMs']:.1f} ms")
    row(g, "last answer handled to list printed", f"{c['searchLastAnswerToPrintedMs']} ms",
        f"50 ms of it the settling wait; goal < 100 ms: "
        f"{'met' if c['searchLastAnswerToPrintedMs'] < 100 else 'MISSED'}")

runs = lines("startup.jsonl")
by = {"baseline": [], "tool": []}
for r in runs:
    by[r["prog"]].append(r["probe"])
if by["baseline"] and by["tool"]:
    n = min(len(by["baseline"]), len(by["tool"]))

    def med(prog, key):
        return statistics.median(p[key] for p in by[prog])

    g = f"start-up, median of {n} runs each"
    for key, label, unit in (("paintMs", "start to first painted window", "ms"),
                             ("mapMs", "start to window mapped", "ms"),
                             ("cpuMs", "CPU time, start to exit", "ms"),
                             ("maxRssKb", "peak resident memory", "KiB")):
        b, t = med("baseline", key), med("tool", key)
        goal = {"paintMs": 1.3, "maxRssKb": 1.5}.get(key)
        verdict = ""
        if goal:
            verdict = f"goal <= {goal}: {'met' if t / b <= goal else 'MISSED'}"
        row(g, f"{label}: tool / baseline", f"{t / b:.2f}",
            f"{t:.0f} / {b:.0f} {unit}; {verdict}".rstrip("; "))
else:
    row("start-up", "result", "not run or failed")

prof = lines("startup-profile.jsonl")
if prof:
    g = f"tool start-up inside, median of {len(prof)} runs"

    def pm(key):
        return statistics.median(p[key] for p in prof)

    row(g, "QApplication ready", f"{pm('qapplicationMs'):.0f} ms", "from main()")
    row(g, "main window constructed", f"{pm('constructMs'):.0f} ms",
        f"host-name lookup {pm('hostLookupInConstructorMs'):.1f} ms of it")
    row(g, "show (start-up sequence up to the network)", f"{pm('showMs'):.0f} ms",
        f"settings {pm('settingsReadMs'):.1f}, network {pm('networkInShowMs'):.1f}, "
        f"the rest (profile, scale, language) {pm('restOfShowMs'):.1f} ms")
    row(g, "first paint event", f"{pm('firstPaintMs'):.0f} ms", "from main()")
    row(g, "network step done, after the paint", f"{pm('networkDoneMs'):.0f} ms",
        f"adapters {pm('adapterEnumerationMs'):.1f}, host lookups {pm('hostLookupsMs'):.1f}, "
        f"binding {pm('bindMs'):.1f} ms (50 ms of it the rebinding pause)")

print("| group | figure | value | notes |")
print("|---|---|---|---|")
for g, f, v, m in rows:
    print(f"| {g} | {f} | {v} | {m} |")
