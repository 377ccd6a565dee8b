#include "protocol/Reply.h"

#include "protocol/CardText.h"
#include "protocol/Encoding.h"

#include <string>

namespace protocol {

namespace {

class ReplyApplier {
public:
    ReplyApplier(PanelModel& panel, const ScanModeTable& scanModes, const CardProfile& profile,
                 const DomainForm& domainForm, const DomainForm& shownForm)
        : panel_(panel), scanModes_(scanModes), profile_(profile), domainForm_(domainForm),
          shownForm_(shownForm) {}

    ReplyOutcome run(ByteView d) {
        const bool dhcp = profile_.dhcp == 1;
        if (dhcp) {
            panel_.cfgMode = 0;
            setDnsManual(true);
            panel_.serverByDomain = false;
        }
        static constexpr std::uint8_t kWithDns[] = {
            CMD_MAC,         CMD_IP,        CMD_MASK, CMD_GATEWAY, CMD_DOMAIN,  CMD_SERVER_IP,
            CMD_SERVER_PORT, CMD_NET_FLAGS, CMD_DNS,  CMD_VERSION, CMD_DISPLAY, CMD_INNER_CODE};
        static constexpr std::uint8_t kWithoutDns[] = {
            CMD_MAC,         CMD_IP,        CMD_MASK,    CMD_GATEWAY, CMD_DOMAIN,    CMD_SERVER_IP,
            CMD_SERVER_PORT, CMD_NET_FLAGS, CMD_VERSION, CMD_DISPLAY, CMD_INNER_CODE};
        const std::span<const std::uint8_t> commands =
            dhcp ? std::span<const std::uint8_t>(kWithDns)
                 : std::span<const std::uint8_t>(kWithoutDns);
        scanFrames(d, commands, [this](const FoundFrame& f) { handle(f); });
        // A datagram that carried no network value to compare is no evidence that a card took
        // a write: stray or garbled traffic on the port must not report success.
        if (!compared_) {
            out_.matched = false;
        }
        return out_;
    }

private:
    void handle(const FoundFrame& f) {
        const ByteView t = f.tail;
        switch (f.command) {
        case CMD_MAC:
            if (t.size() >= MacPayload) {
                panel_[Edit::MACAddr] = MacText(t.data());
            }
            break;
        case CMD_IP:
            checkAndWriteQuad(t, Edit::IP1);
            break;
        case CMD_MASK:
            checkAndWriteQuad(t, Edit::C1);
            break;
        case CMD_GATEWAY:
            checkAndWriteQuad(t, Edit::Gate1);
            break;
        case CMD_SERVER_IP:
            checkAndWriteQuad(t, Edit::DIP1);
            break;
        case CMD_SERVER_PORT:
            if (t.size() >= PortPayload) {
                checkAndWrite(Edit::DPort, DecimalText(Be16Value(t[0], t[1])));
            }
            break;
        case CMD_VERSION:
            panel_[Edit::Version] = DecimalText(t[0]);
            break;
        case CMD_DISPLAY:
            if (t.size() >= DisplayPayload) {
                applyDisplay(t);
            }
            break;
        case CMD_INNER_CODE:
            if (t.size() >= InnerCodePayload) {
                applyInnerCode(t);
            }
            break;
        case CMD_DOMAIN:
            if (t.size() >= DomainPayload) {
                applyDomain(t);
            }
            break;
        case CMD_NET_FLAGS:
            applyFlags(f);
            break;
        case CMD_DNS:
            if (t.size() >= DnsPayload) {
                applyDns(t);
            }
            break;
        default:
            break;
        }
    }

    // Compares before writing, so a write is confirmed only by values the panel already shows.
    void checkAndWrite(Edit e, const std::string& received) {
        compared_ = true;
        if (out_.matched && panel_[e] != received) {
            out_.matched = false;
        }
        panel_[e] = received;
    }

    void checkAndWriteQuad(ByteView t, Edit first) {
        if (t.size() < AddressPayload) {
            return;
        }
        for (std::size_t i = 0; i < 4; ++i) {
            checkAndWrite(static_cast<Edit>(static_cast<std::size_t>(first) + i),
                          DecimalText(t[i]));
        }
    }

    void setIndex(Combo c, int index) {
        ComboState& s = panel_[c];
        s.index = (index >= 0 && index < s.count) ? index : -1;
    }

