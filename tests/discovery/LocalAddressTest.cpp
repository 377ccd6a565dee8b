#include "discovery/LocalAddress.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using discovery::lookupLocalAddress;

namespace {

discovery::LocalHostLookup answers(std::initializer_list<const char*> texts) {
    QList<QHostAddress> list;
    for (const char* t : texts) {
        list << QHostAddress(QString::fromLatin1(t));
    }
    return [list] { return list; };
}

} // namespace

TEST(LookupLocalAddress, TakesTheLastAddressOfTheLookup) {
    EXPECT_EQ(lookupLocalAddress(answers({"192.168.1.10", "10.0.0.5", "172.16.3.4"})),
              QStringLiteral("172.16.3.4"));
    EXPECT_EQ(lookupLocalAddress(answers({"192.168.1.10"})), QStringLiteral("192.168.1.10"));
}

TEST(LookupLocalAddress, SkipsEveryLoopbackAddress) {
    // Debian puts "127.0.1.1 hostname" in /etc/hosts.
    EXPECT_EQ(lookupLocalAddress(answers({"192.168.1.10", "127.0.1.1"})),
              QStringLiteral("192.168.1.10"));
    EXPECT_EQ(lookupLocalAddress(answers({"127.0.0.1", "10.1.2.3", "127.255.255.254"})),
              QStringLiteral("10.1.2.3"));
    // 128.0.0.1 is just outside 127.0.0.0/8.
    EXPECT_EQ(lookupLocalAddress(answers({"10.1.2.3", "128.0.0.1"})), QStringLiteral("128.0.0.1"));
}

TEST(LookupLocalAddress, NothingButLoopbackOrIpv6GivesEmptyText) {
    EXPECT_EQ(lookupLocalAddress(answers({"127.0.1.1"})), QString());
    EXPECT_EQ(lookupLocalAddress(answers({"127.0.0.1", "::1", "fe80::2"})), QString());
    EXPECT_EQ(lookupLocalAddress(answers({"::ffff:192.168.1.10"})), QString());
    EXPECT_EQ(lookupLocalAddress(answers({})), QString());
    EXPECT_EQ(lookupLocalAddress(discovery::LocalHostLookup()), QString());
}

TEST(LookupLocalAddress, Ipv6AfterTheLastIpv4DoesNotReplaceIt) {
    EXPECT_EQ(lookupLocalAddress(answers({"10.0.0.1", "2001:db8::1"})), QStringLiteral("10.0.0.1"));
}
