#include "modem/zev_modem_view.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QDir>
#include <QMenu>
#include <QResizeEvent>
#include <algorithm>
#include <climits>
#include <ctime>

#include "grid/wait_cursor.h"
#include "links/node_status.h"
#include "links/poll_flags.h"
#include "modem/file_properties.h"
#include "modem/node_properties.h"
#include "modem/open_commands.h"
#include "modem/poll_timer.h"
#include "modem/zev_modem_doc.h"
#include "platform/cp1251.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "platform/str_format.h"

namespace {

namespace status = zv::node_status;

constexpr int kStatePaneTextId = 140;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

enum Column { kColNumber = 0, kColNode, kColAddress, kColTries, kColStatus, kColRead, kColumns };

// Header texts; "Считано" carries four blanks at its end.
const char* const kHeadings[kColumns] = {" № ", "Узел учета", "Номер телефона", "Попытка", "Состояние",
                                         "Считано    "};

LPARAM RowData(const CNode& node) { return static_cast<LPARAM>(node.id()); }

// "N NAME" of the node's header.
std::string NodeTitle(const CNode& node) {
  return node.header.GetString("N") + " " + node.header.GetString("NAME");
}

// The phone number for both modems, the address for the IP converter.
std::string NodeAddress(const CNode& node) {
  const int modem = node.header.GetInt("MODEM");
  if (modem == 1 || modem == 2) return node.header.GetString("PHONE");
  if (modem == 3) return node.header.GetString("IPADDRESS");
  return {};
}

}  // namespace

CZEVModemView::CZEVModemView(CZEVModemDoc* document, zv::StatusSink* sink, const zv::ModemSetup& setup,
                             QWidget* parent)
    : QWidget(parent), document_(document), setup_(setup) {
  timer_ = setup_.make_timer ? setup_.make_timer() : std::make_unique<QtPollTimer>();
  timer_->SetTick([this] { OnPollTimer(); });
  block_.setup.timing = setup_.timing;
  block_.setup.clock = setup_.clock;
  block_.setup.sink = sink;
  block_.setup.program_dir = setup_.program_dir;
}

// worker_ goes first (its destructor stops a poll still running and waits for
// it); the frame's exit has normally waited for it already.
CZEVModemView::~CZEVModemView() { timer_->Stop(); }

std::string CZEVModemView::ProgramDir() const {
  return setup_.program_dir.empty() ? zv::ProgramDir() : setup_.program_dir;
}

// ---- building the table ----------------------------------------------------

bool CZEVModemView::CreateGrid() {
  grid_ = new CGridCtrl;
  if (!grid_->Create(CRect::FromQRect(rect()), this, kGridId)) {
    delete grid_;
    grid_ = nullptr;
    return false;
  }
  grid_->SetRowCount(1);
  grid_->SetFixedRowCount(1);
  grid_->SetFixedColumnCount(1);
  grid_->SetColumnCount(kColumns);
  grid_->SetEditable(false);
  grid_->SetListMode(false);
  for (int col = 0; col < kColumns; ++col) {
    GridItem item;
    item.row = 0;
    item.col = col;
    item.mask = ItemText | ItemFormat;
    item.nFormat = DT_VCENTER;
    item.strText = zv::W1251(kHeadings[col]);
    grid_->SetItem(&item);
  }
  FitHeadingRow();

  const zv::Profile profile(zv::kProgramZEVModem);
  const std::string widths = profile.GetString("Settings", "GridColumns", "");
  if (widths.empty()) {
    grid_->AutoSizeColumns();
    FitReadTimeColumn();
    // A width the grid refuses (a window narrower than the other columns)
    // leaves column 1 as the automatic sizing made it.
    grid_->SetColumnWidth(kColNode, grid_->GetClientRect().Width() - kOtherColumnsWidth);
  } else {
    int col = 0;
    size_t start = 0;
    while (start <= widths.size() && col < kColumns) {
      size_t end = widths.find(';', start);
      if (end == std::string::npos) end = widths.size();
      if (end > start) grid_->SetColumnWidth(col++, zv::AtoI(widths.substr(start, end - start)));
      start = end + 1;
    }
  }
  grid_->Refresh();
  max_trys_ = profile.GetInt("Settings", "MaxTrys", 3);
  return true;
}

void CZEVModemView::OnInitialUpdate() {
  if (grid_ != nullptr) {
    grid_->DeleteDataRows();
  } else {
    if (!CreateGrid()) return;
    emit GridCreated();
    emit PollStateText(QStringLiteral("Ожидание"));
  }
  OnUpdate();
}

