// Search answers from anyone on the network: decode, list without duplicates, never read past
// the datagram. The list is kept across inputs so duplicates and long lists are exercised.

#include "protocol/SearchAnswer.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void require(bool ok) {
    if (!ok) {
        std::abort();
    }
}

bool isDottedQuad(const std::string& ip) {
    int parts = 0, digits = 0, value = 0;
    for (char ch : ip) {
        if (ch == '.') {
            require(digits > 0);
            ++parts;
            digits = value = 0;
        } else {
            require(ch >= '0' && ch <= '9');
            value = value * 10 + (ch - '0');
            ++digits;
            require(value <= 255 && digits <= 3);
        }
    }
    return parts == 3 && digits > 0;
}

protocol::FoundCards g_found;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 171) {
        return 0; // that is a parameter reply, not a search answer
    }
    const auto a = protocol::DecodeSearchAnswer({data, size});
    require(!a.name.empty());
    require(a.name == "unknown" || a.name.find("QZT") == std::string::npos);
    require(static_cast<unsigned char>(a.name.front()) > 32);
    require(static_cast<unsigned char>(a.name.back()) > 32);
    require(a.mac.empty() || a.mac.size() == 17);
    require(a.ip.empty() || isDottedQuad(a.ip));
    require(a.version >= 0 && a.version <= 255);

    const std::size_t before = g_found.size();
    const auto added = g_found.add(a);
    require(g_found.size() == before + (added ? 1 : 0));
    if (added) {
        require(added->number == static_cast<int>(g_found.size()));
        require(g_found.firstWithMac(a.mac) != nullptr);
    } else {
        require(!g_found.add(a).has_value());
    }
    if (g_found.size() > 20000) {
        g_found.clear();
    }
    return 0;
}
