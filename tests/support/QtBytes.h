#pragma once
// hex() for the Qt tests: the one parser of Bytes.h, its bytes as a QByteArray.

#include "support/Bytes.h"

#include <QByteArray>
#include <string_view>

namespace testsupport::qt {

inline QByteArray hex(std::string_view text) {
    const Bytes bytes = testsupport::hex(text);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

} // namespace testsupport::qt
