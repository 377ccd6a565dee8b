// The one CSV writer of the window and ledcardctl, byte for byte: quoting, cells a spreadsheet
// would run as formulas, and the byte order mark of the window's files.

#include "fleet/CsvTable.h"

#include <gtest/gtest.h>

using fleet::CsvTable;

namespace {

struct CellRow {
    const char* cell; // UTF-8
    const char* written;
};

const CellRow kCells[] = {
    {"", ""},
    {"Card 1", "Card 1"},
    {"=1+2", "'=1+2"},
    {"+1", "'+1"},
    {"-1", "'-1"},
    {"@SUM(A1)", "'@SUM(A1)"},
    {"\tx", "'\tx"},
    {"\rx", "\"'\rx\""},
    {"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
    {"a=b-c", "a=b-c"},
    {"'=x", "'=x"},
    {" =x", " =x"},
    {",", "\",\""},
    {"\"", "\"\"\"\""},
    {"Hall\r\nEast", "\"Hall\r\nEast\""},
    {"\xE4\xB8\x80\xE5\x8F\xB7\xE5\xB1\x8F", "\xE4\xB8\x80\xE5\x8F\xB7\xE5\xB1\x8F"},
};

} // namespace

TEST(CsvTable, EachCellAsWritten) {
    for (const CellRow& row : kCells) {
        CsvTable table({u"h"_qs}, CsvTable::Mark::None);
        table.addRow({QString::fromUtf8(row.cell)});
        EXPECT_EQ(table.bytes(), QByteArray("h\r\n") + row.written + "\r\n") << row.cell;
    }
}

TEST(CsvTable, RecordsWithAndWithoutTheMark) {
    CsvTable table({u"n"_qs, u"name"_qs}, CsvTable::Mark::ByteOrder);
    table.addRow({u"1"_qs, u"-A, B"_qs});
    table.addRow({u"2"_qs, QString()});
    EXPECT_EQ(table.bytes(), QByteArray("\xEF\xBB\xBFn,name\r\n1,\"'-A, B\"\r\n2,\r\n"));
    EXPECT_EQ(table.text(), u"n,name\r\n1,\"'-A, B\"\r\n2,\r\n"_qs);
    EXPECT_EQ(CsvTable({u"n"_qs}, CsvTable::Mark::None).bytes(), QByteArray("n\r\n"));
}
