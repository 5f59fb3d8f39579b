#include "cell_table.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace velmora {

void CellTable::setColumns(int cols) { resize(cols, rows_); }

void CellTable::setRows(int rows) { resize(cols_, rows); }

void CellTable::resize(int cols, int rows)
{
    if (cols < 0 || rows < 0)
        throw std::invalid_argument("a table cannot have a negative number of columns or rows");
    if (std::int64_t{cols} * rows > kMaxCells)
        throw std::length_error("a table of " + std::to_string(cols) + " x " + std::to_string(rows) +
                                " cells is too large");
    if (cols == cols_ && rows == rows_)
        return;

    std::vector<Cell> cells(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < cols_; ++c) {
            Cell& old = cells_[index(c, r)];
            if (r < rows && c < cols)
                cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(c)] =
                    old;
            else
                release(old);
        }
    }
    cells_ = std::move(cells);
    cols_ = cols;
    rows_ = rows;
}

std::size_t CellTable::index(int col, int row) const
{
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_)
        throw std::out_of_range("cell (" + std::to_string(col) + ", " + std::to_string(row) +
                                ") lies outside the table of " + std::to_string(cols_) + " x " +
                                std::to_string(rows_) + " cells");
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(col);
}

std::uint32_t CellTable::longIndex(const Cell& cell)
{
    std::uint32_t slot = 0;
    std::memcpy(&slot, cell.bytes.data(), sizeof slot);
    return slot;
}

std::string_view CellTable::view(const Cell& cell) const
{
    if (cell.length == kLong)
        return longTexts_[longIndex(cell)];
    return {cell.bytes.data(), cell.length};
}

void CellTable::release(Cell& cell)
{
    if (cell.length == kLong) {
        const std::uint32_t slot = longIndex(cell);
        longTexts_[slot].clear();
        longTexts_[slot].shrink_to_fit();
        freeLong_.push_back(slot);
    }
    cell.length = 0;
}

void CellTable::store(Cell& cell, std::string_view text)
{
    if (text.size() <= kInline) {
        release(cell);
        std::copy(text.begin(), text.end(), cell.bytes.begin());
        cell.length = static_cast<std::uint8_t>(text.size());
        return;
    }
    if (cell.length == kLong) {
        longTexts_[longIndex(cell)].assign(text);
        return;
    }
    std::uint32_t slot = 0;
    if (freeLong_.empty()) {
        slot = static_cast<std::uint32_t>(longTexts_.size());
        longTexts_.emplace_back(text);
    } else {
        slot = freeLong_.back();
        freeLong_.pop_back();
        longTexts_[slot].assign(text);
    }
    std::memcpy(cell.bytes.data(), &slot, sizeof slot);
    cell.length = kLong;
}

std::string CellTable::text(int col, int row) const { return std::string(view(cells_[index(col, row)])); }

std::string_view CellTable::textView(int col, int row) const { return view(cells_[index(col, row)]); }

void CellTable::setText(int col, int row, std::string_view text) { store(cells_[index(col, row)], text); }

void CellTable::setRotatedText(int col, int row, std::string_view text)
{
    Cell& cell = cells_[index(col, row)];
    store(cell, text);
    cell.rotated = 1;
}

int CellTable::rotation(int col, int row) const { return cells_[index(col, row)].rotated != 0 ? 90 : 0; }

void CellTable::clear()
{
    std::fill(cells_.begin(), cells_.end(), Cell{});
    longTexts_.clear();
    freeLong_.clear();
}

bool operator==(const CellTable& a, const CellTable& b)
{
    if (a.cols_ != b.cols_ || a.rows_ != b.rows_)
        return false;
    for (std::size_t i = 0; i < a.cells_.size(); ++i) {
        if (a.cells_[i].rotated != b.cells_[i].rotated || a.view(a.cells_[i]) != b.view(b.cells_[i]))
            return false;
    }
    return true;
}

} // namespace velmora