    void applyDisplay(ByteView t) {
        setIndex(Combo::Scan, scanModes_.PositionOf(t[0]));
        setIndex(Combo::OE, t[1] - 1);
        panel_[Edit::PLen] = DecimalText(Be16Value(t[2], t[3]));
        panel_[Edit::PHeight] = DecimalText(Be16Value(t[4], t[5]));
        setIndex(Combo::PClor, t[6] - 1);
        setIndex(Combo::DLamp, t[7]);
        setIndex(Combo::NLamp, t[8]);
        setIndex(Combo::DataBit, (t[9] & 0x0F) == 1 ? 1 : 0);
        setIndex(Combo::Addr485, (t[10] >= 1 && t[10] <= 99) ? t[10] - 1 : 0);
        mapCode(Combo::Comm, t[11], {0x00, 0x33, 0x22});
        mapCode(Combo::Baud, t[12], {0x00, 0x11, 0x22, 0x33, 0x44});
        mapCode(Combo::Rate, t[13], {0x00, 0x22, 0x33});
        mapCode(Combo::Trans, t[14], {0x00, 0x22, 0x33, 0x44});
        const Nibbles n15 = NibbleSplit(t[15]);
        setIndex(Combo::CF, n15.high);
        setIndex(Combo::SContent, n15.low);
        const Nibbles n16 = NibbleSplit(t[16]);
        setIndex(Combo::EmptyDisplay, n16.high);
        // The two special row-order codes point at the end of the list, whatever its length.
        const int rowCount = panel_[Combo::RowOrder].count;
        int row = n16.low;
        if (n16.low == 14) {
            row = rowCount - 1;
        } else if (n16.low == 15) {
            row = rowCount - 2;
        }
        setIndex(Combo::RowOrder, row);
    }

    // A byte that is none of the codes leaves the list as it was.
    void mapCode(Combo c, std::uint8_t byte, std::initializer_list<std::uint8_t> codes) {
        int position = 0;
        for (std::uint8_t code : codes) {
            if (code == byte) {
                setIndex(c, position);
                return;
            }
            ++position;
        }
    }

    void applyInnerCode(ByteView t) {
        static constexpr char hex[] = "0123456789abcdef";
        std::string h = "16进制：";
        std::string dec = "10进制：";
        for (std::size_t i = 0; i < InnerCodePayload; ++i) {
            if (i) {
                h += '-';
                dec += '-';
            }
            h += hex[t[i] >> 4];
            h += hex[t[i] & 0x0F];
            dec += DecimalText(t[i]);
        }
        panel_[Edit::InnerCodeHex] = h;
        panel_[Edit::InnerCodeDec] = dec;
    }

    void applyDomain(ByteView t) {
        std::string_view raw(reinterpret_cast<const char*>(t.data()), DomainPayload);
        raw = raw.substr(0, raw.find('\0'));
        const std::string decoded = DecodeCardText(raw);
        const std::string received(TrimControl(decoded));
        panel_[Edit::Domain] = shownForm_ ? shownForm_(received) : std::string(received);
        if (!profile_.domainName.empty()) {
            panel_[Edit::Domain] = profile_.domainName;
        }
        if (panel_.serverByDomain) {
            compared_ = true;
            if (out_.matched && !sameDomain(received, TrimControl(panel_[Edit::Domain]))) {
                out_.matched = false;
            }
        }
    }

    bool sameDomain(std::string_view a, std::string_view b) const {
        return domainForm_ ? domainForm_(a) == domainForm_(b) : a == b;
    }

    void applyFlags(const FoundFrame& f) {
        panel_.serverByDomain = false;
        if (f.length == 2) {
            return;
        }
        const std::string bits = BitString(f.tail[0], 8);
        const std::string_view b(bits);
        if (profile_.dhcp == 1) {
            const auto mode = b.substr(6, 2);
            panel_.cfgMode = mode == "11" ? 1 : (mode == "01" ? 2 : 0);
            setDnsManual(b.substr(4, 2) != "11" || panel_.cfgMode == 0);
            out_.dnsReactionDue = true;
        }
        if (b.substr(2, 2) == "11") {
            panel_.serverByDomain = true;
        }
    }

    void applyDns(ByteView t) {
        checkAndWriteQuad(t, Edit::DNS1);
        if (profile_.dns.empty()) {
            return;
        }
        std::vector<std::string> parts;
        std::string piece;
        for (char ch : profile_.dns) {
            if (ch == '.') {
                parts.push_back(piece);
                piece.clear();
            } else {
                piece += ch;
            }
        }
        parts.push_back(piece);
        if (parts.size() >= 4) {
            for (std::size_t i = 0; i < 4; ++i) {
                panel_[static_cast<Edit>(static_cast<std::size_t>(Edit::DNS1) + i)] = parts[i];
            }
        }
    }

    void setDnsManual(bool ticked) {
        if (panel_.dnsManual != ticked) {
            out_.dnsReactionDue = true;
        }
        panel_.dnsManual = ticked;
    }

    PanelModel& panel_;
    const ScanModeTable& scanModes_;
    const CardProfile& profile_;
    const DomainForm& domainForm_;
    const DomainForm& shownForm_;
    ReplyOutcome out_;
    bool compared_ = false;
};

} // namespace

ReplyOutcome applyParameterReply(PanelModel& panel, ByteView datagram,
                                 const ScanModeTable& scanModes, const CardProfile& profile,
                                 const DomainForm& domainForm, const DomainForm& shownForm) {
    return ReplyApplier(panel, scanModes, profile, domainForm, shownForm).run(datagram);
}

} // namespace protocol
