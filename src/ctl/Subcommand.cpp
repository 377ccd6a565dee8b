#include "ctl/Subcommand.h"

namespace ctl {

using lang::LanguageId;

// --- options and help -----------------------------------------------------------------------

OptionSet::OptionSet() {
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

void OptionSet::add(const QStringList& names, const QString& text, const QString& value) {
    parser_.addOption(QCommandLineOption(names, text, value));
    QStringList shown;
    for (const QString& n : names) {
        shown << (n.size() == 1 ? u"-"_qs : u"--"_qs) + n;
    }
    lines_.push_back(
        {shown.join(u'|') + (value.isEmpty() ? QString() : u" <"_qs + value + u'>'), text});
}

QString OptionSet::help(const QString& usage, const QString& about, LanguageId language) const {
    QString out = QStringLiteral("ledcardctl ") + usage + QStringLiteral("\n\n") + about +
                  QStringLiteral("\n\n");
    qsizetype width = 0;
    for (const Line& l : lines_) {
        width = std::max(width, l.names.size());
    }
    for (const Line& l : lines_) {
        out += QStringLiteral("  ") + l.names.leftJustified(width + 2) + l.text + u'\n';
    }
    out += u'\n' + Tr(Text::HelpExit, language) + u'\n';
    return out;
}

// --- the shared options ---------------------------------------------------------------------

Parsed Refuse(QString text) {
    Parsed p;
    p.outcome = Parsed::Outcome::Refused;
    p.text = std::move(text);
    return p;
}

Parsed Subcommand::parse(const QStringList& arguments, LanguageId language,
                         const FileReader& readFile) const {
    const auto tr = [language](Text t) { return Tr(t, language); };
    const QStringList formatNames = formats();
    OptionSet options;
    addOptions(options, language);
    options.add({u"local"_qs}, tr(Text::OptLocal), u"ADDR"_qs);
    options.add({u"format"_qs}, tr(Text::OptFormat).arg(formatNames.join(u'|')), u"FORMAT"_qs);
    options.add({u"lang"_qs}, tr(Text::OptLang), u"LANG"_qs);
    options.add({u"timing"_qs}, tr(Text::OptTiming));
    options.add({u"h"_qs, u"help"_qs}, tr(Text::OptHelp));

    if (!options.parse(QStringList{u"ledcardctl"_qs} + arguments)) {
        return Refuse(tr(Text::UsageError).arg(options.errorText()));
    }
    if (options.isSet(u"help"_qs)) {
        Parsed p;
        p.outcome = Parsed::Outcome::Help;
        p.text = options.help(usage(), tr(about()), language);
        return p;
    }
    Command command;
    command.kind = kind();
    command.language = language;
    command.timing = options.isSet(u"timing"_qs);
    if (options.isSet(u"local"_qs)) {
        const QString value = options.value(u"local"_qs);
        if (!fleet::ParseAddress(value.toStdString())) {
            return Refuse(tr(Text::BadLocal).arg(value));
        }
        command.local = value;
    }
    if (options.isSet(u"format"_qs)) {
        const QString given = options.value(u"format"_qs);
        const qsizetype index = formatNames.indexOf(given.toLower());
        if (index < 0) {
            return Refuse(tr(Text::BadFormat).arg(given, formatNames.join(u", ")));
        }
        command.format = index == 0 ? Format::Table : (index == 1 ? Format::Json : Format::Csv);
    }
    if (auto refusal = take(options, readFile, command)) {
        return Refuse(*refusal);
    }
    Parsed p;
    p.outcome = Parsed::Outcome::Run;
    p.command = std::move(command);
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

std::optional<QString> TakeCard(const OptionSet& options, Command& command) {
    const LanguageId language = command.language;
    const QStringList positional = options.positional();
    if (positional.isEmpty()) {
        return Tr(Text::MissingCard, language);
    }
    if (positional.size() > 1) {
        return Tr(Text::ExtraArgument, language).arg(positional[1]);
    }
    const bool mac = options.isSet(u"by-mac"_qs);
    const auto card = fleet::ParseCardTarget(positional.front(), mac);
    if (!card) {
        return Tr(mac ? Text::NotAMac : Text::BadCard, language).arg(positional.front());
    }
    command.card = *card;
    return std::nullopt;
}

// --- the run --------------------------------------------------------------------------------

CommandRun::CommandRun(Command command, const RunContext& context)
    : command_(std::move(command)), context_(context) {}

void CommandRun::start(std::function<void(int)> finished) {
    finished_ = std::move(finished);
    startedMs_ = context_.scheduler->nowMs();
    begin();
}

void CommandRun::interrupt() {
    if (done_ || interrupted_) {
        return;
    }
    interrupted_ = true;
    cancel();
}

fleet::DatagramRouter& CommandRun::router() {
    if (!router_) {
        router_ = std::make_unique<fleet::DatagramRouter>(*context_.endpoint);
    }
    return *router_;
}

void CommandRun::finish(int status) {
    if (done_) {
        return;
    }
    done_ = true;
    context_.out->flush();
    context_.err->flush();
    if (finished_) {
        finished_(status);
    }
}

} // namespace ctl
