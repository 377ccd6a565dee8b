#pragma once
// One simulated card: its parameters, what it answers, and how a write changes it.

#include "protocol/Frame.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace cardsim {

using Ip4 = std::array<std::uint8_t, 4>;

struct CardState {
    int number = 1;                 // 1-based, as in the report
    std::optional<QByteArray> name; // nullopt: the search answer carries no name frame
    protocol::Mac mac{};
    Ip4 ip{192, 168, 1, 100};
    Ip4 mask{255, 255, 255, 0};
    Ip4 gateway{192, 168, 1, 1};
    // scan code 1, OE 1, 128 x 64, one colour, day 0, night 3, polarity 0, RS-485 address 1,
    // client, 9600 Bd, adaptive speed, no conversion, 12 MHz, content and empty display 0.
    std::array<std::uint8_t, 17> display{0x01, 0x01, 0x00, 0x80, 0x00, 0x40, 0x01, 0x00, 0x03,
                                         0x00, 0x01, 0x00, 0x00, 0x33, 0x00, 0x00, 0x00};
    Ip4 serverIp{192, 168, 1, 200};
    std::uint16_t serverPort = 8800;
    std::uint8_t netFlags = 0x0C; // server by IP
    std::array<std::uint8_t, 8> dns{};
    std::array<std::uint8_t, 64> domain{};
    std::uint8_t version = 60;
    std::array<std::uint8_t, 8> innerCode{};

    bool answersByBroadcast = false;
    bool ignoresWrites = false;
    // Drops off the network once a write meant for it has come, as a card unplugged or rebooted
    // into another network would: from then on it receives nothing.
    bool leavesAfterWrite = false;
    bool gone = false;
};

// Name (when it has one), MAC, IP, mask and version frames.
QByteArray searchAnswer(const CardState& card);
// The twelve frames of a full reply, 171 bytes.
QByteArray parameterReply(const CardState& card);

struct Frame {
    std::uint8_t command = 0;
    QByteArray payload;
};
// The frames back to back from the first byte, as a card reads them; nullopt when the bytes
// are not a clean run of frames.
std::optional<std::vector<Frame>> splitFrames(const QByteArray& datagram);

enum class RequestKind { Search, Read, ReadByMac, WriteByIp, WriteByMac, Unknown };
const char* kindName(RequestKind kind);

struct Request {
    RequestKind kind = RequestKind::Unknown;
    std::vector<Frame> frames;
    protocol::Mac mac{}; // named by a read by MAC or a MAC prefix
};
// Told by the first frame: 15 search, 14 read, 44 read by MAC, 30 MAC-addressed write,
// 21 write by IP.
Request parseRequest(const QByteArray& datagram);

struct WriteOutcome {
    bool applied = false;
    QString reason;      // why not, when not applied
    QStringList ignored; // frames that were not understood
};
// Applies a write meant for this card, when its own MAC is named in it.
WriteOutcome applyWrite(CardState& card, const Request& request);

QString hexBytes(const QByteArray& bytes); // "A1 15 02"
QString ipText(const Ip4& ip);
std::optional<Ip4> parseIp(const QString& text);
QString macText(const protocol::Mac& mac);
std::optional<protocol::Mac> parseMac(const QString& text);
quint32 ipValue(const Ip4& ip);
Ip4 ipFromValue(quint32 value);

QJsonObject stateJson(const CardState& card);

} // namespace cardsim
