#include "ctl/CommandLine.h"

#include "ctl/Texts.h"
#include "fleet/AddressRun.h"

#include <QCommandLineParser>
#include <QFile>
#include <QProcessEnvironment>
#include <set>

namespace ctl {

namespace {

using lang::LanguageId;

struct OptionHelp {
    QString names; // "--set <NAME=VALUE>"
    QString text;
};

QString Join(const QStringList& names) {
    return names.join(QStringLiteral("|"));
}

// The help of one command, in the language of the messages.
QString HelpText(const QString& usage, const QString& about, const std::vector<OptionHelp>& options,
                 LanguageId language) {
    QString out = QStringLiteral("ledcardctl ") + usage + QStringLiteral("\n\n") + about +
                  QStringLiteral("\n\n");
    qsizetype width = 0;
    for (const OptionHelp& o : options) {
        width = std::max(width, o.names.size());
    }
    for (const OptionHelp& o : options) {
        out += QStringLiteral("  ") + o.names.leftJustified(width + 2) + o.text + u'\n';
    }
    out += u'\n' + Tr(Text::HelpExit, language) + u'\n';
    return out;
}

QString GeneralHelp(LanguageId language) {
    QString out = Tr(Text::HelpSummary, language) + QStringLiteral("\n\n") +
                  Tr(Text::HelpCommands, language) + u'\n';
    const std::pair<const char*, Text> commands[] = {{"search", Text::HelpSearchCmd},
                                                     {"read", Text::HelpReadCmd},
                                                     {"write", Text::HelpWriteCmd},
                                                     {"apply", Text::HelpApplyCmd}};
    for (const auto& [name, text] : commands) {
        out += QStringLiteral("  ") + QString::fromLatin1(name).leftJustified(9) +
               Tr(text, language) + u'\n';
    }
    out += u'\n' + Tr(Text::HelpMore, language) + u'\n' + Tr(Text::HelpExit, language) + u'\n';
    return out;
}

// --lang may stand anywhere; it is needed before anything else can be said.
std::optional<QString> LanguageOption(const QStringList& arguments) {
    std::optional<QString> value;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--lang" && i + 1 < arguments.size()) {
            value = arguments[i + 1];
        } else if (a.startsWith(u"--lang=")) {
            value = a.mid(7);
        }
    }
    return value;
}

Parsed Refuse(QString text) {
    Parsed p;
    p.outcome = Parsed::Outcome::Refused;
    p.text = std::move(text);
    return p;
}

std::optional<int> AtLeast(const QString& text, int min) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min) {
        return std::nullopt;
    }
    return v;
}

std::optional<fleet::Profile> LoadProfile(const QString& path, const FileReader& readFile,
                                          LanguageId language, QString* refusal) {
    QString error;
    const std::optional<QByteArray> bytes = readFile(path, &error);
    if (!bytes) {
        *refusal = Tr(Text::CannotReadFile, language).arg(path, error);
        return std::nullopt;
    }
    auto parsed = fleet::ParseProfile(
        std::string_view(bytes->constData(), std::size_t(bytes->size())), path.toStdString());
    if (const auto* r = std::get_if<fleet::Refusal>(&parsed)) {
        *refusal = QString::fromStdString(fleet::RefusalMessage(*r, language));
        return std::nullopt;
    }
    return std::get<fleet::Profile>(std::move(parsed));
}

std::string CardKey(const fleet::CardTarget& t) {
    return t.byMac ? t.macText : t.ip;
}

} // namespace

Environment Environment::fromProcess() {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    return {env.value(QStringLiteral("LC_ALL")), env.value(QStringLiteral("LC_MESSAGES")),
            env.value(QStringLiteral("LANG"))};
}

std::optional<QByteArray> ReadWholeFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    return file.readAll();
}

std::array<std::uint8_t, 4> NthAddress(const std::array<std::uint8_t, 4>& first, std::size_t n) {
    return fleet::NthAddress(first, n);
}

std::optional<QString> CheckAddressRun(const std::array<std::uint8_t, 4>& first, std::size_t count,
                                       const std::string& mask, LanguageId language) {
    const auto refusal = fleet::CheckAddressRun(first, count, mask);
    if (!refusal) {
        return std::nullopt;
    }
    const QString from = QString::fromStdString(fleet::QuadText(first));
    if (refusal->reason == fleet::AddressRunRefusal::Reason::PastTheEnd) {
        return Tr(Text::IpRunOverflow, language).arg(from).arg(count);
    }
    return Tr(Text::IpRunBadAddress, language)
        .arg(from)
        .arg(count)
        .arg(QString::fromStdString(fleet::QuadText(refusal->address)),
             QString::fromStdString(fleet::QuadText(refusal->network)) + u'/' +
                 QString::fromStdString(mask));
}

