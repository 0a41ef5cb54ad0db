// The group document: group files saved and reopened byte for byte, missing
// and damaged files, the open step by extension with autostart, new nodes that
// never empty a file, Save and Save As, and nodes that outlive the group.

#include <QFileDialog>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "links/node.h"
#include "links/node_status.h"
#include "modem/document_views.h"
#include "modem/group_file.h"
#include "modem/zev_modem_doc.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "tests/sim/node_file_generator.h"
#include "tests/support/fifo_watchdog.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/modal_answer.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }
QString Q(const std::string& path) { return QString::fromStdString(path); }

// The texts a signal of one QString carried, in order.
struct SignalLog {
  template <typename Signal>
  SignalLog(CZEVModemDoc* doc, Signal signal) {
    QObject::connect(doc, signal, [this](const QString& s) { texts.push_back(s); });
  }
  std::vector<QString> texts;
};

struct RecordingViews : zv::DocumentViews {
  void OnInitialUpdate() override { ++initial; }
  void OnUpdate() override { ++updates; }
  void OnPollStart() override { ++poll_starts; }
  int initial = 0;
  int updates = 0;
  int poll_starts = 0;
};

class ZevModemDocTest : public testing::Test {
 protected:
  void SetUp() override {
    doc_.SetViews(&views_);
    doc_.SetNewNodeFolder(dir_.path());
  }

  // A node file "<number>_<name>.zev" in `folder` with a day of data ending
  // at `last`.
  std::string NodeFile(const std::string& folder, const char* number, const char* name_utf8,
                       const DateStamp& last = DateStamp(2024, 3, 1, 23, 0, 0)) {
    zv::sim::NodeFilePlan plan;
    plan.header = zv::sim::NodeHeaderKeys::Converted(4, number, zv::W1251(name_utf8));
    plan.header.AddWorkstationKeys(1);
    plan.data = zv::sim::HourlySeries::Ending(last, 24);
    const std::string path = zv::sim::WriteNodeFile(folder, plan);
    EXPECT_FALSE(path.empty());
    return path;
  }
  std::string Group(const char* name, const std::vector<std::string>& paths) {
    return dir_.Write(name, zv::GroupFileBytes(paths));
  }
  std::vector<std::string> DocPaths() const {
    std::vector<std::string> out;
    for (size_t i = 0; i < doc_.NodeCount(); ++i) out.push_back(doc_.NodePathAt(i));
    return out;
  }
  void SetAutostart(int value) {
    // The settings dialog writes "AutoStart"; names match without regard to case.
    zv::Profile(zv::kProgramZEVModem).WriteInt("Settings", "AutoStart", value);
  }

  zv::test::TempDir dir_;
  zv::ScopedMessageHook messages_;
  RecordingViews views_;
  CZEVModemDoc doc_;
};

