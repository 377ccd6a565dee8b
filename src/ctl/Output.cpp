#include "ctl/Output.h"

#include "ctl/Texts.h"
#include "fleet/AddressConflicts.h"
#include "fleet/CsvTable.h"
#include "fleet/ParameterNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace ctl {

namespace {

using Status = fleet::CardOutcome::Status;

bool Wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The MACs of the other cards at the card's IP.
QStringList SharedWith(const std::vector<protocol::DeviceEntry>& cards,
                       const fleet::AddressConflicts& conflicts, std::size_t card) {
    QStringList macs;
    for (const std::size_t other : conflicts.othersOf(card)) {
        macs << Q(cards[other].mac);
    }
    return macs;
}

} // namespace

int DisplayWidth(const QString& text) {
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        width += Wide(c) ? 2 : 1;
    }
    return width;
}

QString TextTable(const QStringList& header, const std::vector<QStringList>& rows) {
    std::vector<int> widths(std::size_t(header.size()), 0);
    const auto measure = [&widths](const QStringList& row) {
        for (qsizetype i = 0; i < row.size() && std::size_t(i) < widths.size(); ++i) {
            widths[std::size_t(i)] = std::max(widths[std::size_t(i)], DisplayWidth(row[i]));
        }
    };
    measure(header);
    for (const QStringList& row : rows) {
        measure(row);
    }
    const auto line = [&widths](const QStringList& row) {
        QString out;
        for (qsizetype i = 0; i < row.size(); ++i) {
            out += row[i];
            if (i + 1 < row.size()) {
                out += QString(widths[std::size_t(i)] - DisplayWidth(row[i]) + 2, u' ');
            }
        }
        // A last column that is empty leaves no blanks behind.
        while (out.endsWith(u' ')) {
            out.chop(1);
        }
        return out + u'\n';
    };
    QString out = line(header);
    for (const QStringList& row : rows) {
        out += line(row);
    }
    return out;
}

QString SearchTable(const std::vector<protocol::DeviceEntry>& cards, lang::LanguageId language) {
    const fleet::AddressConflicts conflicts(cards);
    std::vector<QStringList> rows;
    rows.reserve(cards.size());
    for (std::size_t i = 0; i < cards.size(); ++i) {
        const protocol::DeviceEntry& c = cards[i];
        const QString ip = conflicts.conflicts(i) ? Q(c.ip) + u" !"_qs : Q(c.ip);
        rows.push_back(
            {QString::number(c.number), Q(c.name), Q(c.mac), ip, QString::number(c.version)});
    }
    return TextTable({Tr(Text::ColNumber, language), Tr(Text::ColName, language),
                      Tr(Text::ColMac, language), Tr(Text::ColIp, language),
                      Tr(Text::ColFirmware, language)},
                     rows);
}

