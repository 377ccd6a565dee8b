#include "protocol/Frame.h"

#include <cassert>

namespace protocol {

void appendFrame(Bytes& out, std::uint8_t command, ByteView payload) {
    assert(payload.size() <= 255);
    out.push_back(FrameStart);
    out.push_back(command);
    out.push_back(static_cast<std::uint8_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    out.push_back(FrameEnd);
}

Bytes buildFrame(std::uint8_t command, ByteView payload) {
    Bytes out;
    out.reserve(payload.size() + 4);
    appendFrame(out, command, payload);
    return out;
}

bool frameAt(ByteView d, std::size_t pos, std::uint8_t command) {
    const std::size_t n = d.size();
    if (pos + 2 >= n) {
        return false;
    }
    const std::size_t end = pos + 3 + d[pos + 2];
    return end < n && d[pos] == FrameStart && d[pos + 1] == command && d[end] == FrameEnd;
}

void scanFrames(ByteView d, std::span<const std::uint8_t> commands,
                const std::function<void(const FoundFrame&)>& handle) {
    const std::size_t n = d.size();
    for (std::size_t p = 0; p < n; ++p) {
        if (d[p] != FrameStart) {
            continue; // cheap reject; frameAt would refuse it too
        }
        for (std::uint8_t c : commands) {
            if (frameAt(d, p, c)) {
                const std::uint8_t len = d[p + 2];
                handle(FoundFrame{p, c, len, d.subspan(p + 3, len), d.subspan(p + 3)});
            }
        }
    }
}

Bytes searchRequest() {
    const std::uint8_t payload[] = {0x00, 0x00};
    return buildFrame(CMD_SEARCH, payload);
}

Bytes readRequest() {
    const std::uint8_t payload[] = {0x00, 0x00};
    return buildFrame(CMD_READ, payload);
}

Bytes readByMacRequest(const Mac& mac) {
    return buildFrame(CMD_READ_BY_MAC, mac);
}

} // namespace protocol
