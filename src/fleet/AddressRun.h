#pragma once
// Sequential addresses for a run of cards ("--ip-from", "Sequential IP addresses from"): the
// one rule of which address card n gets and which runs are refused before anything is sent.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace fleet {

using Quad = std::array<std::uint8_t, 4>;

// An address as the number it stands for, and back: the one conversion the address rules use.
std::uint32_t AddressValue(const Quad& address);
Quad AddressOf(std::uint32_t value);

// Card n of a run from `first` gets first + n.
Quad NthAddress(const Quad& first, std::size_t n);
std::string QuadText(const Quad& address);

struct AddressRunRefusal {
    enum class Reason : std::uint8_t {
        PastTheEnd,         // the run would go past 255.255.255.255
        NetworkOrBroadcast, // the run would hand out its subnet's network or broadcast address
    };
    Reason reason = Reason::PastTheEnd;
    Quad address{}; // NetworkOrBroadcast: the first address that cannot be given
    Quad network{}; // NetworkOrBroadcast: the network address of its subnet
};

// Whether `count` cards can take the addresses from `first` on under `mask` (a dotted quad; an
// empty or unreadable mask is not checked, and a /31 or /32 has no address to avoid).
std::optional<AddressRunRefusal> CheckAddressRun(const Quad& first, std::size_t count,
                                                 const std::string& mask);

} // namespace fleet
