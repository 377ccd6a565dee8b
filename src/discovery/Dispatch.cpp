#include "discovery/Dispatch.h"

#include "protocol/Frame.h"

namespace discovery {

DatagramKind classifyDatagram(qsizetype size) {
    return size >= static_cast<qsizetype>(protocol::ParameterReplyMinSize)
               ? DatagramKind::ParameterReply
               : DatagramKind::SearchAnswer;
}

} // namespace discovery
