#include "fleet/AddressRun.h"

#include "fleet/Profile.h"

namespace fleet {

std::uint32_t AddressValue(const Quad& address) {
    return std::uint32_t(address[0]) << 24 | std::uint32_t(address[1]) << 16 |
           std::uint32_t(address[2]) << 8 | address[3];
}

Quad AddressOf(std::uint32_t value) {
    return {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8),
            std::uint8_t(value)};
}

Quad NthAddress(const Quad& first, std::size_t n) {
    return AddressOf(static_cast<std::uint32_t>(AddressValue(first) + n));
}

std::string QuadText(const Quad& a) {
    return std::to_string(a[0]) + '.' + std::to_string(a[1]) + '.' + std::to_string(a[2]) + '.' +
           std::to_string(a[3]);
}

std::optional<AddressRunRefusal> CheckAddressRun(const Quad& first, std::size_t count,
                                                 const std::string& mask) {
    if (count == 0) {
        return std::nullopt;
    }
    const std::uint64_t start = AddressValue(first);
    if (start + count - 1 > 0xFFFFFFFFull) {
        return AddressRunRefusal{AddressRunRefusal::Reason::PastTheEnd, {}, {}};
    }
    const auto m = ParseAddress(mask);
    if (!m) {
        return std::nullopt;
    }
    const std::uint32_t maskValue = AddressValue(*m);
    const std::uint32_t host = ~maskValue;
    if (host <= 1) {
        return std::nullopt;
    }
    for (std::size_t n = 0; n < count; ++n) {
        const auto a = static_cast<std::uint32_t>(start + n);
        if ((a & host) == 0 || (a & host) == host) {
            return AddressRunRefusal{AddressRunRefusal::Reason::NetworkOrBroadcast, AddressOf(a),
                                     AddressOf(a & maskValue)};
        }
    }
    return std::nullopt;
}

} // namespace fleet
