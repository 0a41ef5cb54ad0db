#include "modem/shared_data_ready.h"

#include <QWidget>
#include <string>
#include <vector>

#include "modem/shared_memory.h"
#include "modem/zev_modem_doc.h"

namespace zv {

std::size_t WorkSharedData(CSharedMemory& channel, CZEVModemDoc& doc, QWidget* frame) {
  const std::vector<std::string> paths = channel.TakePathsFromView();
  if (!paths.empty()) {
    for (const std::string& path : paths) doc.OnOpenDocument(path);
    doc.UpdateAllViews();
  }
  // A frame not shown yet (node files of the command line, before the start
  // shows it) or no longer shown (the exit) is left as it is.
  if (frame != nullptr && frame->isVisible()) BringToFront(frame);
  return paths.size();
}

void BringToFront(QWidget* window) {
  if (window == nullptr) return;
  window->showNormal();
  window->raise();
  window->activateWindow();
}

}  // namespace zv
