#include "ui/ParameterFile.h"

#include "fleet/Profile.h"
#include "lang/QtText.h"
#include "lang/Texts.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace ui {

std::optional<ParameterFile::Failure> ParameterFile::save(const QString& path,
                                                          const protocol::PanelModel& panel,
                                                          const protocol::CardProfile& card,
                                                          lang::LanguageId language) {
    if (QString::fromStdString(panel[protocol::Edit::MACAddr]).trimmed().isEmpty()) {
        return Failure{lang::QtText(language, lang::CommandText::NothingRead)};
    }
    const std::string json = fleet::ProfileJson(panel, card);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(json.data(), qint64(json.size())) == qint64(json.size()) && file.commit()) {
        return std::nullopt;
    }
    file.cancelWriting();
    return Failure{
        lang::QtText(language, lang::CommandText::CannotWrite).arg(QDir::toNativeSeparators(path))};
}

std::variant<protocol::PanelModel, ParameterFile::Failure>
ParameterFile::load(const QString& path, const protocol::PanelModel& panel,
                    const protocol::CardProfile& card, lang::LanguageId language) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Failure{lang::QtText(language, lang::CommandText::CannotRead)
                           .arg(QDir::toNativeSeparators(path))};
    }
    const QByteArray text = file.readAll();
    const std::string name = QDir::toNativeSeparators(path).toStdString();
    const auto parsed =
        fleet::ParseProfile(std::string_view(text.constData(), std::size_t(text.size())), name);
    if (const auto* refusal = std::get_if<fleet::Refusal>(&parsed)) {
        return Failure{QString::fromStdString(fleet::RefusalMessage(*refusal, language))};
    }
    protocol::PanelModel result = panel;
    if (const auto refusal = fleet::ApplyProfile(result, std::get<fleet::Profile>(parsed), card)) {
        return Failure{QString::fromStdString(fleet::RefusalMessage(*refusal, language))};
    }
    return result;
}

} // namespace ui
