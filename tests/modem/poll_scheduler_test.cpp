// The scheduler on the manual timer with real polls: which node goes next,
// stop and restart, the refusals while a poll runs, a group replaced under a
// poll, whole polls over simulated IP converters, and the exit during a
// download or a converter.

#include <QCloseEvent>
#include <QMenu>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "links/bins_file.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/str_format.h"
#include "tests/grid/grid_test_support.h"
#include "tests/links/direct_setup.h"
#include "tests/modem/frame_fixture.h"
#include "tests/sim/ip_converter.h"

namespace {

namespace status = zv::node_status;
using zv::test::FrameTest;
using zv::test::PumpUntil;

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// The last data line of a node file three days before the test clock's 12 March.
constexpr const char* kOldLine = "09.03.2024 10:00\t1\t2\r\n";

class SchedulerTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    WriteConverter("exit 0\n");
  }
  // A stand-in converter: logs its argument, then runs `body`.
  void WriteConverter(const std::string& body) {
    const std::string path =
        folder_.Write(zv::kConverterName, "#!/bin/sh\necho \"$1\" >> converter.log\n" + body);
    ::chmod(path.c_str(), 0755);
  }
  // A node reached over TCP at `port` of 127.0.0.1, its last line three days old.
  std::shared_ptr<CNode> AddTcpNode(const std::string& number, const std::string& name, int port) {
    return AddNode(number, name, "MODEM\t3\r\nIPADDRESS\t127.0.0.1\r\nIPPORT\t" + std::to_string(port) + "\r\n",
                   kOldLine);
  }
  // Sets every node's status and tries.
  void SetNodes(const std::vector<std::pair<int, int>>& status_tries) {
    for (size_t i = 0; i < status_tries.size(); ++i) {
      document_.nodes()[i]->status.store(status_tries[i].first);
      document_.nodes()[i]->tries = status_tries[i].second;
    }
  }
  int Index(const std::shared_ptr<CNode>& node) const {
    return node == nullptr ? -1 : document_.IndexOf(node->id());
  }
  // One tick; the index of the node it started (-1: none).
  int Tick() {
    const auto before = view()->polled_node();
    timer_->Fire();
    return view()->polled_node() != before || view()->PollRunning() ? Index(view()->polled_node()) : -1;
  }
  // Ticks while the timer runs, each after the last poll has ended, until
  // the timer stops (at most `ticks`).
  void RunToTheEnd(int ticks = 40) {
    while (timer_->IsActive() && ticks-- > 0) {
      timer_->Fire();
      ASSERT_TRUE(WaitPollEnd());
    }
    EXPECT_FALSE(timer_->IsActive());
  }
  void AddThree() {
    AddNode("00001", "A");
    AddNode("00002", "B");
    AddNode("00003", "C");
  }
  std::string Log() const { return zv::test::TempDir::Read(folder_.File("converter.log")); }
};

TEST_F(SchedulerTest, AnEmptyGroupStopsAtTheFirstTick) {
  MakeFrame();
  view()->OnPollStart();
  EXPECT_TRUE(timer_->IsActive());
  EXPECT_EQ(timer_->interval(), 1000);
  EXPECT_EQ(Pane(), "Считывание");
  timer_->Fire();
  EXPECT_FALSE(timer_->IsActive());
  EXPECT_EQ(Pane(), "Ожидание");
  EXPECT_EQ(view()->polled_node(), nullptr);
}

// Nodes without a way to reach them fail at once: each tick takes the next
// queued node in the group's order, then the failed ones come back.
TEST_F(SchedulerTest, QueuedNodesGoInTheGroupsOrder) {
  MakeFrame();
  AddThree();
  view()->OnPollStart();
  for (int expected : {0, 1, 2}) {
    ASSERT_EQ(Tick(), expected);
    const auto& node = document_.nodes()[expected];
    EXPECT_EQ(node->tries, 1);
    EXPECT_EQ(Utf8(expected + 1, 4), "Считывание...");
    EXPECT_EQ(Text(expected + 1, 3), "1");
    ASSERT_TRUE(WaitPollEnd());
    EXPECT_EQ(Utf8(expected + 1, 4), "Сбой");
    EXPECT_EQ(Back(expected + 1, 4), kYellow);
    EXPECT_EQ(node->status.load(), status::kRetry);
  }
  // All three failed once: the retries start with the first.
  EXPECT_EQ(Tick(), 0);
  ASSERT_TRUE(WaitPollEnd());
}

struct RetryCase {
  std::vector<std::pair<int, int>> nodes;  // status, tries
  int started;                             // index, -1: none (the timer stops)
};

