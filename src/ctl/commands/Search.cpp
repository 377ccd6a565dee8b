// ledcardctl search: one search as the window's, the cards found as a table, JSON or CSV.

#include "fleet/Search.h"

#include "ctl/Output.h"
#include "ctl/Subcommand.h"
#include "ctl/commands/Commands.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace ctl {

namespace {

class SearchRun final : public CommandRun {
public:
    using CommandRun::CommandRun;

private:
    void begin() override {
        fleet::SearchTiming timing;
        timing.searchTimes = command_.times > 0 ? command_.times : context_.searchTimes;
        search_ = std::make_unique<fleet::Search>(router(), *context_.scheduler, timing);
        search_->start([this] { report(); });
    }

    void cancel() override {
        if (search_) {
            search_->cancel();
        }
    }

    void report() {
        const fleet::Search& s = *search_;
        const auto& cards = s.found().entries();
        QTextStream& out = *context_.out;
        const lang::LanguageId language = command_.language;
        switch (command_.format) {
        case Format::Table:
            if (!cards.empty()) {
                out << SearchTable(cards, language);
            }
            break;
        case Format::Json:
            out << SearchJson(cards);
            break;
        case Format::Csv:
            out << SearchCsv(cards);
            break;
        }
        out.flush();
        *context_.err << SharedAddressLines(cards, language);
        const std::int64_t printed = context_.scheduler->nowMs();
        if (s.failure()) {
            *context_.err
                << Tr(Text::SearchFailed, language).arg(SendFailureText(*s.failure(), language))
                << u'\n';
        } else if (cards.empty() && !interrupted_) {
            *context_.err << Tr(Text::NoCardFound, language) << u'\n';
        }
        if (command_.timing) {
            const auto rel = [&s](std::int64_t t) { return t < 0 ? -1 : t - s.startedMs(); };
            const QJsonObject timing{{u"command"_qs, u"search"_qs},
                                     {u"cards"_qs, qint64(cards.size())},
                                     {u"requests"_qs, s.requestsSent()},
                                     {u"lastRequestMs"_qs, qint64(rel(s.lastRequestMs()))},
                                     {u"lastAnswerMs"_qs, qint64(rel(s.lastAnswerMs()))},
                                     {u"endedMs"_qs, qint64(rel(s.endedMs()))},
                                     {u"printedMs"_qs, qint64(rel(printed))}};
            *context_.err << QJsonDocument(timing).toJson(QJsonDocument::Compact) << u'\n';
        }
        if (interrupted_) {
            finish(kExitInterrupted);
        } else {
            finish(cards.empty() ? kExitNoAnswer : kExitConfirmed);
        }
    }

    std::unique_ptr<fleet::Search> search_;
};

class Search final : public Subcommand {
public:
    CommandKind kind() const override { return CommandKind::Search; }
    QString name() const override { return u"search"_qs; }
    Text summary() const override { return Text::HelpSearchCmd; }
    QString usage() const override {
        return u"search [--times N] [--local ADDR] [--format table|json|csv]"_qs;
    }
    Text about() const override { return Text::HelpSearch; }
    QStringList formats() const override { return {u"table"_qs, u"json"_qs, u"csv"_qs}; }

    void addOptions(OptionSet& options, lang::LanguageId language) const override {
        options.add({u"times"_qs}, Tr(Text::OptTimes, language), u"N"_qs);
    }

    std::optional<QString> take(const OptionSet& options, const FileReader&,
                                Command& command) const override {
        const lang::LanguageId language = command.language;
        const QStringList positional = options.positional();
        if (!positional.isEmpty()) {
            return Tr(Text::ExtraArgument, language).arg(positional.front());
        }
        if (options.isSet(u"times"_qs)) {
            const QString given = options.value(u"times"_qs);
            const auto n = AtLeast(given, 1);
            if (!n) {
                return Tr(Text::BadNumber, language).arg(u"--times"_qs, given).arg(1);
            }
            command.times = *n;
        }
        return std::nullopt;
    }

    std::unique_ptr<CommandRun> run(Command command, const RunContext& context) const override {
        return std::make_unique<SearchRun>(std::move(command), context);
    }
};

} // namespace

const Subcommand& SearchCommand() {
    static const Search command;
    return command;
}

} // namespace ctl
