#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>

namespace settings {
namespace {

IniFile Parse(const char* text) {
    return IniFile::fromBytes(QByteArray(text));
}

QString Value(const IniFile& ini, const char* section, const char* key) {
    return ini.value(QString::fromLatin1(section), QString::fromLatin1(key))
        .value_or(QStringLiteral("<absent>"));
}

// --- Reading values ---

TEST(IniFileRead, NamesMatchWithoutRegardToCaseAndFirstMatchWins) {
    const IniFile ini = Parse("[params]\ncardcolor=2\nCARDCOLOR=9\n[Params]\nDHCP=1\n");
    EXPECT_EQ(Value(ini, "Params", "CardColor"), QStringLiteral("2"));
    // Like the Windows functions, only the first section of a name is searched.
    EXPECT_EQ(Value(ini, "PARAMS", "DHCP"), QStringLiteral("<absent>"));
}

TEST(IniFileRead, BlanksQuotesCommentsAndStrayLines) {
    const IniFile ini = Parse("top=outside\n"
                              "  [ Params ]  \n"
                              "; DeviceType=commented\n"
                              "# CardColor=commented\n"
                              "  DeviceType \t=  P10 card \t\n"
                              "Quoted=\"  kept blanks \"\n"
                              "Single='x'\n"
                              "Half=\"x\n"
                              "Empty=\n"
                              "no equals sign here\n"
                              "=nameless\n");
    EXPECT_EQ(Value(ini, "Params", "DeviceType"), QStringLiteral("P10 card"));
    EXPECT_EQ(Value(ini, "Params", "Quoted"), QStringLiteral("  kept blanks "));
    EXPECT_EQ(Value(ini, "Params", "Single"), QStringLiteral("x"));
    EXPECT_EQ(Value(ini, "Params", "Half"), QStringLiteral("\"x"));
    EXPECT_EQ(Value(ini, "Params", "Empty"), QString());
    EXPECT_EQ(Value(ini, "Params", "CardColor"), QStringLiteral("<absent>"));
    EXPECT_EQ(Value(ini, "Params", "top"), QStringLiteral("<absent>"));
    EXPECT_EQ(Value(ini, "Params", "no equals sign here"), QStringLiteral("<absent>"));
}

TEST(IniFileRead, LineEndingsAndByteOrderMark) {
    for (const char* text : {"[A]\r\nk=1\r\n[B]\r\nk=2\r\n", "[A]\nk=1\n[B]\nk=2",
                             "[A]\rk=1\r[B]\rk=2\r", "\xEF\xBB\xBF[A]\r\nk=1\n[B]\rk=2"}) {
        SCOPED_TRACE(text);
        const IniFile ini = Parse(text);
        EXPECT_EQ(Value(ini, "A", "k"), QStringLiteral("1"));
        EXPECT_EQ(Value(ini, "B", "k"), QStringLiteral("2"));
    }
}

// Found by fuzzing: a byte order mark that is not at the start of the file belongs to the name.
TEST(IniFileRead, AByteOrderMarkInsideTheFileIsPartOfTheLine) {
    const IniFile ini = Parse("\xEF\xBB\xBF[A]\r\n\xEF\xBB\xBFk=1\r\nv=\xEF\xBB\xBFx\r\n");
    EXPECT_EQ(Value(ini, "A", "k"), QStringLiteral("<absent>"));
    EXPECT_EQ(Value(ini, "A", "v"), QString(QChar(0xFEFF)) + u'x');
}

TEST(IniFileRead, ValuesAreCutAt2047Characters) {
    const QByteArray long3000(3000, 'v');
    const IniFile ini = IniFile::fromBytes("[P]\nk=" + long3000 + "\nj=" + QByteArray(2047, 'w'));
    EXPECT_EQ(Value(ini, "P", "k"), QString(2047, u'v'));
    EXPECT_EQ(Value(ini, "P", "j"), QString(2047, u'w'));
}

TEST(IniFileRead, BytesThatAreNotUtf8AreReadAsGbk) {
    // "显示屏" as a Windows editor saves it in the ANSI code page of a Chinese system (936).
    const QByteArray gbk("\xCF\xD4\xCA\xBE\xC6\xC1");
    const IniFile ini = IniFile::fromBytes(
        "[Params]\r\nDeviceType=" + gbk + "\r\nUtf8=" + QStringLiteral("显示屏").toUtf8() + "\r\n");
    EXPECT_EQ(Value(ini, "Params", "Utf8"), QStringLiteral("显示屏"));
    if (QStringDecoder("GBK").isValid() || QStringDecoder("GB18030").isValid()) {
        EXPECT_EQ(Value(ini, "Params", "DeviceType"), QStringLiteral("显示屏"));
    } else {
        EXPECT_EQ(Value(ini, "Params", "DeviceType"), QString::fromLatin1(gbk));
    }
}

// --- Numbers ---

TEST(IniFileNumbers, WholeTextMustBeANumber) {
    struct Case {
        const char* text;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"20", 20},
        {"007", 7},
        {"+7", 7},
        {"-5", -5},
        {"0x14", 20},
        {"0X1f", 31},
        {"0x0000000014", 20},
        {"0xFFFFFFFF", -1},
        {"0x80000000", INT_MIN},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", std::nullopt},
        {"0x100000000", std::nullopt},
        {"0x", std::nullopt},
        {"0xG1", std::nullopt},
        {"-0x10", std::nullopt},
        {"12abc", std::nullopt},
        {"abc", std::nullopt},
        {"1 2", std::nullopt},
        {"1.5", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"\xD9\xA3", std::nullopt}, // ARABIC-INDIC DIGIT THREE is no decimal digit here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IniFile::parseInt(QString::fromUtf8(c.text)), c.expected);
    }
}

TEST(IniFileNumbers, IntegersAndBooleansFallBackToTheirDefault) {
    const IniFile ini = Parse("[P]\nhex=0x14\nword=abc\nempty=\nzero=0\ntwo=2\nneg=-1\n");
    EXPECT_EQ(ini.readInt(QStringLiteral("P"), QStringLiteral("hex"), 7), 20);
    EXPECT_EQ(ini.readInt(QStringLiteral("P"), QStringLiteral("word"), 7), 7);
    EXPECT_EQ(ini.readInt(QStringLiteral("P"), QStringLiteral("empty"), 7), 7);
    EXPECT_EQ(ini.readInt(QStringLiteral("P"), QStringLiteral("missing"), 7), 7);
    EXPECT_FALSE(ini.readBool(QStringLiteral("P"), QStringLiteral("zero"), true));
    EXPECT_TRUE(ini.readBool(QStringLiteral("P"), QStringLiteral("two"), false));
    EXPECT_TRUE(ini.readBool(QStringLiteral("P"), QStringLiteral("neg"), false));
    EXPECT_TRUE(ini.readBool(QStringLiteral("P"), QStringLiteral("word"), true));
    EXPECT_FALSE(ini.readBool(QStringLiteral("P"), QStringLiteral("word"), false));
}

// --- Writing ---

QByteArray Written(const char* original, void (*edit)(IniFile&)) {
    IniFile ini = Parse(original);
    edit(ini);
    return ini.toBytes();
}

TEST(IniFileWrite, ChangesOnlyTheLineOfTheKey) {
    const char* original = "; made by hand\r\n"
                           "[Params]\r\n"
                           "  cardcolor = 3 ; trailing\r\n"
                           "Other=x\r\n"
                           "\r\n"
                           "[Extra]\r\n"
                           "Keep=me\r\n";
    EXPECT_EQ(Written(original,
                      [](IniFile& ini) {
                          ini.setInt(QStringLiteral("PARAMS"), QStringLiteral("CardColor"), 2);
                      }),
              QByteArray("; made by hand\r\n"
                         "[Params]\r\n"
                         "cardcolor=2\r\n"
                         "Other=x\r\n"
                         "\r\n"
                         "[Extra]\r\n"
                         "Keep=me\r\n"));
}

TEST(IniFileWrite, AnUnchangedValueLeavesItsBytesAlone) {
    const QByteArray original("[Params]\r\n  DeviceType = \"\xCF\xD4\xCA\xBE\"  \r\nN = 0x14\r\n");
    IniFile ini = IniFile::fromBytes(original);
    const QString deviceType = *ini.value(QStringLiteral("Params"), QStringLiteral("DeviceType"));
    ini.setValue(QStringLiteral("Params"), QStringLiteral("DeviceType"), deviceType);
    EXPECT_EQ(ini.toBytes(), original);
    // An integer is rewritten in decimal only when its text differs.
    ini.setInt(QStringLiteral("Params"), QStringLiteral("N"), 20);
    EXPECT_EQ(ini.toBytes(),
              QByteArray("[Params]\r\n  DeviceType = \"\xCF\xD4\xCA\xBE\"  \r\nN=20\r\n"));
}

TEST(IniFileWrite, NewKeyGoesAfterTheLastKeyOfItsSection) {
    EXPECT_EQ(Written("[Params]\nA=1\n; about B\nB=2\n\n; next section\n[Other]\nC=3\n",
                      [](IniFile& ini) {
                          ini.setValue(QStringLiteral("params"), QStringLiteral("New"),
                                       QStringLiteral("v"));
                      }),
              QByteArray("[Params]\nA=1\n; about B\nB=2\nNew=v\n\n; next section\n[Other]\nC=3\n"));
    EXPECT_EQ(Written("[Empty]\n[Other]\n",
                      [](IniFile& ini) {
                          ini.setValue(QStringLiteral("Empty"), QStringLiteral("k"),
                                       QStringLiteral("v"));
                      }),
              QByteArray("[Empty]\nk=v\n[Other]\n"));
    EXPECT_EQ(Written("[Last]\nA=1",
                      [](IniFile& ini) {
                          ini.setValue(QStringLiteral("Last"), QStringLiteral("B"),
                                       QStringLiteral("2"));
                      }),
              QByteArray("[Last]\nA=1\nB=2\n"));
}

TEST(IniFileWrite, NewSectionGoesAtTheEndWithTheFilesLineEnding) {
    EXPECT_EQ(Written("; only a comment",
                      [](IniFile& ini) {
                          ini.setValue(QStringLiteral("S"), QStringLiteral("k"),
                                       QStringLiteral("v"));
                      }),
              QByteArray("; only a comment\r\n[S]\r\nk=v\r\n"));
    EXPECT_EQ(Written("[A]\nx=1\n",
                      [](IniFile& ini) {
                          ini.setValue(QStringLiteral("S"), QStringLiteral("k"),
                                       QStringLiteral("v"));
                      }),
              QByteArray("[A]\nx=1\n[S]\nk=v\n"));
    EXPECT_EQ(Written("\xEF\xBB\xBF",
                      [](IniFile& ini) {
                          ini.setValue(QStringLiteral("S"), QStringLiteral("k"),
                                       QStringLiteral("v"));
                      }),
              QByteArray("\xEF\xBB\xBF[S]\r\nk=v\r\n"));
}

TEST(IniFileWrite, AValueCannotBreakItsLine) {
    IniFile ini;
    ini.setValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("a\r\n[Evil]\nb"));
    EXPECT_EQ(ini.toBytes(), QByteArray("[S]\r\nk=a  [Evil] b\r\n"));
    EXPECT_EQ(Value(ini, "Evil", "b"), QStringLiteral("<absent>"));
}

