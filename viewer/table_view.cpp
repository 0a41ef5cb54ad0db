// The table view's life, commands and update handlers; the tables themselves
// are built in table_view_tables.cpp, the printing is in table_view_print.cpp.

#include "viewer/table_view.h"

#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "platform/profile.h"
#include "viewer/node_properties.h"
#include "viewer/view_doc.h"
#include "viewer/viewer_grid_ctrl.h"

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kShowTypeValue = "ShowType";

// Every live view, so that a document's save can rebuild all views of it.
std::vector<CTableView*>& LiveViews() {
  static std::vector<CTableView*> views;
  return views;
}

void CreateArial(CFont& font, int height) {
  font.CreateFont(height, 0, 0, 0, FW_NORMAL, false, false, false, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                  CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
}

}  // namespace

CTableView::CTableView(CZEVViewDoc* document, QWidget* parent)
    : QWidget(parent),
      m_pDocument(document),
      m_nShowType(zv::Profile(zv::kProgramZEVView).GetInt(kSettings, kShowTypeValue, 0)) {
  // The grid fills the view: the layout does what a resize handler would.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  LiveViews().push_back(this);
}

CTableView::~CTableView() {
  auto& views = LiveViews();
  views.erase(std::remove(views.begin(), views.end(), this), views.end());
}

void CTableView::OnInitialUpdate() {
  emit FrameMaximizeRequested();
  if (m_pGrid == nullptr) {
    m_pGrid = new CViewerGridCtrl(0, 0, 0, 0);
    m_pGrid->Create(CRect(0, 0, width(), height()), this, kGridId, WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    layout()->addWidget(m_pGrid);
    CreateArial(m_DataFont, 12);
    CreateArial(m_TextFont, 14);
  }
  SetupDataColumns();
  m_pGrid->AutoSizeColumns();
  m_pGrid->Refresh();
  OnUpdate();
}

void CTableView::SetShowType(int type) {
  m_nShowType = type;
  zv::Profile(zv::kProgramZEVView).WriteInt(kSettings, kShowTypeValue, type);
  OnUpdate();
}

void CTableView::OnShowDaily() { SetShowType(kDaily); }
void CTableView::OnShowHourly() { SetShowType(kHourly); }
void CTableView::OnShowJournal() { SetShowType(kJournal); }
void CTableView::OnShowParameters() { SetShowType(kParameters); }

void CTableView::OnReportPage(UINT nID) {
  if (nID < viewer_cmd::kReportPage1 || nID > viewer_cmd::kReportPage4) return;
  m_nPage = static_cast<int>(nID - viewer_cmd::kReportPage1);
  OnUpdate();
}

void CTableView::OnNodeSettings() {
  if (m_pDocument == nullptr) return;
  // The dialog, then the save and, when saved, the load for the same period: the
  // records in memory carried the error codes of the old scheme.
  if (!EditNodeSettings(*m_pDocument, this)) return;
  const std::vector<CTableView*> views = LiveViews();
  for (CTableView* view : views)
    if (view != this && view->m_pDocument == m_pDocument && view->m_pGrid != nullptr) view->OnUpdate();
  OnInitialUpdate();
}

void CTableView::OnEditCopy() {
  if (m_pGrid != nullptr) m_pGrid->OnEditCopy();
}

void CTableView::OnEditSelectAll() {
  if (m_pGrid != nullptr) m_pGrid->OnEditSelectAll();
}

void CTableView::OnUpdateShowType(CCmdUI* pCmdUI) const {
  int type = -1;
  switch (pCmdUI->m_nID) {
    case viewer_cmd::kShowDaily: type = kDaily; break;
    case viewer_cmd::kShowHourly: type = kHourly; break;
    case viewer_cmd::kShowJournal: type = kJournal; break;
    case viewer_cmd::kShowParameters: type = kParameters; break;
    default: break;
  }
  pCmdUI->SetCheck(type >= 0 && type == m_nShowType);
}

void CTableView::OnUpdateReportPage(CCmdUI* pCmdUI) const {
  pCmdUI->SetCheck(pCmdUI->m_nID == viewer_cmd::kReportPage1 + static_cast<UINT>(m_nPage));
}

void CTableView::OnUpdateEditCopy(CCmdUI* pCmdUI) const {
  bool enable = false;
  if (m_pGrid != nullptr) {
    const CCellRange range = m_pGrid->GetSelectionBounds();
    const long long cells = static_cast<long long>(range.GetMaxRow() - range.GetMinRow() + 1) *
                            (range.GetMaxCol() - range.GetMinCol() + 1);
    enable = cells != 0 && m_pGrid->IsValidRange(range);
  }
  pCmdUI->Enable(enable);
}

void CTableView::OnUpdateEditSelectAll(CCmdUI* pCmdUI) const {
  pCmdUI->Enable(m_pGrid != nullptr && m_pGrid->GetRowCount() > 1);
}
