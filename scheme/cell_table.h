#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

// A table of text cells, addressed (column, row) from (0, 0) at the top left, as the chart and
// the legend of a scheme are kept. Texts are Windows-1251 bytes. A cell can be marked to be drawn
// turned by 90 degrees (the chart's column numbers).
//
// A 1000 × 1000 chart has a million cells of one-byte symbols, so a cell is one byte, its text's
// byte (0 for an empty cell), and one bit that says whether the cell is kept in a side list
// instead: a text longer than one byte, the byte 0 itself, or a cell drawn turned. Only the
// chart's numbers and the legend's texts live there.
class CellTable {
public:
    // More cells than this is no table we draw: 16 Mi cells, 18 MiB.
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
    struct SideCell {
        std::string text;
        bool rotated = false;
        friend bool operator==(const SideCell&, const SideCell&) = default;
    };

    std::size_t index(int col, int row) const;
    bool inSide(std::size_t i) const { return ((inSide_[i / 64] >> (i % 64)) & 1U) != 0; }
    void markSide(std::size_t i, bool on);
    std::string_view view(std::size_t i) const;
    void store(std::size_t i, std::string_view text, bool rotate);
    void resize(int cols, int rows);

    int cols_ = 0;
    int rows_ = 0;
    std::vector<char> bytes_;             // row by row; 0 for an empty cell or one in sides_
    std::vector<std::uint64_t> inSide_;   // one bit a cell: its text and mark are in sides_
    std::unordered_map<std::size_t, SideCell> sides_; // by cell index
};

} // namespace velmora