TEST_F(SchedulerTest, RetriesTakeTheLeastTriedFirst) {
  MakeFrame();
  AddThree();
  const int r = status::kRetry;
  const RetryCase cases[] = {
      {{{r, 2}, {r, 1}, {r, 2}}, 1},
      {{{r, 1}, {r, 1}, {r, 1}}, 0},
      {{{r, 3}, {r, 2}, {r, 3}}, 1},
      {{{r, 3}, {r, 3}, {r, 3}}, -1},  // MaxTrys reached: never again
      {{{status::kRead, 0}, {r, 3}, {status::kFailure, 0}}, -1},
      {{{r, 3}, {status::kQueued, 0}, {r, 0}}, 1},  // queued before retries
  };
  for (const RetryCase& c : cases) {
    SCOPED_TRACE(c.started);
    SetNodes(c.nodes);
    view()->OnPollStart();
    EXPECT_EQ(Tick(), c.started);
    EXPECT_EQ(timer_->IsActive(), c.started >= 0);
    ASSERT_TRUE(WaitPollEnd());
  }
}

TEST_F(SchedulerTest, AStopEndsThePollAndNothingStartsUntilTheStartCommand) {
  zv::sim::FullListener silent;
  ASSERT_TRUE(silent.Start());
  setup_.timing.tcp.connect_timeout = zv::Ms(20000);  // only the stop ends the connect
  MakeFrame();
  const auto node = AddTcpNode("00042", "School", silent.port());
  view()->OnPollStart();
  ASSERT_EQ(Tick(), 0);
  EXPECT_TRUE(view()->PollRunning());
  view()->OnPollStop();
  EXPECT_FALSE(timer_->IsActive());
  EXPECT_EQ(Pane(), "Ожидание");
  EXPECT_TRUE(PollCancel.load());
  ASSERT_TRUE(WaitPollEnd());
  EXPECT_FALSE(PollCancel.load());
  EXPECT_TRUE(PollIdle.load());
  EXPECT_EQ(Utf8(1, 4), "Отменено...");
  EXPECT_EQ(Back(1, 4), kYellow);
  EXPECT_EQ(Text(1, 3), "0");
  EXPECT_EQ(node->tries, 0);
  EXPECT_EQ(node->status.load(), status::kRetry);
  timer_->Fire();  // disarmed: nothing
  EXPECT_FALSE(view()->PollRunning());

  // Restart is refused while a poll runs, then queues the failed nodes.
  view()->OnPollStart();
  ASSERT_EQ(Tick(), 0);
  view()->OnPollRestart();
  EXPECT_NE(node->status.load(), status::kQueued);
  EXPECT_EQ(node->tries, 1);
  view()->OnPollStop();
  ASSERT_TRUE(WaitPollEnd());
  node->tries = 3;
  node->status.store(status::kFailure);
  view()->OnPollRestart();
  EXPECT_EQ(node->status.load(), status::kQueued);
  EXPECT_EQ(node->tries, 0);
  EXPECT_EQ(Utf8(1, 4), "В очереди");
  EXPECT_EQ(Text(1, 3), "0");
  EXPECT_TRUE(timer_->IsActive());
  EXPECT_EQ(Pane(), "Считывание");
  view()->OnPollStop();
}

// The node of a running poll cannot be removed; settings cannot be changed
// while any poll runs. Both refusals change nothing; other nodes may go.
TEST_F(SchedulerTest, RefusalsWhileAPollRuns) {
  zv::sim::FullListener silent;
  ASSERT_TRUE(silent.Start());
  setup_.timing.tcp.connect_timeout = zv::Ms(20000);
  MakeFrame();
  AddNode("00001", "A");
  const auto polled = AddTcpNode("00002", "B", silent.port());
  AddNode("00003", "C");
  SetNodes({{status::kRead, 0}, {status::kQueued, 0}, {status::kRead, 0}});
  view()->OnPollStart();
  ASSERT_EQ(Tick(), 1);

  std::string choose;
  view()->SetPopupHook([&](QMenu& menu, const QPoint&) -> QAction* {
    for (QAction* action : menu.actions())
      if (action->text().toStdString() == choose) return action;
    return nullptr;
  });
  auto right_click = [&](int row) {
    const QPoint at = zv::test::CellCentre(*grid(), row, 1);
    zv::test::Press(*grid(), at, Qt::NoModifier, Qt::RightButton);
    zv::test::Release(*grid(), at, Qt::NoModifier, Qt::RightButton);
  };
  choose = "Удалить из списка";
  right_click(2);
  choose = "Параметры...";
  right_click(1);
  const std::vector<QString> texts = messages_.texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], QString::fromUtf8("Этот узел сейчас нельзя удалить из списка!\n"
                                        "Остановите считывание данных и попробуйте еще раз."));
  EXPECT_EQ(texts[1], QString::fromUtf8("Cейчас нельзя изменять настройки узлов!\n"
                                        "Остановите считывание данных и попробуйте еще раз."));
  EXPECT_EQ(texts[1][0], QChar('C'));  // a Latin C
  for (const auto& r : messages_.requests()) EXPECT_EQ(r.icon, zv::MessageIcon::kError);
  EXPECT_EQ(document_.NodeCount(), 3u);
  EXPECT_FALSE(document_.IsModified());

  choose = "Удалить из списка";
  right_click(3);
  EXPECT_EQ(document_.NodeCount(), 2u);
  view()->OnPollStop();
  ASSERT_TRUE(WaitPollEnd());
  EXPECT_EQ(Utf8(2, 4), "Отменено...");
}

