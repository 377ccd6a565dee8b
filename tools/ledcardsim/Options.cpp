#include "Options.h"

#include <QCommandLineParser>

namespace cardsim {

namespace {

template <typename T> bool toNumber(const QString& text, T min, T max, T& out) {
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v < qlonglong(min) || v > qlonglong(max)) {
        return false;
    }
    out = static_cast<T>(v);
    return true;
}

} // namespace

std::optional<std::set<int>> parseCardList(const QString& text, int cards) {
    std::set<int> out;
    if (text.trimmed().isEmpty()) {
        return out;
    }
    if (text.trimmed() == u"all") {
        for (int i = 1; i <= cards; ++i) {
            out.insert(i);
        }
        return out;
    }
    for (const QString& item : text.split(u',', Qt::SkipEmptyParts)) {
        const QStringList range = item.trimmed().split(u'-');
        int first = 0;
        int last = 0;
        if (range.size() > 2 || !toNumber(range.front(), 1, 1 << 30, first) ||
            !toNumber(range.back(), 1, 1 << 30, last) || last < first) {
            return std::nullopt;
        }
        for (int i = first; i <= last; ++i) {
            out.insert(i);
        }
    }
    return out;
}

ParsedOptions parseOptions(const QStringList& arguments) {
    ParsedOptions result;
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Simulates one or many LED controller cards on UDP port 8800.\n"
        "Run it only inside a network namespace of a test bed, or bound to 127.0.0.1:\n"
        "cards that answer by broadcast send to 255.255.255.255."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const auto opt = [](const char* name, const char* text, const char* value, const char* def) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(text),
                                  QString::fromLatin1(value), QString::fromLatin1(def));
    };
    const auto bind = opt("bind", "Local address to listen on.", "address", "0.0.0.0");
    const auto port = opt("port", "Port the cards listen on.", "port", "8800");
    const auto cards = opt("cards", "Number of cards.", "n", "1");
    const auto firstIp =
        opt("first-ip", "Address of card 1; the others follow.", "ip", "192.168.1.100");
    const auto mask = opt("mask", "Subnet mask of every card.", "mask", "255.255.255.0");
    const auto gateway = opt("gateway", "Gateway of every card.", "ip", "192.168.1.1");
    const auto firstMac =
        opt("first-mac", "MAC of card 1; the others count up.", "mac", "00:1A:2B:00:00:01");
    const auto names =
        opt("names", "Names, cycled over the cards; %1 is the card number.", "list", "Card %1");
    const auto noName =
        opt("no-name-cards", "Cards whose search answer has no name frame.", "cards", "");
    const auto versions =
        opt("versions", "Firmware versions, cycled over the cards.", "list", "60");
    const auto broadcastCards = opt(
        "broadcast-cards", "Cards that answer by broadcast instead of to the sender.", "cards", "");
    const auto ignoreWrites = opt("ignore-writes", "Cards that ignore writes.", "cards", "");
    const auto leaveAfterWrite =
        opt("leave-after-write",
            "Cards that drop off the network once a write for them came: no answers after it.",
            "cards", "");
    const auto serverIp = opt("server-ip", "Server address of every card.", "ip", "192.168.1.200");
    const auto serverPort = opt("server-port", "Server port of every card.", "port", "8800");
    const auto delay = opt("delay-ms", "Delay before each answer.", "ms", "0");
    const auto jitter = opt("jitter-ms", "Random extra delay, 0..ms.", "ms", "0");
    const auto burst =
        opt("burst-ms", "Spread the answers to one request evenly over ms.", "ms", "0");
    const auto loss = opt("loss", "Share of answers lost, 0..1.", "rate", "0");
    const auto seed = opt("seed", "Seed of the loss and jitter draws.", "n", "1");
    const auto answerPort = opt("answer-port", "Port the answers go to.", "port", "4400");
    const auto report = opt("report", "JSON lines report file (default: stdout).", "file", "");
    const QCommandLineOption quiet(
        QStringLiteral("quiet"),
        QStringLiteral("Report no answers: only requests, writes, states and one summary\n"
                       "of what was sent per burst."));
    p.addOptions(
        {help,       bind,       port,   cards,    firstIp,        mask,         gateway,
         firstMac,   names,      noName, versions, broadcastCards, ignoreWrites, leaveAfterWrite,
         serverIp,   serverPort, delay,  jitter,   burst,          loss,         seed,
         answerPort, report,     quiet});
    result.helpText = p.helpText();
    if (!p.parse(arguments)) {
        result.error = p.errorText();
        return result;
    }
    if (p.isSet(help)) {
        result.help = true;
        return result;
    }
    if (!p.positionalArguments().isEmpty()) {
        result.error = QStringLiteral("unexpected argument: %1").arg(p.positionalArguments()[0]);
        return result;
    }

    SimOptions& o = result.options;
    const auto fail = [&](const QCommandLineOption& which) {
        result.error = QStringLiteral("bad --%1: %2").arg(which.names().front(), p.value(which));
        return result;
    };
    o.bind = QHostAddress(p.value(bind));
    if (o.bind.protocol() != QAbstractSocket::IPv4Protocol) {
        return fail(bind);
    }
    int count = 0;
    if (!toNumber(p.value(port), quint16(1), quint16(65535), o.port)) {
        return fail(port);
    }
    if (!toNumber(p.value(answerPort), quint16(1), quint16(65535), o.answerPort)) {
        return fail(answerPort);
    }
    if (!toNumber(p.value(cards), 1, 100000, count)) {
        return fail(cards);
    }
    if (!toNumber(p.value(delay), 0, 600000, o.delayMs)) {
        return fail(delay);
    }
    if (!toNumber(p.value(jitter), 0, 600000, o.jitterMs)) {
        return fail(jitter);
    }
    if (!toNumber(p.value(burst), 0, 600000, o.burstMs)) {
        return fail(burst);
    }
    if (!toNumber(p.value(seed), quint32(0), quint32(0xFFFFFFFFu), o.seed)) {
        return fail(seed);
    }
    bool ok = false;
    o.loss = p.value(loss).toDouble(&ok);
    if (!ok || o.loss < 0.0 || o.loss > 1.0) {
        return fail(loss);
    }
    o.report = p.value(report);
    o.quiet = p.isSet(quiet);

    const auto ip0 = parseIp(p.value(firstIp));
    if (!ip0) {
        return fail(firstIp);
    }
    const auto maskIp = parseIp(p.value(mask));
    if (!maskIp) {
        return fail(mask);
    }
    const auto gatewayIp = parseIp(p.value(gateway));
    if (!gatewayIp) {
        return fail(gateway);
    }
    const auto server = parseIp(p.value(serverIp));
    if (!server) {
        return fail(serverIp);
    }
    quint16 serverPortValue = 0;
    if (!toNumber(p.value(serverPort), quint16(0), quint16(65535), serverPortValue)) {
        return fail(serverPort);
    }
    const auto mac0 = parseMac(p.value(firstMac));
    if (!mac0) {
        return fail(firstMac);
    }
    const QStringList nameList = p.value(names).split(u',');
    std::vector<std::uint8_t> versionList;
    for (const QString& v : p.value(versions).split(u',')) {
        std::uint8_t value = 0;
        if (!toNumber(v.trimmed(), std::uint8_t(0), std::uint8_t(255), value)) {
            return fail(versions);
        }
        versionList.push_back(value);
    }
    const auto noNameSet = parseCardList(p.value(noName), count);
    if (!noNameSet) {
        return fail(noName);
    }
    const auto broadcastSet = parseCardList(p.value(broadcastCards), count);
    if (!broadcastSet) {
        return fail(broadcastCards);
    }
    const auto ignoreSet = parseCardList(p.value(ignoreWrites), count);
    if (!ignoreSet) {
        return fail(ignoreWrites);
    }
    const auto leaveSet = parseCardList(p.value(leaveAfterWrite), count);
    if (!leaveSet) {
        return fail(leaveAfterWrite);
    }

    quint64 mac = 0;
    for (std::uint8_t b : *mac0) {
        mac = mac << 8 | b;
    }
    o.cards.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        CardState c;
        c.number = i + 1;
        if (!noNameSet->count(c.number)) {
            const QString& pattern = nameList[i % nameList.size()];
            c.name = (pattern.contains(u"%1") ? pattern.arg(c.number) : pattern).toLatin1();
        }
        const quint64 m = (mac + quint64(i)) & 0xFFFFFFFFFFFFull;
        for (int b = 0; b < 6; ++b) {
            c.mac[std::size_t(b)] = std::uint8_t(m >> (8 * (5 - b)));
        }
        c.ip = ipFromValue(ipValue(*ip0) + quint32(i));
        c.mask = *maskIp;
        c.gateway = *gatewayIp;
        c.serverIp = *server;
        c.serverPort = serverPortValue;
        c.version = versionList[std::size_t(i) % versionList.size()];
        c.innerCode = {0x4C,
                       0x45,
                       0x44,
                       0x00,
                       std::uint8_t(c.number >> 24),
                       std::uint8_t(c.number >> 16),
                       std::uint8_t(c.number >> 8),
                       std::uint8_t(c.number)};
        c.answersByBroadcast = broadcastSet->count(c.number) != 0;
        c.ignoresWrites = ignoreSet->count(c.number) != 0;
        c.leavesAfterWrite = leaveSet->count(c.number) != 0;
        o.cards.push_back(std::move(c));
    }
    return result;
}

} // namespace cardsim