void CZEVModemView::OnUpdate() {
  if (grid_ == nullptr || document_ == nullptr) return;
  for (const std::shared_ptr<CNode>& node : document_->nodes()) {
    if (grid_->FindRowByItemData(RowData(*node)) > 0) continue;
    AddRow(node);
  }
  grid_->Refresh();
}

void CZEVModemView::AddRow(const std::shared_ptr<CNode>& node) {
  const int row = grid_->InsertRow("ROW");
  if (row < 0) return;
  grid_->SetItemData(row, kColNumber, RowData(*node));
  grid_->SetItemText(row, kColNumber, zv::StrFormat("%d", row));
  // The header of a node under a running poll is the worker's until its 145
  // report or its end; the document makes new nodes on every load, so only a
  // node handed over twice could meet this.
  if (!IsPolled(*node)) SetNodeColumns(row, *node);
  const int now = node->status.load();
  if (now == status::kQueued || now == status::kFileNotFound) UpdateNodeRow(0, *node, now);
}

void CZEVModemView::SetNodeColumns(int row, const CNode& node) {
  grid_->SetItemText(row, kColNode, NodeTitle(node));
  grid_->SetItemText(row, kColAddress, NodeAddress(node));
}

// The heading row is made at the default cell's height, one and a half text
// heights, which can fall short of a text with the margin above and below it.
// Then it takes the height of its tallest heading's extent (text and margins);
// a default height that holds them stays.
void CZEVModemView::FitHeadingRow() {
  int height = grid_->GetRowHeight(0);
  for (int col = 0; col < kColumns; ++col)
    height = std::max(height, grid_->GetTextExtent(0, col, zv::W1251(kHeadings[col])).cy);
  grid_->SetRowHeight(0, height);
}

// The automatic sizing measures the heading only; the read time that the
// column shows for good ("%d.%m %H:%M:%S") is wider than "Считано    " in
// most fonts. The column takes the widest time any digits give.
void CZEVModemView::FitReadTimeColumn() {
  int width = grid_->GetColumnWidth(kColRead);
  for (char digit = '0'; digit <= '9'; ++digit) {
    std::string text = "00.00 00:00:00";
    for (char& c : text)
      if (c == '0') c = digit;
    width = std::max(width, grid_->GetTextExtent(0, kColRead, text).cx);
  }
  grid_->SetColumnWidth(kColRead, width);
}

// ---- the row of a node -----------------------------------------------------

void CZEVModemView::UpdateNodeRow(int percent, CNode& node, int reported) {
  if (grid_ == nullptr) return;
  const int row = grid_->FindRowByItemData(RowData(node));
  if (row <= 0) return;
  // 140 is the state pane's text, never a node's status, but it has a text.
  grid_->SetItemText(row, kColStatus, reported == kStatePaneTextId ? zv::W1251("_Состояние_") : status::Text(reported));
  grid_->SetItemText(row, kColTries, zv::StrFormat("%d", node.tries));

  auto read_time = [&] {
    const std::time_t now = setup_.clock->NowTime();
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d.%m %H:%M:%S", &local);
    grid_->SetItemText(row, kColRead, text);
  };

  int after = reported;
  switch (reported) {
    case status::kReading:
      grid_->SetItemBackColour(row, kColStatus, kWhite);
      if (percent > 0) grid_->SetItemText(row, kColRead, zv::StrFormat("%d%%", percent));
      break;
    case status::kOk:
    case status::kRead:
      grid_->SetItemBackColour(row, kColStatus, kGreen);
      read_time();
      after = status::kRead;
      break;
    case status::kBusy:
    case status::kNoAnswer:
    case status::kFileNotFound:
      grid_->SetItemBackColour(row, kColStatus, kRed);
      break;
    case status::kFailure:
      grid_->SetItemBackColour(row, kColStatus, node.tries < max_trys_ ? kYellow : kRed);
      after = status::kRetry;
      break;
    case status::kCancelled:
      grid_->SetItemBackColour(row, kColStatus, kYellow);
      grid_->SetItemText(row, kColRead, "");
      grid_->SetItemText(row, kColTries, "0");
      node.tries = 0;
      after = status::kRetry;
      break;
    case status::kNumberMismatch:
      grid_->SetItemBackColour(row, kColStatus, kYellow);
      after = status::kRead;
      break;
    case status::kRenamed:
      // The worker gave the node its number and moved its file before it
      // reported this, and touches neither again.
      grid_->SetItemText(row, kColNode, NodeTitle(node));
      if (document_ != nullptr) document_->RefreshNodePath(node.id());
      break;
    default:
      grid_->SetItemBackColour(row, kColStatus, kWhite);
      break;
  }
  if (after != reported) {
    int expected = reported;
    node.status.compare_exchange_strong(expected, after);
  }
  grid_->Refresh();
}

