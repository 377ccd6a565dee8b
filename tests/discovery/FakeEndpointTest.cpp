// The fake must keep the real endpoint's delivery promises, or tests built on it lie.

#include "support/FakeEndpoint.h"

#include <gtest/gtest.h>
#include <stdexcept>

using testsupport::FakeEndpoint;

TEST(FakeEndpoint, KeepsTheRealEndpointsDeliveryPromises) {
    FakeEndpoint ep;
    QList<QByteArray> got;
    int depth = 0;
    int deepest = 0;
    ep.setReceiveHandler([&](const QByteArray& d) {
        ++depth;
        deepest = std::max(deepest, depth);
        got << d;
        if (d == "nest") {
            ep.deliver("inner"); // arrives while this handler runs: must wait
            got << "after-inner-sent";
        }
        --depth;
        if (d == "throw") {
            throw std::runtime_error("handler failure");
        }
    });
    ep.deliver("nest");
    ep.deliver(QByteArray(discovery::MaxDatagramSize + 1, 'x'));
    ep.deliver("throw");
    ep.deliver(QByteArray(discovery::MaxDatagramSize, 'y'));
    ep.deliver(QByteArray());

    ASSERT_EQ(got.size(), 6);
    EXPECT_EQ(got[0], "nest");
    EXPECT_EQ(got[1], "after-inner-sent");
    EXPECT_EQ(got[2], "inner");
    EXPECT_EQ(got[3], "throw");
    EXPECT_EQ(got[4].size(), discovery::MaxDatagramSize);
    EXPECT_TRUE(got[5].isEmpty());
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(ep.delivered, 5);
    EXPECT_EQ(ep.handlerFailures, 1);
}

TEST(FakeEndpoint, FailsAsManySendsAsToldThenRecovers) {
    FakeEndpoint ep;
    ep.failSends(discovery::SendFailure::Reason::Unresolvable, 2);
    EXPECT_FALSE(ep.sendDatagram(QStringLiteral("a"), 8800, "1", false).ok());
    EXPECT_FALSE(ep.sendDatagram(QStringLiteral("b"), 8800, "2", true).ok());
    EXPECT_TRUE(ep.sendDatagram(QStringLiteral("c"), 8800, "3", false).ok());
    ep.failSends(discovery::SendFailure::Reason::SocketError);
    EXPECT_FALSE(ep.sendDatagram(QStringLiteral("d"), 8800, "4", false).ok());
    EXPECT_FALSE(ep.sendDatagram(QStringLiteral("e"), 8800, "5", false).ok());
    ep.succeedSends();
    EXPECT_TRUE(ep.sendDatagram(QStringLiteral("f"), 8800, "6", false).ok());
    ASSERT_EQ(ep.refused.size(), 4u);
    EXPECT_EQ(ep.refused[1].host, QStringLiteral("b"));
    EXPECT_TRUE(ep.refused[1].broadcast);
    ASSERT_EQ(ep.sent.size(), 2u);
    EXPECT_EQ(ep.sent[1].bytes, "6");
}
