#pragma once
// CViewerGridCtrl: the grid of the viewer's tables. It differs from the grid of
// the workstation where the tables rely on it:
// - a new cell below row 0 takes the format of the cell directly above it, so
//   rows appended under centred heading rows come out centred, and under
//   left-aligned ones left-aligned;
// - a font given to the grid sets its margin (one blank) and the default row
//   height and column width from the font's metrics. Cells keep no font of their
//   own: every cell reads the default cells' font, which is the grid's current
//   font, so a new font reaches every cell without touching millions of them;
// - AutoSizeColumns sizes every column, hidden ones too, to its widest text (the
//   fixed rows and columns measured semi-bold) plus four margins; rows stay;
// - a copy takes every row and column of the selection's bounds, hidden ones too,
//   " " for a selected empty cell, lines ended by "\n" alone;
// - a right click leaves selection and focus as they are and only asks the
//   parent for its context menu.

#include <string>

#include "grid/grid_ctrl.h"

class CViewerGridCtrl : public CGridCtrl {
  Q_OBJECT

 public:
  explicit CViewerGridCtrl(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
  ~CViewerGridCtrl() override;

  // The style is not used: all rows count.
  void AutoSizeColumns(int nAutoSizeStyle = 0) override;
  QMimeData* CopySelectionText() override;

  // The margin the current font gave (the width of one blank).
  int GetMargin() const;

 protected:
  CGridCellBase* CreateCell(int nRow, int nCol) override;
  void OnSetFont(const LOGFONT* plf) override;
  void OnRButtonUp(CPoint point, Qt::KeyboardModifiers modifiers) override;
};