Parsed ParseCommandLine(const QStringList& arguments, const Environment& environment,
                        const FileReader& readFile) {
    const std::optional<QString> langOption = LanguageOption(arguments);
    const std::optional<LanguageId> chosen =
        ChooseLanguage(langOption.value_or(QString()), environment.lcAll, environment.lcMessages,
                       environment.lang);
    const LanguageId language = chosen.value_or(LanguageId::English);
    if (!chosen) {
        return Refuse(Tr(Text::BadLanguage, language).arg(*langOption));
    }
    const auto tr = [language](Text t) { return Tr(t, language); };

    // The command comes first; before it only --lang and --help.
    qsizetype at = 0;
    while (at < arguments.size()) {
        const QString& a = arguments[at];
        if (a == u"--lang") {
            at += 2;
        } else if (a.startsWith(u"--lang=")) {
            ++at;
        } else {
            break;
        }
    }
    if (at >= arguments.size()) {
        return Refuse(tr(Text::NoCommand));
    }
    const QString& name = arguments[at];
    if (name == u"-h" || name == u"--help" || name == u"help") {
        Parsed p;
        p.outcome = Parsed::Outcome::Help;
        p.text = GeneralHelp(language);
        return p;
    }
    Command command;
    command.language = language;
    if (name == u"search") {
        command.kind = CommandKind::Search;
    } else if (name == u"read") {
        command.kind = CommandKind::Read;
    } else if (name == u"write") {
        command.kind = CommandKind::Write;
    } else if (name == u"apply") {
        command.kind = CommandKind::Apply;
    } else {
        return Refuse(tr(Text::UnknownCommand).arg(name));
    }

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    std::vector<OptionHelp> help;
    const auto add = [&](const QStringList& names, const QString& text, const QString& value = {}) {
        QCommandLineOption o(names, text, value);
        parser.addOption(o);
        QStringList shown;
        for (const QString& n : names) {
            shown << (n.size() == 1 ? u"-"_qs : u"--"_qs) + n;
        }
        help.push_back(
            {Join(shown) + (value.isEmpty() ? QString() : u" <"_qs + value + u'>'), text});
        return o;
    };

    const bool csv = command.kind == CommandKind::Search;
    const QStringList formats = csv ? QStringList{u"table"_qs, u"json"_qs, u"csv"_qs}
                                    : QStringList{u"table"_qs, u"json"_qs};
    QString usage;
    QString about;
    std::optional<QCommandLineOption> times, byMac, set, dryRun, base, to, ipFrom, parallel;
    switch (command.kind) {
    case CommandKind::Search:
        usage = u"search [--times N] [--local ADDR] [--format table|json|csv]"_qs;
        about = tr(Text::HelpSearch);
        times = add({u"times"_qs}, tr(Text::OptTimes), u"N"_qs);
        break;
    case CommandKind::Read:
        usage = u"read CARD [--by-mac] [--format table|json]"_qs;
        about = tr(Text::HelpRead);
        byMac = add({u"by-mac"_qs}, tr(Text::OptByMac));
        break;
    case CommandKind::Write:
        usage = u"write CARD --set NAME=VALUE ... [--dry-run --base FILE] [--format table|json]"_qs;
        about = tr(Text::HelpWrite);
        byMac = add({u"by-mac"_qs}, tr(Text::OptByMac));
        set = add({u"set"_qs}, tr(Text::OptSet), u"NAME=VALUE"_qs);
        dryRun = add({u"dry-run"_qs}, tr(Text::OptDryRun));
        base = add({u"base"_qs}, tr(Text::OptBase), u"FILE"_qs);
        break;
    case CommandKind::Apply:
        usage = u"apply PROFILE --to CARD ... [--ip-from A.B.C.D] [--parallel N] [--dry-run] "
                u"[--format table|json]"_qs;
        about = tr(Text::HelpApply);
        to = add({u"to"_qs}, tr(Text::OptTo), u"CARD"_qs);
        ipFrom = add({u"ip-from"_qs}, tr(Text::OptIpFrom), u"A.B.C.D"_qs);
        parallel = add({u"parallel"_qs}, tr(Text::OptParallel), u"N"_qs);
        dryRun = add({u"dry-run"_qs}, tr(Text::OptDryRun));
        base = add({u"base"_qs}, tr(Text::OptBase), u"FILE"_qs);
        break;
    }
    const auto local = add({u"local"_qs}, tr(Text::OptLocal), u"ADDR"_qs);
    const auto format =
        add({u"format"_qs}, tr(Text::OptFormat).arg(formats.join(u'|')), u"FORMAT"_qs);
    add({u"lang"_qs}, tr(Text::OptLang), u"LANG"_qs);
    const auto timing = add({u"timing"_qs}, tr(Text::OptTiming));
    const auto helpOption = add({u"h"_qs, u"help"_qs}, tr(Text::OptHelp));

    QStringList rest{u"ledcardctl"_qs};
    rest += arguments.mid(at + 1);
    if (!parser.parse(rest)) {
        return Refuse(tr(Text::UsageError).arg(parser.errorText()));
    }
    if (parser.isSet(helpOption)) {
        Parsed p;
        p.outcome = Parsed::Outcome::Help;
        p.text = HelpText(usage, about, help, language);
        return p;
    }
    command.timing = parser.isSet(timing);
    if (parser.isSet(local)) {
        const QString value = parser.value(local);
        if (!fleet::ParseAddress(value.toStdString())) {
            return Refuse(tr(Text::BadLocal).arg(value));
        }
        command.local = value;
    }
    if (parser.isSet(format)) {
        const QString value = parser.value(format).toLower();
        const qsizetype index = formats.indexOf(value);
        if (index < 0) {
            return Refuse(tr(Text::BadFormat).arg(parser.value(format), formats.join(u", ")));
        }
        command.format = index == 0 ? Format::Table : (index == 1 ? Format::Json : Format::Csv);
    }
    const QStringList positional = parser.positionalArguments();

    switch (command.kind) {
    case CommandKind::Search: {
        if (!positional.isEmpty()) {
            return Refuse(tr(Text::ExtraArgument).arg(positional.front()));
        }
        if (parser.isSet(*times)) {
            const auto n = AtLeast(parser.value(*times), 1);
            if (!n) {
                return Refuse(tr(Text::BadNumber).arg(u"--times"_qs, parser.value(*times)).arg(1));
            }
            command.times = *n;
        }
        break;
    }
    case CommandKind::Read:
    case CommandKind::Write: {
        if (positional.isEmpty()) {
            return Refuse(tr(Text::MissingCard));
        }
        if (positional.size() > 1) {
            return Refuse(tr(Text::ExtraArgument).arg(positional[1]));
        }
        const bool mac = parser.isSet(*byMac);
        const auto card = fleet::ParseCardTarget(positional.front(), mac);
        if (!card) {
            return Refuse(tr(mac ? Text::NotAMac : Text::BadCard).arg(positional.front()));
        }
        command.card = *card;
        if (command.kind == CommandKind::Read) {
            break;
        }
        for (const QString& assignment : parser.values(*set)) {
            auto s = fleet::ParseSetting(assignment.toStdString());
            if (const auto* r = std::get_if<fleet::Refusal>(&s)) {
                return Refuse(QString::fromStdString(fleet::RefusalMessage(*r, language)));
            }
            command.settings.push_back(std::get<fleet::Setting>(s));
        }
        if (command.settings.empty()) {
            return Refuse(tr(Text::NoSetting));
        }
        command.dryRun = parser.isSet(*dryRun);
        if (parser.isSet(*base)) {
            QString refusal;
            command.base = LoadProfile(parser.value(*base), readFile, language, &refusal);
            if (!command.base) {
                return Refuse(refusal);
            }
        }
        if (command.dryRun && !command.base) {
            return Refuse(tr(Text::DryRunNeedsBase));
        }
        break;
    }
    case CommandKind::Apply: {
        if (positional.isEmpty()) {
            return Refuse(tr(Text::MissingProfile));
        }
        if (positional.size() > 1) {
            return Refuse(tr(Text::ExtraArgument).arg(positional[1]));
        }
        std::set<std::string> seen;
        for (const QString& value : parser.values(*to)) {
            // "--to A --to B" and "--to A,B" both name two cards.
            for (const QString& item : value.split(u',', Qt::SkipEmptyParts)) {
                const auto card = fleet::ParseCardTarget(item);
                if (!card) {
                    return Refuse(tr(Text::BadCard).arg(item));
                }
                if (!seen.insert(CardKey(*card)).second) {
                    return Refuse(tr(Text::DuplicateCard).arg(item));
                }
                command.cards.push_back(*card);
            }
        }
        if (command.cards.empty()) {
            return Refuse(tr(Text::NoTargets));
        }
        if (parser.isSet(*parallel)) {
            const auto n = AtLeast(parser.value(*parallel), 1);
            if (!n) {
                return Refuse(
                    tr(Text::BadNumber).arg(u"--parallel"_qs, parser.value(*parallel)).arg(1));
            }
            command.parallel = *n;
        }
        QString refusal;
        command.profile = LoadProfile(positional.front(), readFile, language, &refusal);
        if (!command.profile) {
            return Refuse(refusal);
        }
        if (parser.isSet(*ipFrom)) {
            const auto first = fleet::ParseAddress(parser.value(*ipFrom).toStdString());
            if (!first) {
                return Refuse(tr(Text::BadIpFrom).arg(parser.value(*ipFrom)));
            }
            std::string mask;
            for (const fleet::Setting& s : command.profile->settings) {
                if (s.parameter->name == "network.mask") {
                    mask = s.text;
                }
            }
            if (auto why = CheckAddressRun(*first, command.cards.size(), mask, language)) {
                return Refuse(*why);
            }
            command.ipFrom = first;
        }
        command.dryRun = parser.isSet(*dryRun);
        if (parser.isSet(*base)) {
            command.base = LoadProfile(parser.value(*base), readFile, language, &refusal);
            if (!command.base) {
                return Refuse(refusal);
            }
        } else if (command.dryRun) {
            command.base = command.profile; // the profile stands for each card's current values
        }
        break;
    }
    }
    Parsed p;
    p.outcome = Parsed::Outcome::Run;
    p.command = std::move(command);
    return p;
}

} // namespace ctl
