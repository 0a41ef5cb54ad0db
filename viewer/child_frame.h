#pragma once
// CChildFrame: the MDI window of one table view, its fixed toolbar 134 (report
// pages 1 to 4, node settings, hourly, daily, journal, device parameters) above
// the view. The toolbar's commands go to the window's own view, and their check
// marks and enabled states come from the view's update handlers; the page and
// show-type buttons are checkable in groups that allow none checked (a show type
// outside 0..3 checks none).
//
// The title is the document's "N NAME", with ":1", ":2", ... when the document
// has several windows (m_nWindow, set by the main frame). The window shows
// maximised at the view's first update and after the node settings.
//
// Deleted when closed. Its destructor deletes the view first and then emits
// FrameDestroyed, so a document can be closed with its last window.

#include <QMdiSubWindow>

#include "viewer/command_ui.h"

class CAlphaToolBar;
class CTableView;
class CZEVViewDoc;
class QActionGroup;

class CChildFrame : public QMdiSubWindow {
  Q_OBJECT

 public:
  // The document is not owned.
  explicit CChildFrame(CZEVViewDoc* document, QWidget* parent = nullptr);
  ~CChildFrame() override;

  // The toolbar and the view; false when the toolbar's resource is missing.
  bool OnCreate();

  CZEVViewDoc* GetDocument() const { return m_pDocument; }
  CTableView* GetActiveView() const { return m_pView; }
  CAlphaToolBar* toolBar() const { return m_pToolBar; }

  // The title from the document's title and m_nWindow.
  void OnUpdateFrameTitle();
  int m_nWindow = 0;

  // A command of the window's toolbar, on its view.
  void OnCommand(UINT id);
  // Enabled and checked of a toolbar command as the view's update handlers
  // leave them.
  CCmdUI QueryCommand(UINT id) const;
  // The toolbar's buttons from QueryCommand.
  void UpdateCommandUI();

 signals:
  // A command ran (the main frame refreshes the states).
  void CommandDone();
  // From the destructor, the view already gone.
  void FrameDestroyed(CChildFrame* frame);

 private:
  CZEVViewDoc* m_pDocument;
  CTableView* m_pView = nullptr;
  CAlphaToolBar* m_pToolBar = nullptr;
};
