#pragma once
// How the body rows of a printed report fall into pages, and where its closing
// block goes, worked out from the heights the report draws with.
//
// Every page has its heading rows on top (page 1 its report head above them);
// body rows follow, each moving down by the row height less 2 (neighbouring rows
// share their lines), as long as a row's bottom stays within the limit (the top
// of the footer band). Every page after the first takes at least one row, so a
// row never goes missing however little room there is; page 1 may hand all its
// rows on when its head leaves no room for one. The closing block follows the
// last row on its page when it ends within the limit, else it stands alone at the
// top of one more page. The page count and the pages drawn thus always agree, and
// any page can be drawn on its own (a page range not starting at 1).

#include <vector>

#include "grid/print_layout.h"

namespace zv {

struct ReportSpace {
  int firstRowsTop = 0;   // page 1: where the body rows start (below head and headings)
  int rowsTop = 0;        // every later page: below the heading rows
  int rowHeight = 0;      // h; a row spans from its top d - 1 to d + h - 2
  int limit = 0;          // no row's bottom and not the closing block's below this
  int closingTop = 0;     // where the closing block starts on a page of its own
  int closingHeight = 0;  // from where it starts to its bottom
};

class ReportPageMap {
 public:
  // Rows [firstRow, rowCount) of the grid (the rows below its fixed rows).
  ReportPageMap(int firstRow, int rowCount, const ReportSpace& space);

  int PageCount() const { return static_cast<int>(pages_.size()); }
  // The rows of page 1..PageCount(); empty for another page and for the page
  // that holds only the closing block.
  PrintRange Rows(int page) const;
  // Whether the page is the one of the closing block alone (no heading rows).
  bool IsClosingOnly(int page) const { return closingAlone_ && page == PageCount(); }
  // Where the closing block starts on the last page.
  int ClosingTop() const { return closingTop_; }

 private:
  std::vector<PrintRange> pages_;
  int rowCount_ = 0;
  bool closingAlone_ = false;
  int closingTop_ = 0;
};

}  // namespace zv
