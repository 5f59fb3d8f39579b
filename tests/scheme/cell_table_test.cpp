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