TEST_F(ZevModemDocTest, GroupSavesAndReopensByteIdenticalWithAMissingNode) {
  const std::string cyr = dir_.File("Группа узлов");
  ASSERT_TRUE(zv::EnsureDirectories(cyr));
  const std::vector<std::string> paths = {NodeFile(dir_.path(), "00012", "Котельная №1"),
                                          dir_.File("gone/00044_Потерянный.zev"),
                                          NodeFile(cyr, "00007", "ЦТП-3", DateStamp(2024, 5, 6, 7, 0, 0))};
  const std::string group = Group("g.gr", paths);
  const std::string original = zv::test::TempDir::Read(group);

  SignalLog path_changed(&doc_, &CZEVModemDoc::PathChanged);
  ASSERT_TRUE(doc_.Open(group));
  EXPECT_TRUE(messages_.requests().empty());
  EXPECT_EQ(doc_.path(), group);
  EXPECT_EQ(doc_.title(), U("g.gr"));
  EXPECT_EQ(path_changed.texts, std::vector<QString>{Q(group)});
  EXPECT_EQ(views_.initial, 1);
  EXPECT_FALSE(doc_.IsModified());

  ASSERT_EQ(doc_.NodeCount(), 3u);
  EXPECT_EQ(DocPaths(), paths);
  const auto& nodes = doc_.nodes();
  EXPECT_EQ(nodes[0]->status, zv::node_status::kQueued);
  EXPECT_EQ(nodes[0]->header.GetString("NAME"), zv::W1251("Котельная №1"));
  EXPECT_EQ(nodes[0]->last_record, DateStamp(2024, 3, 1, 23, 0, 0));
  EXPECT_EQ(nodes[2]->header.GetString("N"), "00007");
  EXPECT_EQ(nodes[2]->last_record, DateStamp(2024, 5, 6, 7, 0, 0));
  // The missing file: shown by its path as its number, no message.
  EXPECT_EQ(nodes[1]->status, zv::node_status::kFileNotFound);
  EXPECT_EQ(nodes[1]->header.GetString("N"), zv::LocalPathToCp1251(paths[1]));
  EXPECT_EQ(nodes[1]->path, paths[1]);

  ASSERT_TRUE(doc_.Save());
  EXPECT_EQ(zv::test::TempDir::Read(group), original);
  // Saved elsewhere and opened again: the same bytes once more.
  doc_.SetSaveNamePrompt([&](const std::string&) { return dir_.File("copy"); });
  ASSERT_TRUE(doc_.SaveAs());
  EXPECT_EQ(doc_.path(), dir_.File("copy.gr"));
  ASSERT_TRUE(doc_.Open(dir_.File("copy.gr")));
  ASSERT_TRUE(doc_.Save());
  EXPECT_EQ(zv::test::TempDir::Read(dir_.File("copy.gr")), original);
  EXPECT_TRUE(messages_.requests().empty());
}

TEST_F(ZevModemDocTest, EmptyGroupIsFourZeroBytesAndLoadsBackEmpty) {
  doc_.SetSaveNamePrompt([&](const std::string& proposed) {
    EXPECT_EQ(proposed, "Untitled Group");
    return dir_.File("empty.gr");
  });
  ASSERT_TRUE(doc_.Save());  // untitled: as Save As
  EXPECT_EQ(zv::test::TempDir::Read(dir_.File("empty.gr")), std::string(4, '\0'));
  doc_.AddNodeFile(NodeFile(dir_.path(), "00001", "A"));
  ASSERT_TRUE(doc_.Open(dir_.File("empty.gr")));
  EXPECT_EQ(doc_.NodeCount(), 0u);
  EXPECT_EQ(doc_.title(), U("empty.gr"));
}

TEST_F(ZevModemDocTest, DamagedGroupFileLeavesAnEmptyUntitledGroup) {
  const std::string good = Group("good.gr", {NodeFile(dir_.path(), "00001", "A")});
  auto le = [](int32_t v) { return zv::GroupFileBytes({}).replace(0, 4, reinterpret_cast<const char*>(&v), 4); };
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::vector<Case> cases = {
      {"short count", std::string("\x01\x00", 2)},
      {"short path", le(1) + le(40) + "/tmp/x"},
      {"huge count in 8 bytes", le(0x7FFFFFFF) + le(0)},
      {"negative count", le(-2) + le(0)},
      {"negative length", le(1) + le(-1) + "abcd"},
  };
  // A file far larger than any group, whose count would be fine: never read.
  std::string huge = le(1) + le(4) + "/a/b";
  huge.resize(zv::kMaxGroupFileBytes + 1);
  cases.push_back({"larger than any group file", huge});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(doc_.Open(good));
    ASSERT_EQ(doc_.NodeCount(), 1u);
    messages_.Clear();
    views_ = {};
    const std::string bad = dir_.Write("bad.gr", c.bytes);
    EXPECT_FALSE(doc_.Open(bad));
    EXPECT_EQ(messages_.texts(), std::vector<QString>{U("Неверный формат файла %1.").arg(Q(bad))});
    EXPECT_EQ(doc_.NodeCount(), 0u);
    EXPECT_TRUE(doc_.path().empty());
    EXPECT_EQ(doc_.title(), U("Untitled Group"));
    EXPECT_EQ(views_.initial, 1);  // the view drops the rows of the old group
    EXPECT_EQ(views_.poll_starts, 0);
  }
}