// A report queued for a node that has left the group meanwhile changes nothing.
TEST_F(SchedulerTest, AQueuedReportForARemovedNodeIsDropped) {
  MakeFrame();
  const auto a = AddNode("00001", "A");
  const auto b = AddNode("00002", "B");
  frame_->sink().OnNodeStatus(a->id(), status::kFailure, 0);
  frame_->sink().OnNodeMessage(a->id(), "lost");
  frame_->sink().OnNodeStatus(b->id(), status::kReading, 20);
  ASSERT_NE(document_.RemoveNode(a->id()), nullptr);
  grid()->DeleteRow(1);
  QCoreApplication::processEvents();
  EXPECT_EQ(a->status.load(), status::kQueued);
  EXPECT_TRUE(messages_.requests().empty());
  EXPECT_EQ(Text(1, 5), "20%");  // the report behind it still comes
}

TEST_F(SchedulerTest, AMessageOfThePollIsShownInABox) {
  MakeFrame();
  const auto a = AddNode("00001", "A");
  frame_->sink().OnNodeMessage(a->id(), zv::W1251("Файл данных не удалён: x"));
  ASSERT_TRUE(PumpUntil([&] { return !messages_.requests().empty(); }));
  EXPECT_EQ(messages_.texts()[0], QString::fromUtf8("Файл данных не удалён: x"));
  EXPECT_EQ(messages_.requests()[0].icon, zv::MessageIcon::kWarning);
}

// The group is replaced while a node of the old one is polled: that poll runs
// on, its reports are ignored, and the new group's node is polled next.
TEST_F(SchedulerTest, AGroupReplacedUnderAPollGoesOnWithTheNewGroup) {
  zv::test::TcpNode device;
  ASSERT_TRUE(device.Start());
  MakeFrame();
  const auto old_node = AddTcpNode("00042", "Old", device.converter.port());
  const std::string group = folder_.File("new.gr");
  const std::string new_path = WriteNodeFile("00007_New", "N\t00007\r\nNAME\tNew\r\n");
  std::string bytes(4, '\0');
  bytes[0] = 1;
  const std::uint32_t length = static_cast<std::uint32_t>(new_path.size());
  bytes += std::string(reinterpret_cast<const char*>(&length), 4) + new_path;
  folder_.Write("new.gr", bytes);

  view()->OnPollStart();
  ASSERT_EQ(Tick(), 0);
  ASSERT_TRUE(device.converter.WaitForConnections(1, std::chrono::seconds(20)));
  ASSERT_TRUE(document_.Open(group));
  ASSERT_EQ(document_.NodeCount(), 1u);
  ASSERT_EQ(grid()->GetRowCount(), 2);
  EXPECT_EQ(Text(1, 1), "00007 New");
  const auto new_node = document_.nodes()[0];
  // The old poll ends; its node lives on in the view until the next start.
  ASSERT_TRUE(WaitPollEnd());
  EXPECT_EQ(old_node->status.load(), status::kOk);  // the worker's own end, never taken by the table
  EXPECT_EQ(Utf8(1, 4), "В очереди");
  EXPECT_EQ(view()->polled_node(), old_node);
  EXPECT_EQ(Tick(), 0);
  EXPECT_EQ(view()->polled_node(), new_node);
  ASSERT_TRUE(WaitPollEnd());
  EXPECT_EQ(Utf8(1, 4), "Сбой");  // no address
  EXPECT_NE(Log().find("00042_"), std::string::npos);  // the old poll did convert
}

