// The bash completion offers every parameter --set can change and no other name, and each
// command the options its help lists.

#include "ctl/CommandLine.h"
#include "ctl/commands/Commands.h"
#include "fleet/ParameterNames.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <set>

TEST(Completion, OffersEveryWritableParameterName) {
    QFile file(QStringLiteral(LEDCARDCTL_COMPLETION));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(file.readAll());
    static const QRegularExpression block(QStringLiteral("local names=\"([^\"]*)\""));
    const auto m = block.match(script);
    ASSERT_TRUE(m.hasMatch());
    std::set<std::string> offered;
    for (const QString& name :
         m.captured(1).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        offered.insert(name.toStdString());
    }
    std::set<std::string> writable;
    for (const fleet::Parameter& p : fleet::Parameters()) {
        if (!p.readOnly) {
            writable.insert(std::string(p.name));
        }
    }
    EXPECT_EQ(offered, writable);
}

// Each command's options in the completion are the ones its help lists, no more, no fewer.
TEST(Completion, OffersEachCommandsOptions) {
    QFile file(QStringLiteral(LEDCARDCTL_COMPLETION));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(file.readAll());
    const auto words = [](const QString& text) {
        std::set<QString> out;
        for (const QString& w :
             text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
            out.insert(w);
        }
        return out;
    };
    const auto variable = [&script](const char* name) {
        const QRegularExpression re(
            QStringLiteral("local %1=\"([^\"]*)\"").arg(QLatin1String(name)));
        return re.match(script).captured(1);
    };
    const QString shared = variable("options");
    const QString run = variable("run");
    ASSERT_FALSE(shared.isEmpty());
    for (const ctl::Subcommand* command : ctl::Subcommands()) {
        SCOPED_TRACE(command->name().toStdString());
        const QRegularExpression line(
            QStringLiteral("\\n\\s+%1\\) options\\+=\" ([^\"]*)\" ;;").arg(command->name()));
        const auto m = line.match(script);
        ASSERT_TRUE(m.hasMatch());
        std::set<QString> offered =
            words(shared + u' ' + QString(m.captured(1)).replace(u"$run"_qs, run));
        offered.insert(u"-h"_qs);
        const ctl::Parsed help =
            ctl::ParseCommandLine({command->name(), u"--help"_qs}, ctl::Environment{});
        std::set<QString> listed;
        static const QRegularExpression option(QStringLiteral("(?:^|\\|)(--?[a-z-]+)"));
        for (const QString& l : help.text.split(u'\n')) {
            if (!l.startsWith(u"  -"_qs)) {
                continue;
            }
            const QString names = l.trimmed().section(u' ', 0, 0);
            for (auto it = option.globalMatch(names); it.hasNext();) {
                listed.insert(it.next().captured(1));
            }
        }
        EXPECT_EQ(offered, listed);
    }
}