TEST_F(ZevModemDocTest, OpenStepByExtension) {
  const std::string a = NodeFile(dir_.path(), "00001", "A");
  const std::string b = NodeFile(dir_.path(), "00002", "B");
  const std::string group = Group("G.GR", {a});
  // Node files append, letter case ignored.
  EXPECT_TRUE(doc_.OnOpenDocument(a));
  const std::string upper = dir_.File("00002_B.ZEV");
  ASSERT_EQ(::rename(b.c_str(), upper.c_str()), 0);
  EXPECT_TRUE(doc_.OnOpenDocument(upper));
  EXPECT_EQ(DocPaths(), (std::vector<std::string>{a, upper}));
  EXPECT_TRUE(doc_.title() == U("Untitled Group") && doc_.path().empty());
  // A group file in capitals replaces.
  EXPECT_TRUE(doc_.Open(group));
  EXPECT_EQ(DocPaths(), std::vector<std::string>{a});
  // Another kind reads nothing and still succeeds; so does an empty file.
  EXPECT_TRUE(doc_.Open(dir_.Write("notes.txt", "N\t1\r\n$\r\n")));
  EXPECT_TRUE(doc_.OnOpenDocument(dir_.Write("empty.zev", "")));
  EXPECT_TRUE(doc_.OnOpenDocument(dir_.Write("noext", "abc")));
  EXPECT_EQ(DocPaths(), std::vector<std::string>{a});
  EXPECT_EQ(doc_.path(), group);
  // An empty group file keeps the group as well; the group takes its name.
  const std::string empty_group = dir_.Write("e.gr", "");
  EXPECT_TRUE(doc_.Open(empty_group));
  EXPECT_EQ(DocPaths(), std::vector<std::string>{a});
  EXPECT_EQ(doc_.path(), empty_group);
  EXPECT_TRUE(messages_.requests().empty());
  ASSERT_TRUE(doc_.Open(group));
  // Files that do not open: the message, the group as it was.
  for (const std::string& missing : {dir_.File("none.gr"), dir_.File("none.zev"), dir_.File("none.txt"),
                                     dir_.path() + "/"}) {
    SCOPED_TRACE(missing);
    messages_.Clear();
    EXPECT_FALSE(doc_.Open(missing));
    EXPECT_EQ(messages_.texts(), std::vector<QString>{U("Не удается открыть файл %1.").arg(Q(missing))});
    EXPECT_EQ(DocPaths(), std::vector<std::string>{a});
    EXPECT_EQ(doc_.path(), group);
  }
}

// A FIFO is never waited on: opened as a node or group file it does not open,
// and as a group entry it counts as missing.
TEST_F(ZevModemDocTest, FifoIsRefusedAtOnce) {
  const std::string a = NodeFile(dir_.path(), "00001", "A");
  const zv::test::FifoWatchdog node_fifo(dir_.File("00002_B.zev"));
  const zv::test::FifoWatchdog group_fifo(dir_.File("fifo.gr"));
  ASSERT_TRUE(node_fifo.made() && group_fifo.made());
  const std::string group = Group("g.gr", {node_fifo.path(), a});
  const std::string original = zv::test::TempDir::Read(group);

  ASSERT_TRUE(doc_.Open(group));
  EXPECT_TRUE(messages_.requests().empty());
  EXPECT_EQ(DocPaths(), (std::vector<std::string>{node_fifo.path(), a}));
  EXPECT_EQ(doc_.nodes()[0]->status, zv::node_status::kFileNotFound);
  EXPECT_EQ(doc_.nodes()[0]->header.GetString("N"), zv::LocalPathToCp1251(node_fifo.path()));
  EXPECT_EQ(doc_.nodes()[1]->status, zv::node_status::kQueued);
  ASSERT_TRUE(doc_.Save());
  EXPECT_EQ(zv::test::TempDir::Read(group), original);

  for (const std::string& fifo : {node_fifo.path(), group_fifo.path()}) {
    SCOPED_TRACE(fifo);
    messages_.Clear();
    EXPECT_FALSE(doc_.Open(fifo));
    EXPECT_EQ(messages_.texts(), std::vector<QString>{U("Не удается открыть файл %1.").arg(Q(fifo))});
    EXPECT_EQ(doc_.NodeCount(), 2u);
    EXPECT_EQ(doc_.path(), group);
  }
  EXPECT_FALSE(node_fifo.ReaderWasStuck());
  EXPECT_FALSE(group_fifo.ReaderWasStuck());
}