// ---- scheduler -------------------------------------------------------------

void CZEVModemView::OnPollStart() {
  timer_->Start(CPollTimer::kInterval);
  emit PollStateText(QStringLiteral("Считывание"));
}

void CZEVModemView::OnPollStop() {
  timer_->Stop();
  if (!PollIdle.load() && !PollCancel.load()) PollCancel.store(true);
  emit PollStateText(QStringLiteral("Ожидание"));
}

void CZEVModemView::OnPollRestart() {
  if (!PollIdle.load() || PollCancel.load() || document_ == nullptr) return;
  for (const std::shared_ptr<CNode>& node : document_->nodes()) {
    const int now = node->status.load();
    if (now != status::kFailure && now != status::kRetry) continue;
    node->status.store(status::kQueued);
    node->tries = 0;
    if (grid_ != nullptr) {
      const int row = grid_->FindRowByItemData(RowData(*node));
      if (row > 0) {
        grid_->SetItemText(row, kColTries, "");
        grid_->SetItemBackColour(row, kColStatus, kWhite);
      }
    }
    UpdateNodeRow(0, *node, node->status.load());
  }
  OnPollStart();
}

void CZEVModemView::OnPollTimer() {
  if (!PollIdle.load() || document_ == nullptr) return;
  std::shared_ptr<CNode> next;
  // Queued nodes first, in the group's order.
  for (const std::shared_ptr<CNode>& node : document_->nodes()) {
    if (node->status.load() == status::kQueued) {
      next = node;
      break;
    }
  }
  // Then the nodes due for a retry: those with fewer tries than the most-tried
  // go first; when all have the same count, the group's order decides.
  if (next == nullptr) {
    int smallest = INT_MAX;
    int largest = INT_MIN;
    for (const std::shared_ptr<CNode>& node : document_->nodes()) {
      if (node->status.load() != status::kRetry || node->tries >= max_trys_) continue;
      smallest = std::min(smallest, node->tries);
      largest = std::max(largest, node->tries);
    }
    const int limit = smallest == largest ? largest + 1 : largest;
    for (const std::shared_ptr<CNode>& node : document_->nodes()) {
      if (node->status.load() == status::kRetry && node->tries < max_trys_ && node->tries < limit) {
        next = node;
        break;
      }
    }
  }
  if (next != nullptr && PollIdle.load() && !PollCancel.load()) {
    StartNode(next);
    return;
  }
  OnPollStop();
}

void CZEVModemView::StartNode(const std::shared_ptr<CNode>& node) {
  node->status.store(status::kReading);
  ++node->tries;
  UpdateNodeRow(0, *node, status::kReading);
  // Start joins the thread of the last poll (which has ended: PollIdle is back)
  // before the block is reused and the last node let go.
  worker_.Join();
  polled_ = node;
  block_.node = polled_.get();
  if (!worker_.Start(block_)) {
    // Not possible while PollIdle is set; the node waits for the next tick.
    node->status.store(status::kQueued);
    --node->tries;
  }
}

bool CZEVModemView::IsPolled(const CNode& node) const {
  return polled_.get() == &node && (worker_.Running() || !PollIdle.load() || PollCancel.load());
}

// ---- commands --------------------------------------------------------------

std::shared_ptr<CNode> CZEVModemView::SelectedNode(int* row) const {
  if (grid_ == nullptr || document_ == nullptr || grid_->GetSelectedCount() == 0) return nullptr;
  const int top = grid_->GetSelectionBounds().GetMinRow();
  if (row != nullptr) *row = top;
  const LPARAM data = grid_->GetItemData(top, kColNumber);
  if (data == 0) return nullptr;
  return document_->FindNode(static_cast<zv::NodeId>(data));
}

void CZEVModemView::OnNodeDelete() {
  int row = 0;
  const std::shared_ptr<CNode> node = SelectedNode(&row);
  if (node == nullptr) return;
  if ((!PollIdle.load() || PollCancel.load()) && polled_ == node) {
    zv::ShowMessage(QStringLiteral("Этот узел сейчас нельзя удалить из списка!\n"
                                   "Остановите считывание данных и попробуйте еще раз."),
                    zv::MessageIcon::kError, zv::MessageButtons::kOk, this);
    return;
  }
  if (document_->RemoveNode(node->id()) == nullptr) return;
  grid_->DeleteRow(row);
  for (int r = row; r < grid_->GetRowCount(); ++r) grid_->SetItemText(r, kColNumber, zv::StrFormat("%d", r));
  grid_->Refresh();
}

