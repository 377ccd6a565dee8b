#include "net/AdapterList.h"

#include "Fakes.h"
#include "Suites.h"
#include "support/RecordingMessageBoxes.h"

#include <QTest>

namespace net::test {

class AdapterListTest : public QObject {
    Q_OBJECT

private slots:
    void macToText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QByteArray() << QString();
        QTest::newRow("one") << QByteArray::fromHex("0F") << QStringLiteral("0F");
        QTest::newRow("six") << kMacA << QStringLiteral("00-1A-2B-3C-4D-5E");
        QTest::newRow("eight") << QByteArray::fromHex("FFfe000102030405")
                               << QStringLiteral("FF-FE-00-01-02-03-04-05");
    }
    void macToText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(MacToText(bytes), text);
    }

    void macToTextTakesOnlyCountBytes() {
        const unsigned char bytes[] = {0xAB, 0xCD, 0xEF};
        QCOMPARE(MacToText(bytes, 2), QStringLiteral("AB-CD"));
        QCOMPARE(MacToText(bytes, 0), QString());
        QCOMPARE(MacToText(kMacA).size(), 17);
    }

    void splitText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QStringList>("pieces");
        const QString cr = QStringLiteral("\r");
        QTest::newRow("two") << QStringLiteral("a\rb") << cr << QStringList{"a", "b"};
        QTest::newRow("leading") << QStringLiteral("\ra") << cr << QStringList{"a"};
        QTest::newRow("doubled") << QStringLiteral("a\r\rb") << cr << QStringList{"a", "b"};
        QTest::newRow("trailing") << QStringLiteral("a\rb\r") << cr << QStringList{"a", "b"};
        QTest::newRow("only separators") << QStringLiteral("\r\r\r") << cr << QStringList{};
        QTest::newRow("empty") << QString() << cr << QStringList{};
        QTest::newRow("no separator") << QStringLiteral("abc") << cr << QStringList{"abc"};
        QTest::newRow("dots") << QStringLiteral("10.0.0.1.7") << QStringLiteral(".")
                              << QStringList{"10", "0", "0", "1", "7"};
        QTest::newRow("long separator")
            << QStringLiteral("a--b---c") << QStringLiteral("--") << QStringList{"a", "b", "-c"};
        QTest::newRow("empty separator")
            << QStringLiteral("a\rb") << QString() << QStringList{"a\rb"};
    }
    void splitText() {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(QStringList, pieces);
        QCOMPARE(SplitText(text, separator), pieces);
    }

    void addressListText() {
        QCOMPARE(AddressListText({Ip("10.0.0.2", "255.0.0.0"), Ip("10.0.0.3", "255.255.0.0")}),
                 QStringLiteral("A: 10.0.0.2 M: 255.0.0.0\rA: 10.0.0.3 M: 255.255.0.0\r"));
        QCOMPARE(AddressListText({}), QString());
    }

    void oneEntryPerAddressInPlatformOrder() {
        const QList<TAdapterInfo> expected{
            {"Ethernet", "192.168.1.10", "00-1A-2B-3C-4D-5E"},
            {"Wi-Fi", "10.0.0.2", "A0-B1-C2-D3-E4-F5"},
            {"Wi-Fi", "10.0.0.3", "A0-B1-C2-D3-E4-F5"},
        };
        QCOMPARE(AdaptersFromInterfaces(ThreeAddresses()), expected);
    }

    void threeAddressesShareDescriptionAndMac() {
        const auto list = AdaptersFromInterfaces(
            {Adapter("Intel(R) Ethernet", kMacB, {Ip("1.1.1.1"), Ip("2.2.2.2"), Ip("3.3.3.3")})});
        QCOMPARE(list.size(), 3);
        for (const TAdapterInfo& entry : list) {
            QCOMPARE(entry.Description, QStringLiteral("Intel(R) Ethernet"));
            QCOMPARE(entry.MacAddress, QStringLiteral("A0-B1-C2-D3-E4-F5"));
        }
        QCOMPARE(list[0].IPAddress, QStringLiteral("1.1.1.1"));
        QCOMPARE(list[2].IPAddress, QStringLiteral("3.3.3.3"));
    }

    void interfacesWithoutAnAddress() {
        const auto list = AdaptersFromInterfaces({
            Adapter("up, no address", {}, {}),
            Adapter("down, no address", kMacA, {}, QNetworkInterface::CanBroadcast),
            Adapter("down, with address", kMacA, {Ip("172.16.0.1")},
                    QNetworkInterface::CanBroadcast),
        });
        const QList<TAdapterInfo> expected{
            {"up, no address", "0.0.0.0", ""},
            {"down, with address", "172.16.0.1", "00-1A-2B-3C-4D-5E"},
        };
        QCOMPARE(list, expected);
    }

    void failureShowsTheFixedMessageAndGivesAnEmptyList() {
        testsupport::RecordingMessageBoxes boxes;
        platform::ScopedMessageBoxes scopedBoxes(boxes);
        {
            ScopedInterfaceSource source([] { return std::optional<QList<InterfaceRecord>>(); });
            QVERIFY(EnumerateAdapters().isEmpty());
        }
        {
            ScopedInterfaceSource source([]() -> std::optional<QList<InterfaceRecord>> {
                throw std::runtime_error("platform failure");
            });
            QVERIFY(EnumerateAdapters().isEmpty());
        }
        const QString fixed =
            QStringLiteral("由于网卡比较多导致加载网卡列表失败！请禁用掉无用的网卡再试！");
        QCOMPARE(boxes.texts, (QStringList{fixed, fixed}));
    }

    void noAdapterBesideLoopbackIsNoFailure() {
        testsupport::RecordingMessageBoxes boxes;
        platform::ScopedMessageBoxes scopedBoxes(boxes);
        ScopedInterfaceSource source([] {
            return std::optional<QList<InterfaceRecord>>(
                {Adapter("lo", {}, {Ip("127.0.0.1")}, QNetworkInterface::IsLoopBack)});
        });
        QVERIFY(EnumerateAdapters().isEmpty());
        QVERIFY(boxes.texts.isEmpty());
    }

    void scopedSourceIsRestored() {
        ScopedInterfaceSource outer([] { return std::optional(OneAddress()); });
        {
            ScopedInterfaceSource inner([] { return std::optional(ThreeAddresses()); });
            QCOMPARE(EnumerateAdapters().size(), 3);
        }
        QCOMPARE(EnumerateAdapters().size(), 1);
    }

    void realInterfacesNeverGiveLoopbackEntries() {
#ifdef Q_OS_WIN
        QSKIP("IP Helper's report has no loopback adapter; the Windows test bed checks the list");
#endif
        // Reads the machine's interfaces; sends nothing.
        const auto interfaces = SystemInterfaces();
        QVERIFY(interfaces.has_value());
        bool sawLoopback = false;
        for (const InterfaceRecord& itf : *interfaces) {
            sawLoopback = sawLoopback || itf.flags.testFlag(QNetworkInterface::IsLoopBack);
        }
        QVERIFY(sawLoopback);
        for (const TAdapterInfo& entry : AdaptersFromInterfaces(*interfaces)) {
            QVERIFY(!entry.IPAddress.startsWith(QStringLiteral("127.")));
            QVERIFY(entry.MacAddress.isEmpty() || entry.MacAddress.size() % 3 == 2);
        }
    }
};

QObject* MakeAdapterListTest() {
    return new AdapterListTest;
}

} // namespace net::test

#include "AdapterListTest.moc"
