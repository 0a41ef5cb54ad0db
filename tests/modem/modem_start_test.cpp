// The workstation's start and its settings: the settings table, the stored
// program path, the recent group files, where an open goes by extension, the
// command line's file names, the instance start before Qt, Qt's Russian
// texts and the open dialog.

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "modem/modem_settings.h"
#include "modem/modem_start.h"
#include "modem/open_dialog.h"
#include "modem/open_document.h"
#include "modem/recent_files.h"
#include "modem/shared_memory.h"
#include "platform/ini_file.h"
#include "platform/qt/qt_translation.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using Paths = std::vector<std::string>;

TEST(ModemSettings, DefaultsAndStoredValues) {
  const zv::ModemSettings d = zv::ModemSettings::Read();
  EXPECT_EQ(d.port_modem, 2);
  EXPECT_EQ(d.port_gsmodem, 1);
  EXPECT_EQ(d.max_trys, 3);
  EXPECT_EQ(d.auto_start, 0);
  EXPECT_EQ(d.data_transfer, 1);
  EXPECT_EQ(d.archive_save, 1);
  EXPECT_EQ(d.modem_init, "");
  EXPECT_EQ(d.gsmodem_init, "");
  EXPECT_EQ(d.modem_dial_by_tone, 1);
  EXPECT_EQ(d.gsm_timeout, 4);
  EXPECT_EQ(d.grid_columns, "");

  const zv::Profile p = zv::ModemProfile();
  ASSERT_TRUE(p.WriteInt("Settings", "Autostart", 1));  // the document's spelling
  ASSERT_TRUE(p.WriteInt("Settings", "maxtrys", 7));
  ASSERT_TRUE(p.WriteString("Settings", "ModemInit", "AT&F,E0"));
  ASSERT_TRUE(p.WriteInt("Settings", "GSMTimeout", 0));
  const zv::ModemSettings s = zv::ModemSettings::Read();
  EXPECT_EQ(s.auto_start, 1);
  EXPECT_EQ(s.max_trys, 7);
  EXPECT_EQ(s.modem_init, "AT&F,E0");
  EXPECT_EQ(s.gsm_timeout, 0);
  EXPECT_EQ(s.port_modem, 2);
}

