#pragma once
// What a cell needs of the in-place editor it opens over itself. The editor deletes
// itself when it closes; the cell holds it, not owning it, from CGridCell::Edit until
// CGridCellBase::OnEndEdit.

class QWidget;

// Extra edit styles a cell asks for from its format.
inline constexpr unsigned ES_CENTER = 0x0001;
inline constexpr unsigned ES_RIGHT = 0x0002;

class CGridEditWnd {
 public:
  virtual ~CGridEditWnd() = default;
  virtual QWidget* GetWidget() = 0;
  // Ends the editing and reports the text to the grid.
  virtual void EndEdit() = 0;
  // A character (or key) typed into the open editor, as the grid received it.
  virtual void SendChar(unsigned nChar) = 0;
};
