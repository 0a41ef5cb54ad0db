#pragma once
// CTableView: the viewer's view of one document, a widget filled by its grid. It
// shows one of four tables, chosen by its show type:
//   0 daily: one row per day of the period, counter differences from the day's
//     00:00 record to the next day's, means of temperatures and pressures over
//     the day's hours, error letters, hours of normal work and without counting;
//   1 hourly: the same per hour (any show type outside 0..3 builds it too);
//   2 the device's settings-change journal;
//   3 the device's parameters as the node file's header holds them.
// The daily and hourly tables show the columns of one of the node's four report
// pages and end with the rows "ИТОГО:" (the period's totals) and "СРЕДНИЕ:" (its
// means).
//
// Page, show type and the three totals of the last daily or hourly table (hours
// of normal work, hours without counting, the OR of the rows' error codes) are
// the view's own: two windows of one document may show different pages, and each
// prints its own. The show type starts as the one chosen last in any window
// (profile "Settings" "ShowType"); the page starts at 0 and is not stored.
//
// The frame window connects FrameMaximizeRequested (the view asks at its first
// update and after the node settings) and routes its commands to the handlers
// below, asking the update handlers for the actions' states (viewer/command_ui.h).
// Printing goes through the view's print operations (zv::PrintClient) to the
// grid's report; the print job's user data is the view's zv::ReportSource (its
// document, show type, page and totals). The frame's print and preview commands
// call PrintReport and PreviewReport with the program's printer.
//
// User-interface thread only.

#include <QWidget>
#include <string>
#include <vector>

#include "data/data_record.h"
#include "grid/gdi_font.h"
#include "grid/print_driver.h"
#include "viewer/command_ui.h"
#include "viewer/report_source.h"

class QPrinter;

class CViewerGridCtrl;
class CZEVViewDoc;

class CTableView : public QWidget, public zv::PrintClient {
  Q_OBJECT

 public:
  enum ShowType { kDaily = 0, kHourly = 1, kJournal = 2, kParameters = 3 };
  // The grid's control id.
  static constexpr UINT kGridId = 100;

  // The document is not owned; it outlives the view.
  explicit CTableView(CZEVViewDoc* document, QWidget* parent = nullptr);
  ~CTableView() override;

  CZEVViewDoc* GetDocument() const { return m_pDocument; }
  // Null until the first OnInitialUpdate.
  CViewerGridCtrl* GetGrid() const { return m_pGrid; }
  int GetShowType() const { return m_nShowType; }
  int GetPage() const { return m_nPage; }
  // The totals of the last daily or hourly table (the journal and the parameters
  // leave them as they were).
  int GetNormalHours() const { return m_nNormalHours; }
  int GetNoCountHours() const { return m_nNoCountHours; }
  int GetErrorBits() const { return m_nErrorBits; }

  // The first update: asks for the frame maximised, makes the grid and its fonts
  // the first time, then builds the table.
  void OnInitialUpdate();
  // Rebuilds the table of the current show type from the document.
  void OnUpdate();

  // The heading rows of the daily and hourly tables; false when the grid's counts
  // could not be set (the message has been shown).
  bool SetupDataColumns();
  // One row of the daily or hourly table: W the record where it ends, V where it
  // starts, the sums of W's and the earlier hours' T1..T4 and P1..P4, their error
  // bits B, normal hours P and hours Q.
  void AddDataRow(const CZEVDataRec& W, const CZEVDataRec& V, const CZEVDataRec& sums, int B, int P, int Q);
  bool SetupJournalColumns();
  bool SetupParameterColumns();

  // Commands. The show types are written to the profile and rebuild the table.
  void OnShowDaily();
  void OnShowHourly();
  void OnShowJournal();
  void OnShowParameters();
  // Report pages kReportPage1..kReportPage4.
  void OnReportPage(UINT nID);
  // The node settings dialog on the document's header; after OK the file is
  // saved, and after a successful save the document is loaded again for its
  // last period and every view of it is rebuilt.
  void OnNodeSettings();
  void OnEditCopy();
  void OnEditSelectAll();

  // Update handlers: the check mark on the current show type and page; copy with
  // a valid selection, select all with more than one row.
  void OnUpdateShowType(CCmdUI* pCmdUI) const;
  void OnUpdateReportPage(CCmdUI* pCmdUI) const;
  void OnUpdateEditCopy(CCmdUI* pCmdUI) const;
  void OnUpdateEditSelectAll(CCmdUI* pCmdUI) const;

  // The report on the printer (set up by the print dialog). A table wider than
  // the paper's drawing area is printed only when the user agrees to lose the
  // columns past its right edge. False when nothing was printed.
  bool PrintReport(QPrinter& printer);
  // The print preview of the report; the page as it is, without the question.
  // Answers the dialog's result.
  int PreviewReport(QPrinter& printer, QWidget* parent = nullptr);
  // What the report is made from: this view's document, show type, page and totals.
  zv::ReportSource PrintSource() const;

  // Print operations (zv::PrintPages calls them); each puts the view's
  // zv::ReportSource into the job's user data.
  void OnBeginPrinting(CDC* pDC, PrintInfo* pInfo) override;
  void OnPrint(CDC* pDC, PrintInfo* pInfo) override;
  void OnEndPrinting(CDC* pDC, PrintInfo* pInfo) override;

 signals:
  void FrameMaximizeRequested();

 private:
  // The show type set by a command: stored in the profile, then the rebuild.
  void SetShowType(int type);
  // The heading rows of a table (one list of texts per row, a column per text):
  // font, counts, texts in one format. The table before goes whole first.
  bool SetupHeadingRows(const CFont& font, const std::vector<std::vector<std::string>>& rows, UINT format);
  void BuildDataTable();
  void AddFooterRows(int R, int S);
  void BuildJournal();
  void BuildParameters();
  // Column widths from the texts, then a repaint.
  void FinishTable();
  const std::vector<int>& PageColumns() const;

  CZEVViewDoc* m_pDocument;
  CViewerGridCtrl* m_pGrid = nullptr;  // a child widget
  int m_nPage = 0;
  CFont m_DataFont;
  CFont m_TextFont;
  int m_nShowType;
  int m_nNormalHours = 0;
  int m_nNoCountHours = 0;
  int m_nErrorBits = 0;
  // The print job's user data, made at the job's start.
  zv::ReportSource m_PrintSource;
};