QString SearchJson(const std::vector<protocol::DeviceEntry>& cards) {
    const fleet::AddressConflicts conflicts(cards);
    QJsonArray array;
    for (std::size_t i = 0; i < cards.size(); ++i) {
        const protocol::DeviceEntry& c = cards[i];
        array.append(QJsonObject{
            {u"number"_qs, c.number},
            {u"name"_qs, Q(c.name)},
            {u"mac"_qs, Q(c.mac)},
            {u"ip"_qs, Q(c.ip)},
            {u"version"_qs, c.version},
            {u"conflicts"_qs, QJsonArray::fromStringList(SharedWith(cards, conflicts, i))}});
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

QString SearchCsv(const std::vector<protocol::DeviceEntry>& cards) {
    const fleet::AddressConflicts conflicts(cards);
    fleet::CsvTable table(
        {u"number"_qs, u"name"_qs, u"mac"_qs, u"ip"_qs, u"version"_qs, u"conflicts"_qs},
        fleet::CsvTable::Mark::None);
    for (std::size_t i = 0; i < cards.size(); ++i) {
        const protocol::DeviceEntry& c = cards[i];
        table.addRow({QString::number(c.number), Q(c.name), Q(c.mac), Q(c.ip),
                      QString::number(c.version), SharedWith(cards, conflicts, i).join(u' ')});
    }
    return table.text();
}

QString SharedAddressLines(const std::vector<protocol::DeviceEntry>& cards,
                           lang::LanguageId language) {
    const fleet::AddressConflicts conflicts(cards);
    if (conflicts.empty()) {
        return {};
    }
    const QString separator = language == lang::LanguageId::English ? u", "_qs : u"、"_qs;
    QString out;
    for (const fleet::AddressConflicts::Shared& shared : conflicts.shared()) {
        QStringList macs;
        for (const std::size_t card : shared.cards) {
            macs << Q(cards[card].mac);
        }
        out += Tr(Text::SharedAddress, language)
                   .arg(QString::number(shared.cards.size()), Q(shared.ip), macs.join(separator)) +
               u'\n';
    }
    return out + Tr(Text::SharedAddressHint, language) + u'\n';
}

QString ParameterTable(const protocol::PanelModel& panel, const protocol::CardProfile& profile,
                       lang::LanguageId language) {
    std::vector<QStringList> rows;
    for (const fleet::ParameterValue& v : fleet::ReadParameters(panel, profile)) {
        rows.push_back({Q(std::string(v.parameter->name)), Q(fleet::DisplayText(v))});
    }
    return TextTable({Tr(Text::ColParameter, language), Tr(Text::ColValue, language)}, rows);
}

QString OutcomeKey(Status status) {
    switch (status) {
    case Status::Confirmed:
        return u"confirmed"_qs;
    case Status::NotConfirmed:
        return u"not-confirmed"_qs;
    case Status::NoAnswer:
        return u"no-answer"_qs;
    case Status::Refused:
        return u"refused"_qs;
    case Status::Cancelled:
        return u"cancelled"_qs;
    case Status::Held:
        return u"held"_qs;
    case Status::Pending:
        break;
    }
    return u"pending"_qs;
}

QString OutcomeText(const fleet::CardOutcome& outcome, lang::LanguageId language) {
    switch (outcome.status) {
    case Status::Confirmed:
        return Tr(Text::Confirmed, language);
    case Status::NotConfirmed:
        return Tr(Text::NotConfirmed, language);
    case Status::NoAnswer:
        return Tr(Text::NoAnswer, language);
    case Status::Refused:
        return Tr(Text::Refused, language);
    case Status::Held: // not approved: as good as cancelled before it was written
    case Status::Cancelled:
    case Status::Pending:
        break;
    }
    return Tr(Text::Cancelled, language);
}

QString SendFailureText(const discovery::SendFailure& failure, lang::LanguageId language) {
    using Reason = discovery::SendFailure::Reason;
    Text text = Text::SendSocketError;
    switch (failure.reason) {
    case Reason::Unresolvable:
        text = Text::SendUnresolvable;
        break;
    case Reason::NotBound:
        text = Text::SendNotBound;
        break;
    case Reason::SocketError:
        text = Text::SendSocketError;
        break;
    case Reason::TooLarge:
        text = Text::SendTooLarge;
        break;
    case Reason::Incomplete:
        text = Text::SendIncomplete;
        break;
    }
    return Tr(text, language);
}

QString OutcomeDetail(const fleet::CardOutcome& outcome, const protocol::CardProfile& profile,
                      lang::LanguageId language) {
    const auto couldNotSend = [&] {
        return Tr(Text::CouldNotSend, language)
            .arg(SendFailureText(*outcome.sendFailure, language));
    };
    switch (outcome.status) {
    case Status::Confirmed:
    case Status::Cancelled:
    case Status::Held:
    case Status::Pending:
        return {};
    case Status::NoAnswer:
        return outcome.sendFailure ? couldNotSend() : Tr(Text::CardSilent, language);
    case Status::Refused:
        if (outcome.writeRefusal) {
            return Q(fleet::WriteRefusalMessage(*outcome.writeRefusal, language));
        }
        return Q(outcome.changeRefusal);
    case Status::NotConfirmed:
        break;
    }
    if (outcome.cancelled) {
        return Tr(Text::StoppedBeforeReadBack, language);
    }
    if (!outcome.answeredAfterWrite || !outcome.answeredPanel) {
        return outcome.sendFailure ? couldNotSend() : Tr(Text::SilentAfterWrite, language);
    }
    const auto sent = fleet::ReadParameters(outcome.sentPanel, profile);
    const auto answered = fleet::ReadParameters(*outcome.answeredPanel, profile);
    QStringList differences;
    for (std::size_t i = 0; i < sent.size() && i < answered.size(); ++i) {
        const std::string s = fleet::DisplayText(sent[i]);
        const std::string a = fleet::DisplayText(answered[i]);
        if (s != a) {
            differences << Tr(Text::WrittenValue, language)
                               .arg(Q(std::string(sent[i].parameter->name)), Q(a), Q(s));
        }
    }
    return Tr(Text::OtherValues, language)
        .arg(differences.join(language == lang::LanguageId::English ? u"; "_qs : u"；"_qs));
}

QString WrittenIp(const fleet::CardOutcome& outcome) {
    if (!outcome.written) {
        return {};
    }
    const protocol::PanelModel& p = outcome.sentPanel;
    return Q(p[protocol::Edit::IP1] + '.' + p[protocol::Edit::IP2] + '.' + p[protocol::Edit::IP3] +
             '.' + p[protocol::Edit::IP4]);
}

QString OutcomeJsonLine(const fleet::CardTarget& target, const fleet::CardOutcome& outcome,
                        const protocol::CardProfile& profile, lang::LanguageId language) {
    const QJsonObject line{{u"card"_qs, target.given},
                           {u"mac"_qs, Q(outcome.read.mac)},
                           {u"ip"_qs, Q(outcome.read.ip)},
                           {u"newIp"_qs, WrittenIp(outcome)},
                           {u"outcome"_qs, OutcomeKey(outcome.status)},
                           {u"written"_qs, outcome.written},
                           {u"detail"_qs, OutcomeDetail(outcome, profile, language)}};
    return QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)) + u'\n';
}