TEST_F(ZevModemDocTest, NewEmptiesTheGroupWithoutAsking) {
  ASSERT_TRUE(doc_.Open(Group("g.gr", {NodeFile(dir_.path(), "00001", "A")})));
  doc_.SetModifiedFlag();
  views_ = {};
  SignalLog titles(&doc_, &CZEVModemDoc::TitleChanged);
  EXPECT_TRUE(doc_.SaveModified());
  EXPECT_TRUE(doc_.New());
  EXPECT_EQ(doc_.NodeCount(), 0u);
  EXPECT_TRUE(doc_.path().empty());
  EXPECT_EQ(doc_.title(), U("Untitled Group"));
  EXPECT_EQ(titles.texts, std::vector<QString>{U("Untitled Group")});
  EXPECT_FALSE(doc_.IsModified());
  EXPECT_EQ(views_.initial, 1);
  EXPECT_TRUE(messages_.requests().empty());
}

TEST_F(ZevModemDocTest, AutostartAfterEveryOpen) {
  const std::string a = NodeFile(dir_.path(), "00001", "A");
  const std::string group = Group("g.gr", {a});
  for (int autostart : {0, 1}) {
    SCOPED_TRACE(autostart);
    SetAutostart(autostart);
    views_ = {};
    ASSERT_TRUE(doc_.Open(group));
    EXPECT_EQ(views_.poll_starts, autostart);
    // A node file handed over by a later start.
    ASSERT_TRUE(doc_.OnOpenDocument(a));
    EXPECT_EQ(views_.poll_starts, 2 * autostart);
    // A failed open starts nothing.
    EXPECT_FALSE(doc_.OnOpenDocument(dir_.File("none.zev")));
    EXPECT_EQ(views_.poll_starts, 2 * autostart);
  }
  SetAutostart(2);  // only 1 starts
  views_ = {};
  ASSERT_TRUE(doc_.Open(group));
  EXPECT_EQ(views_.poll_starts, 0);
}

TEST_F(ZevModemDocTest, NewNodeFileIsWrittenExactlyAndNeverEmptiesAFile) {
  const std::string first_path = dir_.File("00000_Новый узел.zev");
  auto first = doc_.OnNodeAdd();
  ASSERT_TRUE(first);
  EXPECT_TRUE(messages_.requests().empty());
  EXPECT_EQ(first->path, first_path);
  EXPECT_EQ(first->status, zv::node_status::kQueued);
  EXPECT_EQ(views_.updates, 1);
  const std::string name = zv::W1251("Новый узел");
  const std::string expected =
      "V\t\r\nN\t00000\r\nNAME\t" + name +
      "\r\nSCHEMA\t\r\nWTIME\t\r\nTCW\t\r\nPHONE\t\r\nMODEM\t\r\nIPADDRESS\t\r\nUCONTROL\t0\r\n"
      "DATASHOW\tDATE\tE1\tT1\tT2\tV1\tV2\tM1\tM2\tEC\tGW\tEW\r\n"
      "DATAPRINT1\t\r\nDATAPRINT2\t\r\nDATAPRINT3\t\r\nDATAPRINT4\t\r\nINTRC\t\r\nCN_NF\t\r\n"
      "CN_RS9600\t\r\nCN_PT\t\r\nCN_L1\t\r\nCN_L2\t\r\nCN_L3\t\r\nCN_L4\t\r\nCN_L5\t\r\nCN_L6\t\r\n"
      "CN_L7\t\r\nCN_L8\t\r\n$\r\n";
  EXPECT_EQ(zv::test::TempDir::Read(first_path), expected);

  // The second new node gets the next name and its own file.
  auto second = doc_.OnNodeAdd();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->path, dir_.File("00000_Новый узел 2.zev"));
  EXPECT_EQ(second->header.GetString("NAME"), zv::W1251("Новый узел 2"));
  EXPECT_EQ(zv::test::TempDir::Read(first_path), expected);
  // A file of the third name that is there already (say, one the user made)
  // is left alone too.
  dir_.Write("00000_Новый узел 3.zev", "mine");
  auto fourth = doc_.OnNodeAdd();
  ASSERT_TRUE(fourth);
  EXPECT_EQ(fourth->path, dir_.File("00000_Новый узел 4.zev"));
  EXPECT_EQ(zv::test::TempDir::Read(dir_.File("00000_Новый узел 3.zev")), "mine");
  const std::string fourth_bytes = zv::test::TempDir::Read(fourth->path);
  EXPECT_NE(fourth_bytes.find("NAME\t" + zv::W1251("Новый узел 4") + "\r\n"), std::string::npos);
  EXPECT_EQ(doc_.NodeCount(), 3u);
  // The new node reads back as it was made.
  auto again = CZEVModemDoc::ReadNodeFile(fourth->path);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->header.Serialize(), fourth_bytes);
}

