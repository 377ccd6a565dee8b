#include "fleet/Preflight.h"

#include "fleet/AddressConflicts.h"
#include "fleet/AddressRun.h"
#include "fleet/ParameterNames.h"
#include "fleet/Profile.h"
#include "lang/ExtraTexts.h"
#include "lang/Texts.h"
#include "protocol/Addressing.h"
#include "protocol/Encoding.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <optional>
#include <string_view>
#include <unordered_set>

namespace fleet {

namespace {

std::optional<std::uint32_t> Address(const std::string& text) {
    if (const auto q = ParseAddress(text)) {
        return AddressValue(*q);
    }
    return std::nullopt;
}

bool Contiguous(std::uint32_t mask) {
    const std::uint32_t host = ~mask;
    return (host & (host + 1)) == 0;
}

std::string SubnetText(std::uint32_t address, std::uint32_t mask) {
    return QuadText(AddressOf(address & mask)) + "/" + std::to_string(std::popcount(mask));
}

bool Unusable(std::uint32_t a) {
    return a == 0 || (a >> 24) == 127 || a >= 0xE0000000u;
}

struct LocalNet {
    std::uint32_t address;
    std::uint32_t mask;
};

// "NAME (MAC, IP)", the parts that are known.
std::string CardText(const std::string& name, const std::string& mac, const std::string& ip) {
    std::string ids = mac;
    if (!ip.empty()) {
        ids += ids.empty() ? ip : ", " + ip;
    }
    if (name.empty()) {
        return ids;
    }
    return ids.empty() ? name : name + " (" + ids + ")";
}

} // namespace

PlannedCard PlannedCardOf(const protocol::PanelModel& read, const protocol::PanelModel& sent,
                          const protocol::CardProfile& profile, std::string name) {
    const auto was = ReadParameters(read, profile);
    const auto is = ReadParameters(sent, profile);
    PlannedCard card;
    card.name = std::move(name);
    card.mac = ValueText(was, "card.mac");
    card.ip = ValueText(was, "network.ip");
    const std::string firmware = ValueText(was, "card.firmware");
    const bool number = !firmware.empty() && firmware.size() <= 3 &&
                        std::all_of(firmware.begin(), firmware.end(),
                                    [](unsigned char c) { return std::isdigit(c) != 0; });
    card.version = number ? std::stoi(firmware) : -1;
    card.newIp = ValueText(is, "network.ip");
    card.newMask = ValueText(is, "network.mask");
    card.newGateway = ValueText(is, "network.gateway");
    return card;
}

std::vector<Finding> CheckWrites(const std::vector<PlannedCard>& run,
                                 const std::vector<protocol::DeviceEntry>& found,
                                 const std::vector<LocalSubnet>& local) {
    // The cards as the run leaves them: the found ones outside the run where they are, the
    // run's at their new addresses; who shares an address is then the device list's rule.
    std::unordered_set<std::string> runMacs;
    for (const PlannedCard& card : run) {
        if (!card.mac.empty()) {
            runMacs.insert(protocol::UpperMac(card.mac));
        }
    }
    std::vector<protocol::DeviceEntry> after;
    after.reserve(found.size() + run.size());
    // A card without a MAC is told from every other: unknown is not the same.
    const auto key = [](const std::string& mac, std::string_view side, std::size_t i) {
        return mac.empty() ? "?" + std::string(side) + std::to_string(i) : protocol::UpperMac(mac);
    };
    std::vector<std::size_t> foundIndex; // of each card of `after` before the run's
    for (std::size_t i = 0; i < found.size(); ++i) {
        protocol::DeviceEntry e;
        e.mac = key(found[i].mac, "found", i);
        e.ip = found[i].ip;
        if (!runMacs.contains(e.mac)) {
            after.push_back(std::move(e));
            foundIndex.push_back(i);
        }
    }
    const std::size_t firstOfRun = after.size();
    for (std::size_t i = 0; i < run.size(); ++i) {
        protocol::DeviceEntry e;
        e.mac = key(run[i].mac, "run", i);
        e.ip = Address(run[i].newIp) ? QuadText(*ParseAddress(run[i].newIp)) : std::string();
        after.push_back(std::move(e));
    }
    const AddressConflicts shared(after);

    std::vector<LocalNet> nets;
    std::string netsText;
    for (const LocalSubnet& l : local) {
        const auto a = Address(l.address);
        const auto m = Address(l.mask);
        if (a && m) {
            nets.push_back({*a, *m});
            netsText += (netsText.empty() ? "" : ", ") + SubnetText(*a, *m);
        }
    }

    std::vector<Finding> findings;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const PlannedCard& card = run[i];
        const auto ip = Address(card.newIp);
        if (!ip) {
            continue;
        }
        const bool kept = Address(card.ip) == ip;
        const bool byMac = protocol::AddressedByMac(card.version);
        const auto add = [&](Finding::Kind kind, const std::string& address) -> Finding& {
            Finding f;
            f.kind = kind;
            f.card = i;
            f.address = address;
            findings.push_back(std::move(f));
            return findings.back();
        };

        constexpr std::size_t kNone = AddressConflicts::kAll;
        std::size_t heldBy = kNone;    // in `found`
        std::size_t alsoGiven = kNone; // in `run`
        for (const std::size_t other : shared.othersOf(firstOfRun + i)) {
            if (other < firstOfRun && heldBy == kNone) {
                heldBy = foundIndex[other];
            } else if (other >= firstOfRun && alsoGiven == kNone) {
                alsoGiven = other - firstOfRun;
            }
        }
        if (heldBy != kNone && !(kept && byMac)) {
            const protocol::DeviceEntry& other = found[heldBy];
            Finding& f = add(Finding::Kind::HeldByOtherCard, card.newIp);
            f.otherName = other.name;
            f.otherMac = other.mac;
            f.otherIp = other.ip;
        }
        if (alsoGiven != kNone && !kept) {
            const PlannedCard& other = run[alsoGiven];
            Finding& f = add(Finding::Kind::SameNewIpInRun, card.newIp);
            f.otherName = other.name;
            f.otherMac = other.mac;
            f.otherIp = other.ip;
        }

        const auto mask = Address(card.newMask);
        const bool maskUsable = mask && Contiguous(*mask);
        if (!Unusable(*ip) && maskUsable) {
            if (const auto r = CheckAddressRun(AddressOf(*ip), 1, card.newMask)) {
                const bool network = r->address == r->network;
                Finding& f =
                    add(network ? Finding::Kind::NetworkAddress : Finding::Kind::BroadcastAddress,
                        card.newIp);
                f.subnet = SubnetText(*ip, *mask);
            }
        }
        if (Unusable(*ip)) {
            add(Finding::Kind::UnusableAddress, card.newIp);
        }
        if (mask && !maskUsable) {
            add(Finding::Kind::MaskNotContiguous, card.newMask);
        }
        const auto gateway = Address(card.newGateway);
        if (gateway && *gateway != 0 && maskUsable && (*gateway & *mask) != (*ip & *mask)) {
            add(Finding::Kind::GatewayOutsideSubnet, card.newGateway).subnet =
                SubnetText(*ip, *mask);
        }
        if (!kept && !nets.empty() &&
            std::none_of(nets.begin(), nets.end(), [&](const LocalNet& n) {
                return (n.address & n.mask) == (*ip & n.mask);
            })) {
            Finding& f = add(Finding::Kind::OutsideLocalSubnet, card.newIp);
            f.warning = byMac;
            f.subnet = netsText;
        }
    }
    return findings;
}

