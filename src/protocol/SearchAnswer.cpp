#include "protocol/SearchAnswer.h"

#include "protocol/CardText.h"
#include "protocol/Encoding.h"

namespace protocol {

SearchAnswer DecodeSearchAnswer(ByteView d) {
    static constexpr std::uint8_t kCommands[] = {CMD_NAME, CMD_MAC, CMD_IP, CMD_MASK, CMD_VERSION};
    SearchAnswer a;
    std::string name;
    scanFrames(d, kCommands, [&](const FoundFrame& f) {
        switch (f.command) {
        case CMD_NAME: {
            std::string_view raw(reinterpret_cast<const char*>(f.payload.data()), f.payload.size());
            raw = raw.substr(0, raw.find('\0'));
            const std::string text = DecodeCardText(raw);
            name = text.find("QZT") != std::string::npos ? std::string()
                                                         : std::string(TrimControl(text));
            break;
        }
        case CMD_MAC:
            if (f.tail.size() >= MacPayload) {
                a.mac = MacText(f.tail.data());
            }
            break;
        case CMD_IP:
            if (f.tail.size() >= AddressPayload) {
                a.ip = Ipv4Text(f.tail.data());
            }
            break;
        case CMD_VERSION:
            a.version = f.tail[0]; // frameAt guarantees the end byte follows the payload start
            break;
        default: // the mask plays no part in the list
            break;
        }
    });
    a.name = name.empty() ? "unknown" : name;
    return a;
}

std::optional<DeviceEntry> FoundCards::add(const SearchAnswer& answer) {
    // '\n' cannot occur in a MAC or IP text, so the pair is unambiguous.
    if (!keys_.insert(answer.mac + '\n' + answer.ip).second) {
        return std::nullopt;
    }
    DeviceEntry e{static_cast<int>(entries_.size()) + 1, answer.name, answer.mac, answer.ip,
                  answer.version};
    firstByMac_.try_emplace(e.mac, entries_.size());
    entries_.push_back(e);
    return e;
}

const DeviceEntry* FoundCards::firstWithMac(const std::string& mac) const {
    const auto it = firstByMac_.find(mac);
    return it == firstByMac_.end() ? nullptr : &entries_[it->second];
}

void FoundCards::clear() {
    entries_.clear();
    keys_.clear();
    firstByMac_.clear();
}

} // namespace protocol