TEST_F(ZevModemDocTest, NewNodeThatCannotBeWrittenShowsTheErrorAndAddsNothing) {
  const std::string file = dir_.Write("a file", "x");
  struct Case {
    const char* what;
    std::string folder;
    rlim_t size_limit;  // 0: none
  };
  for (const Case& c : {Case{"missing folder", dir_.File("missing"), 0}, Case{"folder is a file", file, 0},
                        Case{"disk full", dir_.path(), 16}}) {
    SCOPED_TRACE(c.what);
    messages_.Clear();
    views_ = {};
    doc_.SetNewNodeFolder(c.folder);
    std::shared_ptr<CNode> node;
    {
      std::unique_ptr<zv::test::FileSizeLimit> limit;
      if (c.size_limit) limit = std::make_unique<zv::test::FileSizeLimit>(c.size_limit);
      node = doc_.OnNodeAdd();
    }
    EXPECT_FALSE(node);
    ASSERT_EQ(messages_.requests().size(), 1u);
    EXPECT_TRUE(messages_.texts()[0].startsWith(U("Не удается создать файл ")));
    EXPECT_EQ(messages_.requests()[0].icon, zv::MessageIcon::kNone);
    EXPECT_EQ(doc_.NodeCount(), 0u);
    EXPECT_EQ(views_.updates, 0);
  }
  // The half-written file of the full disk is gone.
  EXPECT_FALSE(zv::FileExists(dir_.File("00000_Новый узел.zev")));
}

TEST_F(ZevModemDocTest, SaveAsNamesAndReplacing) {
  doc_.AddNodeFile(NodeFile(dir_.path(), "00001", "A"));
  const std::string bytes = doc_.GroupBytes();
  struct Case {
    std::string chosen;
    std::string written;
  };
  for (const Case& c : {Case{"x", "x.gr"}, Case{"y.zev", "y.zev.gr"}, Case{"Z.GR", "Z.GR"},
                        Case{"w.gr.txt", "w.gr.txt.gr"}}) {
    SCOPED_TRACE(c.chosen);
    std::string proposed;
    doc_.SetSaveNamePrompt([&](const std::string& p) {
      proposed = p;
      return dir_.File(c.chosen);
    });
    const std::string before = doc_.path();
    ASSERT_TRUE(doc_.SaveAs());
    EXPECT_EQ(proposed, before.empty() ? "Untitled Group" : before);
    EXPECT_EQ(doc_.path(), dir_.File(c.written));
    EXPECT_EQ(doc_.title(), Q(c.written));
    EXPECT_EQ(zv::test::TempDir::Read(dir_.File(c.written)), bytes);
  }
  EXPECT_EQ(CZEVModemDoc::GroupFileName("a.Gr"), "a.Gr");
  EXPECT_TRUE(messages_.requests().empty());

  // A name that is there is replaced only on Yes; the node file "y.zev" never
  // was touched.
  const std::string node_file = dir_.Write("y.zev", "node");
  dir_.Write("old.gr", "old");
  doc_.SetSaveNamePrompt([&](const std::string&) { return dir_.File("old"); });
  messages_.QueueAnswer(zv::MessageResult::kNo);
  EXPECT_FALSE(doc_.SaveAs());
  ASSERT_EQ(messages_.requests().size(), 1u);
  EXPECT_EQ(messages_.requests()[0].buttons, zv::MessageButtons::kYesNo);
  EXPECT_TRUE(messages_.texts()[0].contains(Q(dir_.File("old.gr"))));
  EXPECT_EQ(zv::test::TempDir::Read(dir_.File("old.gr")), "old");
  EXPECT_EQ(doc_.path(), dir_.File("w.gr.txt.gr"));
  messages_.QueueAnswer(zv::MessageResult::kYes);
  EXPECT_TRUE(doc_.SaveAs());
  EXPECT_EQ(zv::test::TempDir::Read(dir_.File("old.gr")), bytes);
  EXPECT_EQ(zv::test::TempDir::Read(node_file), "node");
  // Cancel in the dialog: nothing.
  doc_.SetSaveNamePrompt([](const std::string&) { return std::string(); });
  EXPECT_FALSE(doc_.SaveAs());
  EXPECT_EQ(doc_.path(), dir_.File("old.gr"));
}

