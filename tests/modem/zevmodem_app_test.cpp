// The workstation application: its start (the stored program path, the
// program folder, the command line), every open by extension through the
// document and the frame, the recent group files in the file menu, later
// starts' blocks, dropped files, the title and the exit.

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "grid/grid_ctrl.h"
#include "modem/about_dlg.h"
#include "links/poll_flags.h"
#include "modem/group_file.h"
#include "modem/main_frame.h"
#include "modem/modem_start.h"
#include "modem/poll_timer.h"
#include "modem/shared_memory.h"
#include "modem/zev_modem_doc.h"
#include "modem/zev_modem_view.h"
#include "modem/zevmodem_app.h"
#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "tests/modem/modem_resources.h"
#include "tests/sim/test_clock.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using Paths = std::vector<std::string>;

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds bound = 20s) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

class IdleTimer final : public CPollTimer {
 public:
  void Start(int) override { active_ = true; }
  void Stop() override { active_ = false; }
  bool IsActive() const override { return active_; }

 private:
  bool active_ = false;
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zv::test::InitModemResources();
    cwd_ = zv::CurrentDirectory();
    options_.program_path = folder_.File("zevmodem");
    options_.setup.timing = zv::sim::TestTiming();
    options_.setup.clock = &clock_;
    options_.setup.program_dir = folder_.path();
    options_.setup.make_timer = [] { return std::make_unique<IdleTimer>(); };
    options_.setup.exit_bound = 5000ms;
    options_.setup.hard_exit = [](int) {};
  }
  void TearDown() override {
    app_.reset();
    channel_.reset();
    PollCancel.store(false);
    ASSERT_EQ(::chdir(cwd_.c_str()), 0);
  }

  // A first start with these command-line files: the result of InitInstance.
  bool Start(const Paths& paths = {}) {
    app_.reset();
    channel_ = std::make_unique<CSharedMemory>();
    EXPECT_EQ(zv::StartInstance(*channel_, paths), zv::InstanceStart::kFirst);
    app_ = std::make_unique<CZEVModemApp>(*channel_, paths, options_);
    return app_->InitInstance();
  }

  std::string Node(const std::string& name, const std::string& number) const {
    return folder_.Write(name, "N\t" + number + "\r\nNAME\tN" + number + "\r\n$\r\n");
  }
  std::string Group(const std::string& name, const Paths& nodes) const {
    return folder_.Write(name, zv::GroupFileBytes(nodes));
  }
  Paths NodePaths() const {
    Paths p;
    for (size_t i = 0; i < doc()->NodeCount(); ++i) p.push_back(doc()->NodePathAt(i));
    return p;
  }

  CZEVModemDoc* doc() const { return app_->document(); }
  CMainFrame* frame() const { return app_->frame(); }
  int DataRows() const {
    CGridCtrl* grid = frame()->GetActiveView()->grid();
    return grid->GetRowCount() - grid->GetFixedRowCount();
  }
  std::string Recent(int i) const {
    return zv::Profile(zv::kProgramZEVModem)
        .GetString("Recent File List", "File" + std::to_string(i), "");
  }

  zv::test::TempDir folder_;
  zv::sim::RunningClock clock_{zv::sim::LocalTime(2024, 3, 12, 14, 30, 10)};
  ModemAppOptions options_;
  std::string cwd_;
  zv::ScopedMessageHook hook_;
  std::unique_ptr<CSharedMemory> channel_;
  std::unique_ptr<CZEVModemApp> app_;
};

TEST_F(AppTest, StartStoresThePathEntersTheFolderAndShowsAnEmptyGroup) {
  const zv::Profile profile(zv::kProgramZEVModem);
  ASSERT_TRUE(profile.WriteString("Settings", "Path", "/moved/away/zevmodem"));
  ASSERT_TRUE(Start());
  EXPECT_EQ(profile.GetString("Settings", "Path", ""), folder_.File("zevmodem"));
  EXPECT_EQ(zv::CurrentDirectory(), folder_.path());
  EXPECT_TRUE(frame()->isVisible());
  EXPECT_EQ(frame()->windowTitle(), QStringLiteral("Untitled Group - ZEVModem"));
  EXPECT_EQ(doc()->NodeCount(), 0u);
  EXPECT_EQ(DataRows(), 0);
  EXPECT_TRUE(channel_->IsAccepting());  // the view has its grid
  EXPECT_TRUE(frame()->MenuAction(CZEVModemDoc::kIdFileOpen)->isEnabled());
  EXPECT_TRUE(hook_.requests().empty());
}