TEST(ModemSettings, ProgramPathIsStoredWhereItDiffers) {
  const zv::Profile p = zv::ModemProfile();
  const std::string exe = "/opt/zv/bin/zevmodem";
  struct Case {
    const char* name;
    const char* stored;  // nullptr: no value
    const std::string& current;
    bool written;
  } cases[] = {
      {"none yet", nullptr, exe, true},
      {"moved program", "/old/place/zevmodem", exe, true},
      {"differs in case only", "/opt/ZV/bin/zevmodem", exe, true},
      {"empty value", "", exe, true},
      {"the same", "/opt/zv/bin/zevmodem", exe, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(p.Update([&](zv::IniFile& ini) {
      if (c.stored) {
        ini.Set("Settings", "Path", c.stored);
      } else {
        ini.Remove("Settings", "Path");
      }
    }));
    EXPECT_EQ(zv::StoreProgramPath(p, c.current), c.written);
    EXPECT_EQ(p.GetString("Settings", "Path", "?"), exe);
  }
  // Without a path of its own nothing is written.
  EXPECT_FALSE(zv::StoreProgramPath(p, ""));
  EXPECT_EQ(p.GetString("Settings", "Path", "?"), exe);
}

TEST(RecentFileList, NewestFirstEightAtMostWrittenOnEveryChange) {
  const zv::Profile p = zv::ModemProfile();
  CRecentFileList list(p);
  list.ReadList();
  EXPECT_EQ(list.Count(), 0);
  for (int i = 1; i <= 10; ++i) list.Add("/g/" + std::to_string(i) + ".gr");
  ASSERT_EQ(list.Count(), 8);
  EXPECT_EQ(list[0], "/g/10.gr");
  EXPECT_EQ(list[7], "/g/3.gr");
  EXPECT_EQ(p.GetString("Recent File List", "File1", ""), "/g/10.gr");
  EXPECT_EQ(p.GetString("Recent File List", "File8", ""), "/g/3.gr");
  EXPECT_FALSE(p.Has("Recent File List", "File9"));

  // A path already there moves to the top; one differing in case is another file.
  list.Add("/g/5.gr");
  list.Add("/G/10.gr");
  CRecentFileList again(p);
  again.ReadList();
  EXPECT_EQ(again.Names(), (Paths{"/G/10.gr", "/g/5.gr", "/g/10.gr", "/g/9.gr", "/g/8.gr",
                                  "/g/7.gr", "/g/6.gr", "/g/4.gr"}));

  // A dropped entry: the rest move up, the last name goes from the profile.
  again.Remove(1);
  again.Remove(99);
  CRecentFileList third(p);
  third.ReadList();
  EXPECT_EQ(third.Count(), 7);
  EXPECT_EQ(third[1], "/g/10.gr");
  EXPECT_EQ(p.GetString("Recent File List", "File7", ""), "/g/4.gr");
  EXPECT_FALSE(p.Has("Recent File List", "File8"));
}

TEST(RecentFileList, MenuTexts) {
  const zv::Profile p = zv::ModemProfile();
  CRecentFileList list(p);
  const std::string cyr = "/home/оператор/группы/сеть.gr";
  for (const std::string& path :
       {std::string("/home/user/zv/groups/district/north/net.gr"), std::string("/srv/a&b.gr"),
        std::string("/opt/zv/bin/here.gr"), cyr,
        std::string("/x/") + std::string(40, 'n') + ".gr"}) {
    list.Add(path);
  }
  const std::string cwd = "/opt/zv/bin/";
  EXPECT_EQ(list.MenuText(4, cwd), QStringLiteral("&5 /home/.../north/net.gr"));
  EXPECT_EQ(list.MenuText(3, cwd), QStringLiteral("&4 /srv/a&&b.gr"));
  EXPECT_EQ(list.MenuText(2, cwd), QStringLiteral("&3 here.gr"));
  EXPECT_EQ(list.MenuText(1, cwd), QString::fromUtf8("&2 /home/оператор/группы/сеть.gr"));
  EXPECT_EQ(list.MenuText(0, cwd), QStringLiteral("&1 ") + QString(40, 'n') + ".gr");
  EXPECT_TRUE(list.MenuText(5, cwd).isEmpty());
}

// Records where each open went; the answers are the test's.
struct RecordingTarget : zv::DocumentOpenTarget {
  bool OpenGroupFile(const std::string& path) override {
    calls.push_back("group " + path);
    return group_opens;
  }
  bool HandOverNodeFile(const std::string& path) override {
    calls.push_back("node " + path);
    return frame_ready;
  }
  bool group_opens = true;
  bool frame_ready = true;
  Paths calls;
};

TEST(OpenDocumentFile, RoutesByTheLastExtension) {
  struct Case {
    std::string path;
    zv::OpenOutcome outcome;
    std::string call;  // "" = none
  } cases[] = {
      {"/d/A.GR", zv::OpenOutcome::kGroupOpened, "group /d/A.GR"},
      {"/d/b.Zev", zv::OpenOutcome::kNodeHandedOver, "node /d/b.Zev"},
      {"/d/net.gr.zev", zv::OpenOutcome::kNodeHandedOver, "node /d/net.gr.zev"},
      {"/d/noext", zv::OpenOutcome::kNothing, ""},
      {".gr", zv::OpenOutcome::kNothing, ""},
      {"/d/x.txt", zv::OpenOutcome::kNothing, ""},
      {"/d/x.gr ", zv::OpenOutcome::kNothing, ""},
      {"/d/x.", zv::OpenOutcome::kNothing, ""},
      {"", zv::OpenOutcome::kNothing, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    RecordingTarget t;
    EXPECT_EQ(zv::OpenDocumentFile(c.path, t), c.outcome);
    EXPECT_EQ(t.calls, c.call.empty() ? Paths{} : Paths{c.call});
  }
  // A group that does not open, a node file before there is a frame.
  RecordingTarget t;
  t.group_opens = false;
  t.frame_ready = false;
  EXPECT_EQ(zv::OpenDocumentFile("/d/missing.gr", t), zv::OpenOutcome::kNothing);
  EXPECT_EQ(zv::OpenDocumentFile("/d/n.zev", t), zv::OpenOutcome::kNothing);
  EXPECT_EQ(t.calls, (Paths{"group /d/missing.gr", "node /d/n.zev"}));
}

TEST(ModemStart, CommandLineNamesMadeAbsolute) {
  struct Case {
    std::vector<const char*> args;
    Paths expected;
  } cases[] = {
      {{"zevmodem"}, {}},
      {{"zevmodem", "net.gr"}, {"/w/start/net.gr"}},
      {{"zevmodem", "./a/../b/n.zev", "/abs/x.gr", "../up.gr"},
       {"/w/start/b/n.zev", "/abs/x.gr", "/w/up.gr"}},
      {{"zevmodem", "-platform", "offscreen", "net.gr", "-reverse", "--style=fusion"},
       {"/w/start/net.gr"}},
      {{"zevmodem", "--style", "fusion", "--", "-odd.gr", "-platform"},
       {"/w/start/-odd.gr", "/w/start/-platform"}},
      {{"zevmodem", "", "/a//b/./c.gr"}, {"/a/b/c.gr"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(zv::CommandLinePaths(static_cast<int>(c.args.size()), c.args.data(), "/w/start"),
              c.expected);
  }
  EXPECT_EQ(zv::AbsolutePath("../../..", "/w"), "/");
  EXPECT_EQ(zv::AbsolutePath("n.zev", "/"), "/n.zev");
}

TEST(ModemStart, FirstStartListensLaterStartHandsOverAndEnds) {
  CSharedMemory first;
  ASSERT_EQ(zv::StartInstance(first, {}), zv::InstanceStart::kFirst);
  EXPECT_TRUE(first.HoldsMutex());
  std::vector<Paths> received;
  ASSERT_TRUE(first.StartAccepting([&](Paths p) { received.push_back(std::move(p)); }));

  auto later = std::async(std::launch::async, [] {
    CSharedMemory channel;
    return zv::StartInstance(channel, {"/w/net.gr", "/w/n.zev"});
  });
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (later.wait_for(0s) != std::future_status::ready &&
         std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  ASSERT_EQ(later.wait_for(0s), std::future_status::ready);
  EXPECT_EQ(later.get(), zv::InstanceStart::kHandedOver);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0], (Paths{"/w/net.gr", "/w/n.zev"}));

  // Nobody answers (the running instance does not accept): the later start
  // still ends as handed over, within its bound.
  first.StopAccepting();
  CSharedMemory unanswered;
  zv::ChannelTiming quick;
  quick.connect_retry = 200ms;
  quick.continue_wait = 200ms;
  unanswered.SetTiming(quick);
  EXPECT_EQ(zv::StartInstance(unanswered, {"/w/x.gr"}), zv::InstanceStart::kHandedOver);
}

TEST(ModemStart, FirstStartThatCannotListenFails) {
  // A socket path too long for a Unix socket address.
  zv::test::TempDir tmp;
  const std::string deep = tmp.File(std::string(120, 'r'));
  ASSERT_EQ(::mkdir(deep.c_str(), 0700), 0);
  ::setenv("XDG_RUNTIME_DIR", deep.c_str(), 1);
  CSharedMemory channel;
  EXPECT_EQ(zv::StartInstance(channel, {}), zv::InstanceStart::kFailed);
}

TEST(ModemStart, ProgramFolderBecomesTheCurrentFolder) {
  zv::test::TempDir tmp;
  const std::string before = zv::CurrentDirectory();
  EXPECT_TRUE(zv::EnterProgramFolder(tmp.File("zevmodem")));
  EXPECT_EQ(zv::CurrentDirectory(), tmp.path());
  EXPECT_FALSE(zv::EnterProgramFolder("zevmodem"));
  EXPECT_FALSE(zv::EnterProgramFolder(tmp.File("gone/zevmodem")));
  EXPECT_EQ(zv::CurrentDirectory(), tmp.path());
  ASSERT_EQ(::chdir(before.c_str()), 0);
}

// Runs `step` on the open dialog once it is shown.
void OnDialog(std::function<void(QFileDialog*)> step) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, step] {
    if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      step(d);
    }
  });
  timer->start(10);
}

