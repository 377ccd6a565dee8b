// The bash completion offers every parameter --set can change, and no other name.

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
