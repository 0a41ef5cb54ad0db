// Opening files: from the command line, the open dialog, the recent files and a
// drop; a second open of an open file; closing a document with its windows and
// the whole program.

#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <unistd.h>

#include "platform/profile.h"
#include "platform/str_format.h"
#include "tests/viewer/viewer_app_fixture.h"

namespace {

using zv::test::ViewerAppTest;

std::string RecentEntry(int n) {
  return zv::Profile(zv::kProgramZEVView).GetString("Recent File List", "File" + std::to_string(n), "?");
}

// The working folder for one test; the old one comes back at the end.
class ScopedWorkingDir {
 public:
  explicit ScopedWorkingDir(const std::string& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~ScopedWorkingDir() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

TEST_F(ViewerAppTest, CommandLineOpensTheFileMadeAbsolute) {
  const std::string path = WriteNode("00012");
  {
    ScopedWorkingDir cwd(dir.path());
    ASSERT_TRUE(Start({QString::fromStdString(std::filesystem::path(path).filename().string())}));
  }
  ASSERT_EQ(app->Documents().size(), 1u);
  EXPECT_EQ(app->Documents()[0]->GetPathName(), path);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"00012 Узел"}));
  EXPECT_TRUE(Frame().ChildFrames()[0]->isMaximized());
  EXPECT_EQ(Frame().windowTitle().toStdString(), "ZEVView - 00012 Узел");
  EXPECT_TRUE(Frame().isVisible());
  EXPECT_EQ(RecentEntry(1), path);
  // The workstation finds the viewer by a value the viewer never writes.
  EXPECT_FALSE(zv::Profile(zv::kProgramZEVView).Has("Settings", "Path"));
  // The daily table of the default period: a row per day.
  EXPECT_GE(FirstColumn(*Frame().ActiveView()).size(), 30u);
}

TEST_F(ViewerAppTest, CommandLineFileThatCannotBeOpenedEndsTheStart) {
  EXPECT_FALSE(Start({QString::fromStdString(dir.File("missing.zev"))}));
  ASSERT_EQ(messages.requests().size(), 1u);
  EXPECT_TRUE(messages.texts()[0].startsWith(QString::fromUtf8("Не удается открыть файл ") +
                                             QString::fromStdString(dir.File("missing.zev"))))
      << messages.texts()[0].toStdString();
  EXPECT_TRUE(app->Documents().empty());
  EXPECT_EQ(RecentEntry(1), "?");  // nothing went into the recent files
}

TEST_F(ViewerAppTest, WithoutArgumentTheEmptyFrameShowsMenu128) {
  ASSERT_TRUE(Start());
  EXPECT_TRUE(Frame().isVisible());
  EXPECT_TRUE(Frame().ChildFrames().empty());
  EXPECT_EQ(Frame().CurrentMenu(), 128);
  EXPECT_EQ(Frame().windowTitle().toStdString(), "ZEVView");
  EXPECT_EQ(QCoreApplication::applicationName().toStdString(), "ZEVView");
}

TEST_F(ViewerAppTest, SecondOpenOfAnOpenPathBringsItsWindowForward) {
  ASSERT_TRUE(Start());
  const std::string a = WriteNode("00012", 40, "А"), b = WriteNode("00013", 40, "Б");
  CZEVViewDoc* first = Open(a);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(Open(b), nullptr);
  ASSERT_EQ(Frame().ActiveDocument(), app->Documents()[1]);
  // Another spelling of the same file: a detour through the folder, a link.
  const std::string link = dir.File("link.zev");
  ASSERT_EQ(::symlink(a.c_str(), link.c_str()), 0);
  const std::string detour = dir.path() + "/./" + std::filesystem::path(a).filename().string();
  for (const std::string& path : {a, detour, link}) {
    Frame().ActivateFrame(Frame().ChildFrames()[1]);
    EXPECT_EQ(Open(path), first) << path;
    EXPECT_EQ(Frame().ActiveDocument(), first) << path;
  }
  EXPECT_EQ(app->Documents().size(), 2u);
  EXPECT_EQ(Frame().ChildFrames().size(), 2u);
  EXPECT_TRUE(messages.requests().empty());
}

