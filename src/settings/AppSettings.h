#pragma once
// The nine values of "SysCfg.ini", each named by its key.

#include "protocol/Panel.h"

#include <QString>

namespace settings {

struct AppSettings {
    int LgType = 0;
    QString DeviceType;
    int CardColor = 3;
    QString DNS;
    QString DomainName;
    int SearchTimes = 20;
    QString ServerIP; // the local address the endpoint binds to
    bool IsShowMulNetCard = true;
    int DHCP = 0;

    // The part of the profile that changes encodings.
    protocol::CardProfile cardProfile() const {
        return {DHCP, CardColor, DNS.toStdString(), DomainName.toStdString()};
    }
    // A search sends at least one request and counts down at least one second.
    int effectiveSearchTimes() const { return SearchTimes < 1 ? 1 : SearchTimes; }
};

} // namespace settings
