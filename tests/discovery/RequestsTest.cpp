// Which bytes go where for each request, and how answers are sorted, against the fake.

#include "discovery/Requests.h"

#include "discovery/Dispatch.h"
#include "discovery/QtBytes.h"
#include "support/FakeEndpoint.h"
#include "support/QtBytes.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using discovery::SendFailure;
using testsupport::FakeEndpoint;

using testsupport::qt::hex;

namespace {

FakeEndpoint::Sent sent(const char* host, const char* bytes, bool broadcast) {
    return {QString::fromLatin1(host), 8800, hex(bytes), broadcast};
}

protocol::SelectedCard cardByIp(const char* ip) {
    protocol::SelectedCard c;
    c.ip = ip;
    c.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    return c;
}

protocol::SelectedCard cardByMac() {
    protocol::SelectedCard c = cardByIp("192.168.1.100");
    c.byMac = true;
    return c;
}

} // namespace

namespace discovery {
void PrintTo(const FakeEndpoint::Sent& s, std::ostream* os) {
    *os << s.host.toStdString() << ':' << s.port << (s.broadcast ? " broadcast " : " directed ")
        << s.bytes.toHex(' ').toUpper().toStdString();
}
} // namespace discovery

TEST(Requests, SearchBroadcastsUnlessASearchAddressIsSet) {
    FakeEndpoint ep;
    ASSERT_TRUE(discovery::sendSearch(ep, QString()).ok());
    ASSERT_TRUE(discovery::sendSearch(ep, QStringLiteral("192.168.1.100")).ok());
    ASSERT_TRUE(discovery::sendSearch(ep, QStringLiteral("card-7.lan")).ok());
    ASSERT_EQ(ep.sent.size(), 3u);
    EXPECT_EQ(ep.sent[0], sent("255.255.255.255", "A1 15 02 00 00 FF", true));
    EXPECT_EQ(ep.sent[1], sent("192.168.1.100", "A1 15 02 00 00 FF", false));
    EXPECT_EQ(ep.sent[2], sent("card-7.lan", "A1 15 02 00 00 FF", false));
}

TEST(Requests, ReadGoesToTheCardByIpOrToEveryoneByMac) {
    FakeEndpoint ep;
    ASSERT_TRUE(discovery::sendRead(ep, QString(), cardByIp("192.168.1.101")).ok());
    ASSERT_TRUE(discovery::sendRead(ep, QString(), cardByMac()).ok());
    // Before any card was chosen the plain read goes to 0.0.0.0.
    ASSERT_TRUE(discovery::sendRead(ep, QString(), protocol::SelectedCard{}).ok());
    ASSERT_EQ(ep.sent.size(), 3u);
    EXPECT_EQ(ep.sent[0], sent("192.168.1.101", "A1 14 02 00 00 FF", false));
    EXPECT_EQ(ep.sent[1], sent("255.255.255.255", "A1 44 06 00 1A 2B 3C 4D 5E FF", true));
    EXPECT_EQ(ep.sent[2], sent("0.0.0.0", "A1 14 02 00 00 FF", false));
}

TEST(Requests, ASearchAddressTakesEveryReadAndWriteDirected) {
    FakeEndpoint ep;
    const QString by = QStringLiteral("10.0.0.9");
    const std::uint8_t write[] = {0xA1, 0x30, 0x06, 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0xFF};
    ASSERT_TRUE(discovery::sendRead(ep, by, cardByIp("192.168.1.101")).ok());
    ASSERT_TRUE(discovery::sendRead(ep, by, cardByMac()).ok());
    ASSERT_TRUE(discovery::sendWrite(ep, by, cardByMac(), write).ok());
    ASSERT_EQ(ep.sent.size(), 3u);
    EXPECT_EQ(ep.sent[0], sent("10.0.0.9", "A1 14 02 00 00 FF", false));
    EXPECT_EQ(ep.sent[1], sent("10.0.0.9", "A1 44 06 00 1A 2B 3C 4D 5E FF", false));
    EXPECT_EQ(ep.sent[2], sent("10.0.0.9", "A1 30 06 00 1A 2B 3C 4D 5E FF", false));
}

TEST(Requests, WriteBytesGoOutUnchangedByIpOrByBroadcast) {
    FakeEndpoint ep;
    const std::uint8_t bytes[] = {0xA1, 0x05, 0x04, 0xC0, 0xA8, 0x01, 0x65, 0xFF};
    ASSERT_TRUE(discovery::sendWrite(ep, QString(), cardByIp("192.168.1.100"), bytes).ok());
    ASSERT_TRUE(discovery::sendWrite(ep, QString(), cardByMac(), bytes).ok());
    ASSERT_EQ(ep.sent.size(), 2u);
    EXPECT_EQ(ep.sent[0], sent("192.168.1.100", "A1 05 04 C0 A8 01 65 FF", false));
    EXPECT_EQ(ep.sent[1], sent("255.255.255.255", "A1 05 04 C0 A8 01 65 FF", true));
}

TEST(Requests, AFailedSendComesBackWithItsReason) {
    FakeEndpoint ep;
    ep.failSends(SendFailure::Reason::NotBound, 1);
    const auto first = discovery::sendSearch(ep, QString());
    ASSERT_FALSE(first.ok());
    EXPECT_EQ(first.failure().reason, SendFailure::Reason::NotBound);
    EXPECT_TRUE(discovery::sendSearch(ep, QString()).ok());
    EXPECT_EQ(ep.refused.size(), 1u);
    EXPECT_EQ(ep.sent.size(), 1u);
}

// A view of the array's own bytes, no copy, that comes back unchanged.
TEST(QtBytes, AViewSharesTheBytesAndComesBackUnchanged) {
    for (const QByteArray& b : {QByteArray(), hex("00"), hex("A1 80 FF 7F 00 FE")}) {
        const protocol::ByteView v = discovery::toByteView(b);
        EXPECT_EQ(static_cast<const void*>(v.data()), static_cast<const void*>(b.constData()));
        EXPECT_EQ(v.size(), std::size_t(b.size()));
        EXPECT_EQ(discovery::toByteArray(v), b);
    }
}

// A view of a temporary would be read after it is gone.
template <class T>
concept Viewable = requires(T&& b) {
    discovery::toByteView(std::forward<T>(b));
};
static_assert(Viewable<const QByteArray&> && !Viewable<QByteArray>);

TEST(Dispatch, SizeAloneSortsAnswers) {
    using discovery::DatagramKind;
    EXPECT_EQ(discovery::classifyDatagram(QByteArray()), DatagramKind::SearchAnswer);
    EXPECT_EQ(discovery::classifyDatagram(QByteArray(170, '\xA1')), DatagramKind::SearchAnswer);
    EXPECT_EQ(discovery::classifyDatagram(QByteArray(171, '\0')), DatagramKind::ParameterReply);
    EXPECT_EQ(discovery::classifyDatagram(qsizetype(8192)), DatagramKind::ParameterReply);
}
