// The endpoint's one receiver: who gets a datagram when a search, a batch and the window all
// listen, also while a listener comes or goes from inside its own claim.

#include "fleet/DatagramRouter.h"

#include "support/FakeEndpoint.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using fleet::DatagramRouter;
using testsupport::FakeEndpoint;

namespace {

// Each listener records the datagrams it was offered as "name:datagram" and claims those that
// begin with its name.
struct Log {
    std::string text;
    DatagramRouter::Claim claiming(const std::string& name) {
        return [this, name](const QByteArray& d) {
            text += name + ':' + d.toStdString() + ' ';
            return d.startsWith(QByteArray::fromStdString(name));
        };
    }
};

} // namespace

TEST(DatagramRouter, NewestListenerFirstTheFirstClaimWinsTheRestIsUnclaimed) {
    FakeEndpoint endpoint;
    DatagramRouter router(endpoint);
    Log log;
    router.unclaimed = [&](const QByteArray& d) { log.text += "window:" + d.toStdString() + ' '; };
    router.listen(log.claiming("batch"));
    router.listen(log.claiming("search"));
    const struct {
        const char* datagram;
        const char* offered;
    } cases[] = {
        {"search1", "search:search1 "},
        {"batch1", "search:batch1 batch:batch1 "},
        {"reply", "search:reply batch:reply window:reply "},
    };
    for (const auto& c : cases) {
        log.text.clear();
        endpoint.deliver(QByteArray(c.datagram));
        EXPECT_EQ(log.text, c.offered) << c.datagram;
    }
}

TEST(DatagramRouter, AListenerMayStopItselfAndStartAnotherInsideItsClaim) {
    FakeEndpoint endpoint;
    DatagramRouter router(endpoint);
    Log log;
    router.listen(log.claiming("older"));
    DatagramRouter::ListenerId first = 0;
    first = router.listen([&](const QByteArray& d) {
        log.text += "first:" + d.toStdString() + ' ';
        router.stop(first);
        router.listen(log.claiming("later"));
        return false;
    });
    endpoint.deliver("x");
    EXPECT_EQ(log.text, "first:x older:x "); // the one started meanwhile waits for the next
    log.text.clear();
    endpoint.deliver("later");
    EXPECT_EQ(log.text, "later:later ");
}

TEST(DatagramRouter, NothingReachesARouterThatIsGone) {
    FakeEndpoint endpoint;
    Log log;
    {
        DatagramRouter router(endpoint);
        router.unclaimed = [&](const QByteArray& d) { log.text += d.toStdString(); };
        endpoint.deliver("before");
    }
    endpoint.deliver("after");
    EXPECT_EQ(log.text, "before");
    EXPECT_EQ(endpoint.delivered, 1);
}