// The first start without stored widths builds the table before the window
// is shown: column 1 takes the grid's client width less 390 pixels all the
// same, and that width is what the exit stores.
TEST_F(AppTest, AFirstStartGivesColumnOneTheWindowsWidthAndStoresIt) {
  ASSERT_TRUE(Start());
  CGridCtrl* grid = frame()->GetActiveView()->grid();
  const int client = grid->GetClientRect().Width();
  ASSERT_GT(client, 390);
  EXPECT_EQ(grid->GetColumnWidth(1), client - 390);
  frame()->OnAppExit();
  const std::string stored = zv::Profile(zv::kProgramZEVModem).GetString("Settings", "GridColumns", "");
  const size_t first = stored.find(';');
  ASSERT_NE(first, std::string::npos) << stored;
  EXPECT_EQ(stored.substr(first + 1, stored.find(';', first + 1) - first - 1), std::to_string(client - 390)) << stored;
}

// The window and every window of the program carry the program icon.
TEST_F(AppTest, TheFrameAndTheApplicationCarryTheProgramIcon) {
  ASSERT_TRUE(Start());
  const QImage icon = QImage(QString::fromLatin1(CAboutDlg::kIconResource)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
  ASSERT_FALSE(icon.isNull());
  auto image = [&](const QIcon& i) {
    return i.pixmap(icon.size()).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  };
  EXPECT_TRUE(frame()->testAttribute(Qt::WA_SetWindowIcon));
  EXPECT_TRUE(image(frame()->windowIcon()) == icon);
  EXPECT_TRUE(image(QApplication::windowIcon()) == icon);
}

TEST_F(AppTest, CommandLineFilesOpenInOrderAndAnyFailureEndsTheStart) {
  const std::string a = Node("00001_A.zev", "00001");
  const std::string b = Node("00002_B.zev", "00002");
  const std::string net = Group("net.gr", {a, b});
  const std::string n = Node("n.zev", "00003");
  struct Case {
    const char* name;
    Paths args;
    bool started;
    Paths nodes;
    const char* title;
    std::size_t messages;
  } cases[] = {
      {"group", {net}, true, {a, b}, "net.gr", 0},
      {"node file alone: an untitled group holding it", {n}, true, {n}, "Untitled Group", 0},
      {"group, then a node file", {net, n}, true, {a, b, n}, "net.gr", 0},
      {"missing group", {folder_.File("gone.gr")}, false, {}, nullptr, 1},
      {"no known extension", {folder_.File("x.txt")}, false, {}, nullptr, 0},
      {"a failure after a good file", {n, folder_.File("gone.gr")}, false, {}, nullptr, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    hook_.Clear();
    const bool started = Start(c.args);
    EXPECT_EQ(started, c.started);
    EXPECT_EQ(hook_.requests().size(), c.messages);
    if (!started) {
      EXPECT_FALSE(frame()->isVisible());  // the start ends without a window
      continue;
    }
    EXPECT_EQ(NodePaths(), c.nodes);
    EXPECT_EQ(DataRows(), static_cast<int>(c.nodes.size()));
    EXPECT_EQ(frame()->windowTitle(), QString::fromUtf8(c.title) + " - ZEVModem");
  }
}

TEST_F(AppTest, OpenRoutesByExtension) {
  ASSERT_TRUE(Start());
  const std::string a = Node("00001_A.zev", "00001");
  const std::string group = Group("A.GR", {a});
  const std::string node = Node("b.Zev", "00002");
  folder_.Write("noext", "");
  folder_.Write("x.txt", "");

  EXPECT_EQ(app_->OpenDocumentFile(group), zv::OpenOutcome::kGroupOpened);
  EXPECT_EQ(frame()->windowTitle(), QStringLiteral("A.GR - ZEVModem"));
  EXPECT_EQ(Recent(1), group);
  EXPECT_EQ(app_->OpenDocumentFile(node), zv::OpenOutcome::kNodeHandedOver);
  EXPECT_EQ(NodePaths(), (Paths{a, node}));
  EXPECT_EQ(DataRows(), 2);
  // The block was read once: nothing waits in it.
  EXPECT_EQ(channel_->GetView()[0], 0);

  for (const std::string& other : {folder_.File("noext"), std::string(".gr"), folder_.File("x.txt")}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(app_->OpenDocumentFile(other), zv::OpenOutcome::kNothing);
  }
  EXPECT_EQ(doc()->NodeCount(), 2u);
  EXPECT_TRUE(hook_.requests().empty());

  // A missing group: the document's message; the open group and the list stay.
  EXPECT_EQ(app_->OpenDocumentFile(folder_.File("gone.gr")), zv::OpenOutcome::kNothing);
  ASSERT_EQ(hook_.requests().size(), 1u);
  EXPECT_TRUE(hook_.requests()[0].text.contains(QString::fromUtf8("Не удается открыть файл")));
  EXPECT_EQ(doc()->NodeCount(), 2u);
  EXPECT_EQ(Recent(1), group);
  EXPECT_EQ(Recent(2), "");

  // A relative name (the program folder is the current folder by now).
  EXPECT_EQ(app_->OpenDocumentFile("b.Zev"), zv::OpenOutcome::kNodeHandedOver);
  EXPECT_EQ(doc()->NodePathAt(2), node);
}

TEST_F(AppTest, NodeFilesChosenTogetherAreAddedInOrderEachByItsOwnHandOver) {
  ASSERT_TRUE(Start());
  const Paths chosen = {Node("c.zev", "00003"), Node("a.zev", "00001"), Node("b.zev", "00002")};
  // Each hand-over updates the views once, after its own node: the view's
  // updates are seen on their way.
  struct SeenUpdates : zv::DocumentViews {
    void OnInitialUpdate() override { view->OnInitialUpdate(); }
    void OnUpdate() override {
      counts.push_back(doc->NodeCount());
      view->OnUpdate();
    }
    void OnPollStart() override { view->OnPollStart(); }
    zv::DocumentViews* view;
    CZEVModemDoc* doc;
    std::vector<std::size_t> counts;
  } seen;
  seen.view = doc()->views();
  seen.doc = doc();
  doc()->SetViews(&seen);
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [&, timer] {
    if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      d->setDirectory(QString::fromStdString(folder_.path()));
      d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
          ->setText(QStringLiteral("\"c.zev\" \"a.zev\" \"b.zev\""));
      QMetaObject::invokeMethod(d, "accept");
    }
  });
  timer->start(10);
  ASSERT_TRUE(frame()->OnCommand(CZEVModemDoc::kIdFileOpen));
  doc()->SetViews(seen.view);
  EXPECT_EQ(NodePaths(), chosen);
  EXPECT_EQ(seen.counts, (std::vector<std::size_t>{1, 2, 3}));
  EXPECT_EQ(DataRows(), 3);
  // Node files leave the group's title alone.
  EXPECT_EQ(frame()->windowTitle(), QStringLiteral("Untitled Group - ZEVModem"));
  EXPECT_EQ(Recent(1), "");  // nor do they enter the recent list
}

