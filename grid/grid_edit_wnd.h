#pragma once
// What a cell needs of the in-place editor it opens over itself. The editor deletes
// itself when it closes; the cell holds it, not owning it, from CGridCell::Edit until
// CGridCellBase::OnEndEdit.

class QWidget;

// Extra edit styles a cell asks for from its format.
inline constexpr unsigned ES_CENTER = 0x0001;
inline constexpr unsigned ES_RIGHT = 0x0002;

// How an editor begins is told by its first character: VK_LBUTTON (a click, F2) or
// Return put the caret at the end, Backspace erases the last character, Tab and the
// navigation keys (Page Up to Down) select the whole text, any other character
// replaces the text. A navigation key that ended the previous edit carries this
// bit, so that it is not taken for the typed character of the same value (space,
// !, ", #, $, %, &, ' and ( share their values with the keys).
inline constexpr unsigned kEditNavigationKey = 0x10000;

class CGridEditWnd {
 public:
  virtual ~CGridEditWnd() = default;
  virtual QWidget* GetWidget() = 0;
  // Ends the editing and reports the text to the grid.
  virtual void EndEdit() = 0;
  // A character typed into the open editor, as the grid received it (a first
  // character of the kinds above that types nothing does nothing here).
  virtual void SendChar(unsigned nChar) = 0;
};