// Whole polls: two good nodes and one behind a refused port, in turn. The good
// ones are read (the clock's time), the failing one is retried up to MaxTrys
// and then shown on red; the new node gets its number and name, and a save
// names its new file.
TEST_F(SchedulerTest, PollsAGroupOverIpConverters) {
  ASSERT_TRUE(zv::Profile(zv::kProgramZEVModem).WriteInt("Settings", "MaxTrys", 2));
  zv::test::TcpNode first;
  zv::test::TcpNode second;
  second.heat.SetSerial(43);
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(second.Start());
  MakeFrame();
  const auto a = AddTcpNode("00042", "School", first.converter.port());
  const auto b = AddTcpNode("00050", "Closed", zv::sim::UnusedPort());
  const auto c = AddTcpNode("00000", zv::W1251("Новый"), second.converter.port());
  ASSERT_EQ(view()->max_trys(), 2);

  view()->OnPollStart();
  EXPECT_EQ(Tick(), 0);
  ASSERT_TRUE(WaitPollEnd());
  EXPECT_EQ(Utf8(1, 4), "OK");
  EXPECT_EQ(Back(1, 4), kGreen);
  EXPECT_EQ(Text(1, 5).substr(0, 9), "12.03 14:") << Text(1, 5);
  EXPECT_EQ(a->status.load(), status::kRead);

  EXPECT_EQ(Tick(), 1);
  ASSERT_TRUE(WaitPollEnd());
  EXPECT_EQ(Utf8(2, 4), "Сбой");
  EXPECT_EQ(Back(2, 4), kYellow);
  EXPECT_EQ(b->status.load(), status::kRetry);

  EXPECT_EQ(Tick(), 2);
  ASSERT_TRUE(WaitPollEnd());
  EXPECT_EQ(Utf8(3, 4), "OK");
  EXPECT_EQ(Utf8(3, 1), "00043 Новый");
  const std::string renamed = folder_.File("00043_Новый.zev");
  EXPECT_EQ(document_.NodePath(c->id()), renamed);
  EXPECT_TRUE(zv::FileExists(renamed));

  // The second try of the failing node, then nothing is left.
  EXPECT_EQ(Tick(), 1);
  ASSERT_TRUE(WaitPollEnd());
  EXPECT_EQ(Back(2, 4), kRed);
  EXPECT_EQ(Text(2, 3), "2");
  timer_->Fire();
  EXPECT_FALSE(timer_->IsActive());
  EXPECT_EQ(Pane(), "Ожидание");

  // Both good polls reached the converter; a save names the new file.
  const std::string log = Log();
  EXPECT_NE(log.find("bins/00042_2024-03-12_14-00.bin"), std::string::npos) << log;
  EXPECT_NE(log.find("bins/00043_2024-03-12_14-00.bin"), std::string::npos) << log;
  EXPECT_TRUE(zv::FileExists(folder_.File("archive-bins/00042_2024-03-12_14-00.bin")));
  ASSERT_TRUE(document_.OnSaveDocument(folder_.File("saved.gr")));
  const std::string saved = zv::test::TempDir::Read(folder_.File("saved.gr"));
  EXPECT_NE(saved.find(renamed), std::string::npos);
  EXPECT_EQ(saved.find("00000_"), std::string::npos);
}

// ---- exit ------------------------------------------------------------------

class ExitTest : public SchedulerTest {
 protected:
  bool Close() { return frame_->close(); }
  std::string Widths() const {
    return zv::Profile(zv::kProgramZEVModem).GetString("Settings", "GridColumns", "");
  }
};

