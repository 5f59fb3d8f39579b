#include "cell_table.h"

#include <algorithm>
#include <stdexcept>

namespace velmora {
namespace {

std::size_t Words(std::size_t cells) { return (cells + 63) / 64; }

// A one-byte text other than the byte 0 fits the cell itself.
bool FitsCell(std::string_view text) { return text.empty() || (text.size() == 1 && text.front() != '\0'); }

} // namespace

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

    const auto newCols = static_cast<std::size_t>(cols), oldCols = static_cast<std::size_t>(cols_);
    const std::size_t count = newCols * static_cast<std::size_t>(rows);
    std::vector<char> bytes(count, 0);
    const std::size_t keptCols = std::min(newCols, oldCols);
    const int keptRows = std::min(rows, rows_);
    for (int r = 0; r < keptRows; ++r) {
        const auto from = bytes_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(r) * oldCols);
        std::copy(from, from + static_cast<std::ptrdiff_t>(keptCols),
                  bytes.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(r) * newCols));
    }
    std::unordered_map<std::size_t, SideCell> sides;
    inSide_.assign(Words(count), 0);
    for (auto& [i, side] : sides_) {
        const std::size_t c = i % oldCols, r = i / oldCols;
        if (c < newCols && r < static_cast<std::size_t>(rows)) {
            const std::size_t moved = r * newCols + c;
            sides.emplace(moved, std::move(side));
            markSide(moved, true);
        }
    }
    bytes_ = std::move(bytes);
    sides_ = std::move(sides);
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

void CellTable::markSide(std::size_t i, bool on)
{
    const std::uint64_t bit = std::uint64_t{1} << (i % 64);
    if (on)
        inSide_[i / 64] |= bit;
    else
        inSide_[i / 64] &= ~bit;
}

std::string_view CellTable::view(std::size_t i) const
{
    if (inSide(i))
        return sides_.at(i).text;
    return {&bytes_[i], bytes_[i] != '\0' ? std::size_t{1} : std::size_t{0}};
}

// A cell is in the side list exactly when its text does not fit it or it is marked turned, so
// equal cells are always kept alike.
void CellTable::store(std::size_t i, std::string_view text, bool rotate)
{
    const bool rotated = rotate || (inSide(i) && sides_.at(i).rotated);
    if (!rotated && FitsCell(text)) {
        if (inSide(i)) {
            sides_.erase(i);
            markSide(i, false);
        }
        bytes_[i] = text.empty() ? '\0' : text.front();
        return;
    }
    SideCell& side = sides_[i];
    side.text.assign(text);
    side.rotated = rotated;
    markSide(i, true);
    bytes_[i] = '\0';
}

std::string CellTable::text(int col, int row) const { return std::string(view(index(col, row))); }

std::string_view CellTable::textView(int col, int row) const { return view(index(col, row)); }

void CellTable::setText(int col, int row, std::string_view text) { store(index(col, row), text, false); }

void CellTable::setRotatedText(int col, int row, std::string_view text) { store(index(col, row), text, true); }

int CellTable::rotation(int col, int row) const
{
    const std::size_t i = index(col, row);
    return inSide(i) && sides_.at(i).rotated ? 90 : 0;
}

void CellTable::clear()
{
    std::fill(bytes_.begin(), bytes_.end(), '\0');
    std::fill(inSide_.begin(), inSide_.end(), 0);
    sides_.clear();
}

bool operator==(const CellTable& a, const CellTable& b)
{
    return a.cols_ == b.cols_ && a.rows_ == b.rows_ && a.bytes_ == b.bytes_ && a.inSide_ == b.inSide_ &&
           a.sides_ == b.sides_;
}

} // namespace velmora
