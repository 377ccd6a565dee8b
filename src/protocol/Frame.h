#pragma once
// Frames and commands of the card protocol: A1, command, length L, L payload bytes, FF.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace protocol {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;
using Mac = std::array<std::uint8_t, 6>;

inline constexpr std::uint8_t FrameStart = 0xA1;
inline constexpr std::uint8_t FrameEnd = 0xFF;
inline constexpr std::uint16_t CardPort = 8800;  // every request goes here
inline constexpr std::uint16_t LocalPort = 4400; // every answer arrives here
inline constexpr const char* BroadcastAddress = "255.255.255.255";
// Datagrams of this size or more are parameter replies; shorter ones are search answers.
inline constexpr std::size_t ParameterReplyMinSize = 171;
inline constexpr std::uint8_t MacOffsetValue = 0x30;
inline constexpr int MacAddressingThreshold = 54;

// Requests (tool to card). Write codes are given without MacOffset.
enum RequestCommand : std::uint8_t {
    CMD_READ = 0x14,
    CMD_SEARCH = 0x15,
    CMD_READ_BY_MAC = 0x44,
    CMD_MAC_SELECT = 0x30,
    CMD_DISPLAY_SET = 0x21,
    CMD_IP_SET = 0x05,
    CMD_MASK_SET = 0x06,
    CMD_GATEWAY_SET = 0x07,
    CMD_SERVER_IP_SET = 0x17,
    CMD_SERVER_PORT_SET = 0x18,
    CMD_SET_MAC = 0x02,
    CMD_NET_FLAGS_SET = 0x49,
    CMD_DNS_SET = 0x4A,
    CMD_DOMAIN_SET = 0x46,
};

// Answers (card to tool): a separate name space from the requests.
enum AnswerCommand : std::uint8_t {
    CMD_NAME = 0x02,
    CMD_MAC = 0x04,
    CMD_IP = 0x05,
    CMD_MASK = 0x06,
    CMD_GATEWAY = 0x07,
    CMD_DOMAIN = 0x16,
    CMD_SERVER_IP = 0x17,
    CMD_SERVER_PORT = 0x18,
    CMD_NET_FLAGS = 0x19,
    CMD_DNS = 0x1A,
    CMD_VERSION = 0x20,
    CMD_DISPLAY = 0x21,
    CMD_INNER_CODE = 0x22,
};

// Fixed payload widths a decoder takes from an answer frame, whatever its length byte says.
inline constexpr std::size_t DisplayPayload = 17;
inline constexpr std::size_t AddressPayload = 4;
inline constexpr std::size_t PortPayload = 2;
inline constexpr std::size_t MacPayload = 6;
inline constexpr std::size_t DnsPayload = 8;
inline constexpr std::size_t DomainPayload = 64;
inline constexpr std::size_t InnerCodePayload = 8;

// Appends one frame to `out`. The payload must not exceed 255 bytes.
void appendFrame(Bytes& out, std::uint8_t command, ByteView payload);
Bytes buildFrame(std::uint8_t command, ByteView payload);

// True when a whole frame of `command` starts at `pos`: p + 3 + L < n, start, command and end
// byte in place. The payload itself is not inspected.
bool frameAt(ByteView datagram, std::size_t pos, std::uint8_t command);

struct FoundFrame {
    std::size_t position; // of the start byte
    std::uint8_t command;
    std::uint8_t length; // the length byte
    ByteView payload;    // `length` bytes; never reaches past the datagram
    // The bytes from the payload start to the end of the datagram, for fixed-width readers.
    ByteView tail;
};

// Tests every position, in rising order, for each command of `commands` in the given order,
// and calls `handle` for every frame found. Frames inside frames are found too.
void scanFrames(ByteView datagram, std::span<const std::uint8_t> commands,
                const std::function<void(const FoundFrame&)>& handle);

// The three fixed requests.
Bytes searchRequest();                  // A1 15 02 00 00 FF
Bytes readRequest();                    // A1 14 02 00 00 FF
Bytes readByMacRequest(const Mac& mac); // A1 44 06 m0..m5 FF

} // namespace protocol
