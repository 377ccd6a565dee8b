#pragma once
// Two network namespaces joined by a veth pair: the tool side and the card side.
//
//   tool side                         card side
//   192.168.1.10/24 ---- veth ---- 192.168.1.2/24, and every card address (local routes)
//
// Both sides have a default route through the veth, so a broadcast from a socket bound to
// 0.0.0.0 has a way out. Nothing is connected to the machine's real network.
//
// A test enters a side with setns(2) on its own (main) thread: sockets made afterwards live
// there, also after the thread has moved on. Start the test process's other threads only
// after entering, or they stay behind.

#include <QString>
#include <QStringList>
#include <functional>

namespace testbed {

struct NetBedConfig {
    QString toolAddress = QStringLiteral("192.168.1.10/24");
    QString cardSideAddress = QStringLiteral("192.168.1.2/24");
    // Addresses the simulated cards may use, now and after a write moves them.
    QStringList cardRanges = {QStringLiteral("192.168.1.64/26"),
                              QStringLiteral("192.168.1.128/26")};
};

// A wall: a /16 on the veth, the cards in 10.77.16.0/20, room for 4094 of them.
inline NetBedConfig WallBed() {
    NetBedConfig c;
    c.toolAddress = QStringLiteral("10.77.0.10/16");
    c.cardSideAddress = QStringLiteral("10.77.0.2/16");
    c.cardRanges = {QStringLiteral("10.77.16.0/20")};
    return c;
}

// A bed test's size from the environment (the benchmarks set it), else `fallback`.
inline int SizeFromEnvironment(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

enum class Side { Original, Tool, Card };

class NetBed {
public:
    // Empty when namespaces can be made here; otherwise why not (for QSKIP / GTEST_SKIP).
    static QString unavailableReason();

    explicit NetBed(NetBedConfig config = {});
    ~NetBed(); // returns the thread to where it started and removes everything
    NetBed(const NetBed&) = delete;
    NetBed& operator=(const NetBed&) = delete;

    bool up(QString* error);

    // Moves the calling thread into a side.
    bool enter(Side side);
    Side current() const { return current_; }

    QString toolNamespace() const { return toolNs_; }
    QString cardNamespace() const { return cardNs_; }
    QString toolAddress() const;     // "192.168.1.10"
    QString cardSideAddress() const; // "192.168.1.2"
    QString namespacePath(Side side) const;

    // Runs `command` (program and arguments) inside a side and returns its exit code.
    int run(Side side, const QStringList& command, QString* output = nullptr) const;

    const NetBedConfig& config() const { return config_; }

private:
    bool ip(const QStringList& args, QString* error) const;
    void tearDown();

    NetBedConfig config_;
    QString toolNs_;
    QString cardNs_;
    QString toolVeth_;
    QString cardVeth_;
    int originalFd_ = -1;
    Side current_ = Side::Original;
    bool created_ = false;
};

// Enters a side for a scope, e.g. to open a socket on the card side.
class SideScope {
public:
    SideScope(NetBed& bed, Side side) : bed_(bed), previous_(bed.current()) { bed_.enter(side); }
    ~SideScope() { bed_.enter(previous_); }
    SideScope(const SideScope&) = delete;
    SideScope& operator=(const SideScope&) = delete;

private:
    NetBed& bed_;
    Side previous_;
};

} // namespace testbed

// For a QtTest initTestCase: skips where namespaces cannot be made here, fails when the bed
// does not come up, and leaves the calling thread on the tool side of `bed`, a
// std::unique_ptr<testbed::NetBed> made from the remaining arguments.
#define TESTBED_UP_ON_TOOL_SIDE(bed, ...)                                                          \
    do {                                                                                           \
        if (const QString why_ = testbed::NetBed::unavailableReason(); !why_.isEmpty()) {          \
            QSKIP(qPrintable(why_));                                                               \
        }                                                                                          \
        (bed) = std::make_unique<testbed::NetBed>(__VA_ARGS__);                                    \
        QString upError_;                                                                          \
        QVERIFY2((bed)->up(&upError_), qPrintable(upError_));                                      \
        QVERIFY((bed)->enter(testbed::Side::Tool));                                                \
    } while (false)
