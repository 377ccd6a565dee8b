#pragma once
// The tool side of the bed as the main window's adapter list sees it.

#include "NetBed.h"
#include "net/LGetAdapterInfo.h"

namespace testbed {

// The veth with the tool's address: the one adapter the window may choose in the bed.
inline net::InterfaceRecord ToolVeth(const NetBed& bed) {
    return {QStringLiteral("veth"),
            QByteArray::fromHex("024c43000001"),
            QNetworkInterface::IsUp | QNetworkInterface::IsRunning,
            {{bed.toolAddress(), QStringLiteral("255.255.255.0")}}};
}

} // namespace testbed
