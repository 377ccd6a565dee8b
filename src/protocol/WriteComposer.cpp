#include "protocol/WriteComposer.h"

#include "protocol/CardText.h"
#include "protocol/Encoding.h"

namespace protocol {

namespace {

constexpr PanelComponent EditRef(Edit e) {
    return {PanelComponent::Kind::Edit, static_cast<std::uint8_t>(e)};
}

Edit Nth(Edit first, std::size_t i) {
    return static_cast<Edit>(static_cast<std::size_t>(first) + i);
}

// Byte codes of the lists that do not travel as their position.
constexpr std::uint8_t kCommCodes[] = {0x00, 0x33, 0x22};
constexpr std::uint8_t kBaudCodes[] = {0x00, 0x11, 0x22, 0x33, 0x44};
constexpr std::uint8_t kRateCodes[] = {0x00, 0x22, 0x33};
constexpr std::uint8_t kTransCodes[] = {0x00, 0x22, 0x33, 0x44};

template <std::size_t N> std::uint8_t CodeOf(const std::uint8_t (&codes)[N], int index) {
    return (index >= 0 && static_cast<std::size_t>(index) < N) ? codes[index] : 0;
}

class Composer {
public:
    Composer(const PanelModel& p, const SelectedCard& card, const ScanModeTable& scan,
             const CardProfile& profile)
        : p_(p), card_(card), scan_(scan), profile_(profile) {}

    WriteResult run() {
        if (auto refusal = firstEmpty()) {
            return *refusal;
        }
        const std::uint8_t off = card_.byMac ? MacOffsetValue : 0;
        WriteMessage msg;
        Bytes& out = msg.bytes;
        out.reserve(164);
        if (card_.byMac) {
            appendFrame(out, CMD_MAC_SELECT, card_.mac);
        }

        std::array<std::uint8_t, DisplayPayload> display{};
        std::uint32_t width = 0, height = 0;
        if (!number(Edit::PLen, 65535, width) || !number(Edit::PHeight, 65535, height)) {
            return *refusal_;
        }
        display[0] = scan_.CodeAt(p_[Combo::Scan].index);
        display[1] = static_cast<std::uint8_t>(p_[Combo::OE].index + 1);
        const auto w = Be16Bytes(width);
        const auto h = Be16Bytes(height);
        display[2] = w[0];
        display[3] = w[1];
        display[4] = h[0];
        display[5] = h[1];
        display[6] = static_cast<std::uint8_t>(p_[Combo::PClor].index + 1);
        display[7] = static_cast<std::uint8_t>(p_[Combo::DLamp].index);
        display[8] = static_cast<std::uint8_t>(p_[Combo::NLamp].index);
        display[9] = NibblePack(0, static_cast<std::uint32_t>(p_[Combo::DataBit].index));
        display[10] = static_cast<std::uint8_t>(p_[Combo::Addr485].index + 1);
        display[11] = CodeOf(kCommCodes, p_[Combo::Comm].index);
        display[12] = CodeOf(kBaudCodes, p_[Combo::Baud].index);
        display[13] = CodeOf(kRateCodes, p_[Combo::Rate].index);
        display[14] = CodeOf(kTransCodes, p_[Combo::Trans].index);
        display[15] = NibblePack(static_cast<std::uint32_t>(p_[Combo::CF].index),
                                 static_cast<std::uint32_t>(p_[Combo::SContent].index));
        display[16] = NibblePack(static_cast<std::uint32_t>(p_[Combo::EmptyDisplay].index),
                                 static_cast<std::uint32_t>(rowOrderCode()));
        appendFrame(out, CMD_DISPLAY_SET + off, display);

        for (const auto& [first, command] :
             {std::pair{Edit::IP1, CMD_IP_SET}, std::pair{Edit::C1, CMD_MASK_SET},
              std::pair{Edit::Gate1, CMD_GATEWAY_SET}, std::pair{Edit::DIP1, CMD_SERVER_IP_SET}}) {
            std::array<std::uint8_t, 4> quad{};
            if (!octets(first, quad)) {
                return *refusal_;
            }
            appendFrame(out, static_cast<std::uint8_t>(command + off), quad);
        }

        std::uint32_t port = 0;
        if (!number(Edit::DPort, 65535, port)) {
            return *refusal_;
        }
        appendFrame(out, CMD_SERVER_PORT_SET + off, Be16Bytes(port));
        appendFrame(out, CMD_SET_MAC + off, card_.mac);

        std::string domain;
        if (p_.serverByDomain) {
            // The caller has put a non-ASCII name into its "xn--" form; one still here could
            // not be converted, and the card would store bytes no resolver looks up.
            domain = TrimControl(p_[Edit::Domain]);
            if (!IsAscii(domain) || domain.size() > MaxDomainBytes) {
                return WriteRefusal{WriteRefusal::Reason::DomainTooLong, EditRef(Edit::Domain), 0,
                                    domain};
            }
        }

        const std::uint8_t flags[] = {netFlagsByte(p_, profile_)};
        appendFrame(out, CMD_NET_FLAGS_SET, flags);

        std::array<std::uint8_t, DnsPayload> dns{};
        if (profile_.dhcp == 1 && p_.dnsManual) {
            for (std::size_t i = 0; i < 4; ++i) {
                if (p_[Nth(Edit::DNS1, i)].empty()) {
                    return WriteRefusal{
                        WriteRefusal::Reason::DnsFieldEmpty, EditRef(Nth(Edit::DNS1, i)), 0, {}};
                }
            }
            std::array<std::uint8_t, 4> quad{};
            if (!octets(Edit::DNS1, quad)) {
                return *refusal_;
            }
            std::copy(quad.begin(), quad.end(), dns.begin());
        }
        appendFrame(out, CMD_DNS_SET, dns);

        if (p_.serverByDomain) {
            std::array<std::uint8_t, DomainPayload> payload{};
            std::copy(domain.begin(), domain.end(), payload.begin());
            appendFrame(out, CMD_DOMAIN_SET, payload);
            msg.hasDomain = true;
        }
        return msg;
    }

private:
    std::optional<WriteRefusal> firstEmpty() const {
        for (const PanelComponent& c : CreationOrder()) {
            if (c.kind == PanelComponent::Kind::Edit) {
                const Edit e = c.edit();
                const bool optional = e == Edit::Domain || e == Edit::DNS1 || e == Edit::DNS2 ||
                                      e == Edit::DNS3 || e == Edit::DNS4;
                if (!optional && p_[e].empty()) {
                    return WriteRefusal{WriteRefusal::Reason::EmptyField, c, 0, {}};
                }
            } else if (p_[c.combo()].index < 0) {
                return WriteRefusal{WriteRefusal::Reason::EmptyField, c, 0, {}};
            }
        }
        return std::nullopt;
    }

