// "Открыть в ZEVView" and "Открыть папку с файлом" with stand-in programs that
// log their arguments: the viewer's "Path", the viewer in the program folder,
// and the desktop's opener on PATH.

#include <QMenu>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

#include "modem/open_commands.h"
#include "platform/profile.h"
#include "tests/grid/grid_test_support.h"
#include "tests/modem/frame_fixture.h"

namespace {

using zv::test::FrameTest;
using zv::test::PumpUntil;

class OpenCommandsTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    saved_path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::mkdir(folder_.File("bin").c_str(), 0755);
    ::mkdir(folder_.File("nodes").c_str(), 0755);
    // The opener first on PATH.
    StandIn(folder_.File("bin/xdg-open"), "opener");
    ::setenv("PATH", (folder_.File("bin") + ":" + saved_path_).c_str(), 1);
    MakeFrame();
    const std::string path = folder_.Write("nodes/00042_Школа 3.zev", "N\t00042\r\n$\r\n");
    node_path_ = path;
    document_.AddNodeFile(path);
    document_.UpdateAllViews();
    grid()->SetFocusCell(1, 1);
    grid()->SelectRange(1, 1, 1, 1);
  }
  void TearDown() override {
    ::setenv("PATH", saved_path_.c_str(), 1);
    FrameTest::TearDown();
  }
  // A program that writes its name and each argument on a line of its own to "<name>.log".
  void StandIn(const std::string& path, const std::string& name) {
    folder_.Write(path.substr(folder_.path().size() + 1),
                  "#!/bin/sh\n{ echo " + name + "; for a in \"$@\"; do echo \"$a\"; done; } > '" +
                      folder_.File(name + ".log") + "'\n");
    ::chmod(path.c_str(), 0755);
  }
  std::string WaitLog(const std::string& name) {
    const std::string file = folder_.File(name + ".log");
    PumpUntil([&] { return zv::test::TempDir::Read(file).find('\n') != std::string::npos &&
                           zv::test::TempDir::Read(file).back() == '\n'; });
    return zv::test::TempDir::Read(file);
  }

  std::string saved_path_;
  std::string node_path_;
};

TEST_F(OpenCommandsTest, TheViewerGetsTheNodeFileAsItsOneArgument) {
  // The viewer's own setting first.
  StandIn(folder_.File("bin/my viewer"), "stored");
  StandIn(folder_.File("zevview"), "beside");
  ASSERT_TRUE(zv::Profile(zv::kProgramZEVView).WriteString("Settings", "Path", folder_.File("bin/my viewer")));
  view()->OnCommand(CZEVModemView::kIdOpenInViewer);
  EXPECT_EQ(WaitLog("stored"), "stored\n" + node_path_ + "\n");

  // Without it, the viewer beside the workstation.
  ASSERT_TRUE(zv::Profile(zv::kProgramZEVView).WriteString("Settings", "Path", ""));
  view()->OnCommand(CZEVModemView::kIdOpenInViewer);
  EXPECT_EQ(WaitLog("beside"), "beside\n" + node_path_ + "\n");

  // Without that, the desktop's opener on the file.
  std::remove(folder_.File("zevview").c_str());
  view()->OnCommand(CZEVModemView::kIdOpenInViewer);
  EXPECT_EQ(WaitLog("opener"), "opener\n" + node_path_ + "\n");
}

TEST_F(OpenCommandsTest, TheFolderGoesToTheDesktopOpener) {
  view()->OnCommand(CZEVModemView::kIdOpenFolder);
  EXPECT_EQ(WaitLog("opener"), "opener\n" + folder_.File("nodes") + "\n");
}

TEST_F(OpenCommandsTest, NothingWithoutASelectionAndAFailedStartIsSilent) {
  grid()->SelectRange(-1, -1, -1, -1);
  ASSERT_EQ(grid()->GetSelectedCount(), 0);
  view()->OnCommand(CZEVModemView::kIdOpenFolder);
  grid()->SelectRange(1, 1, 1, 1);
  ASSERT_TRUE(zv::Profile(zv::kProgramZEVView).WriteString("Settings", "Path", folder_.File("no such viewer")));
  view()->OnCommand(CZEVModemView::kIdOpenInViewer);
  PumpUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_TRUE(zv::test::TempDir::Read(folder_.File("opener.log")).empty());
  EXPECT_TRUE(messages_.requests().empty());
}

TEST(OpenCommands, StartsFromTheSettings) {
  const zv::ProgramStart folder = zv::FolderStart("/data/nodes/00042_a.zev");
  EXPECT_EQ(folder.program, "xdg-open");
  EXPECT_EQ(folder.arguments, QStringList{"/data/nodes"});
}

}  // namespace
