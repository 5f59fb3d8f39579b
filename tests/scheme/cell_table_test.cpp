#include "scheme/cell_table.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace velmora {
namespace {

TEST(CellTable, CountsKeepTheCellsThatRemain)
{
    const std::string longText = "\xca\xf0\xe5\xf1\xf2\xe8\xea\xee\xe2"; // longer than a cell holds inline
    CellTable table;
    table.setColumns(3);
    table.setRows(2);
    table.setText(0, 0, "a");
    table.setRotatedText(2, 0, " 3");
    table.setText(1, 1, longText);
    table.setText(2, 1, longText + "!");

    table.setColumns(2); // drops column 2
    table.setRows(4);
    EXPECT_EQ(table.text(0, 0), "a");
    EXPECT_EQ(table.text(1, 1), longText);
    EXPECT_EQ(table.text(1, 3), "");
    table.setColumns(3);
    EXPECT_EQ(table.text(2, 0), ""); // a new cell, not the dropped one
    EXPECT_EQ(table.rotation(2, 0), 0);
    EXPECT_EQ(table.text(2, 1), "");

    table.setText(1, 1, "b"); // a long text replaced by a short one and back
    EXPECT_EQ(table.text(1, 1), "b");
    table.setText(0, 2, longText + "?");
    table.setRotatedText(1, 2, "123456");
    EXPECT_EQ(table.text(0, 2), longText + "?");
    EXPECT_EQ(table.text(1, 2), "123456");
    EXPECT_EQ(table.rotation(1, 2), 90);
    table.setText(1, 2, "x"); // the mark stays with the cell
    EXPECT_EQ(table.rotation(1, 2), 90);

    CellTable copy = table;
    EXPECT_EQ(copy, table);
    copy.setText(0, 2, longText);
    EXPECT_NE(copy, table);
    EXPECT_EQ(table.text(0, 2), longText + "?");

    table.clear();
    EXPECT_EQ(table.columns(), 3);
    EXPECT_EQ(table.rows(), 4);
    EXPECT_EQ(table.text(0, 0), "");
    EXPECT_EQ(table.text(0, 2), "");
    EXPECT_EQ(table.rotation(1, 2), 0);
}

// A cell of one byte is kept apart from one of a longer text or a turned one; whichever way a cell
// got its text, equal cells compare equal, and the byte 0 is a text, not an empty cell.
TEST(CellTable, CellsAreEqualWhateverTheirHistory)
{
    CellTable direct, changed;
    for (CellTable* table : {&direct, &changed}) {
        table->setColumns(4);
        table->setRows(2);
    }
    const std::string zero(1, '\0');
    direct.setText(0, 0, "a");
    direct.setText(1, 0, zero);
    direct.setRotatedText(2, 0, "b");
    changed.setText(0, 0, "long text");
    changed.setText(0, 0, "a");
    changed.setText(1, 0, zero);
    changed.setRotatedText(2, 0, "12");
    changed.setText(2, 0, "b");
    EXPECT_EQ(changed, direct);
    EXPECT_EQ(direct.text(1, 0), zero);
    EXPECT_EQ(direct.textView(1, 1), "");
    EXPECT_EQ(direct.rotation(2, 0), 90);

    changed.setText(1, 0, "");
    EXPECT_NE(changed, direct);
    changed.setText(1, 0, zero);
    changed.setRows(3); // a row more, then the same counts again
    changed.setRows(2);
    EXPECT_EQ(changed, direct);
}

TEST(CellTable, RefusesCellsOutsideAndHugeTables)
{
    CellTable table;
    table.setColumns(2);
    table.setRows(2);
    EXPECT_THROW(table.text(2, 0), std::out_of_range);
    EXPECT_THROW(table.setText(0, -1, "a"), std::out_of_range);
    EXPECT_THROW(table.rotation(0, 2), std::out_of_range);
    EXPECT_THROW(table.setColumns(-1), std::invalid_argument);
    EXPECT_THROW(table.setRows(100000000), std::length_error);
    EXPECT_EQ(table.rows(), 2);
    table.setColumns(1001);
    table.setRows(1002); // a full-size chart
    table.setText(1000, 1001, "z");
    EXPECT_EQ(table.text(1000, 1001), "z");
}

} // namespace
} // namespace velmora
