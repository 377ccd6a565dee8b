// The command line: what is refused before anything is sent and with which message, and what a
// command that runs carries.

#include "ctl/CommandLine.h"

#include "ctl/Texts.h"

#include <gtest/gtest.h>
#include <map>

using ctl::CommandKind;
using ctl::Format;
using ctl::Parsed;
using lang::LanguageId;

namespace {

// Files the tests "read": a profile with a /24 mask, one that names an unknown parameter on its
// fourth line, and one that is no JSON.
const std::map<QString, QByteArray> kFiles = {
    {u"p.json"_qs, "{\"format\": \"ledcardctl-profile\", \"version\": 1, \"parameters\": {\n"
                   "\"display.width\": 256, \"network.mask\": \"255.255.255.0\"}}\n"},
    {u"bad.json"_qs, "{\n\"format\": \"ledcardctl-profile\",\n\"version\": 1,\n"
                     "\"parameters\": {\"display.brightness\": 3}\n}\n"},
    {u"notes.txt"_qs, "width 256\n"},
    {u"cards.txt"_qs, "192.168.1.101\n00:1A:2B:00:00:07\n"},
};

std::optional<QByteArray> readFile(const QString& path, QString* error) {
    const auto it = kFiles.find(path);
    if (it == kFiles.end()) {
        *error = u"No such file or directory"_qs;
        return std::nullopt;
    }
    return it->second;
}

Parsed parse(const QStringList& args) {
    return ctl::ParseCommandLine(args, ctl::Environment{}, readFile);
}

} // namespace