// Exit during a download: the poll is stopped and waited for, then the widths
// are stored and the window closes; no hard exit.
TEST_F(ExitTest, DuringADownloadThePollIsStoppedAndTheWindowCloses) {
  ASSERT_TRUE(zv::Profile(zv::kProgramZEVModem).WriteString("Settings", "GridColumns", "44;301;"));
  zv::test::TcpNode device;
  device.heat.SetSilentFrom(3);  // the download hangs until the stop
  ASSERT_TRUE(device.Start());
  setup_.timing.tcp.io_timeout = zv::Ms(20000);
  MakeFrame();
  const auto node = AddTcpNode("00042", "School", device.converter.port());
  view()->OnPollStart();
  ASSERT_EQ(Tick(), 0);
  ASSERT_TRUE(device.heat.WaitForRequests(3, std::chrono::seconds(20)));
  grid()->SetColumnWidth(3, 77);
  EXPECT_TRUE(Close());
  EXPECT_FALSE(frame_->isVisible());
  EXPECT_FALSE(view()->PollRunning());
  EXPECT_TRUE(hard_exits_.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(Utf8(1, 4), "Отменено...");
  const std::string widths = Widths();
  EXPECT_EQ(widths.substr(0, 7), "44;301;");
  EXPECT_EQ(std::count(widths.begin(), widths.end(), ';'), 6) << widths;
  EXPECT_NE(widths.find(";77;"), std::string::npos) << widths;
  EXPECT_TRUE(PollIdle.load());
  EXPECT_FALSE(PollCancel.load());
}

// A frame that goes without the exit (the program ended another way) holds
// to the same bound: a converter still running then leaves by the hard exit
// (here the stand-in lets the converter end, so the view's own wait returns).
TEST_F(ExitTest, AFrameDestroyedDuringASlowConverterKeepsTheBound) {
  setup_.exit_bound = std::chrono::milliseconds(300);
  setup_.hard_exit = [this](int status) {
    hard_exits_.push_back(status);
    folder_.Write("go", "");
  };
  WriteConverter("while [ ! -f go ]; do sleep 0.01; done\n");
  zv::test::TcpNode device;
  ASSERT_TRUE(device.Start());
  MakeFrame();
  AddTcpNode("00042", "School", device.converter.port());
  view()->OnPollStart();
  ASSERT_EQ(Tick(), 0);
  ASSERT_TRUE(PumpUntil([&] { return !Log().empty(); }));
  frame_.reset();
  EXPECT_EQ(hard_exits_, std::vector<int>{0});
  const std::string widths = Widths();
  EXPECT_EQ(std::count(widths.begin(), widths.end(), ';'), 6) << widths;
  EXPECT_TRUE(PollIdle.load());
}

// A converter that is still running at the bound: the window closes, the widths
// are stored and the program leaves by the hard exit. The converter is not
// ended: it finishes its node file by itself.
TEST_F(ExitTest, DuringASlowConverterTheWindowClosesAtTheBoundAndTheConverterFinishes) {
  setup_.exit_bound = std::chrono::milliseconds(300);
  const std::string node_file = folder_.File("00042_School.zev");
  WriteConverter("while [ ! -f go ]; do sleep 0.01; done\nprintf '12.03.2024 14:00\\t5\\r\\n' >> '" + node_file +
                 "'\n");
  zv::test::TcpNode device;
  ASSERT_TRUE(device.Start());
  MakeFrame();
  AddTcpNode("00042", "School", device.converter.port());
  view()->OnPollStart();
  ASSERT_EQ(Tick(), 0);
  ASSERT_TRUE(PumpUntil([&] { return !Log().empty(); }));
  EXPECT_TRUE(Close());
  ASSERT_EQ(hard_exits_, std::vector<int>{0});
  // The bins file waits in "bins" for the converter.
  EXPECT_TRUE(zv::FileExists(folder_.File("bins/00042_2024-03-12_14-00.bin")));
  EXPECT_FALSE(frame_->isVisible());
  EXPECT_TRUE(view()->PollRunning());
  const std::string widths = Widths();
  EXPECT_EQ(std::count(widths.begin(), widths.end(), ';'), 6) << widths;
  // The converter goes on to its end.
  folder_.Write("go", "");
  ASSERT_TRUE(PumpUntil([&] { return !view()->PollRunning(); }));
  const std::string text = zv::test::TempDir::Read(node_file);
  const std::string line = "12.03.2024 14:00\t5\r\n";
  ASSERT_GT(text.size(), line.size());
  EXPECT_EQ(text.substr(text.size() - line.size()), line);
}

// A stop while the converter runs waits for it; the poll then ends as stopped.
TEST_F(ExitTest, AStopDuringTheConverterWaitsForIt) {
  WriteConverter("while [ ! -f go ]; do sleep 0.01; done\necho done >> converter.log\n");
  zv::test::TcpNode device;
  ASSERT_TRUE(device.Start());
  MakeFrame();
  const auto node = AddTcpNode("00042", "School", device.converter.port());
  view()->OnPollStart();
  ASSERT_EQ(Tick(), 0);
  ASSERT_TRUE(PumpUntil([&] { return !Log().empty(); }));
  view()->OnPollStop();
  // Well past every pause of the poll's end, the converter still holds it.
  PumpUntil([] { return false; }, std::chrono::milliseconds(400));
  EXPECT_TRUE(view()->PollRunning());
  folder_.Write("go", "");
  ASSERT_TRUE(WaitPollEnd());
  EXPECT_NE(Log().find("done"), std::string::npos);
  EXPECT_EQ(Utf8(1, 4), "Отменено...");
  EXPECT_EQ(node->status.load(), status::kRetry);
  EXPECT_TRUE(zv::FileExists(folder_.File("archive-bins/00042_2024-03-12_14-00.bin")));
}

}  // namespace
