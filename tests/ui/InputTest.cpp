// Input rules of the panel (digit filter, DNS row) and the panel mirror.

#include "StartedWindow.h"
#include "support/RecordingMessageBoxes.h"
#include "ui/DigitFilter.h"
#include "ui/PanelBinding.h"
#include "ui/RadioGroup.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

using namespace uitest;
using namespace Qt::StringLiterals;

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const char* const kDnsEdits[] = {"edtDNS1", "edtDNS2", "edtDNS3", "edtDNS4"};
const char* const kNumericEdits[] = {
    "edtPLen", "edtPHeight", "edtIP1",   "edtIP2",   "edtIP3",   "edtIP4",   "edtC1",   "edtC2",
    "edtC3",   "edtC4",      "edtGate1", "edtGate2", "edtGate3", "edtGate4", "edtDIP1", "edtDIP2",
    "edtDIP3", "edtDIP4",    "edtDNS1",  "edtDNS2",  "edtDNS3",  "edtDNS4",  "edtDPort"};

} // namespace

class InputTest : public QObject {
    Q_OBJECT

    testsupport::RecordingMessageBoxes boxes_;
    std::unique_ptr<platform::ScopedMessageBoxes> scoped_;

    // Window with the DNS section shown, on screen so the operator's clicks reach it.
    std::unique_ptr<ui::MainWindow> shownWindow(int lgType = 2) {
        Profile profile;
        profile.dhcp = 1;
        profile.lgType = lgType;
        auto w = StartedWindow(profile);
        w->show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(w.get())); }();
        return w;
    }

    void expectDnsRow(ui::MainWindow* w, bool manual, const QString& caption) {
        QCOMPARE(Find<QCheckBox>(w, "cbDNSAddr")->isChecked(), manual);
        QCOMPARE(Find<QCheckBox>(w, "cbDNSAddr")->text(), caption);
        for (const char* name : kDnsEdits) {
            auto* edit = Find<QLineEdit>(w, name);
            QVERIFY2(edit->isEnabled() == manual, name);
            const QPalette::ColorGroup group = manual ? QPalette::Active : QPalette::Disabled;
            QCOMPARE(edit->palette().color(group, QPalette::Base), manual ? kWhite : kSilver);
        }
    }

