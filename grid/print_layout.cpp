#include "grid/print_layout.h"

#include <cstddef>

namespace zv {

std::vector<PrintRange> SplitForPrinting(const std::vector<int>& sizes, int first, int room) {
  const int count = static_cast<int>(sizes.size());
  if (first < 0) first = 0;
  if (first > count) first = count;
  std::vector<PrintRange> pieces;
  PrintRange piece{first, first};
  long long used = 0;
  for (int i = first; i < count; ++i) {
    const int size = sizes[static_cast<std::size_t>(i)] > 0 ? sizes[static_cast<std::size_t>(i)] : 0;
    // A hidden item never opens a piece; a shown one does when the piece holds
    // something already and the item would overflow it.
    if (size > 0 && used > 0 && used + size > room) {
      pieces.push_back(piece);
      piece = PrintRange{i, i};
      used = 0;
    }
    used += size;
    piece.end = i + 1;
  }
  pieces.push_back(piece);
  return pieces;
}

PrintLayout::PrintLayout(const std::vector<int>& rowHeights, int fixedRows, const std::vector<int>& colWidths,
                         int fixedCols, int pageHeight, int pageWidth, bool splitAcross)
    : rowCount_(static_cast<int>(rowHeights.size())), bands_(SplitForPrinting(rowHeights, fixedRows, pageHeight)) {
  if (splitAcross) {
    slices_ = SplitForPrinting(colWidths, fixedCols, pageWidth);
  } else {
    const int count = static_cast<int>(colWidths.size());
    const int first = fixedCols < 0 ? 0 : (fixedCols > count ? count : fixedCols);
    slices_.push_back(PrintRange{first, count});
  }
}

PrintPage PrintLayout::Page(int page) const {
  const int across = PagesAcross();
  if (page < 1 || page > PageCount()) return PrintPage{PrintRange{rowCount_, rowCount_}, slices_.front()};
  const int index = page - 1;
  return PrintPage{bands_[static_cast<std::size_t>(index / across)], slices_[static_cast<std::size_t>(index % across)]};
}

}  // namespace zv