TEST_F(AppTest, RecentGroupsInTheFileMenuAndAFailedOneDropped) {
  ASSERT_TRUE(Start());
  const std::string one = Group("one.gr", {Node("1.zev", "00001")});
  const std::string two = Group("two.gr", {Node("2.zev", "00002")});
  ASSERT_EQ(app_->OpenDocumentFile(one), zv::OpenOutcome::kGroupOpened);
  ASSERT_EQ(app_->OpenDocumentFile(two), zv::OpenOutcome::kGroupOpened);
  ASSERT_EQ(app_->recent_actions().size(), 2u);
  // Files of the program folder show by name alone, newest first, before
  // the separator above "В&ыход".
  EXPECT_EQ(app_->recent_actions()[0]->text(), QStringLiteral("&1 two.gr"));
  EXPECT_EQ(app_->recent_actions()[1]->text(), QStringLiteral("&2 one.gr"));
  const QList<QAction*> items = frame()->FileMenu()->actions();
  EXPECT_EQ(items.indexOf(app_->recent_actions()[1]) + 1, items.indexOf(frame()->RecentFilesAnchor()));

  // The second entry opens its group again, which moves to the top.
  app_->recent_actions()[1]->trigger();
  ASSERT_TRUE(PumpUntil([&] { return doc()->path() == one; }));
  EXPECT_EQ(Recent(1), one);
  EXPECT_EQ(Recent(2), two);

  // A group gone meanwhile: its message, then the entry is dropped.
  ASSERT_EQ(::unlink(two.c_str()), 0);
  ASSERT_EQ(app_->recent_actions()[1]->text(), QStringLiteral("&2 two.gr"));
  app_->recent_actions()[1]->trigger();
  ASSERT_TRUE(PumpUntil([&] { return app_->recent_actions().size() == 1; }));
  EXPECT_EQ(hook_.requests().size(), 1u);
  EXPECT_EQ(Recent(1), one);
  EXPECT_EQ(Recent(2), "");
  EXPECT_EQ(doc()->path(), one);

  // The list is read at the next start.
  ASSERT_TRUE(Start());
  ASSERT_EQ(app_->recent_actions().size(), 1u);
  EXPECT_EQ(app_->recent_actions()[0]->text(), QStringLiteral("&1 one.gr"));
}

