// Node files handed over inside the running workstation: the queue of later
// starts' blocks, which waits while a modal dialog, a message box or a menu is
// open, and the frame's handler for the in-process block.

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "modem/hand_over_queue.h"
#include "modem/shared_data_ready.h"
#include "modem/shared_memory.h"
#include "modem/zev_modem_doc.h"
#include "platform/qt/message_box.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using Paths = std::vector<std::string>;

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound = 20s) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

void RunEventsFor(std::chrono::milliseconds span) {
  WaitUntil([] { return false; }, span);
}

std::string NodeFile(const zv::test::TempDir& dir, const std::string& name, const std::string& n) {
  return dir.Write(name, "N\t" + n + "\r\nNAME\tУзел\r\n$\r\n01.02.2013 05:00\t1\r\n");
}

TEST(HandOverQueue, BlocksWorkedInOrderOnlyWhileNothingModalIsOpen) {
  std::vector<Paths> worked;
  zv::HandOverQueue queue([&](const Paths& p) { worked.push_back(p); });

  queue.Push({"/a.zev", "/b.zev"});
  queue.Push({});
  ASSERT_TRUE(WaitUntil([&] { return worked.size() == 2; }));
  EXPECT_EQ(worked[0], (Paths{"/a.zev", "/b.zev"}));
  EXPECT_TRUE(worked[1].empty());

  // A modal dialog is open: the blocks wait until it has closed.
  {
    QDialog dialog;
    std::size_t seen_while_open = 99;
    QTimer::singleShot(0, [&] {
      queue.Push({"/c.zev"});
      queue.Push({"/d.gr"});
      QTimer::singleShot(400, [&] {
        seen_while_open = worked.size();
        dialog.reject();
      });
    });
    dialog.exec();
    EXPECT_EQ(seen_while_open, 2u);
  }
  ASSERT_TRUE(WaitUntil([&] { return worked.size() == 4; }));
  EXPECT_EQ(worked[2], Paths{"/c.zev"});
  EXPECT_EQ(worked[3], Paths{"/d.gr"});

  // A box opened by a block (as a failed open shows one): the next block
  // waits for its answer, and no block runs inside it.
  {
    std::size_t during_box = 99;
    zv::HandOverQueue boxed([&](const Paths& p) {
      worked.push_back(p);
      if (p == Paths{"/first.gr"}) {
        QDialog box;  // stands for the box a failed open shows
        QTimer::singleShot(300, [&] {
          during_box = worked.size();
          box.reject();
        });
        box.exec();
      }
    });
    boxed.Push({"/first.gr"});
    boxed.Push({"/second.gr"});
    ASSERT_TRUE(WaitUntil([&] { return worked.size() == 6; }));
    EXPECT_EQ(during_box, 5u);
    EXPECT_EQ(worked[5], Paths{"/second.gr"});
  }

  // A menu is open.
  {
    QMainWindow window;
    window.show();
    QMenu menu(&window);
    menu.addAction(QStringLiteral("Пуск"));
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() != nullptr; }));
    queue.Push({"/e.zev"});
    RunEventsFor(300ms);
    EXPECT_EQ(worked.size(), 6u);
    EXPECT_EQ(queue.Pending(), 1u);
    menu.close();
    ASSERT_TRUE(WaitUntil([&] { return worked.size() == 7; }));
    EXPECT_EQ(worked[6], Paths{"/e.zev"});
  }

  // Ending: what waits is dropped, nothing more is taken.
  {
    QDialog dialog;
    QTimer::singleShot(0, [&] {
      queue.Push({"/f.zev"});
      queue.Stop();
      queue.Push({"/g.zev"});
      dialog.reject();
    });
    dialog.exec();
  }
  RunEventsFor(300ms);
  EXPECT_EQ(worked.size(), 7u);
  EXPECT_EQ(queue.Pending(), 0u);
}

TEST(SharedDataReady, EachPathOpenedBlockEmptiedFrameToTheFront) {
  zv::test::TempDir tmp;
  zv::ScopedMessageHook hook;
  CSharedMemory channel;
  ASSERT_TRUE(channel.Create(zv::kHandOverBlockSize, true));
  CZEVModemDoc doc;
  QMainWindow frame;

  // Not shown yet (the start shows it later): opened, but left hidden.
  const std::string early = NodeFile(tmp, "00009_E.zev", "00009");
  ASSERT_TRUE(channel.WritePathToView(early));
  EXPECT_EQ(zv::WorkSharedData(channel, doc, &frame), 1u);
  EXPECT_FALSE(frame.isVisible());
  doc.DeleteContents();
  frame.show();

  const std::string a = NodeFile(tmp, "00001_A.zev", "00001");
  ASSERT_TRUE(channel.WritePathToView(a));
  EXPECT_EQ(zv::WorkSharedData(channel, doc, &frame), 1u);
  ASSERT_EQ(doc.NodeCount(), 1u);
  EXPECT_EQ(doc.NodePathAt(0), a);

  // Read once: calling again (an empty block) opens nothing a second time.
  EXPECT_EQ(zv::WorkSharedData(channel, doc, &frame), 0u);
  EXPECT_EQ(doc.NodeCount(), 1u);

  // A minimised frame comes back on an empty block.
  frame.showMinimized();
  ASSERT_TRUE(WaitUntil([&] { return frame.isMinimized(); }));
  EXPECT_EQ(zv::WorkSharedData(channel, doc, &frame), 0u);
  EXPECT_FALSE(frame.isMinimized());
  EXPECT_TRUE(frame.isVisible());
  EXPECT_TRUE(hook.requests().empty());

  // A file that does not open: the document's message, nothing appended.
  ASSERT_TRUE(channel.WritePathToView(tmp.File("gone.zev")));
  EXPECT_EQ(zv::WorkSharedData(channel, doc, &frame), 1u);
  EXPECT_EQ(doc.NodeCount(), 1u);
  EXPECT_EQ(hook.requests().size(), 1u);
}

}  // namespace
