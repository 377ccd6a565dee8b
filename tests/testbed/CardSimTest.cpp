// The simulator's cards against bytes written out by hand from the protocol description, not
// produced by the tool's encoder, so a fault the two share cannot hide.

#include "CardBank.h"
#include "Options.h"
#include "support/QtBytes.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace cardsim;

using testsupport::qt::hex;

namespace {

QHostAddress addr(const char* text) {
    return QHostAddress(QString::fromLatin1(text));
}

const QHostAddress kTool = addr("192.168.1.10");
const QHostAddress kAll = addr("255.255.255.255");

CardState card(int number) {
    CardState c;
    c.number = number;
    c.name = QByteArray("Card ") + QByteArray::number(number);
    c.mac = {0x00, 0x1A, 0x2B, 0x00, 0x00, std::uint8_t(number)};
    c.ip = {192, 168, 1, std::uint8_t(99 + number)};
    c.innerCode = {0x4C, 0x45, 0x44, 0x00, 0x00, 0x00, 0x00, std::uint8_t(number)};
    return c;
}

// Cards 1..3 at .100, .101, .102; card 3 answers by broadcast.
CardBank bank() {
    std::vector<CardState> cards = {card(1), card(2), card(3)};
    cards[2].answersByBroadcast = true;
    return CardBank(std::move(cards), 4400);
}

Incoming from(const QByteArray& bytes, const QHostAddress& to) {
    return Incoming{bytes, kTool, 4400, to, 2};
}

std::vector<int> answering(const Outcome& o) {
    std::vector<int> cards;
    for (const Answer& a : o.answers) {
        cards.push_back(a.card);
    }
    return cards;
}

// Card 1's write by IP: width 256, two colours, IP .150, gateway .254, server 10.0.0.5:9000,
// its own MAC, flags 3F, DNS 8.8.8.8. 86 bytes.
const char* const kWriteCard1ByIp = "A1 21 11 01 01 01 00 00 40 02 00 03 00 01 00 00 33 00 00 00 FF"
                                    "A1 05 04 C0 A8 01 96 FF"
                                    "A1 06 04 FF FF FF 00 FF"
                                    "A1 07 04 C0 A8 01 FE FF"
                                    "A1 17 04 0A 00 00 05 FF"
                                    "A1 18 02 23 28 FF"
                                    "A1 02 06 00 1A 2B 00 00 01 FF"
                                    "A1 49 01 3F FF"
                                    "A1 4A 08 08 08 08 08 00 00 00 00 FF";

} // namespace

TEST(CardSimAnswers, SearchAnswerCarriesNameMacIpMaskAndVersion) {
    EXPECT_EQ(searchAnswer(card(1)), hex("A1 02 06 43 61 72 64 20 31 FF"
                                         "A1 04 06 00 1A 2B 00 00 01 FF"
                                         "A1 05 04 C0 A8 01 64 FF"
                                         "A1 06 04 FF FF FF 00 FF"
                                         "A1 20 01 3C FF"));
    CardState nameless = card(2);
    nameless.name.reset();
    nameless.version = 53;
    EXPECT_EQ(searchAnswer(nameless), hex("A1 04 06 00 1A 2B 00 00 02 FF"
                                          "A1 05 04 C0 A8 01 65 FF"
                                          "A1 06 04 FF FF FF 00 FF"
                                          "A1 20 01 35 FF"));
}

TEST(CardSimAnswers, ParameterReplyIsTwelveFramesOf171Bytes) {
    CardState c = card(1);
    const QByteArray domain("led.example");
    std::copy(domain.begin(), domain.end(), c.domain.begin());
    const QByteArray expected = hex("A1 04 06 00 1A 2B 00 00 01 FF"
                                    "A1 05 04 C0 A8 01 64 FF"
                                    "A1 06 04 FF FF FF 00 FF"
                                    "A1 07 04 C0 A8 01 01 FF"
                                    "A1 16 40 6C 65 64 2E 65 78 61 6D 70 6C 65") +
                                QByteArray(53, '\0') +
                                hex("FF"
                                    "A1 17 04 C0 A8 01 C8 FF"
                                    "A1 18 02 22 60 FF"
                                    "A1 19 01 0C FF"
                                    "A1 1A 08 00 00 00 00 00 00 00 00 FF"
                                    "A1 20 01 3C FF"
                                    "A1 21 11 01 01 00 80 00 40 01 00 03 00 01 00 00 33 00 00 00 FF"
                                    "A1 22 08 4C 45 44 00 00 00 00 01 FF");
    ASSERT_EQ(expected.size(), 171);
    EXPECT_EQ(parameterReply(c), expected);
}