bool Refuses(const std::vector<Finding>& findings, bool allowWarnings) {
    return std::any_of(findings.begin(), findings.end(),
                       [allowWarnings](const Finding& f) { return !f.warning || !allowWarnings; });
}

std::string FindingMessage(const Finding& finding, const PlannedCard& card,
                           lang::LanguageId language) {
    using lang::SafetyText;
    const auto say = [language](SafetyText text, std::initializer_list<std::string_view> values) {
        return lang::FillIn(lang::TextOf(language, text), values);
    };
    const std::string other = CardText(finding.otherName, finding.otherMac, finding.otherIp);
    std::string key = "network.ip";
    std::string sentence;
    switch (finding.kind) {
    case Finding::Kind::HeldByOtherCard:
        sentence = say(SafetyText::HeldByOtherCard, {finding.address, other});
        break;
    case Finding::Kind::SameNewIpInRun:
        sentence = say(SafetyText::SameNewIpInRun, {finding.address, other});
        break;
    case Finding::Kind::NetworkAddress:
        sentence = say(SafetyText::NetworkAddress, {finding.address, finding.subnet});
        break;
    case Finding::Kind::BroadcastAddress:
        sentence = say(SafetyText::BroadcastAddress, {finding.address, finding.subnet});
        break;
    case Finding::Kind::UnusableAddress:
        sentence = say(SafetyText::UnusableAddress, {finding.address});
        break;
    case Finding::Kind::MaskNotContiguous:
        key = "network.mask";
        sentence = say(SafetyText::MaskNotContiguous, {finding.address});
        break;
    case Finding::Kind::GatewayOutsideSubnet:
        key = "network.gateway";
        sentence = say(SafetyText::GatewayOutsideSubnet, {finding.address, finding.subnet});
        break;
    case Finding::Kind::OutsideLocalSubnet:
        sentence = say(finding.warning ? SafetyText::OutsideLocalWarning
                                       : SafetyText::OutsideLocalUnreachable,
                       {finding.address, finding.subnet});
        break;
    }
    return lang::ComposeMessage(language, CardText(card.name, card.mac, card.ip), key, sentence);
}

} // namespace fleet
