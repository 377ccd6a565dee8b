#include "discovery/HostResolution.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using discovery::dottedQuad;
using discovery::resolveHost;

namespace {

// A lookup that records what it was asked and answers from a fixed list.
struct RecordingLookup {
    QList<QHostAddress> answer;
    QStringList asked;
    discovery::NameLookup fn() {
        return [this](const QString& name) {
            asked << name;
            return answer;
        };
    }
};

QHostAddress v4(const char* text) {
    return QHostAddress(QString::fromLatin1(text));
}

} // namespace

TEST(HostResolution, LocalhostInAnyLetterCaseIsLoopbackWithoutLookup) {
    RecordingLookup lookup;
    for (const char* text : {"localhost", "LOCALHOST", "LocalHost", "lOCALHOST"}) {
        const auto a = resolveHost(QString::fromLatin1(text), lookup.fn());
        ASSERT_TRUE(a.has_value()) << text;
        EXPECT_EQ(*a, v4("127.0.0.1")) << text;
    }
    EXPECT_TRUE(lookup.asked.isEmpty());
    // Only the whole word counts; anything around it is a host name for the resolver.
    (void)resolveHost(QStringLiteral(" localhost"), lookup.fn());
    (void)resolveHost(QStringLiteral("localhost."), lookup.fn());
    EXPECT_EQ(lookup.asked,
              (QStringList{QStringLiteral(" localhost"), QStringLiteral("localhost.")}));
}

TEST(HostResolution, DottedQuadIsTakenAsItIsAndNeverLookedUp) {
    RecordingLookup lookup;
    lookup.answer = {v4("10.9.9.9")};
    EXPECT_EQ(resolveHost(QStringLiteral("192.168.1.100"), lookup.fn()), v4("192.168.1.100"));
    EXPECT_EQ(resolveHost(QStringLiteral("255.255.255.255"), lookup.fn()), v4("255.255.255.255"));
    EXPECT_EQ(resolveHost(QStringLiteral("0.0.0.0"), lookup.fn()), v4("0.0.0.0"));
    EXPECT_TRUE(lookup.asked.isEmpty());
}

TEST(HostResolution, LeadingZerosAreDecimalNotOctal) {
    EXPECT_EQ(dottedQuad(QStringLiteral("010.001.000.099")), v4("10.1.0.99"));
    EXPECT_EQ(dottedQuad(QStringLiteral("192.168.001.0255")), v4("192.168.1.255"));
}

TEST(HostResolution, TextThatIsNoDottedQuadGoesToTheLookup) {
    for (const char* text :
         {"256.1.1.1", "1.2.3", "1.2.3.4.5", "1..3.4", "1.2.3.", "+1.2.3.4", " 1.2.3.4", "1.2.3.4 ",
          "0x1.2.3.4", "1.2.3.-4", "", "card-7.lan", "1.2.3.99999999999"}) {
        EXPECT_FALSE(dottedQuad(QString::fromLatin1(text)).has_value()) << text;
        RecordingLookup lookup;
        (void)resolveHost(QString::fromLatin1(text), lookup.fn());
        EXPECT_EQ(lookup.asked, QStringList{QString::fromLatin1(text)}) << text;
    }
}

TEST(HostResolution, NameLookupGivesTheFirstIpv4Answer) {
    RecordingLookup lookup;
    lookup.answer = {QHostAddress(QStringLiteral("fe80::1")), v4("10.0.0.7"), v4("10.0.0.8")};
    EXPECT_EQ(resolveHost(QStringLiteral("wall-3"), lookup.fn()), v4("10.0.0.7"));
}

TEST(HostResolution, FailedOrIpv6OnlyLookupResolvesToNothing) {
    RecordingLookup lookup;
    EXPECT_FALSE(resolveHost(QStringLiteral("nowhere"), lookup.fn()).has_value());
    lookup.answer = {QHostAddress(QStringLiteral("::1"))};
    EXPECT_FALSE(resolveHost(QStringLiteral("v6only"), lookup.fn()).has_value());
    EXPECT_FALSE(resolveHost(QStringLiteral("no-lookup"), discovery::NameLookup()).has_value());
}