TEST(CardSimRouting, TheDestinationAddressDecidesWhoReceives) {
    const CardBank b = bank();
    EXPECT_EQ(b.receivers(kAll), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(b.receivers(addr("192.168.1.255")), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(b.receivers(addr("192.168.1.101")), (std::vector<int>{2}));
    EXPECT_TRUE(b.receivers(addr("192.168.1.2")).empty());
    EXPECT_TRUE(b.receivers(addr("10.0.0.255")).empty());
    EXPECT_TRUE(b.receivers(QHostAddress()).empty());
}

TEST(CardSimRouting, SearchAnswersGoToTheSenderOrToEveryone) {
    CardBank b = bank();
    const Outcome o = b.handle(from(hex("A1 15 02 00 00 FF"), kAll));
    EXPECT_EQ(o.request.kind, RequestKind::Search);
    ASSERT_EQ(answering(o), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(o.answers[0].to, kTool);
    EXPECT_EQ(o.answers[0].port, 4400);
    EXPECT_EQ(o.answers[0].from, addr("192.168.1.100"));
    EXPECT_EQ(o.answers[2].to, kAll);
    EXPECT_EQ(o.answers[2].port, 4400);
    EXPECT_EQ(o.answers[2].from, addr("192.168.1.102"));
    EXPECT_EQ(o.answers[2].interfaceIndex, 2u);
    EXPECT_EQ(o.answers[1].bytes, searchAnswer(b.card(2)));

    // A search by IP reaches that card alone.
    EXPECT_EQ(answering(b.handle(from(hex("A1 15 02 00 00 FF"), addr("192.168.1.101")))),
              std::vector<int>{2});
}

TEST(CardSimRouting, APlainReadIsAnsweredOnlyByTheCardItWasSentTo) {
    CardBank b = bank();
    const QByteArray read = hex("A1 14 02 00 00 FF");
    const Outcome toCard2 = b.handle(from(read, addr("192.168.1.101")));
    ASSERT_EQ(answering(toCard2), std::vector<int>{2});
    EXPECT_EQ(toCard2.answers[0].bytes.size(), 171);
    EXPECT_EQ(toCard2.answers[0].bytes.left(10), hex("A1 04 06 00 1A 2B 00 00 02 FF"));
    // A plain read names nobody: by broadcast, nobody answers.
    EXPECT_TRUE(b.handle(from(read, kAll)).answers.empty());
    EXPECT_TRUE(b.handle(from(read, addr("192.168.1.255"))).answers.empty());
}

TEST(CardSimRouting, AReadByMacIsAnsweredByTheCardWithThatMac) {
    CardBank b = bank();
    const Outcome o = b.handle(from(hex("A1 44 06 00 1A 2B 00 00 03 FF"), kAll));
    EXPECT_EQ(o.request.kind, RequestKind::ReadByMac);
    ASSERT_EQ(answering(o), std::vector<int>{3});
    EXPECT_EQ(o.answers[0].to, kAll); // card 3 answers by broadcast
    EXPECT_EQ(o.answers[0].bytes, parameterReply(b.card(3)));
    EXPECT_TRUE(b.handle(from(hex("A1 44 06 00 1A 2B 00 00 09 FF"), kAll)).answers.empty());
    // Sent to card 1's address, a read by card 3's MAC reaches card 1 only: nobody answers.
    EXPECT_TRUE(b.handle(from(hex("A1 44 06 00 1A 2B 00 00 03 FF"), addr("192.168.1.100")))
                    .answers.empty());
}

TEST(CardSimRouting, BrokenOrUnknownDatagramsAreIgnored) {
    CardBank b = bank();
    for (const char* bytes :
         {"A1 15 02 00 00 FE", "A1 15 02 00 00 FF 00", "A1 15 03 00 00 FF", "A1 15 02 00 01 FF",
          "A1 99 02 00 00 FF", "", "A1 44 05 01 02 03 04 05 FF"}) {
        const Outcome o = b.handle(from(hex(bytes), kAll));
        EXPECT_EQ(o.request.kind, RequestKind::Unknown) << bytes;
        EXPECT_TRUE(o.answers.empty()) << bytes;
        EXPECT_TRUE(o.writes.empty()) << bytes;
    }
}

TEST(CardSimWrites, AWriteByIpMovesTheCardWhichThenAnswersAtItsNewAddress) {
    CardBank b = bank();
    const QByteArray write = hex(kWriteCard1ByIp);
    ASSERT_EQ(write.size(), 86);
    const Outcome o = b.handle(from(write, addr("192.168.1.100")));
    EXPECT_EQ(o.request.kind, RequestKind::WriteByIp);
    ASSERT_EQ(o.writes.size(), 1u);
    EXPECT_TRUE(o.writes[0].outcome.applied);
    EXPECT_TRUE(o.writes[0].outcome.ignored.isEmpty());
    EXPECT_TRUE(o.answers.empty()); // a write is not answered

    const CardState& c = b.card(1);
    EXPECT_EQ(c.ip, (Ip4{192, 168, 1, 150}));
    EXPECT_EQ(c.gateway, (Ip4{192, 168, 1, 254}));
    EXPECT_EQ(c.serverIp, (Ip4{10, 0, 0, 5}));
    EXPECT_EQ(c.serverPort, 9000);
    EXPECT_EQ(c.netFlags, 0x3F);
    EXPECT_EQ(c.dns, (std::array<std::uint8_t, 8>{8, 8, 8, 8, 0, 0, 0, 0}));
    EXPECT_EQ(c.display[2], 0x01);
    EXPECT_EQ(c.display[6], 0x02);
    EXPECT_EQ(c.mac, card(1).mac);

    const QByteArray read = hex("A1 14 02 00 00 FF");
    EXPECT_TRUE(b.handle(from(read, addr("192.168.1.100"))).answers.empty());
    const Outcome reread = b.handle(from(read, addr("192.168.1.150")));
    ASSERT_EQ(answering(reread), std::vector<int>{1});
    EXPECT_EQ(reread.answers[0].from, addr("192.168.1.150"));
    EXPECT_EQ(reread.answers[0].bytes.mid(10, 8), hex("A1 05 04 C0 A8 01 96 FF"));
    EXPECT_EQ(reread.answers[0].bytes.mid(26, 8), hex("A1 07 04 C0 A8 01 FE FF"));
}

TEST(CardSimWrites, AWriteNamingAnotherMacIsRefused) {
    CardBank b = bank();
    // Card 1's write sent to card 2's address.
    const Outcome o = b.handle(from(hex(kWriteCard1ByIp), addr("192.168.1.101")));
    ASSERT_EQ(o.writes.size(), 1u);
    EXPECT_EQ(o.writes[0].card, 2);
    EXPECT_FALSE(o.writes[0].outcome.applied);
    EXPECT_EQ(b.card(2).ip, card(2).ip);
    EXPECT_EQ(b.card(2).serverPort, 8800);
    // By IP to the broadcast address, nobody takes it.
    EXPECT_TRUE(b.handle(from(hex(kWriteCard1ByIp), kAll)).writes.empty());
    EXPECT_EQ(b.card(1).ip, card(1).ip);
}

TEST(CardSimWrites, AWriteByMacPrefixReachesOnlyThatCard) {
    CardBank b = bank();
    QByteArray write = hex("A1 30 06 00 1A 2B 00 00 02 FF"
                           "A1 51 11 05 02 00 80 00 20 01 02 04 01 07 33 22 22 44 21 1F FF"
                           "A1 35 04 C0 A8 01 80 FF"
                           "A1 36 04 FF FF 00 00 FF"
                           "A1 37 04 C0 A8 01 01 FF"
                           "A1 47 04 C0 A8 01 C8 FF"
                           "A1 48 02 22 60 FF"
                           "A1 32 06 00 1A 2B 00 00 02 FF"
                           "A1 49 01 3F FF"
                           "A1 4A 08 00 00 00 00 00 00 00 00 FF"
                           "A1 46 40 6C 65 64 2E 65 78 61 6D 70 6C 65");
    write += QByteArray(53, '\0') + hex("FF");
    ASSERT_EQ(write.size(), 164);
    const Outcome o = b.handle(from(write, kAll));
    EXPECT_EQ(o.request.kind, RequestKind::WriteByMac);
    ASSERT_EQ(o.writes.size(), 1u);
    EXPECT_EQ(o.writes[0].card, 2);
    ASSERT_TRUE(o.writes[0].outcome.applied);
    const CardState& c = b.card(2);
    EXPECT_EQ(c.ip, (Ip4{192, 168, 1, 128}));
    EXPECT_EQ(c.mask, (Ip4{255, 255, 0, 0}));
    EXPECT_EQ(c.display[0], 0x05);
    EXPECT_EQ(c.display[16], 0x1F);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(c.domain.data())), "led.example");
    EXPECT_EQ(b.card(1).ip, card(1).ip);
    EXPECT_EQ(b.card(3).ip, card(3).ip);
    // The card now answers a read by MAC with its new address.
    const Outcome reread = b.handle(from(hex("A1 44 06 00 1A 2B 00 00 02 FF"), kAll));
    ASSERT_EQ(answering(reread), std::vector<int>{2});
    EXPECT_EQ(reread.answers[0].bytes.mid(10, 8), hex("A1 05 04 C0 A8 01 80 FF"));
}

TEST(CardSimWrites, ACardThatIgnoresWritesStaysAsItWas) {
    std::vector<CardState> cards = {card(1)};
    cards[0].ignoresWrites = true;
    CardBank b(std::move(cards), 4400);
    const Outcome o = b.handle(from(hex(kWriteCard1ByIp), addr("192.168.1.100")));
    ASSERT_EQ(o.writes.size(), 1u);
    EXPECT_FALSE(o.writes[0].outcome.applied);
    EXPECT_EQ(b.card(1).ip, card(1).ip);
    EXPECT_EQ(answering(b.handle(from(hex("A1 14 02 00 00 FF"), addr("192.168.1.100")))),
              std::vector<int>{1});
}

// A card that drops off after a write: the write still counts, and from then on neither a read
// to its new address, nor a read by its MAC, nor a search finds it; the others still answer.
TEST(CardSimWrites, ACardThatLeavesAfterAWriteAnswersNothingMore) {
    std::vector<CardState> cards = {card(1), card(2)};
    cards[0].leavesAfterWrite = true;
    CardBank b(std::move(cards), 4400);
    const Outcome o = b.handle(from(hex(kWriteCard1ByIp), addr("192.168.1.100")));
    ASSERT_EQ(o.writes.size(), 1u);
    EXPECT_TRUE(o.writes[0].outcome.applied);
    EXPECT_TRUE(b.card(1).gone);
    EXPECT_TRUE(answering(b.handle(from(hex("A1 14 02 00 00 FF"), addr("192.168.1.150")))).empty());
    EXPECT_TRUE(answering(b.handle(from(hex("A1 44 06 00 1A 2B 00 00 01 FF"), kAll))).empty());
    EXPECT_EQ(answering(b.handle(from(hex("A1 15 02 00 00 FF"), kAll))), std::vector<int>{2});
    EXPECT_EQ(answering(b.handle(from(hex("A1 14 02 00 00 FF"), addr("192.168.1.101")))),
              std::vector<int>{2});
}

TEST(CardSimOptions, CardsAreNumberedAndCycledFromTheCommandLine) {
    const auto parsed = parseOptions(
        {u"ledcardsim"_qs, u"--cards"_qs, u"4"_qs, u"--versions"_qs, u"53,54,60"_qs, u"--names"_qs,
         u"Alpha,QZT-%1,Card %1"_qs, u"--no-name-cards"_qs, u"4"_qs, u"--broadcast-cards"_qs,
         u"2-3"_qs, u"--ignore-writes"_qs, u"3"_qs, u"--leave-after-write"_qs, u"1,4"_qs,
         u"--first-ip"_qs, u"10.0.0.254"_qs, u"--first-mac"_qs, u"00:1A:2B:00:00:FF"_qs});
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    const auto& c = parsed.options.cards;
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0].version, 53);
    EXPECT_EQ(c[2].version, 60);
    EXPECT_EQ(c[3].version, 53);
    EXPECT_EQ(c[0].name, QByteArray("Alpha"));
    EXPECT_EQ(c[1].name, QByteArray("QZT-2"));
    EXPECT_EQ(c[2].name, QByteArray("Card 3"));
    EXPECT_FALSE(c[3].name.has_value());
    EXPECT_EQ(c[1].ip, (Ip4{10, 0, 0, 255}));
    EXPECT_EQ(c[2].ip, (Ip4{10, 0, 1, 0}));
    EXPECT_EQ(c[1].mac, (protocol::Mac{0x00, 0x1A, 0x2B, 0x00, 0x01, 0x00}));
    EXPECT_FALSE(c[0].answersByBroadcast);
    EXPECT_TRUE(c[1].answersByBroadcast);
    EXPECT_TRUE(c[2].answersByBroadcast);
    EXPECT_TRUE(c[2].ignoresWrites);
    EXPECT_FALSE(c[1].ignoresWrites);
    EXPECT_TRUE(c[0].leavesAfterWrite);
    EXPECT_FALSE(c[1].leavesAfterWrite);
    EXPECT_TRUE(c[3].leavesAfterWrite);
}

TEST(CardSimOptions, NonsenseIsRefused) {
    for (const char* bad : {"--cards=0", "--loss=1.5", "--first-ip=1.2.3", "--broadcast-cards=3-1",
                            "--versions=54,256", "--first-mac=00:11", "--bind=nowhere",
                            "--port=70000", "--unknown"}) {
        const auto parsed = parseOptions({u"ledcardsim"_qs, QString::fromLatin1(bad)});
        EXPECT_FALSE(parsed.error.isEmpty()) << bad;
    }
    EXPECT_TRUE(parseOptions({u"ledcardsim"_qs, u"--help"_qs}).help);
}