TEST_F(ViewerAppTest, RecentFilesKeepTheLastFourNewestFirst) {
  ASSERT_TRUE(Start());
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i) paths.push_back(WriteNode(zv::StrFormat("%05d", 20 + i)));
  for (const std::string& path : paths) ASSERT_NE(Open(path), nullptr);
  EXPECT_EQ(RecentEntry(1), paths[4]);
  EXPECT_EQ(RecentEntry(2), paths[3]);
  EXPECT_EQ(RecentEntry(3), paths[2]);
  EXPECT_EQ(RecentEntry(4), paths[1]);
  EXPECT_EQ(zv::Profile(zv::kProgramZEVView).GetString("Recent File List", "File5", "?"), "?");
  // A second open moves nothing; a file opened again after its close goes first.
  ASSERT_NE(Open(paths[2]), nullptr);
  EXPECT_EQ(RecentEntry(1), paths[4]);
  app->CloseDocument(app->Documents()[1]);
  ASSERT_NE(Open(paths[1]), nullptr);
  EXPECT_EQ(RecentEntry(1), paths[1]);
  EXPECT_EQ(RecentEntry(2), paths[4]);
  EXPECT_EQ(RecentEntry(4), paths[2]);

  std::vector<std::string> texts = MenuTexts("&Файл");
  const std::vector<std::string> expected = {"&1 " + paths[1], "&2 " + paths[4], "&3 " + paths[3],
                                             "&4 " + paths[2]};
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 7, texts.begin() + 11), expected);
  // The next start reads the same list.
  app->CloseAllDocuments();
  ASSERT_TRUE(Start());
  texts = MenuTexts("&Файл");
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 4, texts.begin() + 8), expected);
}

TEST_F(ViewerAppTest, RecentEntryShowsAnAmpersandOfItsPathAsItIs) {
  ASSERT_TRUE(Start());
  const std::string folder = dir.File("R&D");
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  const std::string path = folder + "/00012_node.zev";
  std::filesystem::copy_file(WriteNode("00012"), path);
  ASSERT_NE(Open(path), nullptr);
  // Doubled, the "&" is shown and is no mnemonic; the list keeps the path.
  const std::string shown = "&1 " + dir.File("R&&D") + "/00012_node.zev";
  EXPECT_EQ(MenuTexts("&Файл")[7], shown);
  EXPECT_EQ(RecentEntry(1), path);
}

TEST_F(ViewerAppTest, RecentEntryThatFailsToOpenIsRemoved) {
  ASSERT_TRUE(Start());
  const std::string a = WriteNode("00012"), b = WriteNode("00013"), c = WriteNode("00014");
  for (const std::string& path : {a, b, c}) ASSERT_NE(Open(path), nullptr);
  app->CloseAllDocuments();
  ASSERT_EQ(std::filesystem::remove(b), true);
  // Entry 2 is b: it fails with the document's message and leaves the list.
  Frame().OnCommand(viewer_cmd::kFileMru1 + 1);
  ASSERT_EQ(messages.requests().size(), 1u);
  EXPECT_TRUE(messages.texts()[0].contains(QString::fromStdString(b)));
  EXPECT_EQ(RecentEntry(1), c);
  EXPECT_EQ(RecentEntry(2), a);
  EXPECT_EQ(RecentEntry(3), "");
  EXPECT_EQ(app->RecentFiles().GetSize(), 2);
  EXPECT_TRUE(Frame().ChildFrames().empty());
  // Entry 2 is a now, and it opens.
  Frame().OnCommand(viewer_cmd::kFileMru1 + 1);
  ASSERT_EQ(app->Documents().size(), 1u);
  EXPECT_EQ(app->Documents()[0]->GetPathName(), a);
  EXPECT_EQ(RecentEntry(1), a);
}