    // The frames could carry more (low 8 bits, first four hex digits), but a value the card
    // would store differently from what the operator typed is refused instead.
    bool number(Edit e, std::uint32_t max, std::uint32_t& value) {
        const std::string& text = p_[e];
        const auto parsed = ParseDecimal(text);
        if (!parsed) {
            const bool allDigits =
                !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
            refusal_ = WriteRefusal{allDigits ? WriteRefusal::Reason::OutOfRange
                                              : WriteRefusal::Reason::NotANumber,
                                    EditRef(e), max, text};
            return false;
        }
        if (*parsed > max) {
            refusal_ = WriteRefusal{WriteRefusal::Reason::OutOfRange, EditRef(e), max, text};
            return false;
        }
        value = *parsed;
        return true;
    }

    bool octets(Edit first, std::array<std::uint8_t, 4>& quad) {
        for (std::size_t i = 0; i < 4; ++i) {
            std::uint32_t v = 0;
            if (!number(Nth(first, i), 255, v)) {
                return false;
            }
            quad[i] = static_cast<std::uint8_t>(v);
        }
        return true;
    }

    // The last two items travel as 14 and 15, whatever the list's length.
    int rowOrderCode() const {
        const ComboState& s = p_[Combo::RowOrder];
        if (s.index == s.count - 1) {
            return 14;
        }
        if (s.index == s.count - 2) {
            return 15;
        }
        return s.index;
    }

    const PanelModel& p_;
    const SelectedCard& card_;
    const ScanModeTable& scan_;
    const CardProfile& profile_;
    std::optional<WriteRefusal> refusal_;
};

} // namespace

std::uint8_t netFlagsByte(const PanelModel& p, const CardProfile& profile) {
    std::string bits = "00";
    bits += p.serverByDomain ? "11" : "00";
    if (profile.dhcp == 1) {
        bits += p.dnsManual ? "00" : "11";
        bits += p.cfgMode == 1 ? "11" : (p.cfgMode == 2 ? "01" : "00");
    } else {
        bits += "11";
        bits += p.serverByDomain ? "11" : "00";
    }
    return static_cast<std::uint8_t>(BitStringValue(bits));
}

WriteResult composeWrite(const PanelModel& panel, const SelectedCard& card,
                         const ScanModeTable& scanModes, const CardProfile& profile) {
    return Composer(panel, card, scanModes, profile).run();
}

} // namespace protocol
