#pragma once
// Datagram bytes as Qt holds them and as the protocol reads and writes them.

#include "protocol/Frame.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace discovery {

inline QByteArray toByteArray(protocol::ByteView bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// A view of `bytes` without a copy, valid while they live unchanged.
inline protocol::ByteView toByteView(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}
// A temporary is gone before its view is read.
protocol::ByteView toByteView(QByteArray&&) = delete;

} // namespace discovery
