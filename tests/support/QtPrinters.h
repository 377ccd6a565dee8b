#pragma once
// Readable GTest failure messages for the Qt types these tests compare.

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& b, std::ostream* os) {
    *os << b.toHex(' ').toUpper().toStdString();
}
inline void PrintTo(const QHostAddress& a, std::ostream* os) {
    *os << a.toString().toStdString();
}
