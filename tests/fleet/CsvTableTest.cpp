// The one CSV writer of the window and ledcardctl, byte for byte: quoting, and cells a
// spreadsheet would run as formulas. The byte order mark is in the tests of each caller.

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