TEST(OpenDialog, RussianTitleFiltersAndSeveralFilesInOrder) {
  ASSERT_TRUE(zv::InstallQtTranslation());
  EXPECT_TRUE(zv::InstallQtTranslation());  // once only
  zv::test::TempDir tmp;
  tmp.Write("net.gr", "");
  tmp.Write("b.zev", "");
  tmp.Write("a.zev", "");
  QString title, accept_text, cancel_text;
  QStringList filters;
  OnDialog([&](QFileDialog* d) {
    title = d->windowTitle();
    filters = d->nameFilters();
    if (auto* box = d->findChild<QDialogButtonBox*>()) {
      if (auto* b = box->button(QDialogButtonBox::Open)) accept_text = b->text();
      if (auto* b = box->button(QDialogButtonBox::Cancel)) cancel_text = b->text();
    }
    d->setDirectory(QString::fromStdString(tmp.path()));
    d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
        ->setText(QStringLiteral("\"net.gr\" \"b.zev\" \"a.zev\""));
    QMetaObject::invokeMethod(d, "accept");
  });
  const Paths chosen = zv::ChooseFilesToOpen(nullptr);
  EXPECT_EQ(chosen, (Paths{tmp.File("net.gr"), tmp.File("b.zev"), tmp.File("a.zev")}));
  EXPECT_EQ(title, QString::fromUtf8("Открыть"));
  EXPECT_EQ(filters, (QStringList{QString::fromUtf8("ZEVModem файлы (*.gr *.zev)"),
                                  QString::fromUtf8("Все файлы (*)")}));
  EXPECT_EQ(accept_text, QString::fromUtf8("&Открыть"));
  EXPECT_EQ(cancel_text, QString::fromUtf8("Отмена"));

  // No limit on the names chosen together: three of 150 characters each.
  Paths long_names;
  QString typed;
  for (char c : {'x', 'y', 'z'}) {
    const std::string name = std::string(146, c) + ".zev";
    long_names.push_back(tmp.Write(name, ""));
    typed += QStringLiteral("\"%1\" ").arg(QString::fromStdString(name));
  }
  OnDialog([&](QFileDialog* d) {
    d->setDirectory(QString::fromStdString(tmp.path()));
    d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
    QMetaObject::invokeMethod(d, "accept");
  });
  EXPECT_EQ(zv::ChooseFilesToOpen(nullptr), long_names);

  // Cancelled: nothing.
  OnDialog([](QFileDialog* d) { d->reject(); });
  EXPECT_TRUE(zv::ChooseFilesToOpen(nullptr).empty());
}

}  // namespace
