#include "ctl/CommandLine.h"

#include "ctl/Subcommand.h"
#include "ctl/Texts.h"
#include "ctl/commands/Commands.h"

#include <QFile>
#include <QProcessEnvironment>

namespace ctl {

namespace {

using lang::LanguageId;

QString GeneralHelp(LanguageId language) {
    QString out = Tr(Text::HelpSummary, language) + QStringLiteral("\n\n") +
                  Tr(Text::HelpCommands, language) + u'\n';
    for (const Subcommand* command : Subcommands()) {
        out += QStringLiteral("  ") + command->name().leftJustified(9) +
               Tr(command->summary(), language) + u'\n';
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
    const std::uint64_t v = (std::uint64_t(first[0]) << 24 | std::uint64_t(first[1]) << 16 |
                             std::uint64_t(first[2]) << 8 | first[3]) +
                            n;
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

std::optional<QString> CheckAddressRun(const std::array<std::uint8_t, 4>& first, std::size_t count,
                                       const std::string& mask, LanguageId language) {
    const auto text = [](const std::array<std::uint8_t, 4>& a) {
        return QStringLiteral("%1.%2.%3.%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
    };
    const std::uint64_t start = std::uint64_t(first[0]) << 24 | std::uint64_t(first[1]) << 16 |
                                std::uint64_t(first[2]) << 8 | first[3];
    if (count == 0) {
        return std::nullopt;
    }
    if (start + count - 1 > 0xFFFFFFFFull) {
        return Tr(Text::IpRunOverflow, language).arg(text(first)).arg(count);
    }
    const auto m = fleet::ParseAddress(mask);
    if (!m) {
        return std::nullopt;
    }
    const std::uint32_t maskValue = std::uint32_t((*m)[0]) << 24 | std::uint32_t((*m)[1]) << 16 |
                                    std::uint32_t((*m)[2]) << 8 | (*m)[3];
    const std::uint32_t host = ~maskValue;
    if (host <= 1) {
        return std::nullopt; // /31 and /32 have no network or broadcast address to avoid
    }
    for (std::size_t n = 0; n < count; ++n) {
        const auto a = static_cast<std::uint32_t>(start + n);
        if ((a & host) == 0 || (a & host) == host) {
            const std::uint32_t net = a & maskValue;
            const std::array<std::uint8_t, 4> netQuad{std::uint8_t(net >> 24),
                                                      std::uint8_t(net >> 16),
                                                      std::uint8_t(net >> 8), std::uint8_t(net)};
            return Tr(Text::IpRunBadAddress, language)
                .arg(text(first))
                .arg(count)
                .arg(text(NthAddress(first, n)),
                     text(netQuad) + u'/' + QString::fromStdString(mask));
        }
    }
    return std::nullopt;
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
    const Subcommand* command = FindSubcommand(name);
    if (!command) {
        return Refuse(tr(Text::UnknownCommand).arg(name));
    }
    return command->parse(arguments.mid(at + 1), language, readFile);
}

} // namespace ctl
