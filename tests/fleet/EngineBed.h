#pragma once
// The engine's seams for one test: a fake endpoint behind the router, a manual clock, no
// sockets. Readers and writers built on it set `done` when they end.

#include "fleet/CardFamily.h"
#include "fleet/DatagramRouter.h"
#include "support/FakeEndpoint.h"
#include "support/ManualScheduler.h"

namespace testsupport {

struct EngineBed {
    FakeEndpoint endpoint;
    fleet::DatagramRouter router{endpoint};
    ManualScheduler clock;
    fleet::CardFamily family;
    bool done = false;
};

} // namespace testsupport
