#include "ctl/CommandLine.h"

#include "ctl/Subcommand.h"
#include "ctl/Texts.h"
#include "ctl/commands/Commands.h"
#include "fleet/AddressRun.h"

#include <QFile>
#include <QLocale>
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
    Environment e{env.value(QStringLiteral("LC_ALL")), env.value(QStringLiteral("LC_MESSAGES")),
                  env.value(QStringLiteral("LANG"))};
#ifdef Q_OS_WIN
    // Windows sets none of these: the user's locale, "zh_CN" or "zh_TW", as the window takes it.
    if (e.lcAll.isEmpty() && e.lcMessages.isEmpty() && e.lang.isEmpty()) {
        e.lang = QLocale::system().name();
    }
#endif
    return e;
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
    const Subcommand* command = FindSubcommand(name);
    if (!command) {
        return Refuse(tr(Text::UnknownCommand).arg(name));
    }
    return command->parse(arguments.mid(at + 1), language, readFile);
}

} // namespace ctl
