#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A table of text cells, addressed (column, row) from (0, 0) at the top left, as the chart and
// the legend of a scheme are kept. Texts are Windows-1251 bytes. A cell can be marked to be drawn
// turned by 90 degrees (the chart's column numbers).
//
// A 1000 × 1000 chart has a million cells of one-byte symbols, so a cell is 8 bytes: texts of up
// to 6 bytes live in the cell itself, longer ones in a side list.
class CellTable {
public:
    // More cells than this is no table we draw: 16 Mi cells, 128 MiB.
    static constexpr std::int64_t kMaxCells = std::int64_t{1} << 24;

    int columns() const { return cols_; }
    int rows() const { return rows_; }

    // Changing a count keeps the texts and marks of the cells that remain; new cells are empty.
    // A negative count or a table of more than kMaxCells cells throws.
    void setColumns(int cols);
    void setRows(int rows);

    // The cell's text; throws std::out_of_range outside the table.
    std::string text(int col, int row) const;
    // The same without a copy, for scans of a whole chart; valid until the table next changes.
    std::string_view textView(int col, int row) const;
    // Sets the text and leaves the cell's rotation as it was.
    void setText(int col, int row, std::string_view text);
    // Sets the text and marks the cell to be drawn turned by 90 degrees.
    void setRotatedText(int col, int row, std::string_view text);
    // 90 for a cell marked turned, else 0.
    int rotation(int col, int row) const;

    // Empties every cell and removes every mark; the counts stay.
    void clear();

    // Same counts, and the same text and rotation in every cell.
    friend bool operator==(const CellTable& a, const CellTable& b);

private:
    static constexpr std::size_t kInline = 6;
    static constexpr std::uint8_t kLong = 0xFF; // Cell::length of a text kept in longTexts_

    struct Cell {
        std::uint8_t length = 0;
        std::uint8_t rotated = 0;
        std::array<char, kInline> bytes{}; // the text, or the index of a long text
    };
    static_assert(sizeof(Cell) == 8);

    std::size_t index(int col, int row) const;
    std::string_view view(const Cell& cell) const;
    void store(Cell& cell, std::string_view text);
    void release(Cell& cell);
    static std::uint32_t longIndex(const Cell& cell);
    void resize(int cols, int rows);

    int cols_ = 0;
    int rows_ = 0;
    std::vector<Cell> cells_; // row by row
    std::vector<std::string> longTexts_;
    std::vector<std::uint32_t> freeLong_;
};

} // namespace velmora
