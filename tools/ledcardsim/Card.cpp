#include "Card.h"

#include "discovery/QtBytes.h"

#include <QJsonValue>
#include <QStringList>

namespace cardsim {

namespace {

template <std::size_t N> protocol::ByteView view(const std::array<std::uint8_t, N>& a) {
    return protocol::ByteView(a.data(), a.size());
}

template <std::size_t N>
bool copyPayload(std::array<std::uint8_t, N>& into, const QByteArray& payload) {
    if (static_cast<std::size_t>(payload.size()) != N) {
        return false;
    }
    std::copy(payload.begin(), payload.end(), into.begin());
    return true;
}

QString hexOf(const std::uint8_t* data, std::size_t n) {
    return hexBytes(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(n)));
}

} // namespace

QByteArray searchAnswer(const CardState& c) {
    protocol::Bytes out;
    if (c.name) {
        const protocol::ByteView name = discovery::toByteView(*c.name);
        appendFrame(out, protocol::CMD_NAME, name.first(std::min<std::size_t>(name.size(), 255)));
    }
    appendFrame(out, protocol::CMD_MAC, view(c.mac));
    appendFrame(out, protocol::CMD_IP, view(c.ip));
    appendFrame(out, protocol::CMD_MASK, view(c.mask));
    const std::uint8_t version[] = {c.version};
    appendFrame(out, protocol::CMD_VERSION, version);
    return discovery::toByteArray(out);
}

QByteArray parameterReply(const CardState& c) {
    protocol::Bytes out;
    out.reserve(protocol::ParameterReplyMinSize);
    const std::uint8_t port[] = {static_cast<std::uint8_t>(c.serverPort >> 8),
                                 static_cast<std::uint8_t>(c.serverPort & 0xFF)};
    const std::uint8_t flags[] = {c.netFlags};
    const std::uint8_t version[] = {c.version};
    appendFrame(out, protocol::CMD_MAC, view(c.mac));
    appendFrame(out, protocol::CMD_IP, view(c.ip));
    appendFrame(out, protocol::CMD_MASK, view(c.mask));
    appendFrame(out, protocol::CMD_GATEWAY, view(c.gateway));
    appendFrame(out, protocol::CMD_DOMAIN, view(c.domain));
    appendFrame(out, protocol::CMD_SERVER_IP, view(c.serverIp));
    appendFrame(out, protocol::CMD_SERVER_PORT, port);
    appendFrame(out, protocol::CMD_NET_FLAGS, flags);
    appendFrame(out, protocol::CMD_DNS, view(c.dns));
    appendFrame(out, protocol::CMD_VERSION, version);
    appendFrame(out, protocol::CMD_DISPLAY, view(c.display));
    appendFrame(out, protocol::CMD_INNER_CODE, view(c.innerCode));
    return discovery::toByteArray(out);
}

std::optional<std::vector<Frame>> splitFrames(const QByteArray& d) {
    std::vector<Frame> frames;
    const auto byte = [&](qsizetype i) { return static_cast<std::uint8_t>(d[i]); };
    qsizetype pos = 0;
    while (pos < d.size()) {
        if (pos + 3 > d.size() || byte(pos) != protocol::FrameStart) {
            return std::nullopt;
        }
        const qsizetype len = byte(pos + 2);
        const qsizetype end = pos + 3 + len;
        if (end >= d.size() || byte(end) != protocol::FrameEnd) {
            return std::nullopt;
        }
        frames.push_back(Frame{byte(pos + 1), d.mid(pos + 3, len)});
        pos = end + 1;
    }
    if (frames.empty()) {
        return std::nullopt;
    }
    return frames;
}

const char* kindName(RequestKind kind) {
    switch (kind) {
    case RequestKind::Search:
        return "search";
    case RequestKind::Read:
        return "read";
    case RequestKind::ReadByMac:
        return "readByMac";
    case RequestKind::WriteByIp:
        return "writeByIp";
    case RequestKind::WriteByMac:
        return "writeByMac";
    case RequestKind::Unknown:
        break;
    }
    return "unknown";
}

