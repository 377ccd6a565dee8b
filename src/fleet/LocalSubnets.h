#pragma once
// The machine's own IPv4 subnets, for the check that a card stays reachable after its write.

#include "fleet/Preflight.h"

#include <QString>
#include <vector>

namespace fleet {

// The subnet of `localAddress` when the tool sends from a chosen address, else those of every
// interface that is up and not loopback. Empty when none is known: the check is then skipped.
std::vector<LocalSubnet> LocalSubnetsOf(const QString& localAddress);

// One IPv4 address of an interface, as the system lists it.
struct InterfaceAddress {
    std::string address;
    std::string mask;
    bool up = false;
    bool loopback = false;
};

// LocalSubnetsOf over a given list: a chosen address (not empty, not 0.0.0.0) gives its own
// entry wherever it is, loopback or down included, and nothing when no interface has it.
std::vector<LocalSubnet> SubnetsOf(const std::vector<InterfaceAddress>& interfaces,
                                   const QString& localAddress);

} // namespace fleet