TEST_F(ViewerAppTest, DroppedFilesOpenOneByOne) {
  ASSERT_TRUE(Start());
  const std::string a = WriteNode("00012", 40, "А"), b = WriteNode("00013", 40, "Б");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&Frame(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&Frame(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(Titles(), (std::vector<std::string>{"00012 А", "00013 Б"}));
  ASSERT_EQ(app->Documents().size(), 2u);
  EXPECT_EQ(app->Documents()[0]->GetPathName(), a);
  EXPECT_EQ(app->Documents()[1]->GetPathName(), b);
  EXPECT_EQ(Frame().ActiveDocument(), app->Documents()[1]);

  // Dropped on a window's table, with the text a file manager sends along: the
  // grid takes no text drops, the frame opens the file.
  const std::string c = WriteNode("00014", 40, "В");
  QMimeData more;
  more.setUrls({QUrl::fromLocalFile(QString::fromStdString(c))});
  more.setText(QString::fromStdString(c));
  QWidget* table = Frame().ActiveView()->GetGrid()->viewport();
  QDragEnterEvent onTable(QPoint(10, 10), Qt::CopyAction, &more, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(table, &onTable);
  QDropEvent dropOnTable(QPointF(10, 10), Qt::CopyAction, &more, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(table, &dropOnTable);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"00012 А", "00013 Б", "00014 В"}));
}

TEST_F(ViewerAppTest, OpenDialogOffersNodeFilesAndOpensTheChoice) {
  ASSERT_TRUE(Start());
  const std::string a = WriteNode("00012");
  QString filter;
  ASSERT_TRUE(zv::test::AnswerModal<QFileDialog>([this] { Frame().OnCommand(viewer_cmd::kFileOpen); },
                                                 [&](QFileDialog& d) {
                                                   filter = d.nameFilters().join(";");
                                                   d.selectFile(QString::fromStdString(a));
                                                   static_cast<QDialog&>(d).accept();
                                                 }));
  EXPECT_EQ(filter.toStdString(), "ZEVView Files (*.zev)");
  ASSERT_EQ(app->Documents().size(), 1u);
  EXPECT_EQ(app->Documents()[0]->GetPathName(), a);
}

TEST_F(ViewerAppTest, CloseEndsEveryWindowOfTheActiveDocument) {
  ASSERT_TRUE(Start());
  CZEVViewDoc* a = Open(WriteNode("00012", 40, "А"));
  ASSERT_NE(a, nullptr);
  Frame().OnCommand(viewer_cmd::kWindowNew);
  CZEVViewDoc* b = Open(WriteNode("00013", 40, "Б"));
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(Frame().ChildFrames().size(), 3u);
  Frame().ActivateFrame(Frame().FramesOf(a)[1]);
  QAction* close = Frame().MenuAction(viewer_cmd::kFileClose);
  ASSERT_NE(close, nullptr);
  close->trigger();
  EXPECT_EQ(Titles(), (std::vector<std::string>{"00013 Б"}));
  ASSERT_EQ(app->Documents().size(), 1u);
  EXPECT_EQ(app->Documents()[0], b);
  EXPECT_EQ(Frame().CurrentMenu(), 129);
  EXPECT_TRUE(messages.requests().empty());  // no save question
  Frame().MenuAction(viewer_cmd::kFileClose)->trigger();
  EXPECT_TRUE(app->Documents().empty());
  EXPECT_EQ(Frame().CurrentMenu(), 128);
  EXPECT_FALSE(Frame().MenuAction(viewer_cmd::kFileClose)->isEnabled());
}

TEST_F(ViewerAppTest, ExitClosesEveryDocumentAndTheFrame) {
  ASSERT_TRUE(Start());
  ASSERT_NE(Open(WriteNode("00012")), nullptr);
  ASSERT_NE(Open(WriteNode("00013")), nullptr);
  Frame().MenuAction(viewer_cmd::kAppExit)->trigger();
  EXPECT_TRUE(app->Documents().empty());
  EXPECT_TRUE(Frame().ChildFrames().empty());
  EXPECT_FALSE(Frame().isVisible());
  EXPECT_TRUE(messages.requests().empty());
}

}  // namespace