private slots:
    void init() { scoped_ = std::make_unique<platform::ScopedMessageBoxes>(boxes_); }
    void cleanup() { scoped_.reset(); }

    void filterKeepsOnlyDigitsAndBackspace() {
        for (char16_t c = 0; c < 0x3000; ++c) {
            QChar key(c);
            ui::FilterDigit(key);
            const bool kept = c == 8 || (c >= u'0' && c <= u'9');
            QVERIFY2(key == (kept ? QChar(c) : QChar()), qPrintable(QString::number(c)));
        }
    }

    void numericEditsTakeDigitsOnly_data() {
        QTest::addColumn<QString>("edit");
        for (const char* name : {"edtPLen", "edtPHeight", "edtIP1", "edtC4", "edtGate2", "edtDIP3",
                                 "edtDNS1", "edtDNS4", "edtDPort"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }
    void numericEditsTakeDigitsOnly() {
        QFETCH(QString, edit);
        auto w = shownWindow();
        auto* field = w->findChild<QLineEdit*>(edit);
        field->setFocus();
        QTest::keyClicks(field, u"1a-2. 3Z"_s);
        QCOMPARE(field->text(), u"123"_s);
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->text(), u"12"_s);
        QTest::keyClicks(field, u"999"_s); // no range check while typing
        QCOMPARE(field->text(), u"12999"_s);

        QApplication::clipboard()->setText(u"77"_s);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), u"12999"_s);
        // Undo and cut are swallowed as well: Ctrl+Z would take the digits back out.
        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(field->text(), u"12999"_s);
    }

    // Each key as X11 (xkbcommon) and Windows deliver it, sent to every numeric edit holding
    // "123" (typed "12" then "3", so there is one step to undo) with "45" on the clipboard.
    // Delete and Shift+Delete carry the text U+007F but type nothing; Ctrl+letter carries its
    // control character; the Insert combinations carry no text at all.
    void keysAsThePlatformsDeliverThem_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor"); // -1: all three digits selected
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("clipboard");
        const int none = Qt::NoModifier;
        const int ctrl = Qt::ControlModifier;
        const int shift = Qt::ShiftModifier;
        QTest::newRow("Delete at the start")
            << int(Qt::Key_Delete) << none << u"\x7f"_s << 0 << u"23"_s << false << u"45"_s;
        QTest::newRow("Delete in the middle")
            << int(Qt::Key_Delete) << none << u"\x7f"_s << 1 << u"13"_s << false << u"45"_s;
        QTest::newRow("Delete at the end")
            << int(Qt::Key_Delete) << none << u"\x7f"_s << 3 << u"123"_s << false << u"45"_s;
        QTest::newRow("Delete over a selection")
            << int(Qt::Key_Delete) << none << u"\x7f"_s << -1 << u""_s << false << u"45"_s;
        QTest::newRow("Backspace")
            << int(Qt::Key_Backspace) << none << u"\b"_s << 3 << u"12"_s << false << u"45"_s;
        QTest::newRow("Shift+Delete cuts")
            << int(Qt::Key_Delete) << shift << u"\x7f"_s << -1 << u""_s << false << u"123"_s;
        QTest::newRow("Ctrl+Insert copies")
            << int(Qt::Key_Insert) << ctrl << QString() << -1 << u"123"_s << true << u"123"_s;
        QTest::newRow("Shift+Insert pastes")
            << int(Qt::Key_Insert) << shift << QString() << 1 << u"14523"_s << false << u"45"_s;
        QTest::newRow("digit") << int(Qt::Key_7) << none << u"7"_s << 3 << u"1237"_s << false
                               << u"45"_s;
        QTest::newRow("letter") << int(Qt::Key_A) << none << u"a"_s << 3 << u"123"_s << false
                                << u"45"_s;
        QTest::newRow("dot") << int(Qt::Key_Period) << none << u"."_s << 3 << u"123"_s << false
                             << u"45"_s;
        QTest::newRow("Enter") << int(Qt::Key_Return) << none << u"\r"_s << 3 << u"123"_s << false
                               << u"45"_s;
        QTest::newRow("Ctrl+C swallowed")
            << int(Qt::Key_C) << ctrl << u"\x03"_s << -1 << u"123"_s << true << u"45"_s;
        QTest::newRow("Ctrl+X swallowed")
            << int(Qt::Key_X) << ctrl << u"\x18"_s << -1 << u"123"_s << true << u"45"_s;
        QTest::newRow("Ctrl+V swallowed")
            << int(Qt::Key_V) << ctrl << u"\x16"_s << 3 << u"123"_s << false << u"45"_s;
        QTest::newRow("Ctrl+A swallowed")
            << int(Qt::Key_A) << ctrl << u"\x01"_s << 3 << u"123"_s << false << u"45"_s;
        QTest::newRow("Ctrl+Z swallowed")
            << int(Qt::Key_Z) << ctrl << u"\x1a"_s << 3 << u"123"_s << false << u"45"_s;
    }
    void keysAsThePlatformsDeliverThem() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(int, cursor);
        QFETCH(QString, after);
        QFETCH(bool, selected);
        QFETCH(QString, clipboard);
        const auto send = [](QWidget* to, int k, int mods, const QString& typed) {
            QKeyEvent press(QEvent::KeyPress, k, Qt::KeyboardModifiers(mods), typed);
            QApplication::sendEvent(to, &press);
            QKeyEvent release(QEvent::KeyRelease, k, Qt::KeyboardModifiers(mods), typed);
            QApplication::sendEvent(to, &release);
        };
        auto w = shownWindow();
        int edits = 0;
        for (const char* name : kNumericEdits) {
            auto* field = Find<QLineEdit>(w.get(), name);
            QVERIFY2(field && field->isEnabled(), name);
            field->setFocus();
            field->setText(u"12"_s);
            send(field, Qt::Key_3, Qt::NoModifier, u"3"_s);
            QCOMPARE(field->text(), u"123"_s);
            if (cursor < 0) {
                field->selectAll();
            } else {
                field->setCursorPosition(cursor);
            }
            QApplication::clipboard()->setText(u"45"_s);
            send(field, key, modifiers, text);
            QVERIFY2(field->text() == after, qPrintable(name + u": "_s + field->text()));
            QVERIFY2(field->hasSelectedText() == selected, name);
            QVERIFY2(QApplication::clipboard()->text() == clipboard, name);
            ++edits;
        }
        QCOMPARE(edits, 23);
    }

    void inputMethodTextIsFilteredToo() {
        auto w = shownWindow();
        auto* field = Find<QLineEdit>(w.get(), "edtPLen");
        QInputMethodEvent digits;
        digits.setCommitString(u"64"_s);
        QApplication::sendEvent(field, &digits);
        QInputMethodEvent mixed;
        mixed.setCommitString(U("六4"));
        QApplication::sendEvent(field, &mixed);
        QCOMPARE(field->text(), u"64"_s);
    }

    void freeTextEditsAreNotFiltered() {
        auto w = shownWindow();
        auto* domain = Find<QLineEdit>(w.get(), "edtDomain");
        QTest::keyClicks(domain, u"led-1.example"_s);
        QApplication::clipboard()->setText(u".org"_s);
        QTest::keyClick(domain, Qt::Key_V, Qt::ControlModifier); // the clipboard does work
        QCOMPARE(domain->text(), u"led-1.example.org"_s);
        auto* mac = Find<QLineEdit>(w.get(), "edtMACAddr");
        QTest::keyClicks(mac, u"AA:bb"_s);
        QCOMPARE(mac->text(), u"AA:bb"_s);
    }

    void configurationModeDrivesTheDnsRow() {
        auto w = shownWindow();
        auto* group = Find<ui::TRadioGroup>(w.get(), "rGCfg");
        expectDnsRow(w.get(), true, u"DNS Handle Set"_s);
        Find<QLineEdit>(w.get(), "edtDNS2")->setText(u"8"_s);

        QTest::mouseClick(group->item(1), Qt::LeftButton);
        QCOMPARE(group->itemIndex(), 1);
        expectDnsRow(w.get(), false, u"DNS Auto Get"_s);
        QCOMPARE(Find<QLineEdit>(w.get(), "edtDNS2")->text(), u"8"_s);

        QTest::mouseClick(group->item(2), Qt::LeftButton);
        expectDnsRow(w.get(), true, u"DNS Handle Set"_s);
        QTest::mouseClick(group->item(1), Qt::LeftButton);
        QTest::mouseClick(group->item(0), Qt::LeftButton);
        expectDnsRow(w.get(), true, u"DNS Handle Set"_s);
    }

    void dnsBoxClickAndLanguageSwitch() {
        auto w = shownWindow();
        auto* box = Find<QCheckBox>(w.get(), "cbDNSAddr");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        expectDnsRow(w.get(), false, u"DNS Auto Get"_s);
        w->ApplyLanguage(true, lang::LanguageId::SimplifiedChinese);
        expectDnsRow(w.get(), false, U("DNS自动获取"));
        box->setChecked(true); // a change by the program runs the handler too
        expectDnsRow(w.get(), true, U("DNS手工配置"));
    }

    void serverDomainChoiceLeavesServerIpEditable() {
        auto w = shownWindow();
        auto* domain = Find<QRadioButton>(w.get(), "rBtnServerDomain");
        QTest::mouseClick(domain, Qt::LeftButton, {}, QPoint(6, domain->height() / 2));
        QVERIFY(domain->isChecked());
        QVERIFY(!Find<QRadioButton>(w.get(), "rBtnServerIP")->isChecked());
        for (const char* name : {"edtDIP1", "edtDIP4", "edtDomain"}) {
            QVERIFY2(Find<QLineEdit>(w.get(), name)->isEnabled(), name);
        }
    }

    void panelRoundTrip() {
        auto w = StartedWindow();
        protocol::PanelModel card = w->readPanel();
        QCOMPARE(card[protocol::Combo::Scan].count, 95);
        QCOMPARE(card[protocol::Combo::PClor].count, 3);
        for (std::size_t i = 0; i < protocol::EditCount; ++i) {
            card.edits[i] = "v" + std::to_string(i);
        }
        for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
            card.combos[i].index = static_cast<int>(i) % card.combos[i].count;
        }
        card[protocol::Combo::Scan].index = 94;
        card[protocol::Combo::Addr485].index = 98;
        card.serverByDomain = true;
        card.dnsManual = false;
        card.cfgMode = 2;
        w->writePanel(card);
        QCOMPARE(w->readPanel().edits, card.edits);
        for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
            QCOMPARE(w->readPanel().combos[i].index, card.combos[i].index);
            QCOMPARE(w->readPanel().combos[i].count, card.combos[i].count);
        }
        const protocol::PanelModel back = w->readPanel();
        QVERIFY(back.serverByDomain && !back.dnsManual);
        QCOMPARE(back.cfgMode, 2);
        // Unticking the box by the program greyed the DNS row.
        QVERIFY(!Find<QLineEdit>(w.get(), "edtDNS1")->isEnabled());

        card.serverByDomain = false;
        card.dnsManual = true;
        card.cfgMode = -1;
        card[protocol::Combo::Trans].index = -1;
        w->writePanel(card);
        const protocol::PanelModel again = w->readPanel();
        QVERIFY(!again.serverByDomain && again.dnsManual);
        QCOMPARE(again.cfgMode, -1);
        QCOMPARE(again[protocol::Combo::Trans].index, -1);
        QVERIFY(Find<QLineEdit>(w.get(), "edtDNS1")->isEnabled());
    }

    void clearParameterPanelEmptiesEditsAndChoicesOnly() {
        auto w = StartedWindow();
        protocol::PanelModel card = w->readPanel();
        for (auto& text : card.edits) {
            text = "1";
        }
        for (auto& combo : card.combos) {
            combo.index = 1;
        }
        card.serverByDomain = true;
        card.dnsManual = false;
        card.cfgMode = 2;
        w->writePanel(card);
        auto* devices = Find<QTableWidget>(w.get(), "lvModList");
        devices->setRowCount(2);

        w->ClearParameterPanel();
        const protocol::PanelModel cleared = w->readPanel();
        for (std::size_t i = 0; i < protocol::EditCount; ++i) {
            QVERIFY2(cleared.edits[i].empty(),
                     protocol::EditName(static_cast<protocol::Edit>(i)).data());
        }
        for (std::size_t i = 0; i < protocol::ComboCount; ++i) {
            QCOMPARE(cleared.combos[i].index, -1);
            QCOMPARE(cleared.combos[i].count, card.combos[i].count);
        }
        QVERIFY(cleared.serverByDomain && !cleared.dnsManual);
        QCOMPARE(cleared.cfgMode, 2);
        QCOMPARE(devices->rowCount(), 2);
    }
};

QTEST_MAIN(InputTest)
#include "InputTest.moc"
