#pragma once
// The workstation's frame and status view for tests: a program folder of the
// test's own, the scaled timing, a running clock, a scheduler timer that ticks
// only when the test says so, and a hard exit that only records its call.
//
// The frame is made, shown at a fixed size and given its first update as the
// program does; the grid's rows are the document's nodes. Message boxes are
// answered by a ScopedMessageHook.

#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "grid/grid_ctrl.h"
#include "links/node_status.h"
#include "links/poll_flags.h"
#include "modem/main_frame.h"
#include "modem/poll_timer.h"
#include "modem/zev_modem_doc.h"
#include "modem/zev_modem_view.h"
#include "platform/cp1251.h"
#include "platform/qt/message_box.h"
#include "tests/modem/modem_resources.h"
#include "tests/sim/test_clock.h"
#include "tests/support/temp_dir.h"

namespace zv::test {

// The scheduler's timer, ticking on demand.
class ManualPollTimer final : public CPollTimer {
 public:
  void Start(int interval_ms) override {
    active_ = true;
    interval_ = interval_ms;
  }
  void Stop() override { active_ = false; }
  bool IsActive() const override { return active_; }
  int interval() const { return interval_; }
  // One tick, as the armed timer gives it (nothing when disarmed).
  void Fire() {
    if (active_) Tick();
  }

 private:
  bool active_ = false;
  int interval_ = 0;
};

// Runs the event loop until the condition holds or the bound has passed.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds bound = std::chrono::seconds(20)) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > bound.count()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

class FrameTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 900;
  static constexpr int kHeight = 500;

  void SetUp() override {
    InitModemResources();
    setup_.timing = zv::sim::TestTiming();
    setup_.clock = &clock_;
    setup_.program_dir = folder_.path();
    setup_.make_timer = [this] {
      auto timer = std::make_unique<ManualPollTimer>();
      timer_ = timer.get();
      return timer;
    };
    setup_.exit_bound = std::chrono::milliseconds(5000);
    setup_.hard_exit = [this](int status) { hard_exits_.push_back(status); };
    document_.SetNewNodeFolder(folder_.path());
  }
  void TearDown() override {
    frame_.reset();
    PollCancel.store(false);
  }

  // The frame, shown, with the first update done.
  void MakeFrame() {
    frame_ = std::make_unique<CMainFrame>(&document_, setup_);
    ASSERT_TRUE(frame_->Create());
    frame_->resize(kWidth, kHeight);
    frame_->show();
    view()->OnInitialUpdate();
    ASSERT_NE(grid(), nullptr);
  }

  // A node file "<name>.zev" with the header lines given ("KEY\tVALUE"), and
  // data lines after the separator when given.
  std::string WriteNodeFile(const std::string& name, const std::string& header_lines,
                            const std::string& data_lines = "") {
    return folder_.Write(name + ".zev", header_lines + "$\r\n" + data_lines);
  }
  // A node appended to the group from a file of its own, "<N>_<NAME>.zev"
  // (`name` in Windows-1251, the file name in UTF-8).
  std::shared_ptr<CNode> AddNode(const std::string& number, const std::string& name,
                                 const std::string& more_header = "", const std::string& data_lines = "") {
    const std::string path = WriteNodeFile(number + "_" + zv::Cp1251ToUtf8(name),
                                           "N\t" + number + "\r\nNAME\t" + name + "\r\n" + more_header, data_lines);
    std::shared_ptr<CNode> node = document_.AddNodeFile(path);
    document_.UpdateAllViews();
    return node;
  }

  CZEVModemView* view() const { return frame_->GetActiveView(); }
  CGridCtrl* grid() const { return view()->grid(); }
  int RowOf(const CNode& node) const { return grid()->FindRowByItemData(static_cast<LPARAM>(node.id())); }
  std::string Text(int row, int col) const { return grid()->GetItemText(row, col); }
  std::string Utf8(int row, int col) const { return zv::Cp1251ToUtf8(Text(row, col)); }
  COLORREF Back(int row, int col) const { return grid()->GetCell(row, col)->GetBackColour(); }
  std::string Pane() const { return frame_->PaneText(CMainFrame::kStatusPaneId).toStdString(); }
  // Waits until no poll runs (its thread has ended) and its reports are shown.
  bool WaitPollEnd() {
    const bool ended = PumpUntil([&] { return !view()->PollRunning(); });
    QApplication::processEvents();
    return ended;
  }

  zv::test::TempDir folder_;
  zv::sim::RunningClock clock_{zv::sim::LocalTime(2024, 3, 12, 14, 30, 10)};
  zv::ModemSetup setup_;
  ManualPollTimer* timer_ = nullptr;
  std::vector<int> hard_exits_;
  zv::ScopedMessageHook messages_;
  CZEVModemDoc document_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace zv::test
