#pragma once
// Turning the host text of a send into an IPv4 address.

#include <QHostAddress>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace discovery {

// Looks a host name up; the real one blocks the calling thread.
using NameLookup = std::function<QList<QHostAddress>(const QString& name)>;
QList<QHostAddress> systemNameLookup(const QString& name);

// Four dot-separated parts, each one or more decimal digits with a value of 0..255.
// Leading zeros are decimal: "010" is 10, never octal.
std::optional<QHostAddress> dottedQuad(const QString& text);

// Four octet edits' texts, each trimmed, joined with dots: what the operator typed, unchecked.
QString joinOctets(const QString& first, const QString& second, const QString& third,
                   const QString& fourth);

// A server domain as the card gets it: plain ASCII byte for byte as typed, any other name in
// its IDNA "xn--" form (UTS #46 mapping: case, full-width letters, "ß" kept). A name that has
// no such form comes back unchanged, and the write refuses it.
std::string DomainOnTheWire(std::string_view text);
// The other way: a domain as a card reports it, shown with its "xn--" labels in Unicode; any
// other text, and a label that does not decode, as it came.
std::string DomainAsShown(std::string_view wire);

// "LOCALHOST" in any letter case is 127.0.0.1; a dotted quad is taken as it is; any other text
// goes to `lookup`, whose first IPv4 answer counts. Nullopt when nothing usable comes back.
std::optional<QHostAddress> resolveHost(const QString& text, const NameLookup& lookup);

} // namespace discovery
