#pragma once
// How a printed table falls into pages, worked out from sizes alone: the body rows
// go into bands of one page height, the non-fixed columns into slices of one page
// width, and every page prints one band in one slice. Pages run across first: with
// A slices, pages 1..A are the slices of the first band, A+1..2A those of the second.
//
// One rule cuts both bands and slices, and the page count is the number of pieces
// it makes, so the count and the printed pages always agree: a row (column) goes on
// the current piece while the piece's total stays within the room, otherwise it opens
// the next piece. A row taller than the room stands alone on a piece (and is printed
// clipped); an empty piece is never made for it. Hidden rows and columns (size 0)
// never open a piece.

#include <vector>

namespace zv {

// Indexes [first, end) of the rows or columns of one piece.
struct PrintRange {
  int first = 0;
  int end = 0;
  bool operator==(const PrintRange&) const = default;
  bool IsEmpty() const { return end <= first; }
};

// The items from `first` to the end of `sizes`, cut into pieces of at most `room`
// (except an item larger than the room, alone on its piece). At least one piece,
// empty when there are no items.
std::vector<PrintRange> SplitForPrinting(const std::vector<int>& sizes, int first, int room);

// What one page prints: a band of body rows and a slice of non-fixed columns.
struct PrintPage {
  PrintRange rows;
  PrintRange cols;
  bool operator==(const PrintPage&) const = default;
};

class PrintLayout {
 public:
  // Every row height and column width of the grid, its fixed counts, the height
  // available for body rows and the width available for non-fixed columns on one
  // page; the columns are split across pages only with `splitAcross`.
  PrintLayout(const std::vector<int>& rowHeights, int fixedRows, const std::vector<int>& colWidths, int fixedCols,
              int pageHeight, int pageWidth, bool splitAcross);

  int PagesDown() const { return static_cast<int>(bands_.size()); }
  int PagesAcross() const { return static_cast<int>(slices_.size()); }
  int PageCount() const { return PagesDown() * PagesAcross(); }
  const std::vector<PrintRange>& Bands() const { return bands_; }
  const std::vector<PrintRange>& Slices() const { return slices_; }

  // Page 1..PageCount. A page outside that has no rows (both row indexes at the
  // row count) and the first slice.
  PrintPage Page(int page) const;

 private:
  int rowCount_;
  std::vector<PrintRange> bands_;
  std::vector<PrintRange> slices_;
};

}  // namespace zv
