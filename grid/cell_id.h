#pragma once
// Cell addresses and rectangles of cells.

#include <cstdint>

// One cell; (-1, -1) is no cell.
struct CCellID {
  int row = -1;
  int col = -1;

  constexpr CCellID() = default;
  constexpr CCellID(int nRow, int nCol) : row(nRow), col(nCol) {}
  // No upper bound here: the grid compares with its own counts.
  constexpr bool IsValid() const { return row >= 0 && col >= 0; }
  constexpr bool operator==(const CCellID&) const = default;

  // Row and column in full, for hashing: no two cells share a key.
  constexpr std::uint64_t Key() const {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
           static_cast<std::uint32_t>(col);
  }
  static constexpr CCellID FromKey(std::uint64_t key) {
    return CCellID(static_cast<int>(static_cast<std::uint32_t>(key >> 32)),
                   static_cast<int>(static_cast<std::uint32_t>(key)));
  }
};

// A rectangle of cells, bounds inclusive; (-1, -1, -1, -1) by default.
class CCellRange {
 public:
  constexpr CCellRange() = default;
  constexpr CCellRange(int minRow, int minCol, int maxRow, int maxCol)
      : minRow_(minRow), minCol_(minCol), maxRow_(maxRow), maxCol_(maxCol) {}

  constexpr void Set(int minRow, int minCol, int maxRow, int maxCol) {
    minRow_ = minRow;
    minCol_ = minCol;
    maxRow_ = maxRow;
    maxCol_ = maxCol;
  }
  constexpr bool operator==(const CCellRange&) const = default;

  constexpr bool IsValid() const {
    return minRow_ >= 0 && minCol_ >= 0 && maxRow_ >= 0 && maxCol_ >= 0 && minRow_ <= maxRow_ &&
           minCol_ <= maxCol_;
  }
  // Bounds inclusive; the range itself is not tested for validity.
  constexpr bool InRange(int row, int col) const {
    return minRow_ <= row && row <= maxRow_ && minCol_ <= col && col <= maxCol_;
  }
  constexpr bool InRange(const CCellID& cell) const { return InRange(cell.row, cell.col); }
  constexpr CCellID GetTopLeft() const { return CCellID(minRow_, minCol_); }

  constexpr int GetMinRow() const { return minRow_; }
  constexpr int GetMinCol() const { return minCol_; }
  constexpr int GetMaxRow() const { return maxRow_; }
  constexpr int GetMaxCol() const { return maxCol_; }
  constexpr void SetMinRow(int v) { minRow_ = v; }
  constexpr void SetMinCol(int v) { minCol_ = v; }
  constexpr void SetMaxRow(int v) { maxRow_ = v; }
  constexpr void SetMaxCol(int v) { maxCol_ = v; }

 private:
  int minRow_ = -1;
  int minCol_ = -1;
  int maxRow_ = -1;
  int maxCol_ = -1;
};
