#pragma once
// Card answers written out frame by frame, for the tests of the engine, ledcardctl and the
// window's several-cards dialog.

#include "support/QtBytes.h"

#include <QByteArray>
#include <string>

namespace testsupport {

// A full parameter reply, 171 bytes, twelve frames. Defaults: MAC 00:1A:2B:00:00:01, IP
// 192.168.1.100, mask 255.255.255.0, gateway 192.168.1.1, no domain, server 192.168.1.200:8800,
// flags 0C (server by IP), firmware 60, scan code 01, OE 1, 128 x 64, one colour, day 0,
// night 3, RS-485 address 1, 9600 Bd, adaptive speed, 12 MHz.
struct ReplyFields {
    std::string mac = "00 1A 2B 00 00 01";
    std::string ip = "C0 A8 01 64";
    std::string mask = "FF FF FF 00";
    std::string gateway = "C0 A8 01 01";
    std::string server = "C0 A8 01 C8";
    std::string port = "22 60";
    std::string flags = "0C";
    std::string version = "3C";
    std::string display = "01 01 00 80 00 40 01 00 03 00 01 00 00 33 00 00 00";
    QByteArray domain; // up to 64 bytes
};

inline QByteArray parameterReply(const ReplyFields& f = {}) {
    using qt::hex;
    QByteArray d;
    d += hex("A1 04 06") + hex(f.mac) + hex("FF");
    d += hex("A1 05 04") + hex(f.ip) + hex("FF");
    d += hex("A1 06 04") + hex(f.mask) + hex("FF");
    d += hex("A1 07 04") + hex(f.gateway) + hex("FF");
    d += hex("A1 16 40") + f.domain.leftJustified(64, '\0', true) + hex("FF");
    d += hex("A1 17 04") + hex(f.server) + hex("FF");
    d += hex("A1 18 02") + hex(f.port) + hex("FF");
    d += hex("A1 19 01") + hex(f.flags) + hex("FF");
    d += hex("A1 1A 08 00 00 00 00 00 00 00 00 FF");
    d += hex("A1 20 01") + hex(f.version) + hex("FF");
    d += hex("A1 21 11") + hex(f.display) + hex("FF");
    d += hex("A1 22 08 4C 45 44 00 00 00 00 01 FF");
    return d;
}

inline QByteArray parameterReply(std::string mac, std::string ip = "C0 A8 01 64",
                                 std::string version = "3C") {
    ReplyFields f;
    f.mac = std::move(mac);
    f.ip = std::move(ip);
    f.version = std::move(version);
    return parameterReply(f);
}

// A search answer: name (up to 255 bytes), MAC, IP and version frames.
inline QByteArray searchAnswer(const std::string& mac, const std::string& ip,
                               const std::string& version = "3C", const QByteArray& name = "LED") {
    using qt::hex;
    return hex("A1 02") + char(name.size()) + name + hex("FF") + hex("A1 04 06") + hex(mac) +
           hex("FF") + hex("A1 05 04") + hex(ip) + hex("FF") + hex("A1 20 01") + hex(version) +
           hex("FF");
}

} // namespace testsupport
