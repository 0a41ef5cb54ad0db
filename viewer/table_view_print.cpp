// The table view's printing: the report of the window's table on the printer and
// in the preview, and the print operations the print loop calls.

#include <QString>

#include "grid/print_driver.h"
#include "platform/qt/message_box.h"
#include "viewer/report_printer.h"
#include "viewer/report_texts.h"
#include "viewer/table_view.h"
#include "viewer/viewer_grid_ctrl.h"

zv::ReportSource CTableView::PrintSource() const {
  zv::ReportSource source;
  source.document = m_pDocument;
  source.showType = m_nShowType;
  source.page = m_nPage;
  source.normalHours = m_nNormalHours;
  source.noCountHours = m_nNoCountHours;
  source.errorBits = m_nErrorBits;
  return source;
}

bool CTableView::PrintReport(QPrinter& printer) {
  if (m_pGrid == nullptr || m_pDocument == nullptr) return false;
  if (!zv::ReportFitsWidth(*m_pGrid, PrintSource(), printer) &&
      zv::ShowMessage(QString::fromUtf8(zv::report_text::kTooWide), zv::MessageIcon::kQuestion,
                      zv::MessageButtons::kYesNo, this) != zv::MessageResult::kYes)
    return false;
  return zv::PrintPages(printer, *this);
}

int CTableView::PreviewReport(QPrinter& printer, QWidget* parent) {
  return zv::ShowPrintPreview(printer, *this, nullptr, parent != nullptr ? parent : this);
}

void CTableView::OnBeginPrinting(CDC* pDC, PrintInfo* pInfo) {
  if (pInfo == nullptr) return;
  m_PrintSource = PrintSource();
  pInfo->m_lpUserData = &m_PrintSource;
  if (m_pGrid != nullptr) m_pGrid->OnBeginPrinting(pDC, pInfo);
}

void CTableView::OnPrint(CDC* pDC, PrintInfo* pInfo) {
  if (pInfo == nullptr) return;
  pInfo->m_lpUserData = &m_PrintSource;
  if (m_pGrid != nullptr) m_pGrid->OnPrint(pDC, pInfo);
}

void CTableView::OnEndPrinting(CDC* pDC, PrintInfo* pInfo) {
  if (m_pGrid != nullptr) m_pGrid->OnEndPrinting(pDC, pInfo);
}