void CZEVModemView::OnNodeSettings() {
  int row = 0;
  const std::shared_ptr<CNode> node = SelectedNode(&row);
  if (node == nullptr) return;
  if (worker_.Running()) {
    // The first letter is a Latin C, as the program has always shown it.
    zv::ShowMessage(QStringLiteral("Cейчас нельзя изменять настройки узлов!\n"
                                   "Остановите считывание данных и попробуйте еще раз."),
                    zv::MessageIcon::kError, zv::MessageButtons::kOk, this);
    return;
  }
  CNodeProperties dialog;
  dialog.header = &node->header;
  if (dialog.DoModal() != QDialog::Accepted) return;
  node->rename_flag = dialog.rename_flag != 0;
  CNode::RewriteFailure failure;
  bool rewritten = false;
  {
    // A reader's converter that runs is waited for: the window is painted, the
    // user's input waits.
    CWaitCursor wait;
    CNode::RewriteOptions options;
    options.lock_wait.idle = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    rewritten = node->RewriteHeader(&failure, options);
  }
  if (!rewritten) {
    zv::ShowMessage1251(failure.message, zv::MessageIcon::kError, zv::MessageButtons::kOk, this);
    return;
  }
  document_->RefreshNodePath(node->id());
  // After the settings every link but the two modems shows the address.
  const int modem = node->header.GetInt("MODEM");
  grid_->SetItemText(row, kColNode, NodeTitle(*node));
  grid_->SetItemText(row, kColAddress,
                     node->header.GetString(modem == 1 || modem == 2 ? "PHONE" : "IPADDRESS"));
  grid_->Refresh();
  if (dialog.rename_flag != 0) document_->SetModifiedFlag();
}

void CZEVModemView::OnProgramSettings() {
  CFileProperties dialog;
  dialog.DoModal();
}

void CZEVModemView::OnOpenInViewer() {
  const std::shared_ptr<CNode> node = SelectedNode();
  if (node == nullptr) return;
  zv::StartDetached(zv::ViewerStart(document_->NodePath(node->id()), ProgramDir()));
}

void CZEVModemView::OnOpenFolder() {
  const std::shared_ptr<CNode> node = SelectedNode();
  if (node == nullptr) return;
  zv::StartDetached(zv::FolderStart(document_->NodePath(node->id())));
}

void CZEVModemView::OnShowCurrentFolder() {
  zv::ShowMessage(QDir::currentPath(), zv::MessageIcon::kNone, zv::MessageButtons::kOk, this);
}

bool CZEVModemView::OnCommand(int id) {
  switch (id) {
    case kIdPollStart: OnPollStart(); return true;
    case kIdPollStop: OnPollStop(); return true;
    case kIdPollRestart: OnPollRestart(); return true;
    case kIdNodeDelete: OnNodeDelete(); return true;
    case kIdNodeSettings: OnNodeSettings(); return true;
    case kIdProgramSettings: OnProgramSettings(); return true;
    case kIdOpenInViewer: OnOpenInViewer(); return true;
    case kIdOpenFolder: OnOpenFolder(); return true;
    case kIdCurrentFolder: OnShowCurrentFolder(); return true;
    default: return false;
  }
}

void CZEVModemView::SaveGridColumns() const {
  if (grid_ == nullptr) return;
  std::string widths;
  for (int col = 0; col < grid_->GetColumnCount(); ++col) widths += zv::StrFormat("%d;", grid_->GetColumnWidth(col));
  zv::Profile(zv::kProgramZEVModem).WriteString("Settings", "GridColumns", widths);
}

// ---- window ----------------------------------------------------------------

void CZEVModemView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (grid_ != nullptr) {
    grid_->setGeometry(rect());
    grid_->Refresh();
  }
}

// The grid's right-button release has moved the focus to the clicked cell (and
// sends the request here): that cell alone is selected, then the menu.
void CZEVModemView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (grid_ == nullptr) return;
  const CCellID focus = grid_->GetFocusCell();
  if (!grid_->IsValid(focus)) return;
  grid_->SelectRange(focus.row, focus.col, focus.row, focus.col, true, true);
  grid_->Refresh();

  QMenu menu(this);
  auto add = [&](const char* text, int id) {
    QAction* action = menu.addAction(QString::fromUtf8(text));
    action->setData(id);
  };
  add("Удалить из списка", kIdNodeDelete);
  add("Параметры...", kIdNodeSettings);
  menu.addSeparator();
  add("Открыть в ZEVView", kIdOpenInViewer);
  add("Открыть папку с файлом", kIdOpenFolder);
  QAction* chosen = popup_hook_ ? popup_hook_(menu, event->globalPos()) : menu.exec(event->globalPos());
  if (chosen != nullptr) OnCommand(chosen->data().toInt());
}