TEST(CommandLine, RefusesWithAMessageThatSaysWhy) {
    const struct {
        QStringList args;
        const char* message; // contained in the refusal
    } cases[] = {
        {{}, "Name a command: search, read, write, apply, restore or journal."},
        {{u"frob"_qs}, "Unknown command: frob"},
        {{u"search"_qs, u"--times"_qs, u"0"_qs}, "--times: 0 is not a whole number of at least 1."},
        {{u"search"_qs, u"--times"_qs, u"many"_qs}, "--times: many is not"},
        {{u"search"_qs, u"--format"_qs, u"xml"_qs},
         "--format: xml is not one of table, json, csv."},
        {{u"search"_qs, u"--local"_qs, u"eth0"_qs}, "--local: eth0 is not an IPv4 address."},
        {{u"search"_qs, u"extra"_qs}, "Unexpected argument: extra"},
        {{u"search"_qs, u"--lang"_qs, u"fr"_qs}, "--lang: fr is not zh_CN, zh_TW or en."},
        {{u"search"_qs, u"--bogus"_qs}, "Bad arguments: Unknown option 'bogus'."},
        {{u"read"_qs}, "Name the card: an IP address or a MAC address."},
        {{u"read"_qs, u"1.2.3"_qs}, "1.2.3 is neither an IP address nor a MAC address."},
        {{u"read"_qs, u"192.168.1.100"_qs, u"--by-mac"_qs}, "192.168.1.100 is not a MAC address."},
        {{u"read"_qs, u"192.168.1.100"_qs, u"--format"_qs, u"csv"_qs},
         "--format: csv is not one of table, json."},
        {{u"write"_qs, u"192.168.1.100"_qs},
         "Name the parameters to change with --set NAME=VALUE."},
        {{u"write"_qs, u"192.168.1.100"_qs, u"--set"_qs, u"display.brightness=3"_qs},
         "display.brightness"},
        {{u"write"_qs, u"192.168.1.100"_qs, u"--set"_qs, u"card.mac=00:11:22:33:44:55"_qs},
         "card.mac"},
        {{u"write"_qs, u"192.168.1.100"_qs, u"--set"_qs, u"display.width=256"_qs, u"--hex"_qs},
         "--hex prints the datagrams of a dry run: give --dry-run too."},
        {{u"write"_qs, u"192.168.1.100"_qs, u"--set"_qs, u"display.width=256"_qs, u"--base"_qs,
          u"p.json"_qs},
         "--base is for a dry run: give --dry-run too."},
        {{u"write"_qs, u"--set"_qs, u"display.width=256"_qs},
         "Name the card: an IP address or a MAC address."},
        {{u"write"_qs, u"192.168.1.100"_qs, u"--to-found"_qs, u"--set"_qs, u"display.width=256"_qs},
         "--to-found takes every card the search finds: name no other card."},
        {{u"write"_qs, u"--to-found"_qs, u"--no-search"_qs, u"--set"_qs, u"display.width=256"_qs},
         "--to-found takes the cards of the search: it cannot go with --no-search or --base."},
        {{u"write"_qs, u"--to-file"_qs, u"cards.txt"_qs, u"--set"_qs, u"display.width=256"_qs,
          u"--times"_qs, u"0"_qs},
         "--times: 0 is not a whole number of at least 1."},
        {{u"write"_qs, u"--to-file"_qs, u"missing.txt"_qs, u"--set"_qs, u"display.width=256"_qs},
         "missing.txt: cannot be read: No such file or directory"},
        {{u"write"_qs, u"--to-file"_qs, u"notes.txt"_qs, u"--set"_qs, u"display.width=256"_qs},
         "notes.txt:1: width 256 is neither an IP address nor a MAC address."},
        {{u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"192.168.1.101"_qs, u"--to-file"_qs,
          u"cards.txt"_qs},
         "The card 192.168.1.101 is named twice."},
        {{u"apply"_qs, u"p.json"_qs, u"--to-file"_qs, u"cards.txt"_qs, u"--ip-from"_qs,
          u"192.168.1.254"_qs},
         "include 192.168.1.255"},
        {{u"restore"_qs}, "Name the backups: backup folders or files."},
        {{u"restore"_qs, u"/nonexistent/backup"_qs}, "No backup to restore."},
        {{u"restore"_qs, u"/nonexistent/backup"_qs, u"--no-search"_qs},
         "Unknown option 'no-search'"},
        {{u"journal"_qs, u"--since"_qs, u"yesterday"_qs},
         "--since: yesterday is not a date (2026-12-09) or a date and time"},
        {{u"journal"_qs, u"--card"_qs, u"192.168.1.100"_qs}, "192.168.1.100 is not a MAC address."},
        {{u"journal"_qs, u"--format"_qs, u"xml"_qs},
         "--format: xml is not one of table, json, csv."},
        {{u"apply"_qs}, "Name the profile file."},
        {{u"apply"_qs, u"p.json"_qs}, "Name at least one card with --to."},
        {{u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"192.168.1.100"_qs, u"--to"_qs,
          u"192.168.1.100"_qs},
         "The card 192.168.1.100 is named twice."},
        {{u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"00:1a:2b:00:00:01,00-1A-2B-00-00-01"_qs},
         "The card 00-1A-2B-00-00-01 is named twice."},
        {{u"apply"_qs, u"missing.json"_qs, u"--to"_qs, u"192.168.1.100"_qs},
         "missing.json: cannot be read: No such file or directory"},
        {{u"apply"_qs, u"bad.json"_qs, u"--to"_qs, u"192.168.1.100"_qs},
         "bad.json:4: display.brightness"},
        {{u"apply"_qs, u"bad.json"_qs, u"--to"_qs, u"192.168.1.100"_qs}, "display.brightness"},
        {{u"apply"_qs, u"notes.txt"_qs, u"--to"_qs, u"192.168.1.100"_qs}, "notes.txt"},
        {{u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"192.168.1.100"_qs, u"--ip-from"_qs,
          u"192.168.1"_qs},
         "--ip-from: 192.168.1 is not an IPv4 address."},
        {{u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"10.0.0.1,10.0.0.2,10.0.0.3"_qs, u"--ip-from"_qs,
          u"192.168.1.253"_qs},
         "include 192.168.1.255, the network or broadcast address of the subnet "
         "192.168.1.0/255.255.255.0"},
        {{u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"192.168.1.100"_qs, u"--parallel"_qs, u"0"_qs},
         "--parallel: 0 is not a whole number of at least 1."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Parsed p = parse(c.args);
        EXPECT_EQ(p.outcome, Parsed::Outcome::Refused);
        EXPECT_TRUE(p.text.contains(QString::fromUtf8(c.message))) << p.text.toStdString();
    }
}

TEST(CommandLine, ACommandThatRunsCarriesWhatWasGiven) {
    const Parsed a = parse({u"apply"_qs, u"p.json"_qs, u"--to"_qs,
                            u"00:1a:2b:00:00:01,192.168.1.101"_qs, u"--to"_qs, u"001A2B000003"_qs,
                            u"--ip-from"_qs, u"192.168.1.150"_qs, u"--parallel"_qs, u"4"_qs,
                            u"--format"_qs, u"JSON"_qs, u"--local"_qs, u"192.168.1.10"_qs});
    ASSERT_EQ(a.outcome, Parsed::Outcome::Run) << a.text.toStdString();
    const ctl::Command& c = a.command;
    EXPECT_EQ(c.kind, CommandKind::Apply);
    ASSERT_EQ(c.cards.size(), 3u);
    EXPECT_TRUE(c.cards[0].byMac);
    EXPECT_EQ(c.cards[0].macText, "00:1A:2B:00:00:01");
    EXPECT_EQ(c.cards[1].ip, "192.168.1.101");
    EXPECT_EQ(c.cards[2].macText, "00:1A:2B:00:00:03");
    EXPECT_EQ(c.ipFrom, (std::array<std::uint8_t, 4>{192, 168, 1, 150}));
    EXPECT_EQ(c.parallel, 4);
    EXPECT_EQ(c.format, Format::Json);
    EXPECT_EQ(c.local, u"192.168.1.10"_qs);
    ASSERT_TRUE(c.profile.has_value());
    EXPECT_FALSE(c.dryRun);
    EXPECT_FALSE(c.base.has_value());

    const Parsed w =
        parse({u"write"_qs, u"192.168.1.100"_qs, u"--set"_qs, u"display.width=256"_qs, u"--set"_qs,
               u"display.color=2"_qs, u"--dry-run"_qs, u"--base"_qs, u"p.json"_qs});
    ASSERT_EQ(w.outcome, Parsed::Outcome::Run) << w.text.toStdString();
    EXPECT_EQ(w.command.settings.size(), 2u);
    EXPECT_TRUE(w.command.dryRun);
    EXPECT_TRUE(w.command.base.has_value());

    const Parsed s = parse({u"--lang"_qs, u"zh_TW"_qs, u"search"_qs, u"--times"_qs, u"3"_qs});
    ASSERT_EQ(s.outcome, Parsed::Outcome::Run);
    EXPECT_EQ(s.command.language, LanguageId::TraditionalChinese);
    EXPECT_EQ(s.command.times, 3);
    EXPECT_FALSE(s.command.local.has_value());

    // A dry run without --base reads the cards, after a search.
    const Parsed d =
        parse({u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"192.168.1.100"_qs, u"--dry-run"_qs});
    ASSERT_EQ(d.outcome, Parsed::Outcome::Run);
    EXPECT_FALSE(d.command.base.has_value());
    EXPECT_TRUE(d.command.search);

    // With --base it reaches no card: no search either.
    const Parsed b = parse({u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"192.168.1.100"_qs,
                            u"--dry-run"_qs, u"--base"_qs, u"p.json"_qs, u"--hex"_qs});
    ASSERT_EQ(b.outcome, Parsed::Outcome::Run) << b.text.toStdString();
    EXPECT_FALSE(b.command.search);
    EXPECT_TRUE(b.command.hex);

    // The cards of a file after those of --to; the options of the search and the checks.
    const Parsed f =
        parse({u"apply"_qs, u"p.json"_qs, u"--to"_qs, u"192.168.1.100"_qs, u"--to-file"_qs,
               u"cards.txt"_qs, u"--times"_qs, u"4"_qs, u"--allow-other-subnet"_qs});
    ASSERT_EQ(f.outcome, Parsed::Outcome::Run) << f.text.toStdString();
    ASSERT_EQ(f.command.cards.size(), 3u);
    EXPECT_EQ(f.command.cards[1].ip, "192.168.1.101");
    EXPECT_EQ(f.command.cards[2].macText, "00:1A:2B:00:00:07");
    EXPECT_EQ(f.command.times, 4);
    EXPECT_TRUE(f.command.allowOtherSubnet);
    EXPECT_TRUE(f.command.search);

    const Parsed j = parse({u"journal"_qs, u"--since"_qs, u"2026-12-09"_qs, u"--card"_qs,
                            u"001a2b000001"_qs, u"--format"_qs, u"csv"_qs});
    ASSERT_EQ(j.outcome, Parsed::Outcome::Run) << j.text.toStdString();
    EXPECT_EQ(j.command.since, QDate(2026, 12, 9).startOfDay());
    EXPECT_EQ(j.command.journalCard, "00:1A:2B:00:00:01");
    EXPECT_EQ(j.command.format, Format::Csv);
}

TEST(CommandLine, HelpForTheProgramAndForEachCommand) {
    for (const QStringList& args :
         {QStringList{u"--help"_qs}, QStringList{u"search"_qs, u"--help"_qs},
          QStringList{u"read"_qs, u"-h"_qs}, QStringList{u"write"_qs, u"--help"_qs},
          QStringList{u"apply"_qs, u"--help"_qs}, QStringList{u"restore"_qs, u"--help"_qs},
          QStringList{u"journal"_qs, u"--help"_qs}}) {
        const Parsed p = parse(args);
        EXPECT_EQ(p.outcome, Parsed::Outcome::Help);
        EXPECT_TRUE(p.text.contains(u"Exit status: 0 all confirmed"_qs)) << p.text.toStdString();
    }
    EXPECT_TRUE(parse({u"apply"_qs, u"--help"_qs}).text.contains(u"--ip-from <A.B.C.D>"_qs));
    EXPECT_TRUE(parse({u"search"_qs, u"--help"_qs, u"--lang"_qs, u"zh_CN"_qs})
                    .text.contains(u"搜索时间（秒）"_qs));
}

// LC_ALL over LC_MESSAGES over LANG; Taiwan, Hong Kong and Macao write traditional Chinese.
TEST(CommandLine, ChoosesTheLanguageFromTheOptionOrTheEnvironment) {
    const struct {
        const char *option, *lcAll, *lcMessages, *lang;
        std::optional<LanguageId> want;
    } cases[] = {
        {"", "", "", "", LanguageId::English},
        {"", "", "", "C.UTF-8", LanguageId::English},
        {"", "", "", "zh_CN.UTF-8", LanguageId::SimplifiedChinese},
        {"", "", "", "zh_SG", LanguageId::SimplifiedChinese},
        {"", "", "", "zh_TW.UTF-8", LanguageId::TraditionalChinese},
        {"", "", "", "zh_HK.Big5", LanguageId::TraditionalChinese},
        {"", "", "zh_TW.UTF-8", "en_US.UTF-8", LanguageId::TraditionalChinese},
        {"", "en_GB.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", LanguageId::English},
        {"", "zh_CN.UTF-8", "", "en_US.UTF-8", LanguageId::SimplifiedChinese},
        {"en", "zh_CN.UTF-8", "", "", LanguageId::English},
        {"zh_TW", "", "", "en_US", LanguageId::TraditionalChinese},
        {"zh-cn", "", "", "en_US", LanguageId::SimplifiedChinese},
        {"klingon", "", "", "", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.option) + "/" + c.lcAll + "/" + c.lcMessages + "/" + c.lang);
        EXPECT_EQ(ctl::ChooseLanguage(QString::fromLatin1(c.option), QString::fromLatin1(c.lcAll),
                                      QString::fromLatin1(c.lcMessages),
                                      QString::fromLatin1(c.lang)),
                  c.want);
    }
}

TEST(CommandLine, ARunOfAddressesStaysOffTheSubnetsOwnAddresses) {
    using Quad = std::array<std::uint8_t, 4>;
    const struct {
        Quad first;
        std::size_t count;
        const char* mask;
        bool ok;
    } cases[] = {
        {{192, 168, 1, 150}, 105, "255.255.255.0", true},  // .150 to .254
        {{192, 168, 1, 150}, 106, "255.255.255.0", false}, // reaches .255
        {{192, 168, 1, 0}, 1, "255.255.255.0", false},
        {{10, 77, 16, 1}, 200, "255.255.0.0", true}, // across 10.77.16.255 inside a /16
        {{192, 168, 1, 255}, 1, "255.255.255.254", true},
        {{255, 255, 255, 250}, 7, "", false}, // past 255.255.255.255
        {{255, 255, 255, 250}, 6, "", true},  // no mask known: only the end is checked
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.first[3]) + " x" + std::to_string(c.count));
        EXPECT_EQ(!ctl::CheckAddressRun(c.first, c.count, c.mask, LanguageId::English), c.ok);
    }
    EXPECT_EQ(ctl::NthAddress({10, 77, 16, 255}, 1), (Quad{10, 77, 17, 0}));
}
