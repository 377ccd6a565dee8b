#pragma once
// Answers are told apart by size alone, before any frame is looked at.

#include <QByteArray>

namespace discovery {

enum class DatagramKind { SearchAnswer, ParameterReply };

// 171 bytes or more: a parameter reply; anything shorter, an empty datagram included, is a
// search answer.
DatagramKind classifyDatagram(qsizetype size);
inline DatagramKind classifyDatagram(const QByteArray& datagram) {
    return classifyDatagram(datagram.size());
}

} // namespace discovery
