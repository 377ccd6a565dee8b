#include "fleet/CardTarget.h"

#include "discovery/QtBytes.h"
#include "fleet/AddressRun.h"
#include "fleet/Profile.h"
#include "protocol/Encoding.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>

namespace fleet {

namespace {

// Digits only, up to three each: "+1", " 1", "0x1" and "0001" are no octets.
std::optional<std::string> dottedQuad(const QString& text) {
    const auto quad = ParseAddress(text.toStdString());
    return quad ? std::optional<std::string>(QuadText(*quad)) : std::nullopt;
}

std::optional<protocol::Mac> macAddress(const QString& text) {
    static const QRegularExpression separated(
        QStringLiteral("^([0-9A-Fa-f]{2})([:-])([0-9A-Fa-f]{2})\\2([0-9A-Fa-f]{2})\\2"
                       "([0-9A-Fa-f]{2})\\2([0-9A-Fa-f]{2})\\2([0-9A-Fa-f]{2})$"));
    static const QRegularExpression together(QStringLiteral("^[0-9A-Fa-f]{12}$"));
    QString digits;
    if (const auto m = separated.match(text); m.hasMatch()) {
        for (int i : {1, 3, 4, 5, 6, 7}) {
            digits += m.captured(i);
        }
    } else if (together.match(text).hasMatch()) {
        digits = text;
    } else {
        return std::nullopt;
    }
    protocol::Mac mac{};
    for (qsizetype i = 0; i < qsizetype(mac.size()); ++i) {
        mac[std::size_t(i)] = static_cast<std::uint8_t>(digits.mid(i * 2, 2).toUInt(nullptr, 16));
    }
    return mac;
}

} // namespace

std::optional<CardTarget> ParseCardTarget(const QString& text, bool byMac) {
    CardTarget target;
    target.given = text;
    const QString trimmed = text.trimmed();
    if (const auto mac = macAddress(trimmed)) {
        target.byMac = true;
        target.mac = *mac;
        target.macText = protocol::MacText(mac->data());
        return target;
    }
    if (byMac) {
        return std::nullopt;
    }
    if (auto ip = dottedQuad(trimmed)) {
        target.ip = std::move(*ip);
        return target;
    }
    return std::nullopt;
}

ReplyIdentity IdentifyReply(const QByteArray& reply) {
    const protocol::ByteView bytes = discovery::toByteView(reply);
    static constexpr std::uint8_t kCommands[] = {protocol::CMD_MAC, protocol::CMD_IP,
                                                 protocol::CMD_VERSION};
    ReplyIdentity id;
    protocol::scanFrames(bytes, kCommands, [&id](const protocol::FoundFrame& f) {
        // Fixed widths, whatever the length byte says, as the decoders take them.
        switch (f.command) {
        case protocol::CMD_MAC:
            if (f.tail.size() >= protocol::MacPayload) {
                id.mac = protocol::MacText(f.tail.data());
            }
            break;
        case protocol::CMD_IP:
            if (f.tail.size() >= protocol::AddressPayload) {
                id.ip = protocol::Ipv4Text(f.tail.data());
            }
            break;
        case protocol::CMD_VERSION:
            id.version = f.tail[0];
            break;
        default:
            break;
        }
    });
    return id;
}

} // namespace fleet
