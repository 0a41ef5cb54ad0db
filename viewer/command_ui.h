#pragma once
// The viewer's command ids and the record through which a window's actions ask
// its view whether a command is enabled and checked.

#include "grid/gdi_types.h"

namespace viewer_cmd {
inline constexpr UINT kEditCopy = 57634;
inline constexpr UINT kEditSelectAll = 57642;
inline constexpr UINT kFilePrint = 57607;
inline constexpr UINT kFilePrintPreview = 57609;
inline constexpr UINT kNodeSettings = 32776;
// Report pages 1 to 4 (page 0 to 3).
inline constexpr UINT kReportPage1 = 32783;
inline constexpr UINT kReportPage2 = 32784;
inline constexpr UINT kReportPage3 = 32785;
inline constexpr UINT kReportPage4 = 32786;
// The show types: daily, hourly, journal, device parameters.
inline constexpr UINT kShowDaily = 32788;
inline constexpr UINT kShowHourly = 32787;
inline constexpr UINT kShowJournal = 32789;
inline constexpr UINT kShowParameters = 23790;
}  // namespace viewer_cmd

// One command's state as an update handler leaves it: enabled, checked.
struct CCmdUI {
  explicit CCmdUI(UINT id) : m_nID(id) {}
  void Enable(bool on = true) { m_bEnabled = on; }
  void SetCheck(int check = 1) { m_bChecked = check != 0; }

  UINT m_nID;
  bool m_bEnabled = true;
  bool m_bChecked = false;
};