TEST_F(ZevModemDocTest, FailedSaveKeepsTheOldFile) {
  const std::string group = Group("g.gr", {NodeFile(dir_.path(), "00001", "A")});
  ASSERT_TRUE(doc_.Open(group));
  const std::string old_bytes = zv::test::TempDir::Read(group);
  doc_.AddNodeFile(NodeFile(dir_.path(), "00002", "B"));
  doc_.SetModifiedFlag();
  {
    zv::test::FileSizeLimit limit(old_bytes.size());
    EXPECT_FALSE(doc_.Save());
  }
  ASSERT_EQ(messages_.requests().size(), 1u);
  EXPECT_TRUE(messages_.texts()[0].startsWith(U("Не удается сохранить файл %1.\n").arg(Q(group))));
  EXPECT_GT(messages_.texts()[0].size(), U("Не удается сохранить файл %1.\n").arg(Q(group)).size());
  EXPECT_EQ(zv::test::TempDir::Read(group), old_bytes);
  EXPECT_TRUE(doc_.IsModified());
  EXPECT_EQ(doc_.path(), group);
  // Into a folder that is not there: the same.
  messages_.Clear();
  doc_.SetSaveNamePrompt([&](const std::string&) { return dir_.File("no/such"); });
  EXPECT_FALSE(doc_.SaveAs());
  EXPECT_EQ(messages_.requests().size(), 1u);
  EXPECT_EQ(doc_.path(), group);
}

TEST_F(ZevModemDocTest, PathsOfTheUserInterfaceThreadAreSaved) {
  const std::string a = NodeFile(dir_.path(), "00001", "A");
  auto node = doc_.AddNodeFile(a);
  EXPECT_EQ(doc_.NodePath(node->id()), a);
  // The worker moves the file and takes the new path: Save keeps the copy
  // until the view takes it again.
  node->path = dir_.File("00001_Renamed.zev");
  EXPECT_EQ(doc_.GroupBytes(), zv::GroupFileBytes({a}));
  EXPECT_EQ(doc_.NodePath(node->id()), a);
  doc_.RefreshNodePath(node->id());
  EXPECT_EQ(doc_.GroupBytes(), zv::GroupFileBytes({dir_.File("00001_Renamed.zev")}));
  EXPECT_EQ(doc_.NodePath(12345678), "");
}