Request parseRequest(const QByteArray& datagram) {
    Request r;
    auto frames = splitFrames(datagram);
    if (!frames) {
        return r;
    }
    r.frames = std::move(*frames);
    const Frame& first = r.frames.front();
    const bool twoZeros = first.payload == QByteArray(2, '\0');
    const bool namesMac = first.payload.size() == 6;
    switch (first.command) {
    case protocol::CMD_SEARCH:
        r.kind = twoZeros ? RequestKind::Search : RequestKind::Unknown;
        break;
    case protocol::CMD_READ:
        r.kind = twoZeros ? RequestKind::Read : RequestKind::Unknown;
        break;
    case protocol::CMD_READ_BY_MAC:
        r.kind = namesMac ? RequestKind::ReadByMac : RequestKind::Unknown;
        break;
    case protocol::CMD_MAC_SELECT:
        r.kind = namesMac ? RequestKind::WriteByMac : RequestKind::Unknown;
        break;
    case protocol::CMD_DISPLAY_SET:
        r.kind = RequestKind::WriteByIp;
        break;
    default:
        break;
    }
    if (namesMac && r.kind != RequestKind::Unknown) {
        std::copy(first.payload.begin(), first.payload.end(), r.mac.begin());
    }
    return r;
}

WriteOutcome applyWrite(CardState& card, const Request& request) {
    WriteOutcome result;
    const bool byMac = request.kind == RequestKind::WriteByMac;
    if (!byMac && request.kind != RequestKind::WriteByIp) {
        result.reason = QStringLiteral("not a write");
        return result;
    }
    if (byMac && request.mac != card.mac) {
        result.reason = QStringLiteral("MAC prefix names another card");
        return result;
    }
    // The frames after the prefix carry 0x30 more, except flags, DNS and domain.
    const std::uint8_t offset = byMac ? protocol::MacOffsetValue : 0;
    const auto shifted = [&](std::uint8_t code) { return std::uint8_t(code + offset); };

    // The card's own MAC must be repeated in the write, or it is not for this card.
    bool macConfirmed = false;
    for (const Frame& f : request.frames) {
        if (f.command == shifted(protocol::CMD_SET_MAC)) {
            macConfirmed = f.payload.size() == 6 &&
                           std::equal(f.payload.begin(), f.payload.end(), card.mac.begin(),
                                      [](char a, std::uint8_t b) { return std::uint8_t(a) == b; });
        }
    }
    if (!macConfirmed) {
        result.reason = QStringLiteral("the MAC frame does not name this card");
        return result;
    }
    if (card.ignoresWrites) {
        result.reason = QStringLiteral("this card ignores writes");
        return result;
    }

    CardState next = card;
    const std::size_t skip = byMac ? 1 : 0;
    for (std::size_t i = skip; i < request.frames.size(); ++i) {
        const Frame& f = request.frames[i];
        bool ok = false;
        if (f.command == shifted(protocol::CMD_DISPLAY_SET)) {
            ok = copyPayload(next.display, f.payload);
        } else if (f.command == shifted(protocol::CMD_IP_SET)) {
            ok = copyPayload(next.ip, f.payload);
        } else if (f.command == shifted(protocol::CMD_MASK_SET)) {
            ok = copyPayload(next.mask, f.payload);
        } else if (f.command == shifted(protocol::CMD_GATEWAY_SET)) {
            ok = copyPayload(next.gateway, f.payload);
        } else if (f.command == shifted(protocol::CMD_SERVER_IP_SET)) {
            ok = copyPayload(next.serverIp, f.payload);
        } else if (f.command == shifted(protocol::CMD_SERVER_PORT_SET)) {
            std::array<std::uint8_t, 2> port{};
            ok = copyPayload(port, f.payload);
            if (ok) {
                next.serverPort = std::uint16_t(port[0] << 8 | port[1]);
            }
        } else if (f.command == shifted(protocol::CMD_SET_MAC)) {
            ok = true; // checked above; a write never changes the MAC
        } else if (f.command == protocol::CMD_NET_FLAGS_SET) {
            std::array<std::uint8_t, 1> flags{};
            ok = copyPayload(flags, f.payload);
            if (ok) {
                next.netFlags = flags[0];
            }
        } else if (f.command == protocol::CMD_DNS_SET) {
            ok = copyPayload(next.dns, f.payload);
        } else if (f.command == protocol::CMD_DOMAIN_SET) {
            ok = copyPayload(next.domain, f.payload);
        }
        if (!ok) {
            result.ignored << QStringLiteral("%1/%2")
                                  .arg(f.command, 2, 16, QLatin1Char('0'))
                                  .arg(f.payload.size())
                                  .toUpper();
        }
    }
    card = next;
    result.applied = true;
    return result;
}

QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString ipText(const Ip4& ip) {
    return QStringLiteral("%1.%2.%3.%4").arg(ip[0]).arg(ip[1]).arg(ip[2]).arg(ip[3]);
}

std::optional<Ip4> parseIp(const QString& text) {
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4) {
        return std::nullopt;
    }
    Ip4 ip{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint v = parts[i].toUInt(&ok);
        if (!ok || v > 255) {
            return std::nullopt;
        }
        ip[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
    }
    return ip;
}

QString macText(const protocol::Mac& mac) {
    return hexBytes(QByteArray(reinterpret_cast<const char*>(mac.data()), 6)).replace(u' ', u':');
}

std::optional<protocol::Mac> parseMac(const QString& text) {
    QString hex = text;
    hex.remove(u':').remove(u'-');
    const QByteArray raw = QByteArray::fromHex(hex.toLatin1());
    if (hex.size() != 12 || raw.size() != 6) {
        return std::nullopt;
    }
    protocol::Mac mac{};
    std::copy(raw.begin(), raw.end(), mac.begin());
    return mac;
}

quint32 ipValue(const Ip4& ip) {
    return quint32(ip[0]) << 24 | quint32(ip[1]) << 16 | quint32(ip[2]) << 8 | ip[3];
}

Ip4 ipFromValue(quint32 v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

QJsonObject stateJson(const CardState& c) {
    const auto& d = c.display;
    const auto domainEnd = std::find(c.domain.begin(), c.domain.end(), 0);
    QJsonObject o;
    o[u"card"] = c.number;
    o[u"name"] = c.name ? QJsonValue(QString::fromLatin1(*c.name)) : QJsonValue();
    o[u"mac"] = macText(c.mac);
    o[u"ip"] = ipText(c.ip);
    o[u"mask"] = ipText(c.mask);
    o[u"gateway"] = ipText(c.gateway);
    o[u"version"] = c.version;
    o[u"display"] = hexOf(d.data(), d.size());
    o[u"scanCode"] = d[0];
    o[u"oe"] = d[1];
    o[u"width"] = d[2] << 8 | d[3];
    o[u"height"] = d[4] << 8 | d[5];
    o[u"color"] = d[6];
    o[u"dayBrightness"] = d[7];
    o[u"nightBrightness"] = d[8];
    o[u"dataPolarity"] = d[9];
    o[u"rs485Address"] = d[10];
    o[u"comm"] = d[11];
    o[u"baud"] = d[12];
    o[u"netSpeed"] = d[13];
    o[u"conversion"] = d[14];
    o[u"clockAndContent"] = d[15];
    o[u"emptyAndRowOrder"] = d[16];
    o[u"serverIp"] = ipText(c.serverIp);
    o[u"serverPort"] = c.serverPort;
    o[u"netFlags"] = c.netFlags;
    o[u"dns"] = ipText(Ip4{c.dns[0], c.dns[1], c.dns[2], c.dns[3]});
    o[u"dnsBytes"] = hexOf(c.dns.data(), c.dns.size());
    o[u"domain"] = QString::fromLatin1(reinterpret_cast<const char*>(c.domain.data()),
                                       domainEnd - c.domain.begin());
    o[u"innerCode"] = hexOf(c.innerCode.data(), c.innerCode.size());
    o[u"answers"] = c.answersByBroadcast ? QStringLiteral("broadcast") : QStringLiteral("unicast");
    o[u"ignoresWrites"] = c.ignoresWrites;
    o[u"gone"] = c.gone;
    return o;
}

} // namespace cardsim
