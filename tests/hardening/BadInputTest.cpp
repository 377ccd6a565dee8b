// Every numeric field of the panel with what an operator may paste into it: letters, twenty
// digits, a sign, values one past what its frame carries, blanks, nothing. Each press of the
// submit button must end in one message that names the field, and nothing may be sent.

#include "PanelFixture.h"
#include "lang/Catalogue.h"
#include "support/FakeEndpoint.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/MainWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using protocol::Edit;

namespace {

enum class Expect { NotANumber, OutOfRange, Empty, Accepted };

struct Field {
    Edit edit;
    const char* name;
    int max;
    int offset; // of its first byte in the 86-byte write
};

// The 86-byte write by IP: display block from byte 3 (width at 5, height at 7), then the IP,
// mask, gateway and server IP payloads at 24, 32, 40 and 48, the port at 56, DNS at 77.
const Field kFields[] = {
    {Edit::PLen, "edtPLen", 65535, 5},    {Edit::PHeight, "edtPHeight", 65535, 7},
    {Edit::IP1, "edtIP1", 255, 24},       {Edit::IP2, "edtIP2", 255, 25},
    {Edit::IP3, "edtIP3", 255, 26},       {Edit::IP4, "edtIP4", 255, 27},
    {Edit::C1, "edtC1", 255, 32},         {Edit::C2, "edtC2", 255, 33},
    {Edit::C3, "edtC3", 255, 34},         {Edit::C4, "edtC4", 255, 35},
    {Edit::Gate1, "edtGate1", 255, 40},   {Edit::Gate2, "edtGate2", 255, 41},
    {Edit::Gate3, "edtGate3", 255, 42},   {Edit::Gate4, "edtGate4", 255, 43},
    {Edit::DIP1, "edtDIP1", 255, 48},     {Edit::DIP2, "edtDIP2", 255, 49},
    {Edit::DIP3, "edtDIP3", 255, 50},     {Edit::DIP4, "edtDIP4", 255, 51},
    {Edit::DPort, "edtDPort", 65535, 56}, {Edit::DNS1, "edtDNS1", 255, 77},
    {Edit::DNS2, "edtDNS2", 255, 78},     {Edit::DNS3, "edtDNS3", 255, 79},
    {Edit::DNS4, "edtDNS4", 255, 80},
};

} // namespace

class BadInputTest : public QObject {
    Q_OBJECT

    testsupport::FakeEndpoint fake_;
    testsupport::RecordingMessageBoxes boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> boxesGuard_;
    std::unique_ptr<ui::MainWindow> w_;

    void pasteInto(QLineEdit* edit, const QString& text) {
        // What the edit's own context menu does: no key event, so no digit filter.
        QGuiApplication::clipboard()->setText(text);
        edit->selectAll();
        edit->paste();
        if (text.isEmpty()) {
            edit->clear(); // pasting nothing changes nothing
        }
    }

private slots:
    void initTestCase() {
        boxesGuard_ = std::make_unique<platform::ScopedMessageBoxes>(boxes_);
        lang::ResetGlobalCatalogues();
        ui::MainWindow::NetworkHooks hooks;
        hooks.endpoint = &fake_;
        hooks.lookupLocalAddress = [] { return u"192.168.1.10"_qs; };
        hooks.showAdapterDialog = [](net::AdapterDialog&) {};
        w_ = std::make_unique<ui::MainWindow>(nullptr, hooks);
        w_->setUserLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        // DHCP 1: the DNS octets travel too, and are checked.
        w_->setSettingsHooks({[](settings::AppSettings& values) {
                                  values.LgType = 2;
                                  values.DHCP = 1;
                              },
                              {}});
        w_->show();
        // The card is chosen and read, as a double click does: its read is what a write backs
        // up.
        w_->appendDeviceRows({{1, "LED", "00:1A:2B:3C:4D:5E", "192.168.1.100", 53}});
        w_->selectDeviceRow(0);
        w_->lvModListDblClick();
        fake_.sent.clear();
        const auto reply = PanelFixture::fullReply();
        fake_.deliver(QByteArray(reinterpret_cast<const char*>(reply.data()),
                                 static_cast<qsizetype>(reply.size())));
        QCOMPARE(w_->panel()[Edit::IP4]->text(), u"100"_qs);
        QVERIFY(w_->panel()[Edit::DNS1]->isEnabled());
        QVERIFY(boxes_.texts.isEmpty());
        QVERIFY(fake_.sent.empty());
    }

    void cleanupTestCase() {
        w_.reset();
        boxesGuard_.reset();
    }

