#pragma once
// The grid's owner (normally the view that holds it): it receives the grid's
// notifications, and its answers count where the code says so (an answer below 0
// refuses an edit). The grid uses the owner set with CGridCtrl::SetOwner, else its
// parent widget when that is a CGridOwner; without an owner every answer is 0.

#include "grid/grid_records.h"

class CGridOwner {
 public:
  virtual ~CGridOwner() = default;

  // Selection, editing and click codes (GridNotifyCode, NM_CLICK and the like).
  virtual LRESULT OnGridNotify(const GridNotify& notify) {
    (void)notify;
    return 0;
  }
  // Virtual mode: the owner fills info.item for the requested cell.
  virtual LRESULT OnGridDisplayRequest(GridDispInfo& info) {
    (void)info;
    return 0;
  }
  // Virtual mode: the cells about to be read, then (-1,-1,-1,-1) when done.
  virtual LRESULT OnGridCacheHint(const GridCacheHint& hint) {
    (void)hint;
    return 0;
  }
  // A left button release whose press landed on a cell (the posted BN_CLICKED command).
  virtual void OnGridClicked(UINT controlId) { (void)controlId; }
};
