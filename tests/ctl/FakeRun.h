#pragma once
// A command of ledcardctl run against a fake endpoint on a manual clock: what goes out, what is
// printed and the exit status, without a process or a socket.

#include "ctl/CommandLine.h"
#include "ctl/Runner.h"
#include "support/CardBytes.h"
#include "support/FakeEndpoint.h"
#include "support/ManualScheduler.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace ctltest {

// Card k: MAC 00:1A:2B:00:00:0k, IP 192.168.1.(99 + k) unless given, firmware 60 unless given.
inline testsupport::ReplyFields Card(int k, int octet = 0, const char* version = "3C") {
    testsupport::ReplyFields f;
    f.mac = "00 1A 2B 00 00 0" + std::to_string(k);
    f.ip = "C0 A8 01 " + QByteArray::number(octet ? octet : 99 + k, 16).toUpper().toStdString();
    f.version = version;
    return f;
}
inline QByteArray Reply(int k, int octet = 0, const char* version = "3C") {
    return testsupport::parameterReply(Card(k, octet, version));
}
inline QByteArray Answer(int k, int octet = 0, const char* version = "3C") {
    const testsupport::ReplyFields f = Card(k, octet, version);
    return testsupport::searchAnswer(f.mac, f.ip, f.version);
}
inline QString MacText(int k) {
    return QStringLiteral("00:1A:2B:00:00:0%1").arg(k);
}

struct FakeRun {
    testsupport::FakeEndpoint endpoint;
    testsupport::ManualScheduler clock;
    QTemporaryDir ownData; // backups and journal, unless a data folder is given
    QString outText;
    QString errText;
    QTextStream out{&outText};
    QTextStream err{&errText};
    std::map<QString, QByteArray> files; // what the command line reads
    std::unique_ptr<ctl::Runner> runner;
    int status = -1;

    explicit FakeRun(const QStringList& args, std::map<QString, QByteArray> f = {},
                     protocol::CardProfile profile = {}, const QString& dataFolder = {},
                     std::vector<fleet::LocalSubnet> local = {})
        : files(std::move(f)) {
        const ctl::Parsed parsed =
            ctl::ParseCommandLine(args, ctl::Environment{}, [this](const QString& path, QString*) {
                const auto it = files.find(path);
                return it == files.end() ? std::nullopt : std::optional<QByteArray>(it->second);
            });
        EXPECT_EQ(parsed.outcome, ctl::Parsed::Outcome::Run) << parsed.text.toStdString();
        ctl::Runner::Context context;
        // The program gives a dry run no endpoint; here it has one, so that a send would show.
        context.endpoint = &endpoint;
        context.scheduler = &clock;
        context.cardProfile = std::move(profile);
        context.out = &out;
        context.err = &err;
        context.dataFolder = dataFolder.isEmpty() ? ownData.path() : dataFolder;
        context.localSubnets = std::move(local);
        context.now = [] {
            return QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0), QTimeZone(8 * 3600));
        };
        runner = std::make_unique<ctl::Runner>(parsed.command, context);
        runner->start([this](int s) { status = s; });
    }

    // The one request of a search before a write (--times 2), the answers, and its end 50 ms on.
    void search(const std::vector<QByteArray>& answers) {
        clock.runUntil(0);
        for (const QByteArray& a : answers) {
            endpoint.deliver(a);
        }
        clock.runUntil(50);
    }
    // Every card's confirming read-back 5 s after its write.
    void confirm(const std::vector<QByteArray>& replies) {
        clock.advance(5000);
        for (const QByteArray& r : replies) {
            endpoint.deliver(r);
        }
    }
    QStringList kinds() const { // what went out, in order; searches and reads are short
        QStringList k;
        for (const auto& s : endpoint.sent) {
            k << (s.bytes.size() > 20                                 ? QStringLiteral("write")
                  : s.bytes.startsWith(testsupport::qt::hex("A1 15")) ? QStringLiteral("search")
                                                                      : QStringLiteral("read"));
        }
        return k;
    }
    QString text() {
        out.flush();
        return outText;
    }
    QString errors() {
        err.flush();
        return errText;
    }
    std::vector<QJsonObject> jsonLines() {
        std::vector<QJsonObject> lines;
        for (const QString& line : text().split(u'\n', Qt::SkipEmptyParts)) {
            lines.push_back(QJsonDocument::fromJson(line.toUtf8()).object());
        }
        return lines;
    }
};

} // namespace ctltest
