#pragma once
// The three kinds of request, each sent to where the addressing state says.
// The caller reports a failure ("item_search_device_failed") and stops its timers.

#include "discovery/Endpoint.h"
#include "discovery/QtBytes.h"
#include "protocol/Addressing.h"
#include "protocol/Frame.h"

#include <QString>

namespace discovery {

// `searchAddress` is the search-by-IP text, empty while searching by broadcast.
SendResult sendSearch(Endpoint& endpoint, const QString& searchAddress);
// The read by MAC for a card addressed by MAC, the plain read otherwise.
SendResult sendRead(Endpoint& endpoint, const QString& searchAddress,
                    const protocol::SelectedCard& card);
// `bytes` is the configuration write as composed for `card`.
SendResult sendWrite(Endpoint& endpoint, const QString& searchAddress,
                     const protocol::SelectedCard& card, protocol::ByteView bytes);

} // namespace discovery
