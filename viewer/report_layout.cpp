#include "viewer/report_layout.h"

#include <algorithm>

namespace zv {

ReportPageMap::ReportPageMap(int firstRow, int rowCount, const ReportSpace& space)
    : rowCount_(std::max(rowCount, 0)) {
  const int step = space.rowHeight - 2;
  int row = std::min(std::max(firstRow, 0), rowCount_);
  int top = space.firstRowsTop;
  for (bool first = true;; first = false) {
    const int start = row;
    // A row that ends past the limit opens the next page, unless the page would
    // stay empty (every page but the first takes a row).
    while (row < rowCount_ && (top + step <= space.limit || (!first && row == start))) {
      top += step;
      ++row;
    }
    pages_.push_back(PrintRange{start, row});
    if (row >= rowCount_) break;
    top = space.rowsTop;
  }
  if (top + space.closingHeight <= space.limit) {
    closingTop_ = top;
  } else {
    closingAlone_ = true;
    closingTop_ = space.closingTop;
    pages_.push_back(PrintRange{rowCount_, rowCount_});
  }
}

PrintRange ReportPageMap::Rows(int page) const {
  if (page < 1 || page > PageCount()) return PrintRange{rowCount_, rowCount_};
  return pages_[static_cast<size_t>(page - 1)];
}

}  // namespace zv
