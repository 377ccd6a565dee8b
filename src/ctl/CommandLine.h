#pragma once
// The command line of ledcardctl: one QCommandLineParser per command, everything checked and
// every file read before anything is sent.

#include "fleet/CardTarget.h"
#include "fleet/Profile.h"
#include "lang/Catalogue.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace ctl {

enum class Format { Table, Json, Csv };
enum class CommandKind { Search, Read, Write, Apply, Restore, Journal };

inline constexpr int kDefaultParallel = 32;

struct Command {
    CommandKind kind = CommandKind::Search;
    lang::LanguageId language = lang::LanguageId::English;
    std::optional<QString> local; // --local; otherwise the window's address
    Format format = Format::Table;
    bool timing = false;
    int times = 0; // the search: 0 takes SearchTimes from the settings
    // read
    fleet::CardTarget card;
    // write, apply and restore
    std::vector<fleet::CardTarget> cards;
    bool toFound = false; // every card the search finds
    bool search = true;   // a search first, for the checks; off with --no-search
    bool allowOtherSubnet = false;
    bool dryRun = false;
    bool hex = false;                   // a dry run prints the datagrams too
    std::optional<fleet::Profile> base; // a dry run without cards: their values from a file
    int parallel = kDefaultParallel;
    // write
    std::vector<fleet::Setting> settings;
    // apply
    std::optional<fleet::Profile> profile;
    std::optional<std::array<std::uint8_t, 4>> ipFrom;
    // restore: one backup per card, and what was skipped on the way, told before the run
    std::vector<fleet::Profile> backups;
    QStringList notes;
    // journal
    std::optional<QDateTime> since;
    std::string journalCard; // a MAC as the journal writes it; empty for every card
};

struct Environment {
    QString lcAll;
    QString lcMessages;
    QString lang;
    static Environment fromProcess();
};

// Reads a whole file; on failure nothing, and `error` says why.
using FileReader = std::function<std::optional<QByteArray>(const QString& path, QString* error)>;
std::optional<QByteArray> ReadWholeFile(const QString& path, QString* error);

struct Parsed {
    enum class Outcome { Run, Help, Refused };
    Outcome outcome = Outcome::Refused;
    QString text; // the help, or why the command line was refused
    Command command;
};

// `arguments` without the program's name.
Parsed ParseCommandLine(const QStringList& arguments, const Environment& environment,
                        const FileReader& readFile = ReadWholeFile);

// The run of `count` addresses from `first`, or why not: past 255.255.255.255, or through the
// network or broadcast address of the subnet `mask` gives (a mask of /31 or /32 has none).
std::optional<QString> CheckAddressRun(const std::array<std::uint8_t, 4>& first, std::size_t count,
                                       const std::string& mask, lang::LanguageId language);
std::array<std::uint8_t, 4> NthAddress(const std::array<std::uint8_t, 4>& first, std::size_t n);

} // namespace ctl