TEST_F(AppTest, LaterStartsBlocksOpenTheirFilesAndBringTheFrameToTheFront) {
  ASSERT_TRUE(Start());
  const Paths nodes = {Node("a.zev", "00001"), Node("b.zev", "00002")};
  auto later = [](Paths paths) {
    return std::async(std::launch::async, [paths = std::move(paths)] {
      CSharedMemory channel;
      return zv::StartInstance(channel, paths);
    });
  };
  frame()->showMinimized();
  ASSERT_TRUE(PumpUntil([&] { return frame()->isMinimized(); }));
  auto done = later(nodes);
  ASSERT_TRUE(PumpUntil([&] { return doc()->NodeCount() == 2; }));
  EXPECT_EQ(done.get(), zv::InstanceStart::kHandedOver);
  EXPECT_EQ(NodePaths(), nodes);
  EXPECT_FALSE(frame()->isMinimized());

  // An empty block (a later start without files) only brings it back.
  frame()->showMinimized();
  ASSERT_TRUE(PumpUntil([&] { return frame()->isMinimized(); }));
  done = later({});
  ASSERT_TRUE(PumpUntil([&] { return !frame()->isMinimized(); }));
  EXPECT_EQ(done.get(), zv::InstanceStart::kHandedOver);
  EXPECT_EQ(doc()->NodeCount(), 2u);
  EXPECT_TRUE(frame()->isVisible());

  // While a modal dialog is open the block is confirmed at once (the later
  // start ends) but its file waits until the dialog has closed.
  const std::string c = Node("c.zev", "00003");
  std::size_t while_open = 99;
  bool answered = false;
  {
    QDialog dialog(frame());
    QTimer::singleShot(0, &dialog, [&] {
      done = later({c});
      answered = PumpUntil([&] { return done.wait_for(0s) == std::future_status::ready; });
      PumpUntil([] { return false; }, 300ms);
      while_open = doc()->NodeCount();
      dialog.reject();
    });
    dialog.exec();
  }
  EXPECT_TRUE(answered);
  EXPECT_EQ(done.get(), zv::InstanceStart::kHandedOver);
  EXPECT_EQ(while_open, 2u);
  ASSERT_TRUE(PumpUntil([&] { return doc()->NodeCount() == 3; }));
  EXPECT_EQ(doc()->NodePathAt(2), c);
  EXPECT_TRUE(hook_.requests().empty());
}

TEST_F(AppTest, DroppedFilesOpenInOrder) {
  ASSERT_TRUE(Start());
  const std::string a = Node("a.zev", "00001");
  const std::string group = Group("g.gr", {a});
  const std::string b = Node("b.zev", "00002");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(group)),
                QUrl::fromLocalFile(QString::fromStdString(b)), QUrl(QStringLiteral("https://x/y.zev"))});
  const QPoint at(50, 50);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(frame(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(frame(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  ASSERT_TRUE(PumpUntil([&] { return doc()->NodeCount() == 2; }));
  EXPECT_EQ(NodePaths(), (Paths{a, b}));
  EXPECT_EQ(doc()->path(), group);

  // Something other than files is not taken.
  QMimeData text;
  text.setText(QStringLiteral("a.zev"));
  QDragEnterEvent other(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  other.setAccepted(false);
  QApplication::sendEvent(frame(), &other);
  EXPECT_FALSE(other.isAccepted());
}

TEST_F(AppTest, OnceTheExitBeginsNothingIsAcceptedAndTheChannelGoes) {
  ASSERT_TRUE(Start());
  const std::string lock = channel_->LockPath();
  const std::string socket = channel_->SocketPath();
  frame()->OnAppExit();
  EXPECT_FALSE(frame()->isVisible());
  EXPECT_FALSE(channel_->IsAccepting());
  CSharedMemory later;
  zv::ChannelTiming quick;
  quick.connect_retry = 200ms;
  quick.continue_wait = 200ms;
  later.SetTiming(quick);
  ASSERT_TRUE(later.OpenExistingMutex());  // still running
  EXPECT_FALSE(later.OpenEvents() && later.HandOverPaths({Node("late.zev", "00009")}));
  PumpUntil([] { return false; }, 200ms);
  EXPECT_EQ(doc()->NodeCount(), 0u);
  app_.reset();
  struct stat st;
  EXPECT_NE(::lstat(lock.c_str(), &st), 0);
  EXPECT_NE(::lstat(socket.c_str(), &st), 0);
}

}  // namespace
