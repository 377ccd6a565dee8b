// The machine's own subnets for the reachability check: the chosen local address's own, or
// every interface that is up and not loopback.

#include "fleet/LocalSubnets.h"

#include <QNetworkInterface>
#include <gtest/gtest.h>

using fleet::InterfaceAddress;
using fleet::LocalSubnet;

namespace fleet {

bool operator==(const LocalSubnet& a, const LocalSubnet& b) {
    return a.address == b.address && a.mask == b.mask;
}

void PrintTo(const LocalSubnet& s, std::ostream* os) {
    *os << s.address << "/" << s.mask;
}

} // namespace fleet

TEST(LocalSubnets, AChosenAddressGivesItsOwnSubnetElseEveryInterfaceUpAndNotLoopback) {
    const std::vector<InterfaceAddress> interfaces{
        {"127.0.0.1", "255.0.0.0", true, true},
        {"192.168.1.5", "255.255.255.0", true, false},
        {"10.1.2.3", "255.0.0.0", false, false}, // cable out
        {"172.16.0.9", "255.255.0.0", true, false},
    };
    const struct {
        const char* chosen;
        std::vector<LocalSubnet> subnets;
    } cases[] = {
        {"", {{"192.168.1.5", "255.255.255.0"}, {"172.16.0.9", "255.255.0.0"}}},
        {"0.0.0.0", {{"192.168.1.5", "255.255.255.0"}, {"172.16.0.9", "255.255.0.0"}}},
        {"172.16.0.9", {{"172.16.0.9", "255.255.0.0"}}},
        // Chosen is chosen: the tool sends from there, down or loopback.
        {"10.1.2.3", {{"10.1.2.3", "255.0.0.0"}}},
        {"127.0.0.1", {{"127.0.0.1", "255.0.0.0"}}},
        // An address no interface has: nothing is known, nothing is checked.
        {"192.168.9.9", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        EXPECT_EQ(fleet::SubnetsOf(interfaces, QString::fromLatin1(c.chosen)), c.subnets);
    }
}

// On this machine (in the test's own network namespace): the loopback's address with its mask
// when it has one, nothing for an address of no interface.
TEST(LocalSubnets, TheSystemsInterfacesAreListedWithTheirMasks) {
    bool loopbackUp = false;
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry& e : nic.addressEntries()) {
            loopbackUp = loopbackUp || e.ip() == QHostAddress(QHostAddress::LocalHost);
        }
    }
    const std::vector<LocalSubnet> loopback =
        loopbackUp ? std::vector<LocalSubnet>{{"127.0.0.1", "255.0.0.0"}}
                   : std::vector<LocalSubnet>{};
    EXPECT_EQ(fleet::LocalSubnetsOf(QStringLiteral("127.0.0.1")), loopback);
    EXPECT_TRUE(fleet::LocalSubnetsOf(QStringLiteral("203.0.113.77")).empty());
}