// Found by fuzzing: a written value must read back as it was written.
TEST(IniFileWrite, ValuesWithBlankEndsOrEnclosingQuotesReadBackUnchanged) {
    for (const QString& v :
         {QStringLiteral(" 10.0.0.1"), QStringLiteral("name\t"), QStringLiteral("\"quoted\""),
          QStringLiteral("'x'"), QStringLiteral("\"half"), QStringLiteral("plain")}) {
        SCOPED_TRACE(v.toStdString());
        for (const char* start : {"", "[S]\nk=old\n", "[S]\nother=1\n[T]\n"}) {
            IniFile ini = Parse(start);
            ini.setValue(QStringLiteral("S"), QStringLiteral("k"), v);
            EXPECT_EQ(Value(IniFile::fromBytes(ini.toBytes()), "S", "k"), v);
        }
    }
    IniFile ini;
    ini.setValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("plain"));
    EXPECT_EQ(ini.toBytes(), QByteArray("[S]\r\nk=plain\r\n"));
}

// Found by fuzzing: in a file of lone CRs, a key added before an empty LF line must not merge
// with it into one CR LF ending, which would drop the empty line.
TEST(IniFileWrite, KeyAddedBeforeAnEmptyLfLineKeepsThatLine) {
    IniFile ini = Parse("[S]\ra=1\n\n[T]\rc=3\r");
    ini.setValue(QStringLiteral("S"), QStringLiteral("b"), QStringLiteral("2"));
    const QByteArray bytes = ini.toBytes();
    EXPECT_EQ(bytes, QByteArray("[S]\ra=1\nb=2\r\n\n[T]\rc=3\r"));
    const IniFile again = IniFile::fromBytes(bytes);
    EXPECT_EQ(Value(again, "S", "a"), QStringLiteral("1"));
    EXPECT_EQ(Value(again, "S", "b"), QStringLiteral("2"));
}

// --- Saving ---

TEST(IniFileSave, ReplacesTheFileAndFailsWithoutTouchingWhatIsThere) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    IniFile ini = Parse("[S]\nk=v\n");

    const QString path = dir.filePath(QStringLiteral("SysCfg.ini"));
    ASSERT_TRUE(ini.save(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[S]\nk=v\n"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("SysCfg.ini")});

    const QString isDirectory = dir.filePath(QStringLiteral("dir.ini"));
    ASSERT_TRUE(QDir().mkdir(isDirectory));
    EXPECT_FALSE(ini.save(isDirectory));
    EXPECT_TRUE(QFileInfo(isDirectory).isDir());

    EXPECT_FALSE(ini.save(path + QStringLiteral("/under/a/file.ini")));
    ASSERT_TRUE(file.seek(0));
    EXPECT_EQ(file.readAll(), QByteArray("[S]\nk=v\n"));
}

} // namespace
} // namespace settings