    void pastedTextIsRefusedWithAMessage_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expect");
        for (int i = 0; i < int(std::size(kFields)); ++i) {
            const Field& f = kFields[i];
            const bool octet = f.max == 255;
            const auto row = [&](const char* what, const QString& text, Expect e) {
                QTest::addRow("%s %s", f.name, what) << i << text << int(e);
            };
            row("letters", u"abc"_qs, Expect::NotANumber);
            row("digits and letters", u"12a"_qs, Expect::NotANumber);
            row("20 digits", u"12345678901234567890"_qs, Expect::OutOfRange);
            row("20 nines", u"99999999999999999999"_qs, Expect::OutOfRange);
            row("plus", u"+1"_qs, Expect::NotANumber);
            row("minus", u"-1"_qs, Expect::NotANumber);
            row("minus zero", u"-0"_qs, Expect::NotANumber);
            row("256", u"256"_qs, octet ? Expect::OutOfRange : Expect::Accepted);
            row("65536", u"65536"_qs, Expect::OutOfRange);
            row("4294967296", u"4294967296"_qs, Expect::OutOfRange);
            row("blanks", u"   "_qs, Expect::NotANumber);
            row("blank before", u" 1"_qs, Expect::NotANumber);
            row("blank after", u"1 "_qs, Expect::NotANumber);
            row("tab", u"\t"_qs, Expect::NotANumber);
            row("full-width digits", u"\uFF11\uFF12"_qs, Expect::NotANumber);
            row("nothing", QString(), Expect::Empty);
            row("largest", QString::number(f.max), Expect::Accepted);
        }
    }

    void pastedTextIsRefusedWithAMessage() {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(int, expect);
        const Field& f = kFields[field];
        QLineEdit* edit = w_->panel()[f.edit];
        QCOMPARE(edit->objectName(), QLatin1String(f.name));
        const QString original = edit->text();
        const QString caption = w_->captionFor(f.edit);
        QVERIFY(!caption.isEmpty());

        boxes_.texts.clear();
        boxes_.questions.clear();
        // An address the checks before a write find unusable (255 in an octet) is the
        // operator's to allow: Yes.
        boxes_.answers = {true};
        fake_.sent.clear();
        pasteInto(edit, text);
        QCOMPARE(edit->text(), text);
        w_->findChild<QPushButton*>(u"btSend"_qs)->click();
        // The write cycle of an accepted write must not run into the next row.
        w_->tDelay()->stop();
        w_->setWriteBusy(false);
        edit->setText(original);

        switch (Expect(expect)) {
        case Expect::Accepted: {
            QVERIFY2(boxes_.texts == boxes_.questions, qPrintable(boxes_.texts.join(u'\n')));
            QCOMPARE(int(fake_.sent.size()), 1);
            const QByteArray& bytes = fake_.sent.front().bytes;
            QCOMPARE(bytes.size(), 86);
            const quint32 value = text.toUInt();
            if (f.max == 65535) {
                QCOMPARE(quint8(bytes[f.offset]), quint8(value >> 8));
                QCOMPARE(quint8(bytes[f.offset + 1]), quint8(value & 0xFF));
            } else {
                QCOMPARE(quint8(bytes[f.offset]), quint8(value));
            }
            return;
        }
        case Expect::Empty:
            QCOMPARE(boxes_.texts, QStringList{w_->catalogueText(lang::Lookup::Messages,
                                                                 "item_information_empty")});
            break;
        case Expect::NotANumber:
            QCOMPARE(boxes_.texts.size(), 1);
            // Names the field and quotes what it holds.
            QVERIFY2(boxes_.texts[0].startsWith(caption), qPrintable(boxes_.texts[0]));
            QVERIFY2(boxes_.texts[0].contains(u'"' + text + u'"'), qPrintable(boxes_.texts[0]));
            break;
        case Expect::OutOfRange:
            QCOMPARE(boxes_.texts.size(), 1);
            // Names the field and the values it takes.
            QVERIFY2(boxes_.texts[0].startsWith(caption), qPrintable(boxes_.texts[0]));
            QVERIFY2(boxes_.texts[0].contains(QStringLiteral(" 0 and %1").arg(f.max)),
                     qPrintable(boxes_.texts[0]));
            break;
        }
        QVERIFY2(fake_.sent.empty(), "a refused write went out");
        QVERIFY(fake_.refused.empty());
        QVERIFY(!w_->tDelay()->isActive());
    }

    void typedLettersAndThePasteShortcutInsertNothing() {
        for (const Field& f : kFields) {
            QLineEdit* edit = w_->panel()[f.edit];
            const QString original = edit->text();
            QGuiApplication::clipboard()->setText(u"abc"_qs);
            edit->setFocus();
            edit->end(false);
            QTest::keyClicks(edit, u"a+- ."_qs);
            // Ctrl+V types a control character, which is swallowed; Shift+Insert types none and
            // pastes as usual, so it is not one of these.
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(edit->text(), original);
        }
    }

    // After all of the above, the untouched panel still writes: the refusals were the input's.
    void theRestoredPanelWrites() {
        boxes_.texts.clear();
        fake_.sent.clear();
        w_->findChild<QPushButton*>(u"btSend"_qs)->click();
        w_->tDelay()->stop();
        w_->setWriteBusy(false);
        QVERIFY2(boxes_.texts.isEmpty(), qPrintable(boxes_.texts.join(u'\n')));
        QCOMPARE(int(fake_.sent.size()), 1);
        QCOMPARE(fake_.sent.front().bytes.size(), 86);
    }
};

QTEST_MAIN(BadInputTest)
#include "BadInputTest.moc"
