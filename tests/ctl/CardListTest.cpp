// --to-file and --to-found: the cards of a file in each form it comes in, and how a card of a
// search is addressed.

#include "ctl/CardList.h"

#include "ctl/Output.h"

#include <gtest/gtest.h>

using lang::LanguageId;

namespace {

// "mac:00:1A:2B:00:00:01" or "ip:192.168.1.100", as the run would address each card.
QStringList Addressed(const std::vector<fleet::CardTarget>& cards) {
    QStringList out;
    for (const fleet::CardTarget& c : cards) {
        out << (c.byMac ? u"mac:"_qs + QString::fromStdString(c.macText)
                        : u"ip:"_qs + QString::fromStdString(c.ip));
    }
    return out;
}

QString Parse(const QByteArray& bytes, QStringList* cards = nullptr) {
    auto parsed = ctl::ParseCardFile(bytes, u"cards.txt"_qs, LanguageId::English);
    if (const auto* why = std::get_if<QString>(&parsed)) {
        return *why;
    }
    if (cards) {
        *cards = Addressed(std::get<std::vector<fleet::CardTarget>>(parsed));
    }
    return {};
}

} // namespace

TEST(CardList, ReadsEachFormAFileComesIn) {
    const struct {
        const char* what;
        QByteArray bytes;
        QStringList want;
    } cases[] = {
        {"one a line, with blanks, comments and CR LF",
         "# wall A\r\n192.168.1.100\r\n\r\n  00-1a-2b-00-00-02  \r\n001A2B000003\n",
         {u"ip:192.168.1.100"_qs, u"mac:00:1A:2B:00:00:02"_qs, u"mac:00:1A:2B:00:00:03"_qs}},
        {"json without version or MAC",
         "[{\"mac\": \"00:1A:2B:00:00:07\"}, {\"ip\": \"10.0.0.9\"}]",
         {u"mac:00:1A:2B:00:00:07"_qs, u"ip:10.0.0.9"_qs}},
        // What search --format csv printed, a name holding the separator and a quote, and a
        // spreadsheet's byte order mark in front.
        {"search csv",
         "\xEF\xBB\xBFnumber,name,mac,ip,version,conflicts\r\n"
         "1,\"Hall, \"\"east\"\"\",00:1A:2B:00:00:01,192.168.1.100,60,\r\n"
         "2,\"two\r\nlines\",00:1A:2B:00:00:02,192.168.1.101,35,00:1A:2B:00:00:05\r\n",
         {u"mac:00:1A:2B:00:00:01"_qs, u"ip:192.168.1.101"_qs}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList cards;
        EXPECT_EQ(Parse(c.bytes, &cards), QString());
        EXPECT_EQ(cards, c.want);
    }
}

// What search --format csv or json prints, --to-file reads back card for card: firmware 54 and
// later by MAC, older by IP.
TEST(CardList, ReadsBackWhatSearchPrints) {
    const std::vector<protocol::DeviceEntry> found{
        {1, "=cmd,\"x\"", "00:1A:2B:00:00:01", "192.168.1.100", 60},
        {2, "LED", "00:1A:2B:00:00:02", "192.168.1.101", 53},
        {3, "LED", "00:1A:2B:00:00:03", "192.168.1.100", 54}};
    const QStringList want{u"mac:00:1A:2B:00:00:01"_qs, u"ip:192.168.1.101"_qs,
                           u"mac:00:1A:2B:00:00:03"_qs};
    for (const QString& printed : {ctl::SearchCsv(found), ctl::SearchJson(found)}) {
        QStringList cards;
        EXPECT_EQ(Parse(printed.toUtf8(), &cards), QString());
        EXPECT_EQ(cards, want);
    }
}

TEST(CardList, RefusesNamingTheFileAndTheLine) {
    const struct {
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"192.168.1.100\n\n192.168.1\n", "cards.txt:3: 192.168.1 is neither an IP address nor a "
                                         "MAC address."},
        {"# nothing yet\n\n", "cards.txt names no card."},
        {"", "cards.txt names no card."},
        {"number,name,mac,ip,version,conflicts\r\n", "cards.txt names no card."},
        {"number,name,mac,ip,version,conflicts\r\n1,A,00:1A:2B:00:00:01,192.168.1.100,60,\r\n"
         "2,B,nonsense,192.168.1,60,\r\n",
         "cards.txt:3: 2,B,nonsense,192.168.1,60,"},
        {"[{\"mac\": \"00:1A:2B:00:00:01\"},\n{\"mac\": 7}]", "cards.txt: card 2 has neither"},
        {"[{\"mac\": \"00:1A:2B:00:00:01\"},\n", "cards.txt:2: not a list of cards"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        EXPECT_TRUE(Parse(c.bytes).startsWith(QString::fromUtf8(c.message)))
            << Parse(c.bytes).toStdString();
    }
}

// A card named by MAC that the search found below firmware 54 is read at its IP; one of 54 and
// later, one named by IP, and one the search did not find stay as named.
TEST(CardList, ACardBelowFirmware54IsReadAtTheAddressTheSearchFound) {
    const std::vector<protocol::DeviceEntry> found{
        {1, "LED", "00:1A:2B:00:00:01", "192.168.1.100", 53},
        {2, "LED", "00:1A:2B:00:00:02", "192.168.1.101", 54}};
    const struct {
        const char* given;
        const char* want;
    } cases[] = {
        {"00:1a:2b:00:00:01", "ip:192.168.1.100"},
        {"00:1A:2B:00:00:02", "mac:00:1A:2B:00:00:02"},
        {"00:1A:2B:00:00:09", "mac:00:1A:2B:00:00:09"},
        {"192.168.1.101", "ip:192.168.1.101"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        const auto target = fleet::ParseCardTarget(QString::fromLatin1(c.given));
        ASSERT_TRUE(target);
        const fleet::CardTarget resolved = ctl::ResolvedTarget(*target, found);
        EXPECT_EQ(Addressed({resolved}), QStringList{QString::fromLatin1(c.want)});
        EXPECT_EQ(resolved.given, QString::fromLatin1(c.given)); // messages name it as given
    }
}
