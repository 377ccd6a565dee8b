#pragma once
// The machine's own IPv4 subnets, for the check that a card stays reachable after its write.

#include "fleet/Preflight.h"

#include <QString>
#include <vector>

namespace fleet {

// The subnet of `localAddress` when the tool sends from a chosen address, else those of every
// interface that is up and not loopback. Empty when none is known: the check is then skipped.
std::vector<LocalSubnet> LocalSubnetsOf(const QString& localAddress);

} // namespace fleet
