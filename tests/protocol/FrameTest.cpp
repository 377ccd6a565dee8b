#include "protocol/Frame.h"

#include "protocol/Addressing.h"
#include "support/Bytes.h"

#include <gtest/gtest.h>

using namespace protocol;
using testsupport::hex;

TEST(FixedRequests, AreByteExact) {
    EXPECT_EQ(searchRequest(), hex("A1 15 02 00 00 FF"));
    EXPECT_EQ(readRequest(), hex("A1 14 02 00 00 FF"));
    EXPECT_EQ(readByMacRequest({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}),
              hex("A1 44 06 00 1A 2B 3C 4D 5E FF"));
}

TEST(FrameTest, RecognisesOnlyWholeFramesWithTheirEndByte) {
    const auto d = hex("A1 05 04 C0 A8 01 64 FF");
    EXPECT_TRUE(frameAt(d, 0, CMD_IP));
    EXPECT_FALSE(frameAt(d, 0, CMD_MASK)) << "other command";
    EXPECT_FALSE(frameAt(d, 1, CMD_IP));

    // Length byte reaching exactly to or past the end of the datagram.
    EXPECT_FALSE(frameAt(hex("A1 05 05 C0 A8 01 64 FF"), 0, CMD_IP));
    EXPECT_FALSE(frameAt(hex("A1 05 FF C0 A8 01 64 FF"), 0, CMD_IP));
    // End byte not FF although start and command match.
    EXPECT_FALSE(frameAt(hex("A1 05 04 C0 A8 01 64 FE"), 0, CMD_IP));
    // Too short to even hold a length byte.
    EXPECT_FALSE(frameAt(hex("A1 05"), 0, CMD_IP));
    EXPECT_FALSE(frameAt(hex(""), 0, CMD_IP));
    // An empty payload is a frame.
    EXPECT_TRUE(frameAt(hex("A1 20 00 FF"), 0, CMD_VERSION));
}

TEST(FrameScan, TestsEveryPositionIncludingInsideFrames) {
    // A domain-like payload that itself holds a whole IP frame.
    const auto d = hex("A1 16 0A 00 A1 05 04 0A 00 00 07 FF 00 FF");
    std::vector<std::pair<std::size_t, std::uint8_t>> seen;
    const std::uint8_t commands[] = {CMD_DOMAIN, CMD_IP};
    scanFrames(d, commands, [&](const FoundFrame& f) { seen.emplace_back(f.position, f.command); });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (std::pair<std::size_t, std::uint8_t>{0, CMD_DOMAIN}));
    EXPECT_EQ(seen[1], (std::pair<std::size_t, std::uint8_t>{4, CMD_IP}));
}

TEST(FrameBuilding, AppendsStartCommandLengthPayloadEnd) {
    const std::uint8_t payload[] = {0x22, 0x60};
    EXPECT_EQ(buildFrame(CMD_SERVER_PORT_SET, payload), hex("A1 18 02 22 60 FF"));
    EXPECT_EQ(buildFrame(CMD_READ, {}), hex("A1 14 00 FF"));
}

TEST(Destinations, FollowSearchAddressAndAddressingMode) {
    SelectedCard byIp;
    byIp.ip = "192.168.1.100";
    SelectedCard byMac = byIp;
    byMac.byMac = true;
    const Destination bcast{"255.255.255.255", 8800, true};
    const Destination toCard{"192.168.1.100", 8800, false};
    const Destination toSearch{"10.0.0.9", 8800, false};

    EXPECT_EQ(destinationFor(RequestKind::Search, "", byIp), bcast);
    EXPECT_EQ(destinationFor(RequestKind::Read, "", byIp), toCard);
    EXPECT_EQ(destinationFor(RequestKind::Read, "", byMac), bcast);
    EXPECT_EQ(destinationFor(RequestKind::Write, "", byIp), toCard);
    EXPECT_EQ(destinationFor(RequestKind::Write, "", byMac), bcast);
    for (auto kind : {RequestKind::Search, RequestKind::Read, RequestKind::Write}) {
        EXPECT_EQ(destinationFor(kind, "10.0.0.9", byIp), toSearch);
        EXPECT_EQ(destinationFor(kind, "10.0.0.9", byMac), toSearch);
    }
    // Before any card was chosen, a refresh reads "0.0.0.0".
    EXPECT_EQ(destinationFor(RequestKind::Read, "", SelectedCard{}),
              (Destination{"0.0.0.0", 8800, false}));
    EXPECT_EQ(readRequestFor(byIp), hex("A1 14 02 00 00 FF"));
    EXPECT_EQ(readRequestFor(byMac), hex("A1 44 06 00 00 00 00 00 00 FF"));
}