TEST_F(ZevModemDocTest, NodesHeldOutsideOutliveTheGroup) {
  const std::string a = NodeFile(dir_.path(), "00001", "A");
  const std::string b = NodeFile(dir_.path(), "00002", "B");
  ASSERT_TRUE(doc_.Open(Group("g.gr", {a, b})));
  // What the view and the poll worker hold while they work on a node.
  std::shared_ptr<CNode> polled = doc_.nodes()[0];
  std::shared_ptr<CNode> removed_later = doc_.nodes()[1];
  const zv::NodeId polled_id = polled->id();
  EXPECT_EQ(doc_.FindNode(polled_id), polled);

  ASSERT_TRUE(doc_.Open(Group("h.gr", {b})));  // the group replaced under the poll
  EXPECT_EQ(doc_.FindNode(polled_id), nullptr);
  EXPECT_EQ(doc_.IndexOf(polled_id), -1);
  // The poll goes on with its node.
  polled->status = zv::node_status::kReading;
  polled->tries += 1;
  EXPECT_EQ(polled->header.GetString("N"), "00001");
  EXPECT_EQ(polled->path, a);

  ASSERT_TRUE(doc_.New());
  EXPECT_EQ(removed_later->header.GetString("N"), "00002");
  polled.reset();
  removed_later.reset();

  auto c = doc_.AddNodeFile(a);
  auto d = doc_.AddNodeFile(b);
  doc_.SetModifiedFlag(false);
  auto taken = doc_.RemoveNode(c->id());
  EXPECT_EQ(taken, c);
  EXPECT_TRUE(doc_.IsModified());
  EXPECT_EQ(doc_.RemoveNode(c->id()), nullptr);
  EXPECT_EQ(DocPaths(), std::vector<std::string>{b});
  EXPECT_EQ(doc_.FindNode(d->id()), d);
}

}  // namespace

namespace {

TEST_F(ZevModemDocTest, SaveAsAsksThroughTheFileDialog) {
  doc_.AddNodeFile(dir_.File("00001_A.zev"));
  QStringList filters;
  QString title;
  bool qt_dialog = false;
  const bool answered = zv::test::AnswerModal<QFileDialog>(
      [&] { EXPECT_TRUE(doc_.SaveAs()); },
      [&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        filters = dialog.nameFilters();
        // Qt's own dialog, never the desktop's (in the system's language).
        qt_dialog = dialog.testOption(QFileDialog::DontUseNativeDialog);
        dialog.selectFile(Q(dir_.File("chosen")));
        static_cast<QDialog&>(dialog).accept();  // QFileDialog::accept takes the name
      });
  ASSERT_TRUE(answered);
  EXPECT_EQ(title, U("Сохранить как"));
  EXPECT_EQ(filters, QStringList{U("ZEVModem Files (*.gr)")});
  EXPECT_TRUE(qt_dialog);
  EXPECT_EQ(doc_.path(), dir_.File("chosen.gr"));
  EXPECT_EQ(zv::test::TempDir::Read(dir_.File("chosen.gr")), zv::GroupFileBytes({dir_.File("00001_A.zev")}));
}

}  // namespace

TEST_F(ZevModemDocTest, MissingNodeNumberIsTheTrimmedPathLine) {
  // The number of a missing node is its path taken as the value of a header
  // line: blanks around it go, the path itself and its saved entry stay.
  const std::string gone = dir_.File("gone.zev  ");
  const std::string group = Group("m.gr", {gone});
  const std::string original = zv::test::TempDir::Read(group);
  ASSERT_TRUE(doc_.Open(group));
  ASSERT_EQ(doc_.NodeCount(), 1u);
  EXPECT_EQ(doc_.nodes()[0]->status, zv::node_status::kFileNotFound);
  EXPECT_EQ(doc_.nodes()[0]->header.GetString("N"), zv::LocalPathToCp1251(dir_.File("gone.zev")));
  EXPECT_EQ(doc_.nodes()[0]->path, gone);
  ASSERT_TRUE(doc_.Save());
  EXPECT_EQ(zv::test::TempDir::Read(group), original);
}

TEST_F(ZevModemDocTest, SaveTellsThePathForTheRecentFiles) {
  const std::string group = Group("r.gr", {NodeFile(dir_.path(), "00012", "Узел")});
  ASSERT_TRUE(doc_.Open(group));
  SignalLog path_changed(&doc_, &CZEVModemDoc::PathChanged);
  ASSERT_TRUE(doc_.Save());
  EXPECT_EQ(path_changed.texts, std::vector<QString>{Q(group)});
  EXPECT_EQ(doc_.title(), U("r.gr"));
}
