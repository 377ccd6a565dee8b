#pragma once

#include "protocol/Panel.h"
#include "protocol/ScanModeTable.h"
#include "support/Bytes.h"

// A panel as the window has it after the language was applied, and a full reply written out
// frame by frame.
struct PanelFixture {
    protocol::PanelModel panel;
    protocol::ScanModeTable scan;
    protocol::CardProfile profile;

    PanelFixture() {
        scan.Build("静态扫描");
        panel.SetRuntimeCounts(3);
    }

    static std::vector<std::uint8_t> domainFrame(const std::string& text) {
        std::vector<std::uint8_t> payload(64, 0);
        std::copy(text.begin(), text.end(), payload.begin());
        return testsupport::cat({testsupport::hex("A1 16 40"), payload, testsupport::hex("FF")});
    }

    // MAC 00:1A:2B:3C:4D:5E, IP 192.168.1.100, mask 255.255.255.0, gateway 192.168.1.1,
    // server 192.168.1.2:8800, flags 0x0C, DNS 8.8.8.8, version 54, inner code 0A FF 00 ..05.
    static std::vector<std::uint8_t> fullReply(std::uint8_t flags = 0x0C,
                                               const std::string& domain = "led.example.com") {
        using testsupport::hex;
        auto flagsFrame = hex("A1 19 01 00 FF");
        flagsFrame[3] = flags;
        return testsupport::cat({
            hex("A1 04 06 00 1A 2B 3C 4D 5E FF"),
            hex("A1 05 04 C0 A8 01 64 FF"),
            hex("A1 06 04 FF FF FF 00 FF"),
            hex("A1 07 04 C0 A8 01 01 FF"),
            domainFrame(domain),
            hex("A1 17 04 C0 A8 01 02 FF"),
            hex("A1 18 02 22 60 FF"),
            flagsFrame,
            hex("A1 1A 08 08 08 08 08 00 00 00 00 FF"),
            hex("A1 20 01 36 FF"),
            // scan 1, OE 1, 640 x 480, colour 3, day 0, night 7, data 01, 485 addr 5,
            // comm 33, baud 44, rate 22, trans 00, clock/content 21, empty/row 1F
            hex("A1 21 11 01 01 02 80 01 E0 03 00 07 01 05 33 44 22 00 21 1F FF"),
            hex("A1 22 08 0A FF 00 01 02 03 04 05 FF"),
        });
    }
};