QString OutcomeTable(const std::vector<fleet::CardTarget>& targets,
                     const std::vector<fleet::CardOutcome>& outcomes,
                     const protocol::CardProfile& profile, lang::LanguageId language) {
    std::vector<QStringList> rows;
    for (std::size_t i = 0; i < targets.size() && i < outcomes.size(); ++i) {
        const fleet::CardOutcome& o = outcomes[i];
        rows.push_back({targets[i].given, Q(o.read.mac), Q(o.read.ip), WrittenIp(o),
                        OutcomeText(o, language), OutcomeDetail(o, profile, language)});
    }
    return TextTable({Tr(Text::ColCard, language), Tr(Text::ColMac, language),
                      Tr(Text::ColIp, language), Tr(Text::ColNewIp, language),
                      Tr(Text::ColResult, language), Tr(Text::ColDetail, language)},
                     rows);
}

QString OutcomeSummary(const std::vector<fleet::CardOutcome>& outcomes, lang::LanguageId language) {
    const auto count = [&outcomes](Status s) {
        return std::count_if(outcomes.begin(), outcomes.end(),
                             [s](const fleet::CardOutcome& o) { return o.status == s; });
    };
    return Tr(Text::Summary, language)
               .arg(outcomes.size())
               .arg(count(Status::Confirmed))
               .arg(count(Status::NotConfirmed))
               .arg(count(Status::NoAnswer))
               .arg(count(Status::Refused))
               .arg(count(Status::Cancelled)) +
           u'\n';
}

int ExitStatus(const std::vector<fleet::CardOutcome>& outcomes, bool interrupted) {
    if (interrupted) {
        return kExitInterrupted;
    }
    const auto any = [&outcomes](Status s) {
        return std::any_of(outcomes.begin(), outcomes.end(),
                           [s](const fleet::CardOutcome& o) { return o.status == s; });
    };
    if (any(Status::NotConfirmed)) {
        return kExitNotConfirmed;
    }
    if (any(Status::NoAnswer)) {
        return kExitNoAnswer;
    }
    if (any(Status::Refused) || any(Status::Cancelled)) {
        return kExitRefused;
    }
    return kExitConfirmed;
}

QString ProgressLine(std::size_t done, std::size_t total, std::size_t written,
                     lang::LanguageId language, int width) {
    const QString text = Tr(Text::Progress, language).arg(done).arg(total).arg(written);
    const int bar = std::max(10, width - DisplayWidth(text) - 3);
    const int filled = total == 0 ? bar : int(std::size_t(bar) * done / total);
    return u'[' + QString(filled, u'#') + QString(bar - filled, u'-') + u"] "_qs + text;
}

QString HexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace ctl
